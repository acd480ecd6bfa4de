#include "reminderlist.h"

#include "accessibility.h"
#include "helpkeys.h"
#include "platform/twips.h"
#include "reminders/listmodel.h"
#include "reminders/session.h"
#include "savequestion.h"
#include "widgets.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
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
    announceAsWindow(this);
    setObjectName(QStringLiteral("lista"));
    helpOnF1(this, m_services, [] { return QStringLiteral("lista.html"); });
    setWindowTitle(QStringLiteral("Emlékeztető bejegyzések listája") + QString(40, u' ') +
                   QStringLiteral("Zelmarin©"));
    setFont(dialogFont());
    setFixedSize(twips::size(9720, 5280));

    m_model = new ReminderListModel(m_session, this);
    m_selection = new QItemSelectionModel(m_model, this);
    createKindOptions();
    createHeaders();
    createColumns();
    createActiveBoxes();
    createButtons();
    // Whatever changes the rows (a store in the editor, a deletion, another kind) reaches the
    // scroll bar and the boxes from the model.
    connect(m_model, &QAbstractItemModel::modelReset, this, &ReminderList::rowsChanged);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &ReminderList::rowsChanged);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &ReminderList::showActiveBoxes);
    // A kind chosen in the editor is chosen here too, while this window is shown.
    connect(&m_session, &ReminderSession::kindChosen, this,
            [this](ReminderKind kind, KindChooser chooser) {
                if (chooser == KindChooser::Editor && isVisible())
                    followKind(kind);
            });

    applyLayout();
    rowsChanged();
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
        auto *view = new QListView(this);
        view->setObjectName(QStringLiteral("List1_%1").arg(c));
        view->setGeometry(twips::rect(leftOf(at), columnTop, widthOf(at), columnHeight));
        view->setFont(listFont);
        view->setModel(m_model);
        view->setModelColumn(c);
        view->setSelectionModel(m_selection);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setUniformItemSizes(true);
        view->setGridSize(QSize(twips::toPx(widthOf(at)), twips::toPx(rowTwips)));
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        view->setFrameShape(QFrame::Box);
        view->setTextElideMode(Qt::ElideNone); // narrow columns clip, as a list box does
        connect(view, &QListView::doubleClicked, this,
                [this, at](const QModelIndex &index) { beginEdit(at, index.row()); });
        // Moving in one column (the keyboard, the wheel) moves them all.
        connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
            if (m_scroll->value() != v)
                m_scroll->setValue(v);
        });
        m_columns[std::size_t(c)] = view;
    }
    for (Column never : {Column::KindLetter, Column::RowKey, Column::FreeText})
        column(never)->hide();

    m_scroll = new QScrollBar(Qt::Vertical, this);
    m_scroll->setObjectName(QStringLiteral("gorgeto"));
    m_scroll->setGeometry(twips::rect(9360, columnTop, 255, columnHeight));
    m_scroll->setAccessibleName(QStringLiteral("Görgetés"));
    m_scroll->setPageStep(10);
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
    onEscape(this, [this] {
        if (m_editDone)
            hide();
        else
            cancelEdit();
    });
}

int ReminderList::firstShownPosition() const
{
    return m_scroll->value();
}

ReminderKind ReminderList::kind() const
{
    return m_model->kind();
}

int ReminderList::selectedPosition() const
{
    const QModelIndexList rows = m_selection->selectedRows(int(Column::Text1));
    return rows.isEmpty() ? -1 : rows.first().row();
}

// ---- layout and rows -------------------------------------------------------------------

// The headers and the columns the kind shows; each column named by the header over it.
void ReminderList::applyLayout()
{
    const ReminderKind shown = kind();
    const list::Layout layout = list::layoutFor(shown);
    m_headers[0]->setText(layout.firstHeader);
    const Column firstColumn = shown == ReminderKind::Other ? Column::FreeText : Column::Text1;
    m_headers[0]->setGeometry(twips::rect(240, 1620, widthOf(firstColumn), 255));
    m_headers[1]->setText(layout.secondHeader);
    m_headers[1]->setVisible(layout.secondHeaderShown);
    m_headers[7]->setText(layout.whenHeader);
    m_headers[7]->setVisible(layout.whenHeaderShown);
    for (int c = int(Column::Text1); c <= int(Column::FreeText); ++c) {
        m_columns[std::size_t(c)]->setVisible(layout.columnShown[std::size_t(c)]);
        m_columns[std::size_t(c)]->setAccessibleName(
            m_model->headerData(c, Qt::Horizontal).toString());
    }
}

void ReminderList::rowsChanged()
{
    m_scroll->setRange(0, std::max(0, m_model->rowCount() - 10));
    scrollTo(m_scroll->value());
}

void ReminderList::scrollTo(int top)
{
    for (QListView *view : m_columns) {
        QScrollBar *bar = view->verticalScrollBar();
        if (bar->maximum() < top)
            view->doItemsLayout(); // rows added since the last layout pass
        if (bar->value() != top)
            bar->setValue(top);
    }
    showActiveBoxes();
}

// The ten boxes show the flags of the ten entries in view, as the model has them.
void ReminderList::showActiveBoxes()
{
    const int top = firstShownPosition();
    const Column first = kind() == ReminderKind::Other ? Column::FreeText : Column::Text1;
    for (int i = 0; i < int(m_activeBoxes.size()); ++i) {
        const int p = top + i;
        QCheckBox *box = m_activeBoxes[std::size_t(i)];
        box->setVisible(p < m_model->rowCount());
        box->setChecked(m_model->index(p, ReminderListModel::ActiveColumn)
                            .data(Qt::CheckStateRole)
                            .value<Qt::CheckState>() == Qt::Checked);
        // Named after the entry beside it: "Aktív: Kovács Zoltán".
        QStringList who;
        for (Column c : {first, Column::Text2}) {
            const QString text = m_model->index(p, int(c)).data().toString().trimmed();
            if (!text.isEmpty() && !(c == Column::Text2 && first == Column::FreeText))
                who << text;
        }
        box->setAccessibleName(QStringLiteral("Aktív: ") + who.join(u' '));
    }
}

// ---- kinds -----------------------------------------------------------------------------

void ReminderList::selectKindOption(ReminderKind kind)
{
    m_kindOptions[std::size_t(kindIndex(kind))]->setChecked(true);
    m_model->setKind(kind);
    m_scroll->setValue(0);
    applyLayout();
}

void ReminderList::followKind(ReminderKind kind)
{
    if (!m_kindOptions[std::size_t(kindIndex(kind))]->isChecked() || this->kind() != kind)
        selectKindOption(kind);
}

void ReminderList::showKind(ReminderKind kind)
{
    followKind(kind);
}

// The user's choice here is the editor's choice too; choosing the kind shown changes nothing.
void ReminderList::chooseKind(ReminderKind kind)
{
    if (kind == this->kind())
        return;
    selectKindOption(kind);
    m_session.chooseKind(kind, KindChooser::List);
}

// ---- changes ---------------------------------------------------------------------------

void ReminderList::toggleActive(int box)
{
    const QModelIndex index =
        m_model->index(firstShownPosition() + box, ReminderListModel::ActiveColumn);
    if (!index.isValid())
        return;
    m_model->setData(index,
                     m_activeBoxes[std::size_t(box)]->isChecked() ? Qt::Checked : Qt::Unchecked,
                     Qt::CheckStateRole);
}

void ReminderList::deleteSelected()
{
    // Nothing selected: nothing to delete.
    const int position = selectedPosition();
    if (position < 0)
        return;
    m_model->removeShownRow(position);
    m_selection->clear();
    announce(this, QStringLiteral("Törölve."));
}

void ReminderList::beginEdit(Column at, int position)
{
    m_editDone = false;
    if (!list::isAlertColumn(at) || position < 0) {
        m_editDone = true;
        return;
    }
    m_editColumn = at;
    m_editPosition = position;
    const QRect cell = column(at)->visualRect(m_model->index(position, int(at)));
    const QRect view = column(at)->geometry();
    m_editBox->setGeometry(view.left(), view.top() + cell.top(), view.width(),
                           twips::toPx(rowTwips) + 4);
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
    const int row = m_model->tableRow(m_editPosition);
    if (row < 0)
        return;
    if (!list::isValidListEntry(m_editColumn, text, m_services.clock.now().date().year(),
                                m_session.table().row(row).alertTime())) {
        m_services.boxes.show(this, MsgIcon::Critical, QStringLiteral("Emlékeztető"),
                              QStringLiteral("Helytelen kifejezést adott meg!"), MsgButtons::Ok,
                              QStringLiteral("lista.html"));
        return;
    }
    m_model->setData(m_model->index(m_editPosition, int(m_editColumn)), text);
}

// "Mentés" saves: the user said so already, no question follows (a failure, or a file another
// program changed meanwhile, is still told).
void ReminderList::save()
{
    if (saveNow(m_session, m_services.boxes, this, QStringLiteral("Quillomat")) ==
        SaveOutcome::Saved)
        announce(this, QStringLiteral("Mentve."));
}

// ---- events ----------------------------------------------------------------------------

bool ReminderList::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        showActiveBoxes();
        // Centred on its screen each time it becomes the active window.
        const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
        if (s) {
            const QRect area = s->availableGeometry();
            const QRect own = frameGeometry();
            placeOnScreen(this, this,
                          QPoint(area.left() + (area.width() - own.width()) / 2,
                                 area.top() + (area.height() - own.height()) / 2));
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
