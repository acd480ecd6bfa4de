#include "remindereditor.h"

#include "accessibility.h"
#include "calendar/calendar.h"
#include "calendar/namedays.h"
#include "calendar/names.h"
#include "helpkeys.h"
#include "hintanimation.h"
#include "platform/twips.h"
#include "reminders/editorrules.h"
#include "reminders/session.h"
#include "widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>

namespace quill {

namespace {
/// The help's page about the editor, which F1 opens in its boxes.
const QString editorHelpPage = QStringLiteral("emlekeztetok.html");

// The row the store just filled: the next one handed out, or a freed one taken again.
int lastStoredRow(const ReminderSession &session, int handedOutBefore)
{
    if (session.rowsHandedOut() > handedOutBefore)
        return handedOutBefore;
    int newest = 0;
    for (int r = 0; r < ReminderRows; ++r) {
        if (session.table().inUse(r))
            newest = r;
    }
    return newest;
}
} // namespace

using editor::Prefill;

namespace {

template <typename Edit> Edit *makeEdit(QWidget *parent, const QString &name, const QRect &rect)
{
    auto *edit = new Edit(parent);
    edit->setObjectName(name);
    edit->setGeometry(rect);
    return edit;
}

} // namespace

ReminderEditor::ReminderEditor(Services &services, ReminderSession &session, HintFrames frames)
    : QWidget(nullptr)
    , m_services(services)
    , m_session(session)
    , m_framePaths(std::move(frames))
{
    announceAsWindow(this);
    setObjectName(QStringLiteral("emlek"));
    helpOnF1(this, m_services, [] { return QStringLiteral("emlekeztetok.html"); });
    setWindowTitle(QStringLiteral("Emlékeztetők") + QString(60, u' ') +
                   QStringLiteral("Zelmarin©"));
    setFont(dialogFont());
    setFixedSize(twips::size(9360, 4800));

    createKindButtons();
    createInputs();
    createAlertPickers();
    createButtons();
    fillPickers();
    setTabOrderOfInputs();
    // Opens in the name-day layout.
    applyKind(ReminderKind::NameDay);
    showAlertSummary();

    // A kind chosen in the list window is chosen here too, as a click would.
    connect(&m_session, &ReminderSession::kindChosen, this,
            [this](ReminderKind kind, KindChooser chooser) {
                if (chooser == KindChooser::List && isVisible())
                    chooseKind(kind);
            });
}

ReminderEditor::~ReminderEditor()
{
    stopFocusWatchers(this);
}

void ReminderEditor::createKindButtons()
{
    int left = 120;
    const std::array<int, 5> widths = {1335, 1575, 1455, 2895, 1335};
    for (ReminderKind kind : AllReminderKinds) {
        const int i = kindIndex(kind);
        QPushButton *b = makeButton(this, QStringLiteral("Command1_%1").arg(i), kindCaption(kind),
                                    twips::rect(left, 120, widths[std::size_t(i)], 375));
        b->setAutoFillBackground(true);
        // One of five, and a screen reader hears which.
        b->setCheckable(true);
        b->setAutoExclusive(true);
        left += widths[std::size_t(i)] + 60;
        connect(b, &QPushButton::clicked, this, [this, kind] { chooseKind(kind); });
        m_kindButtons[std::size_t(i)] = b;
    }
}

void ReminderEditor::createInputs()
{
    QFrame *box = makeFrame(this, QStringLiteral("Frame1"), twips::rect(120, 600, 9120, 2055));
    for (int i = 0; i < 3; ++i)
        m_rowLabels[std::size_t(i)] = makeLabel(box, QStringLiteral("Label1_%1").arg(i), QString(),
                                                twips::rect(120, 240 + 480 * i, 1455, 255));

    m_firstLine =
        makeEdit<QLineEdit>(box, QStringLiteral("Text1"), twips::rect(1680, 200, 3255, 315));
    m_firstName = makePicker(box, QStringLiteral("kernev"), twips::rect(1680, 680, 3255, 315));
    m_firstName->setAccessibleName(QStringLiteral("Keresztnév"));
    connect(m_firstName, &QComboBox::activated, this, &ReminderEditor::nameChosen);
    onFocusOut(m_firstName, [this] { fillNameDayDates(); });
    m_secondLine =
        makeEdit<QLineEdit>(box, QStringLiteral("Text2"), twips::rect(1680, 680, 3255, 315));

    m_nameDayDates =
        makeEdit<QListWidget>(box, QStringLiteral("List1"), twips::rect(1680, 1160, 4095, 330));
    m_nameDayDates->setAccessibleName(QStringLiteral("Névnapja(i)"));
    m_nameDayDates->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_nameDayDates->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_nameDayDates->setFlow(QListView::LeftToRight);
    m_nameDayDates->setSpacing(2);
    // A click or the keyboard: whatever changes the picked date.
    connect(m_nameDayDates, &QListWidget::itemSelectionChanged, this, &ReminderEditor::dateClicked);
    onFocusOut(m_nameDayDates, [this] { prefillFromNameDay(); });
    m_hintArrow =
        makeLabel(box, QStringLiteral("Picture2"), QString(), twips::rect(5880, 1200, 240, 240));
    m_hintArrow->setPixmap(pictureFile(QStringLiteral(":/quillomat/hint16.png"), "PNG"));
    m_hintPicture =
        makeLabel(box, QStringLiteral("Picture1"), QString(), twips::rect(6240, 1080, 480, 480));
    m_hintPicture->setPixmap(pictureFile(QStringLiteral(":/quillomat/hint32.png"), "PNG"));
    m_hintPicture->setAccessibleName(QStringLiteral("Kattintson a névnap dátumára"));
    m_hint = new HintAnimation(m_hintPicture, m_framePaths.first, m_framePaths.second, this);

    createDatePickers(box);

    m_freeText =
        makeEdit<QPlainTextEdit>(box, QStringLiteral("Text3"), twips::rect(120, 200, 8880, 1695));
    m_freeText->setTabChangesFocus(true);
    m_freeText->setAccessibleName(QStringLiteral("Szöveg"));
}

// The birthday's month and day, and the meeting's year, hour and minute.
void ReminderEditor::createDatePickers(QFrame *box)
{
    const int year = m_services.clock.now().date().year();
    m_meetingYear = makePicker(box, QStringLiteral("tev"), twips::rect(1680, 1160, 855, 315),
                               editor::meetingYearEntries(year));
    m_meetingYear->setAccessibleName(QStringLiteral("A találkozó éve"));
    m_month = makePicker(box, QStringLiteral("szhonap"), twips::rect(2640, 1160, 1455, 315));
    m_month->setAccessibleName(QStringLiteral("Hónap"));
    m_day = makePicker(box, QStringLiteral("sznap"), twips::rect(4200, 1160, 735, 315));
    m_day->setAccessibleName(QStringLiteral("Nap"));
    m_meetingHour = makePicker(box, QStringLiteral("tora"), twips::rect(5040, 1160, 735, 315));
    m_meetingHour->setAccessibleName(QStringLiteral("A találkozó órája"));
    m_meetingMinute = makePicker(box, QStringLiteral("tperc"), twips::rect(5880, 1160, 735, 315));
    m_meetingMinute->setAccessibleName(QStringLiteral("A találkozó perce"));
    for (QComboBox *typed : {m_meetingYear, m_month, m_day})
        connect(typed->lineEdit(), &QLineEdit::textEdited, typed,
                [typed] { typed->setProperty(typedMark, true); });
    onFocusOut(m_month, [this] { prefillFromMonth(); });
    onFocusOut(m_day, [this] { prefillFromDay(); });
    onFocusOut(m_meetingYear, [this] { prefillFromMeetingYear(); });
}

void ReminderEditor::createAlertPickers()
{
    QFrame *box = makeFrame(this, QStringLiteral("Frame2"), twips::rect(120, 2760, 9120, 1095));
    QFont bold = dialogFont();
    bold.setBold(true);
    makeLabel(box, QStringLiteral("Label7"), QStringLiteral("Ekkor emlékeztessen:"),
              twips::rect(120, 60, 3000, 255), bold);

    struct Slot {
        QComboBox **picker;
        const char16_t *name;
        const char16_t *caption;
        const char16_t *accessible;
        int labelLeft, labelWidth, left, width;
    };
    const std::array<Slot, 5> slots = {{
        {&m_alertYear, u"ev", u"év:", u"év", 120, 375, 480, 1095},
        {&m_alertMonth, u"honap", u"hónap:", u"hónap", 1680, 735, 2400, 1455},
        {&m_alertDay, u"nap", u"nap:", u"nap", 3960, 495, 4440, 735},
        {&m_alertHour, u"ora", u"óra:", u"óra", 5280, 495, 5760, 735},
        {&m_alertMinute, u"perc", u"perc:", u"perc", 6600, 495, 7080, 735},
    }};
    for (const Slot &s : slots) {
        const QString name = QString::fromUtf16(s.name);
        QLabel *l = makeLabel(box, name + QStringLiteral("_felirat"), QString::fromUtf16(s.caption),
                              twips::rect(s.labelLeft, 540, s.labelWidth, 255));
        *s.picker = makePicker(box, name, twips::rect(s.left, 500, s.width, 315));
        (*s.picker)->setAccessibleName(QString::fromUtf16(s.accessible));
        l->setBuddy(*s.picker);
    }
    onFocusOut(m_alertMonth, [this] { fitAlertDayPicker(); });
    onFocusOut(m_alertYear, [this] { fitAlertDayPicker(); });
    // "Minden évben": the year "*" in one step; the box follows the year picker.
    m_everyYear = new QCheckBox(QStringLiteral("Minden évben"), box);
    m_everyYear->setObjectName(QStringLiteral("mindenev"));
    m_everyYear->setGeometry(twips::rect(3360, 40, 2400, 300));
    connect(m_everyYear, &QCheckBox::clicked, this,
            [this](bool on) { selectClamped(m_alertYear, on ? 0 : 1); });
    // What the alert time will do, in words, kept up to date and read by screen readers.
    m_summary =
        makeLabel(box, QStringLiteral("osszegzes"), QString(), twips::rect(120, 840, 8880, 255));
    describeLabel(m_summary, QStringLiteral("Mikor jelez"));
    for (QComboBox *c : {m_alertYear, m_alertMonth, m_alertDay, m_alertHour, m_alertMinute})
        connect(c, &QComboBox::currentTextChanged, this, &ReminderEditor::showAlertSummary);
}

void ReminderEditor::showAlertSummary()
{
    const editor::Inputs in = inputs();
    const AlertTime time{in.alertYear, in.alertMonth, in.alertDay, in.alertHour, in.alertMinute};
    setTextIfChanged(m_summary,
                     QStringLiteral("Jelzés: ") + editor::describeAlert(time, currentYear()));
    m_everyYear->setChecked(in.alertYear == anyValue());
}

void ReminderEditor::createButtons()
{
    const auto button = [this](int number, const char16_t *caption, int left) {
        return makeButton(this, QStringLiteral("Command%1").arg(number),
                          QString::fromUtf16(caption), twips::rect(left, 4080, 1695, 375));
    };
    m_storeButton = button(2, u"Rögzítés", 120);
    m_clearButton = button(3, u"Törlés", 2400);
    m_listButton = button(4, u"Lista", 4680);
    m_closeButton = button(5, u"Bezárás", 7545);
    connect(m_storeButton, &QPushButton::clicked, this, &ReminderEditor::storeReminder);
    connect(m_clearButton, &QPushButton::clicked, this, &ReminderEditor::clearInputs);
    connect(m_listButton, &QPushButton::clicked, this, [this] { Q_EMIT listRequested(m_kind); });
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::hide);
    // What the last store did, to the eye and to a screen reader.
    m_stored =
        makeLabel(this, QStringLiteral("allapot"), QString(), twips::rect(120, 4500, 9120, 255));
    describeLabel(m_stored, QStringLiteral("Állapot"));
    // Esc closes the window, as "Bezárás" does.
    onEscape(this, [this] { hide(); });
}

void ReminderEditor::fillPickers()
{
    const int year = m_services.clock.now().date().year();
    m_alertYear->addItems(editor::alertYearEntries(year));
    m_alertMonth->addItems(alertMonthEntries());
    m_month->addItems(editor::monthEntries());
    m_alertDay->addItems(
        editor::alertDayEntries(daysInMonth(m_alertMonth->itemText(0), year).value_or(31)));
    m_day->addItems(editor::dayEntries());
    m_alertHour->addItems(editor::hourEntries(true));
    m_meetingHour->addItems(editor::hourEntries(false));
    m_alertMinute->addItems(editor::minuteEntries());
    m_meetingMinute->addItems(editor::minuteEntries());
    m_firstName->addItems(FirstNameList());
    m_firstName->setCompleter(new FoldingCompleter(everyName(), m_firstName));
    for (QComboBox *c : {m_alertYear, m_alertMonth, m_alertDay, m_alertHour, m_alertMinute,
                         m_meetingYear, m_meetingHour, m_meetingMinute})
        c->setCurrentIndex(0);
    // The birthday's date shows "január" and "1" without an entry picked.
    m_month->setCurrentIndex(-1);
    m_month->setEditText(QStringLiteral("január"));
    m_day->setCurrentIndex(-1);
    m_day->setEditText(QStringLiteral("1"));
    m_firstName->setCurrentIndex(-1);
    m_firstName->setEditText(QString());
}

void ReminderEditor::setTabOrderOfInputs()
{
    const QList<QWidget *> order = {m_firstLine,
                                    m_firstName,
                                    m_secondLine,
                                    m_nameDayDates,
                                    m_meetingYear,
                                    m_month,
                                    m_day,
                                    m_meetingHour,
                                    m_meetingMinute,
                                    m_freeText,
                                    m_alertYear,
                                    m_alertMonth,
                                    m_alertDay,
                                    m_alertHour,
                                    m_alertMinute,
                                    m_storeButton,
                                    m_clearButton,
                                    m_listButton,
                                    m_closeButton,
                                    m_kindButtons[0],
                                    m_kindButtons[1],
                                    m_kindButtons[2],
                                    m_kindButtons[3],
                                    m_kindButtons[4]};
    for (int i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
}

// ---- kinds -----------------------------------------------------------------------------

void ReminderEditor::chooseKind(ReminderKind kind)
{
    applyKind(kind);
    m_session.chooseKind(kind, KindChooser::Editor);
}

// The kind's layout: its captions and inputs shown, the texts emptied, its button pressed.
void ReminderEditor::applyKind(ReminderKind kind)
{
    m_firstLine->clear();
    m_secondLine->clear();
    m_freeText->clear();
    for (QWidget *w : std::initializer_list<QWidget *>{
             m_firstLine, m_secondLine, m_freeText, m_firstName, m_nameDayDates, m_month, m_day,
             m_rowLabels[0], m_rowLabels[1], m_rowLabels[2], m_hintPicture, m_hintArrow,
             m_meetingYear, m_meetingHour, m_meetingMinute})
        w->hide();
    for (ReminderKind k : AllReminderKinds) {
        QPushButton *b = m_kindButtons[std::size_t(kindIndex(k))];
        QPalette p = b->palette();
        p.setColor(QPalette::Button,
                   palette().color(k == kind ? QPalette::Dark : QPalette::Button));
        b->setPalette(p);
    }
    m_kind = kind;

    const editor::KindLayout layout = editor::kindLayout(kind);
    for (std::size_t i = 0; i < 3; ++i) {
        m_rowLabels[i]->setText(layout.captions[i]);
        m_rowLabels[i]->setVisible(!layout.captions[i].isEmpty());
    }
    m_firstLine->setVisible(layout.firstLine);
    m_firstName->setVisible(layout.firstName);
    m_secondLine->setVisible(layout.secondLine);
    m_freeText->setVisible(layout.freeText);
    m_month->setVisible(layout.datePickers);
    m_day->setVisible(layout.datePickers);
    for (QComboBox *meeting : {m_meetingYear, m_meetingHour, m_meetingMinute})
        meeting->setVisible(layout.meetingPickers);
    m_rowLabels[1]->setBuddy(layout.firstName ? static_cast<QWidget *>(m_firstName) : m_secondLine);
    m_rowLabels[0]->setBuddy(layout.freeText ? static_cast<QWidget *>(m_freeText) : m_firstLine);
    setDateRowVisible(editor::showDateRow(kind, pickedName()));
}

// The index of the first name picked from the list, -1 for a typed one.
// ---- buttons ---------------------------------------------------------------------------

editor::Inputs ReminderEditor::inputs() const
{
    editor::Inputs in;
    in.firstLine = m_firstLine->text();
    in.firstName = m_firstName->currentText();
    in.secondLine = m_secondLine->text();
    in.nameDayDates = pickedNameDayDates();
    in.freeText = m_freeText->toPlainText();
    in.meetingYear = m_meetingYear->currentText();
    in.month = m_month->currentText();
    in.day = m_day->currentText();
    in.meetingHour = m_meetingHour->currentText();
    in.meetingMinute = m_meetingMinute->currentText();
    in.alertYear = m_alertYear->currentText();
    in.alertMonth = m_alertMonth->currentText();
    in.alertDay = m_alertDay->currentText();
    in.alertHour = m_alertHour->currentText();
    in.alertMinute = m_alertMinute->currentText();
    return in;
}

void ReminderEditor::storeReminder()
{
    const editor::Inputs in = inputs();
    const editor::StoreCheck check =
        editor::checkStore(m_kind, in, m_services.clock.now().date().year());
    if (check.problem != editor::StoreCheck::Problem::None) {
        const bool dead = check.problem == editor::StoreCheck::Problem::DeadAlert;
        m_services.boxes.show(this, dead ? MsgIcon::Critical : MsgIcon::Exclamation,
                              QStringLiteral("Emlékeztető"), editor::refusalText(check.problem),
                              MsgButtons::Ok, editorHelpPage);
        // The picker that holds what can never come gets the focus, to be mended.
        const std::array<QComboBox *, 5> alert = {m_alertYear, m_alertMonth, m_alertDay,
                                                  m_alertHour, m_alertMinute};
        if (dead)
            alert[std::size_t(int(check.deadField) - int(Field::Year))]->setFocus(
                Qt::OtherFocusReason);
        return;
    }
    if (!confirmManyTimes(in))
        return;
    const int before = m_session.rowsHandedOut();
    const StoreResult result = m_session.store(editor::storedReminder(m_kind, in));
    if (result == StoreResult::Stored) {
        m_stored->setText(
            QStringLiteral("Eltárolva: %1. sor").arg(lastStoredRow(m_session, before) + 1));
        announce(this, m_stored->text());
    } else
        m_services.boxes.show(this, MsgIcon::Exclamation, QStringLiteral("Emlékeztető"),
                              storeRefusal(result), MsgButtons::Ok, editorHelpPage);
}

// A reminder that comes many times a day may be meant so, or may be a "*" left in the hour.
bool ReminderEditor::confirmManyTimes(const editor::Inputs &in)
{
    const AlertTime time{in.alertYear, in.alertMonth, in.alertDay, in.alertHour, in.alertMinute};
    if (editor::alertsPerDay(time) <= 3)
        return true;
    return m_services.boxes.show(this, MsgIcon::Question, QStringLiteral("Emlékeztető"),
                                 editor::manyTimesQuestion(time) + QStringLiteral("\n\n") +
                                     QStringLiteral("Jelzés: ") +
                                     editor::describeAlert(time, currentYear()),
                                 MsgButtons::YesNo, editorHelpPage) == MsgAnswer::Yes;
}

void ReminderEditor::clearInputs()
{
    m_firstLine->clear();
    m_secondLine->clear();
    m_freeText->clear();
    m_firstName->setCurrentIndex(-1);
    m_firstName->setEditText(QString());
    m_nameDayDates->clear();
    setDateRowVisible(false);
    for (QComboBox *c : {m_alertYear, m_alertMonth, m_alertDay, m_alertHour, m_alertMinute})
        c->setCurrentIndex(0);
}

void ReminderEditor::closeForGood()
{
    hide();
    m_hint->stopForGood();
}

void ReminderEditor::animationTick()
{
    m_hint->tick();
}

} // namespace quill
