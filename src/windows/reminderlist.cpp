#include "reminderlist.h"

#include "calendar/numtext.h"
#include "platform/twips.h"
#include "reminders/session.h"
#include "savequestion.h"
#include "widgets.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>

namespace quill {

using list::Column;

namespace {
constexpr int columnTop = 1920;
constexpr int columnHeight = 2430;
constexpr int rowTwips = 240;
constexpr std::array<int, list::ColumnCount> columnLeft = {6960, 240,  1680, 2880, 6000, 6600,
                                                           7800, 8160, 8520, 240,  6960};
constexpr std::array<int, list::ColumnCount> columnWidth = {495, 1455, 1215, 2895, 615, 1215,
                                                            375, 375,  375,  5055, 855};
int leftOf(Column c)
{
    return columnLeft[std::size_t(c)];
}
int widthOf(Column c)
{
    return columnWidth[std::size_t(c)];
}
} // namespace

ReminderList::ReminderList(Services &services, ReminderSession &session)
    : QWidget(nullptr)
    , m_services(services)
    , m_session(session)
{
    setObjectName(QStringLiteral("lista"));
    setWindowTitle(QStringLiteral("Emlékeztető bejegyzések listája") + QString(40, u' ') +
                   QStringLiteral("Zelmarin©"));
    setFont(dialogFont());
    setFixedSize(twips::size(9720, 5280));

    createKindOptions();
    createHeaders();
    createColumns();
    createActiveBoxes();
    createButtons();

    // A reminder stored in the editor shows at once; this window's own changes are in place.
    connect(&m_session, &ReminderSession::changed, this, [this] {
        if (!m_changingTable)
            refill();
    });
    // A kind chosen in the editor is chosen here too, while this window is shown.
    connect(&m_session, &ReminderSession::kindChosen, this,
            [this](ReminderKind kind, KindChooser chooser) {
                if (chooser == KindChooser::Editor && isVisible())
                    followKind(kind);
            });

    refill();
    updateActiveBoxes();
}

ReminderList::~ReminderList()
{
    m_editBox->removeEventFilter(this);
}

void ReminderList::createKindOptions()
{
    const std::array<int, 5> widths = {1335, 1575, 1455, 2895, 1335};
    int left = 240;
    for (ReminderKind kind : AllReminderKinds) {
        const auto i = std::size_t(kindIndex(kind));
        auto *o = new QRadioButton(kindCaption(kind), this);
        o->setObjectName(QStringLiteral("Option1_%1").arg(i));
        o->setGeometry(twips::rect(left, 240, widths[i], 315));
        left += widths[i] + 60;
        connect(o, &QRadioButton::clicked, this, [this, kind] { chooseKind(kind); });
        m_kindOptions[i] = o;
    }
    m_kindOptions[0]->setChecked(true);
}

void ReminderList::createHeaders()
{
    QFont bold = dialogFont();
    bold.setBold(true);
    makeLabel(this, QStringLiteral("adatok_felirat"), QStringLiteral("Emlékeztető adatai"),
              twips::rect(240, 1200, 5535, 255), bold);
    makeLabel(this, QStringLiteral("idopont_felirat"), QStringLiteral("Jelzés időpontja"),
              twips::rect(6000, 1200, 2895, 255), bold);
    const std::array<Column, 8> over = {Column::Text1,       Column::Text2,    Column::AlertYear,
                                        Column::AlertMonth,  Column::AlertDay, Column::AlertHour,
                                        Column::AlertMinute, Column::When};
    const std::array<const char16_t *, 8> fixed = {u"",    u"",    u"Év",   u"Hónap",
                                                   u"Nap", u"Óra", u"Perc", u""};
    for (std::size_t i = 0; i < m_headers.size(); ++i)
        m_headers[i] =
            makeLabel(this, QStringLiteral("Label3_%1").arg(i), QString::fromUtf16(fixed[i]),
                      twips::rect(leftOf(over[i]), 1620, widthOf(over[i]), 255));
    // "AKTIV", one letter under the other, over the active boxes.
    const QString active = QStringLiteral("AKTIV");
    for (int i = 0; i < 5; ++i)
        makeLabel(this, QStringLiteral("Label2_%1").arg(i), active.at(i),
                  twips::rect(9045, 600 + 240 * i, 255, 240))
            ->setAlignment(Qt::AlignCenter);
}

void ReminderList::createColumns()
{
    const QFont listFont = fontOf(QStringLiteral("Arial"), 9.75);
    for (int c = 0; c < list::ColumnCount; ++c) {
        const auto at = Column(c);
        auto *l = new QListWidget(this);
        l->setObjectName(QStringLiteral("List1_%1").arg(c));
        l->setGeometry(twips::rect(leftOf(at), columnTop, widthOf(at), columnHeight));
        l->setFont(listFont);
        l->setUniformItemSizes(true);
        l->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        l->setSelectionMode(QAbstractItemView::SingleSelection);
        l->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        l->setFrameShape(QFrame::Box);
        l->setTextElideMode(Qt::ElideNone); // narrow columns clip, as a list box does
        connect(l, &QListWidget::currentRowChanged, this, [this](int row) {
            if (!m_syncing)
                selectPosition(row);
        });
        connect(l, &QListWidget::itemDoubleClicked, this, [this, at] { beginEdit(at); });
        // Every column scrolls as one, so a row always shows one reminder.
        connect(l->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
            if (m_scroll->value() != v)
                m_scroll->setValue(v);
        });
        m_columns[std::size_t(c)] = l;
    }
    for (Column never : {Column::KindLetter, Column::RowKey, Column::FreeText})
        column(never)->hide();

    m_scroll = new QScrollBar(Qt::Vertical, this);
    m_scroll->setObjectName(QStringLiteral("gorgeto"));
    m_scroll->setGeometry(twips::rect(9360, columnTop, 255, columnHeight));
    m_scroll->setAccessibleName(QStringLiteral("Görgetés"));
    connect(m_scroll, &QScrollBar::valueChanged, this, &ReminderList::scrollTo);

    m_editBox = new QLineEdit(this);
    m_editBox->setObjectName(QStringLiteral("Text1"));
    m_editBox->hide();
    m_editBox->installEventFilter(this);
}

void ReminderList::createActiveBoxes()
{
    for (std::size_t i = 0; i < m_activeBoxes.size(); ++i) {
        auto *box = new QCheckBox(this);
        box->setObjectName(QStringLiteral("Check1_%1").arg(i));
        box->setGeometry(twips::rect(9045, columnTop + rowTwips * int(i), 255, rowTwips));
        box->setAccessibleName(QStringLiteral("Aktív, %1. sor").arg(i + 1));
        const int index = int(i);
        connect(box, &QCheckBox::clicked, this, [this, index] { toggleActive(index); });
        m_activeBoxes[i] = box;
    }
}

void ReminderList::createButtons()
{
    connect(makeButton(this, QStringLiteral("Command2"), QStringLiteral("Törlés"),
                       twips::rect(240, 4560, 1695, 375)),
            &QPushButton::clicked, this, &ReminderList::deleteSelected);
    connect(makeButton(this, QStringLiteral("Command3"), QStringLiteral("Mentés"),
                       twips::rect(3960, 4560, 1695, 375)),
            &QPushButton::clicked, this, &ReminderList::save);
    connect(makeButton(this, QStringLiteral("Command1"), QStringLiteral("Bezárás"),
                       twips::rect(7680, 4560, 1695, 375)),
            &QPushButton::clicked, this, &QWidget::hide);
    // Esc drops an in-place edit; otherwise it closes the window, as "Bezárás" does.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, [this] {
        if (m_editDone)
            hide();
        else
            cancelEdit();
    });
}

int ReminderList::rowHeightPx() const
{
    return twips::toPx(rowTwips);
}

int ReminderList::firstShownPosition() const
{
    return m_scroll->value();
}

// ---- filling ---------------------------------------------------------------------------

void ReminderList::refill()
{
    m_syncing = true;
    for (QListWidget *l : m_columns)
        l->clear();
    m_syncing = false;
    m_activeFlags.clear();
    m_selected = -1;
    const list::Layout layout = list::layoutFor(m_kind);
    m_headers[0]->setText(layout.firstHeader);
    const Column firstColumn = m_kind == ReminderKind::Other ? Column::FreeText : Column::Text1;
    m_headers[0]->setGeometry(twips::rect(240, 1620, widthOf(firstColumn), 255));
    m_headers[1]->setText(layout.secondHeader);
    m_headers[1]->setVisible(layout.secondHeaderShown);
    m_headers[7]->setText(layout.whenHeader);
    m_headers[7]->setVisible(layout.whenHeaderShown);
    for (int c = int(Column::Text1); c <= int(Column::FreeText); ++c)
        m_columns[std::size_t(c)]->setVisible(layout.columnShown[std::size_t(c)]);
    // Each column is named by the header over it.
    const std::array<std::pair<Column, QLabel *>, 9> named = {{
        {Column::Text1, m_headers[0]},
        {Column::FreeText, m_headers[0]},
        {Column::Text2, m_headers[1]},
        {Column::AlertYear, m_headers[2]},
        {Column::AlertMonth, m_headers[3]},
        {Column::AlertDay, m_headers[4]},
        {Column::AlertHour, m_headers[5]},
        {Column::AlertMinute, m_headers[6]},
        {Column::When, m_headers[7]},
    }};
    for (const auto &[c, header] : named)
        column(c)->setAccessibleName(header->text());
    for (int row : list::listedRows(m_session.table(), m_kind))
        appendRow(row);
    m_scroll->setRange(0, std::max(0, int(m_activeFlags.size()) - 10));
    m_scroll->setPageStep(10);
    m_scroll->setValue(0);
    syncActiveBoxes();
}

void ReminderList::appendRow(int row)
{
    const ReminderRecord &r = m_session.table().row(row);
    for (int c = 0; c < list::ColumnCount; ++c) {
        auto *item = new QListWidgetItem(r[std::size_t(list::fieldOf(Column(c)))]);
        item->setSizeHint(QSize(10, rowHeightPx()));
        m_columns[std::size_t(c)]->addItem(item);
    }
    m_activeFlags.append(r[Field::Active] == u"1");
}

void ReminderList::scrollTo(int top)
{
    for (QListWidget *l : m_columns) {
        QScrollBar *bar = l->verticalScrollBar();
        if (bar->maximum() < top)
            l->doItemsLayout(); // rows added since the last layout pass
        if (bar->value() != top)
            bar->setValue(top);
    }
    syncActiveBoxes();
}

// The ten boxes show the flags of the ten entries in view.
void ReminderList::syncActiveBoxes()
{
    const int top = firstShownPosition();
    const Column first = m_kind == ReminderKind::Other ? Column::FreeText : Column::Text1;
    for (int i = 0; i < int(m_activeBoxes.size()); ++i) {
        const int p = top + i;
        QCheckBox *box = m_activeBoxes[std::size_t(i)];
        box->setChecked(p < m_activeFlags.size() && m_activeFlags[p]);
        // Named after the entry beside it: "Aktív: Kovács Zoltán".
        QStringList who;
        for (Column c : {first, Column::Text2}) {
            const QListWidgetItem *item = column(c)->item(p);
            if (item && !item->text().trimmed().isEmpty() &&
                !(c == Column::Text2 && first == Column::FreeText))
                who << item->text().trimmed();
        }
        box->setAccessibleName(QStringLiteral("Aktív: ") + who.join(u' '));
    }
    updateActiveBoxes();
}

void ReminderList::updateActiveBoxes()
{
    const int n = column(Column::AlertYear)->count() - firstShownPosition();
    for (int i = 0; i < int(m_activeBoxes.size()); ++i)
        m_activeBoxes[std::size_t(i)]->setVisible(i < n);
}

// ---- kinds -----------------------------------------------------------------------------

void ReminderList::selectKindOption(ReminderKind kind)
{
    m_kindOptions[std::size_t(kindIndex(kind))]->setChecked(true);
    m_kind = kind;
    refill();
    updateActiveBoxes();
}

void ReminderList::followKind(ReminderKind kind)
{
    if (!m_kindOptions[std::size_t(kindIndex(kind))]->isChecked() || m_kind != kind)
        selectKindOption(kind);
}

void ReminderList::showKind(ReminderKind kind)
{
    followKind(kind);
    refill();
}

// The user's choice here is the editor's choice too; choosing the kind shown changes nothing.
void ReminderList::chooseKind(ReminderKind kind)
{
    if (kind == m_kind)
        return;
    selectKindOption(kind);
    m_session.chooseKind(kind, KindChooser::List);
}

// ---- selection and changes -------------------------------------------------------------

void ReminderList::selectPosition(int position)
{
    m_selected = position;
    m_syncing = true;
    for (QListWidget *l : m_columns)
        l->setCurrentRow(position);
    m_syncing = false;
}

template <typename Change> void ReminderList::changeTable(Change change)
{
    m_changingTable = true;
    change();
    m_changingTable = false;
}

void ReminderList::toggleActive(int box)
{
    const int position = firstShownPosition() + box;
    if (position >= m_activeFlags.size())
        return;
    const bool on = m_activeBoxes[std::size_t(box)]->isChecked();
    m_activeFlags[position] = on;
    const QList<int> rows = list::listedRows(m_session.table(), m_kind);
    if (position < rows.size())
        changeTable([&] {
            m_session.setField(rows[position], Field::Active,
                               on ? QStringLiteral("1") : QStringLiteral("0"));
        });
}

void ReminderList::deleteSelected()
{
    // Nothing selected: nothing to delete.
    if (m_selected < 0 || m_selected >= column(Column::RowKey)->count())
        return;
    const int row =
        list::rowForKey(m_session.table(), column(Column::RowKey)->item(m_selected)->text());
    if (row >= 0)
        changeTable([&] { m_session.clear(row); });
    m_syncing = true;
    for (QListWidget *l : m_columns)
        delete l->takeItem(m_selected);
    m_syncing = false;
    m_activeFlags.removeAt(m_selected);
    m_selected = -1;
    for (QListWidget *l : m_columns)
        l->setCurrentRow(-1);
    m_scroll->setRange(0, std::max(0, int(m_activeFlags.size()) - 10));
    syncActiveBoxes();
}

void ReminderList::beginEdit(Column at)
{
    m_editDone = false;
    if (!list::isAlertColumn(at))
        return;
    const int position = column(at)->currentRow();
    if (position < 0) {
        m_editDone = true;
        return;
    }
    m_editColumn = at;
    m_editPosition = position;
    const QRect cell = column(at)->geometry();
    const int y = cell.top() + (m_editPosition - firstShownPosition()) * rowHeightPx();
    m_editBox->setGeometry(cell.left(), y, cell.width(), rowHeightPx() + 4);
    m_editBox->clear();
    m_editBox->show();
    m_editBox->raise();
    m_editBox->setFocus(Qt::OtherFocusReason);
}

void ReminderList::cancelEdit()
{
    m_editDone = true;
    m_editBox->clear();
    m_editBox->hide();
    column(m_editColumn)->setFocus(Qt::OtherFocusReason);
}

void ReminderList::finishEdit()
{
    if (m_editDone)
        return;
    // Dealt with before anything else: the message box below takes the focus away.
    m_editDone = true;
    const QString text = m_editBox->text();
    m_editBox->clear();
    m_editBox->hide();
    if (m_editPosition < 0 || m_editPosition >= column(Column::RowKey)->count())
        return;
    const auto cellText = [this](Column c) {
        const QListWidgetItem *item = column(c)->item(m_editPosition);
        return item ? item->text() : QString();
    };
    const int row = int(textValue(cellText(Column::RowKey)));
    const AlertTime entry =
        row >= 0 && row < ReminderRows
            ? AlertTime::of(m_session.table().row(row))
            : AlertTime{cellText(Column::AlertYear), cellText(Column::AlertMonth),
                        cellText(Column::AlertDay), cellText(Column::AlertHour),
                        cellText(Column::AlertMinute)};
    if (!list::isValidListEntry(m_editColumn, text, m_services.clock.now().date().year(), entry)) {
        m_services.boxes.show(this, MsgIcon::Critical, QStringLiteral("Emlékeztető"),
                              QStringLiteral("Helytelen kifejezést adott meg!"));
        return;
    }
    column(m_editColumn)->item(m_editPosition)->setText(text);
    if (row >= 0 && row < ReminderRows)
        changeTable([&] { m_session.setField(row, list::fieldOf(m_editColumn), text); });
}

void ReminderList::save()
{
    askAndSave(m_session, m_services.boxes, this, QStringLiteral("Quillomat"), Ask::WhenModified);
}

// ---- events ----------------------------------------------------------------------------

bool ReminderList::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        updateActiveBoxes();
        // Centred on its screen each time it becomes the active window.
        const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
        if (s) {
            const QRect area = s->geometry();
            const QRect own = frameGeometry();
            move(area.left() + (area.width() - own.width()) / 2,
                 area.top() + (area.height() - own.height()) / 2);
        }
    }
    return QWidget::event(event);
}

bool ReminderList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editBox) {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                finishEdit();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // Ended inside this window (Tab, a click on another control): applied. Another
            // window taking over (an alert box, another program) leaves the edit open.
            const auto reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                finishEdit();
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace quill
