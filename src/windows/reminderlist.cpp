#include "reminderlist.h"

#include "calendar/numtext.h"
#include "platform/twips.h"
#include "remindereditor.h"
#include "reminders/listrules.h"
#include "widgets.h"

#include <QCheckBox>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>

namespace quill {

namespace {
constexpr int columnTop = 1920;
constexpr int columnHeight = 2430;
constexpr int rowTwips = 240;
constexpr std::array<int, 11> columnLeft = {6960, 240,  1680, 2880, 6000, 6600,
                                            7800, 8160, 8520, 240,  6960};
constexpr std::array<int, 11> columnWidth = {495, 1455, 1215, 2895, 615, 1215,
                                             375, 375,  375,  5055, 855};
} // namespace

Lista::Lista(Services &services, ReminderBook &book, ReminderFile &file, Emlek *editor)
    : QWidget(nullptr)
    , m_services(services)
    , m_book(book)
    , m_file(file)
    , m_editor(editor)
{
    setObjectName(QStringLiteral("lista"));
    setWindowTitle(QStringLiteral("Emlékeztető bejegyzések listája") + QString(40, u' ') +
                   QStringLiteral("Zelmarin©"));
    setFont(dialogFont());
    setFixedSize(twips::size(9720, 5280));

    const std::array<int, 5> optionWidths = {1335, 1575, 1455, 2895, 1335};
    int left = 240;
    for (const ReminderKind &kind : ReminderKinds) {
        auto *o = new QRadioButton(kind.caption.toString(), this);
        o->setObjectName(QStringLiteral("Option1_%1").arg(kind.index));
        o->setGeometry(twips::rect(left, 240, optionWidths[std::size_t(kind.index)], 315));
        left += optionWidths[std::size_t(kind.index)] + 60;
        const int k = kind.index;
        connect(o, &QRadioButton::clicked, this, [this, k] { selectKind(k, FromUser); });
        m_option[std::size_t(k)] = o;
    }
    m_option[0]->setChecked(true);

    auto caption = [this](const QString &name, const QString &text, QRect r) {
        auto *l = new QLabel(text, this);
        l->setObjectName(name);
        l->setGeometry(r);
        return l;
    };
    QFont bold = font();
    bold.setBold(true);
    caption(QStringLiteral("adatok_felirat"), QStringLiteral("Emlékeztető adatai"),
            twips::rect(240, 1200, 5535, 255))
        ->setFont(bold);
    caption(QStringLiteral("idopont_felirat"), QStringLiteral("Jelzés időpontja"),
            twips::rect(6000, 1200, 2895, 255))
        ->setFont(bold);
    const std::array<int, 8> headerColumn = {1, 2, 4, 5, 6, 7, 8, 3};
    const std::array<const char16_t *, 8> fixed = {u"",    u"",    u"Év",   u"Hónap",
                                                   u"Nap", u"Óra", u"Perc", u""};
    for (std::size_t i = 0; i < m_headers.size(); ++i) {
        const int c = headerColumn[i];
        m_headers[i] = caption(
            QStringLiteral("Label3_%1").arg(i), QString::fromUtf16(fixed[i]),
            twips::rect(columnLeft[std::size_t(c)], 1620, columnWidth[std::size_t(c)], 255));
    }
    const QString aktiv = QStringLiteral("AKTIV");
    for (int i = 0; i < 5; ++i)
        caption(QStringLiteral("Label2_%1").arg(i), aktiv.at(i),
                twips::rect(9045, 600 + 240 * i, 255, 240))
            ->setAlignment(Qt::AlignCenter);

    const QFont listFont = fontOf(QStringLiteral("Arial"), 9.75);
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        auto *list = new QListWidget(this);
        list->setObjectName(QStringLiteral("List1_%1").arg(c));
        list->setGeometry(twips::rect(columnLeft[c], columnTop, columnWidth[c], columnHeight));
        list->setFont(listFont);
        list->setUniformItemSizes(true);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        list->setFrameShape(QFrame::Box);
        list->setTextElideMode(Qt::ElideNone); // narrow columns clip, as a list box does
        const int column = int(c);
        connect(list, &QListWidget::currentRowChanged, this, [this](int row) {
            if (!m_syncing)
                selectPosition(row);
        });
        connect(list, &QListWidget::itemDoubleClicked, this, [this, column] { beginEdit(column); });
        // Every column scrolls as one, so a row always shows one reminder.
        connect(list->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
            if (m_scroll->value() != v)
                m_scroll->setValue(v);
        });
        m_columns[c] = list;
    }
    m_columns[0]->hide();
    m_columns[10]->hide();
    m_columns[9]->hide();

    m_scroll = new QScrollBar(Qt::Vertical, this);
    m_scroll->setObjectName(QStringLiteral("gorgeto"));
    m_scroll->setGeometry(twips::rect(9360, columnTop, 255, columnHeight));
    m_scroll->setAccessibleName(QStringLiteral("Görgetés"));
    connect(m_scroll, &QScrollBar::valueChanged, this, [this](int v) {
        for (QListWidget *l : m_columns) {
            QScrollBar *bar = l->verticalScrollBar();
            if (bar->maximum() < v)
                l->doItemsLayout(); // rows added since the last layout pass
            if (bar->value() != v)
                bar->setValue(v);
        }
        syncBoxes();
    });

    for (std::size_t i = 0; i < m_checks.size(); ++i) {
        auto *box = new QCheckBox(this);
        box->setObjectName(QStringLiteral("Check1_%1").arg(i));
        box->setGeometry(twips::rect(9045, columnTop + rowTwips * int(i), 255, rowTwips));
        box->setAccessibleName(QStringLiteral("Aktív, %1. sor").arg(i + 1));
        const int index = int(i);
        connect(box, &QCheckBox::clicked, this, [this, index] { toggleActive(index); });
        m_checks[i] = box;
    }

    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->hide();
    m_text1->installEventFilter(this);

    const std::array<std::pair<const char16_t *, const char16_t *>, 3> buttons = {
        {{u"Command2", u"Törlés"}, {u"Command3", u"Mentés"}, {u"Command1", u"Bezárás"}}};
    const std::array<int, 3> lefts = {240, 3960, 7680};
    std::array<QPushButton *, 3> made{};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        made[i] = new QPushButton(QString::fromUtf16(buttons[i].second), this);
        made[i]->setObjectName(QString::fromUtf16(buttons[i].first));
        made[i]->setGeometry(twips::rect(lefts[i], 4560, 1695, 375));
    }
    connect(made[0], &QPushButton::clicked, this, &Lista::torles);
    connect(made[1], &QPushButton::clicked, this, &Lista::mentes);
    connect(made[2], &QPushButton::clicked, this, &QWidget::hide);

    listafeltolt();
    chkcontrol();
}

Lista::~Lista()
{
    m_text1->removeEventFilter(this);
}

int Lista::rowHeightPx() const
{
    return twips::toPx(rowTwips);
}

int Lista::firstShownPosition() const
{
    return m_scroll->value();
}

void Lista::listafeltolt()
{
    m_syncing = true;
    for (QListWidget *l : m_columns)
        l->clear();
    m_syncing = false;
    m_flags.clear();
    kijelolt = -1;
    const int kind = std::clamp(m_book.listafajta, 0, 4);
    const list::Layout layout = list::layoutFor(kind);
    m_headers[0]->setText(layout.header0);
    m_headers[0]->setGeometry(
        twips::rect(240, 1620, kind == 4 ? columnWidth[9] : columnWidth[1], 255));
    m_headers[1]->setText(layout.header1);
    m_headers[1]->setVisible(layout.header1Shown);
    m_headers[7]->setText(layout.header7);
    m_headers[7]->setVisible(layout.header7Shown);
    for (std::size_t c = 1; c <= 9; ++c)
        m_columns[c]->setVisible(layout.columnShown[c]);
    int position = 0;
    for (int row : list::listedRows(m_book.table, kind))
        sorlistaz(row, position++);
    m_scroll->setRange(0, std::max(0, position - 10));
    m_scroll->setPageStep(10);
    m_scroll->setValue(0);
    syncBoxes();
}

void Lista::sorlistaz(int row, int position)
{
    Q_UNUSED(position)
    const ReminderRecord &r = m_book.table.row(row);
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        auto *item = new QListWidgetItem(r[std::size_t(list::columnField[c])]);
        item->setSizeHint(QSize(10, rowHeightPx()));
        m_columns[c]->addItem(item);
    }
    m_flags.append(r[Fld::Active] == u"1");
}

void Lista::syncBoxes()
{
    const int top = firstShownPosition();
    for (int i = 0; i < int(m_checks.size()); ++i) {
        const int p = top + i;
        m_checks[std::size_t(i)]->setChecked(p < m_flags.size() && m_flags[p]);
    }
    chkcontrol();
}

void Lista::chkcontrol()
{
    const int n = m_columns[4]->count() - firstShownPosition();
    for (int i = 0; i < int(m_checks.size()); ++i)
        m_checks[std::size_t(i)]->setVisible(i < n);
}

void Lista::selectKind(int k, Origin origin)
{
    if (k < 0 || k > 4)
        return;
    if (origin == FromEditor && m_option[std::size_t(k)]->isChecked() && m_book.listafajta == k)
        return;
    m_option[std::size_t(k)]->setChecked(true);
    m_book.listafajta = k;
    listafeltolt();
    chkcontrol();
    // The user's choice here is the editor's choice too; the editor's own choice is not
    // pressed back.
    if (origin == FromUser && m_editor && m_editor->isVisible()) {
        m_book.emlekfajta = k;
        m_editor->pressKind(k);
    }
}

void Lista::selectPosition(int position)
{
    kijelolt = position;
    m_syncing = true;
    for (QListWidget *l : m_columns)
        l->setCurrentRow(position);
    m_syncing = false;
}

void Lista::toggleActive(int box)
{
    const int position = firstShownPosition() + box;
    if (position >= m_flags.size())
        return;
    const bool on = m_checks[std::size_t(box)]->isChecked();
    m_flags[position] = on;
    const QList<int> rows = list::listedRows(m_book.table, m_book.listafajta);
    if (position < rows.size()) {
        m_book.table.setField(rows[position], Fld::Active,
                              on ? QStringLiteral("1") : QStringLiteral("0"));
        m_book.modositva = true;
    }
}

void Lista::torles()
{
    // Nothing selected: nothing to delete.
    if (kijelolt < 0 || kijelolt >= m_columns[10]->count())
        return;
    const int row = list::rowForKey(m_book.table, m_columns[10]->item(kijelolt)->text());
    if (row >= 0)
        clearReminder(m_book, row);
    m_syncing = true;
    for (QListWidget *l : m_columns)
        delete l->takeItem(kijelolt);
    m_syncing = false;
    m_flags.removeAt(kijelolt);
    kijelolt = -1;
    for (QListWidget *l : m_columns)
        l->setCurrentRow(-1);
    m_scroll->setRange(0, std::max(0, int(m_flags.size()) - 10));
    syncBoxes();
}

void Lista::beginEdit(int column)
{
    szerkkesz = false;
    if (column < 4 || column > 8)
        return;
    const int position = m_columns[std::size_t(column)]->currentRow();
    if (position < 0) {
        szerkkesz = true;
        return;
    }
    szerkoszlop = column;
    szerksor = position;
    const QRect cell = m_columns[std::size_t(column)]->geometry();
    const int y = cell.top() + (szerksor - firstShownPosition()) * rowHeightPx();
    m_text1->setGeometry(cell.left(), y, cell.width(), rowHeightPx() + 4);
    m_text1->clear();
    m_text1->show();
    m_text1->raise();
    m_text1->setFocus(Qt::OtherFocusReason);
}

void Lista::finishEdit()
{
    if (szerkkesz)
        return;
    // Dealt with before anything else: the message box below takes the focus away.
    szerkkesz = true;
    const QString text = m_text1->text();
    m_text1->clear();
    m_text1->hide();
    const auto cellText = [this](int column) {
        const QListWidgetItem *item = m_columns[std::size_t(column)]->item(szerksor);
        return item ? item->text() : QString();
    };
    if (szerksor < 0 || szerksor >= m_columns[10]->count())
        return;
    if (list::kifejezesteszt(szerkoszlop, text, m_services.clock.now().date().year(), cellText(4),
                             cellText(5))) {
        m_services.boxes.show(this, MsgIcon::Critical, QStringLiteral("Emlékeztető"),
                              QStringLiteral("Helytelen kifejezést adott meg!"));
        return;
    }
    m_book.modositva = true;
    m_columns[std::size_t(szerkoszlop)]->item(szerksor)->setText(text);
    const int row = int(textValue(cellText(10)));
    if (row >= 0 && row < ReminderRows)
        m_book.table.setField(row, szerkoszlop - 1, text);
}

void Lista::mentes()
{
    if (!m_book.modositva)
        return;
    const MsgAnswer answer =
        m_services.boxes.show(this, MsgIcon::Question, QStringLiteral("Quillomat"),
                              QStringLiteral("Mentsem a módosításokat?"), MsgButtons::YesNo);
    if (answer != MsgAnswer::Yes)
        return;
    const SaveReport saved = m_file.save(m_book.table);
    if (!saved.ok()) {
        m_services.boxes.show(this, MsgIcon::Critical, QStringLiteral("Quillomat"),
                              saveFailureText(m_file, saved));
        return;
    }
    m_book.modositva = false;
}

bool Lista::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        chkcontrol();
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

bool Lista::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_text1) {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                finishEdit();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            finishEdit();
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace quill
