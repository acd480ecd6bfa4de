#include "remindereditor.h"

#include "calendar/calendar.h"
#include "calendar/namedays.h"
#include "platform/twips.h"
#include "reminderlist.h"
#include "reminders/editorrules.h"
#include "widgets.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace quill {

namespace {

QLabel *label(QWidget *parent, const QString &name, const QString &text, QRect rect)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(rect);
    return l;
}

QComboBox *picker(QWidget *parent, const QString &name, QRect rect, const QStringList &items,
                  const QString &accessible)
{
    QComboBox *c = makePicker(parent, name);
    c->setGeometry(rect);
    c->addItems(items);
    c->setAccessibleName(accessible);
    return c;
}

void selectClamped(QComboBox *combo, int position)
{
    if (combo->count() > 0)
        combo->setCurrentIndex(std::clamp(position, 0, combo->count() - 1));
}

} // namespace

Emlek::Emlek(Services &services, ReminderBook &book, ReminderFile &file, QString egerkep1,
             QString egerkep2)
    : QWidget(nullptr)
    , m_services(services)
    , m_book(book)
    , m_file(file)
    , m_egerkep1(std::move(egerkep1))
    , m_egerkep2(std::move(egerkep2))
{
    setObjectName(QStringLiteral("emlek"));
    setWindowTitle(QStringLiteral("Emlékeztetők") + QString(60, u' ') +
                   QStringLiteral("Zelmarin©"));
    setFont(dialogFont());
    setFixedSize(twips::size(9360, 4800));

    createKindButtons();
    createInputs();
    createAlertPickers();
    createButtons();
    feltoltes();
    for (QComboBox *c : {m_ev, m_honap, m_nap, m_ora, m_perc, m_tev, m_tora, m_tperc})
        c->setCurrentIndex(0);
    m_szhonap->setCurrentIndex(-1);
    m_szhonap->setEditText(QStringLiteral("január"));
    m_sznap->setCurrentIndex(-1);
    m_sznap->setEditText(QStringLiteral("1"));
    m_kernev->setCurrentIndex(-1);
    m_kernev->setEditText(QString());

    // The input order, then the kind buttons.
    const QList<QWidget *> order = {
        m_text1,      m_kernev,  m_text2,   m_list1,      m_tev,        m_szhonap,
        m_sznap,      m_tora,    m_tperc,   m_text3,      m_ev,         m_honap,
        m_nap,        m_ora,     m_perc,    m_buttons[0], m_buttons[1], m_buttons[2],
        m_buttons[3], m_kind[0], m_kind[1], m_kind[2],    m_kind[3],    m_kind[4]};
    for (int i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);

    // Opens in the name-day layout, whatever kind was last chosen elsewhere.
    pressKind(0);
    m_book.emlekfajta = 0;

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(150);
    connect(m_timer1, &QTimer::timeout, this, &Emlek::animationTick);
    m_timer1->start();
}

Emlek::~Emlek()
{
    stopFocusWatchers(this);
    delete m_lista;
}

void Emlek::createKindButtons()
{
    int left = 120;
    const std::array<int, 5> widths = {1335, 1575, 1455, 2895, 1335};
    for (const ReminderKind &kind : ReminderKinds) {
        const auto k = std::size_t(kind.index);
        auto *b = new QPushButton(kind.caption.toString(), this);
        b->setObjectName(QStringLiteral("Command1_%1").arg(kind.index));
        b->setGeometry(twips::rect(left, 120, widths[k], 375));
        b->setAutoFillBackground(true);
        left += widths[k] + 60;
        const int index = kind.index;
        connect(b, &QPushButton::clicked, this, [this, index] { pressKind(index); });
        m_kind[k] = b;
    }
}

void Emlek::createInputs()
{
    m_frame1Box = new QFrame(this);
    m_frame1Box->setObjectName(QStringLiteral("Frame1"));
    m_frame1Box->setGeometry(twips::rect(120, 600, 9120, 2055));
    m_frame1Box->setFrameShape(QFrame::StyledPanel);
    QFrame *f = m_frame1Box;
    for (int i = 0; i < 3; ++i)
        m_label1[std::size_t(i)] = label(f, QStringLiteral("Label1_%1").arg(i), QString(),
                                         twips::rect(120, 240 + 480 * i, 1455, 255));

    m_text1 = new QLineEdit(f);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setGeometry(twips::rect(1680, 200, 3255, 315));
    m_label1[0]->setBuddy(m_text1);

    m_kernev = makePicker(f, QStringLiteral("kernev"));
    m_kernev->setGeometry(twips::rect(1680, 680, 3255, 315));
    m_kernev->setAccessibleName(QStringLiteral("Keresztnév"));
    connect(m_kernev, &QComboBox::activated, this, &Emlek::kernevClick);
    onFocusOut(m_kernev, [this] { kernevValidate(); });

    m_text2 = new QLineEdit(f);
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_text2->setGeometry(twips::rect(1680, 680, 3255, 315));

    m_list1 = new QListWidget(f);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setGeometry(twips::rect(1680, 1160, 4095, 330));
    m_list1->setAccessibleName(QStringLiteral("Névnapja(i)"));
    m_list1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A click or the keyboard: whatever changes the selected date.
    connect(m_list1, &QListWidget::itemSelectionChanged, this, &Emlek::list1Click);
    onFocusOut(m_list1, [this] { nameDayPrefill(); });

    m_picture2 = new QLabel(f);
    m_picture2->setObjectName(QStringLiteral("Picture2"));
    m_picture2->setGeometry(twips::rect(5880, 1200, 240, 240));
    m_picture2->setPixmap(QPixmap(QStringLiteral(":/quillomat/hint16.png")));
    m_picture1 = new QLabel(f);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    m_picture1->setGeometry(twips::rect(6240, 1080, 480, 480));
    m_picture1->setPixmap(QPixmap(QStringLiteral(":/quillomat/hint32.png")));
    m_picture1->setAccessibleName(QStringLiteral("Kattintson a névnap dátumára"));

    const int year = m_services.clock.now().date().year();
    m_tev = picker(f, QStringLiteral("tev"), twips::rect(1680, 1160, 855, 315),
                   editor::tevEntries(year), QStringLiteral("A találkozó éve"));
    m_szhonap = picker(f, QStringLiteral("szhonap"), twips::rect(2640, 1160, 1455, 315), {},
                       QStringLiteral("Hónap"));
    m_sznap = picker(f, QStringLiteral("sznap"), twips::rect(4200, 1160, 735, 315), {},
                     QStringLiteral("Nap"));
    m_tora = picker(f, QStringLiteral("tora"), twips::rect(5040, 1160, 735, 315), {},
                    QStringLiteral("A találkozó órája"));
    m_tperc = picker(f, QStringLiteral("tperc"), twips::rect(5880, 1160, 735, 315), {},
                     QStringLiteral("A találkozó perce"));
    onFocusOut(m_szhonap, [this] { szhonapLeave(); });
    onFocusOut(m_sznap, [this] { sznapLeave(); });
    onFocusOut(m_tev, [this] { tevLeave(); });

    m_text3 = new QPlainTextEdit(f);
    m_text3->setObjectName(QStringLiteral("Text3"));
    m_text3->setGeometry(twips::rect(120, 200, 8880, 1695));
    m_text3->setTabChangesFocus(true);
    m_text3->setAccessibleName(QStringLiteral("Szöveg"));
}

void Emlek::createAlertPickers()
{
    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame2"));
    frame->setGeometry(twips::rect(120, 2760, 9120, 1095));
    frame->setFrameShape(QFrame::StyledPanel);
    QLabel *heading = label(frame, QStringLiteral("Label7"), QStringLiteral("Ekkor emlékeztessen:"),
                            twips::rect(120, 60, 3000, 255));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);

    struct Slot {
        QComboBox **combo;
        const char16_t *name;
        const char16_t *caption;
        const char16_t *accessible;
        int labelLeft, labelWidth, left, width;
    };
    const std::array<Slot, 5> slots = {{
        {&m_ev, u"ev", u"év:", u"Emlékeztetés éve", 120, 375, 480, 1095},
        {&m_honap, u"honap", u"hónap:", u"Emlékeztetés hónapja", 1680, 735, 2400, 1455},
        {&m_nap, u"nap", u"nap:", u"Emlékeztetés napja", 3960, 495, 4440, 735},
        {&m_ora, u"ora", u"óra:", u"Emlékeztetés órája", 5280, 495, 5760, 735},
        {&m_perc, u"perc", u"perc:", u"Emlékeztetés perce", 6600, 495, 7080, 735},
    }};
    for (const Slot &s : slots) {
        QLabel *l =
            label(frame, QString::fromUtf16(s.name) + QStringLiteral("_felirat"),
                  QString::fromUtf16(s.caption), twips::rect(s.labelLeft, 540, s.labelWidth, 255));
        *s.combo = picker(frame, QString::fromUtf16(s.name), twips::rect(s.left, 500, s.width, 315),
                          {}, QString::fromUtf16(s.accessible));
        l->setBuddy(*s.combo);
    }
    onFocusOut(m_honap, [this] { modositas(); });
    onFocusOut(m_ev, [this] { modositas(); });
}

void Emlek::createButtons()
{
    const std::array<const char16_t *, 4> captions = {u"Rögzítés", u"Törlés", u"Lista", u"Bezárás"};
    const std::array<int, 4> lefts = {120, 2400, 4680, 7545};
    for (std::size_t i = 0; i < 4; ++i) {
        auto *b = new QPushButton(QString::fromUtf16(captions[i]), this);
        b->setObjectName(QStringLiteral("Command%1").arg(i + 2));
        b->setGeometry(twips::rect(lefts[i], 4080, 1695, 375));
        m_buttons[i] = b;
    }
    connect(m_buttons[0], &QPushButton::clicked, this, &Emlek::rogzit);
    connect(m_buttons[1], &QPushButton::clicked, this, &Emlek::torles);
    connect(m_buttons[2], &QPushButton::clicked, this, &Emlek::openList);
    connect(m_buttons[3], &QPushButton::clicked, this, &QWidget::hide);
}

void Emlek::feltoltes()
{
    const int year = m_services.clock.now().date().year();
    m_ev->addItems(editor::evEntries(year));
    m_honap->addItems(editor::honapEntries());
    m_szhonap->addItems(editor::szhonapEntries());
    m_nap->addItems(editor::napEntries(daysInMonth(m_honap->itemText(0), year).value_or(31)));
    m_sznap->addItems(editor::sznapEntries());
    m_ora->addItems(editor::oraEntries(true));
    m_tora->addItems(editor::oraEntries(false));
    m_perc->addItems(editor::percEntries());
    m_tperc->addItems(editor::percEntries());
    m_kernev->addItems(FirstNameList());
    m_kernev->setCompleter(new FoldingCompleter(FirstNameList(), m_kernev));
}

// ---- kinds -----------------------------------------------------------------------------

void Emlek::pressKind(int k)
{
    if (k < 0 || k > 4)
        return;
    m_text1->clear();
    m_text2->clear();
    m_text3->clear();
    for (QWidget *w : std::initializer_list<QWidget *>{
             m_text1, m_text2, m_text3, m_kernev, m_list1, m_szhonap, m_sznap, m_label1[0],
             m_label1[1], m_label1[2], m_picture1, m_picture2, m_tev, m_tora, m_tperc})
        w->hide();
    for (std::size_t i = 0; i < m_kind.size(); ++i) {
        QPalette p = m_kind[i]->palette();
        p.setColor(QPalette::Button,
                   palette().color(int(i) == k ? QPalette::Dark : QPalette::Button));
        m_kind[i]->setPalette(p);
    }
    m_book.emlekfajta = k;

    struct Captions {
        const char16_t *l0, *l1, *l2;
    };
    const std::array<Captions, 5> captions = {{
        {u"Vezetéknév:", u"Keresztnév:", u"Névnapja(i):"},
        {u"Vezetéknév:", u"Keresztnév:", u"Születésnapja:"},
        {u"Megnevezés:", u"Helyszín:", u"Időpont:"},
        {u"Típus:", u"Fogyasztó ID:", nullptr},
        {u"Szöveg:", nullptr, nullptr},
    }};
    const Captions &c = captions[std::size_t(k)];
    m_label1[0]->setText(QString::fromUtf16(c.l0));
    m_label1[0]->show();
    if (c.l1) {
        m_label1[1]->setText(QString::fromUtf16(c.l1));
        m_label1[1]->show();
    }
    if (c.l2) {
        m_label1[2]->setText(QString::fromUtf16(c.l2));
        m_label1[2]->show();
    }
    m_text1->setVisible(k <= 3);
    m_kernev->setVisible(k <= 1);
    m_text2->setVisible(k == 2 || k == 3);
    m_text3->setVisible(k == 4);
    m_szhonap->setVisible(k == 1 || k == 2);
    m_sznap->setVisible(k == 1 || k == 2);
    m_tev->setVisible(k == 2);
    m_tora->setVisible(k == 2);
    m_tperc->setVisible(k == 2);
    m_label1[1]->setBuddy(k <= 1 ? static_cast<QWidget *>(m_kernev) : m_text2);
    m_label1[0]->setBuddy(k == 4 ? static_cast<QWidget *>(m_text3) : m_text1);

    if (m_lista && m_lista->isVisible()) {
        m_book.listafajta = k;
        m_lista->selectKind(k, Lista::FromEditor);
    }
    setDateRowVisible(editor::showDateRow(k, pickedNameIndex()));
}

int Emlek::pickedNameIndex() const
{
    const int i = m_kernev->currentIndex();
    return i >= 0 && m_kernev->itemText(i) == m_kernev->currentText() ? i : -1;
}

void Emlek::setDateRowVisible(bool visible)
{
    m_list1->setVisible(visible);
    if (visible)
        m_list1->update();
    m_picture1->setVisible(visible);
    m_picture2->setVisible(visible);
}

void Emlek::kernevClick()
{
    setDateRowVisible(editor::showDateRow(m_book.emlekfajta, pickedNameIndex()));
}

void Emlek::kernevValidate()
{
    m_list1->clear();
    if (const auto dates = NameDayIndex::editorDates(m_kernev->currentText()))
        m_list1->addItem(*dates);
}

QString Emlek::list1Selected() const
{
    const QListWidgetItem *item = m_list1->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void Emlek::list1Click()
{
    // Refilling a hidden list is no click.
    if (m_list1->isHidden())
        return;
    const bool none = list1Selected().isEmpty();
    m_picture1->setVisible(none);
    m_picture2->setVisible(none);
}

// ---- pre-fills -------------------------------------------------------------------------

void Emlek::applyDay(bool lastDay, int position)
{
    // The alert day list follows the alert month first, so the chosen day exists if it can.
    modositas();
    selectClamped(m_nap, lastDay ? m_nap->count() - 1 : position);
}

void Emlek::nameDayPrefill()
{
    QStringList months;
    for (int i = 0; i < m_honap->count(); ++i)
        months << m_honap->itemText(i);
    const editor::Prefill p = editor::nameDayPrefill(list1Selected(), m_honap->currentIndex(),
                                                     m_services.clock.now().date().month(), months);
    selectClamped(m_honap, p.honap);
    selectClamped(m_ev, p.ev);
    if (p.setDay)
        applyDay(p.lastDay, p.nap);
}

void Emlek::szhonapLeave()
{
    selectClamped(m_honap, m_szhonap->currentIndex() + 1);
    modositas2();
}

void Emlek::sznapLeave()
{
    const editor::Prefill p = editor::dayBeforePrefill(
        m_sznap->currentIndex(), m_honap->currentIndex(), m_ev->currentIndex());
    if (!p.setDay)
        return;
    selectClamped(m_honap, p.honap);
    selectClamped(m_ev, p.ev);
    applyDay(p.lastDay, p.nap);
}

void Emlek::tevLeave()
{
    selectClamped(m_ev, m_tev->currentIndex() + 1);
}

void Emlek::modositas()
{
    adjustDayCombo(m_nap, 1, m_honap->currentText(), editor::alertYearValue(m_ev->currentText()));
}

void Emlek::modositas2()
{
    adjustDayCombo(m_sznap, 0, m_szhonap->currentText(),
                   editor::alertYearValue(m_ev->currentText()));
}

// ---- buttons ---------------------------------------------------------------------------

void Emlek::rogzit()
{
    editor::Inputs in;
    in.text1 = m_text1->text();
    in.kernev = m_kernev->currentText();
    in.text2 = m_text2->text();
    in.list1 = list1Selected();
    in.text3 = m_text3->toPlainText();
    in.tev = m_tev->currentText();
    in.szhonap = m_szhonap->currentText();
    in.sznap = m_sznap->currentText();
    in.tora = m_tora->currentText();
    in.tperc = m_tperc->currentText();
    in.ev = m_ev->currentText();
    in.honap = m_honap->currentText();
    in.nap = m_nap->currentText();
    in.ora = m_ora->currentText();
    in.perc = m_perc->currentText();
    const StoreResult result = storeReminder(m_book, editor::storedFields(m_book.emlekfajta, in));
    if (result != StoreResult::Stored) {
        m_services.boxes.show(this, MsgIcon::Exclamation, QStringLiteral("Emlékeztető"),
                              storeRefusal(result));
        return;
    }
    lista()->listafeltolt();
}

void Emlek::torles()
{
    m_text1->clear();
    m_text2->clear();
    m_text3->clear();
    m_kernev->setCurrentIndex(-1);
    m_kernev->setEditText(QString());
    m_list1->clear();
    setDateRowVisible(false);
    for (QComboBox *c : {m_ev, m_honap, m_nap, m_ora, m_perc})
        c->setCurrentIndex(0);
}

void Emlek::openList()
{
    Lista *list = lista();
    list->show();
    list->raise();
    list->activateWindow();
    list->selectKind(m_book.emlekfajta, Lista::FromEditor);
    list->listafeltolt();
}

Lista *Emlek::lista()
{
    if (!m_lista)
        m_lista = new Lista(m_services, m_book, m_file, this);
    return m_lista;
}

void Emlek::closeAll()
{
    if (m_lista)
        m_lista->hide();
    hide();
    m_timer1->stop();
}

// ---- hint animation --------------------------------------------------------------------

void Emlek::animationTick()
{
    const editor::HintTick tick = editor::hintTick(m_egerlepes, !m_picture1->isHidden());
    m_egerlepes = tick.egerlepes;
    if (tick.frame == 0)
        return;
    if (!m_framesLoaded) {
        m_frame1 = QPixmap(m_egerkep1);
        m_frame2 = QPixmap(m_egerkep2);
        m_framesLoaded = true;
    }
    // A missing or unreadable picture leaves the one shown before.
    const QPixmap &frame = tick.frame == 1 ? m_frame1 : m_frame2;
    if (!frame.isNull())
        m_picture1->setPixmap(frame);
}

} // namespace quill
