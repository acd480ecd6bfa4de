#include "searchpanel.h"

#include "accessibility.h"
#include "calendar/calendar.h"
#include "calendar/namedays.h"
#include "calendar/names.h"
#include "calendar/numtext.h"
#include "calendar/tradition.h"
#include "platform/twips.h"
#include "widgets.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace quill {

namespace {

// A framed result line, in blue; a screen reader reads the result, `role` as its description.
QLabel *makeResultLine(QWidget *parent, const QString &frameName, const QRect &frameRect,
                       const QString &labelName, const QString &role)
{
    QFrame *frame = makeFrame(parent, frameName, frameRect);
    QLabel *label = makeLabel(frame, labelName, QString(), twips::rect(120, 180, 2655, 255));
    setTextColour(label, QColor(0, 0, 255));
    describeLabel(label, role);
    return label;
}

QRadioButton *makeOption(QWidget *parent, const QString &name, const QString &caption,
                         int widthTwips)
{
    auto *option = new QRadioButton(caption, parent);
    option->setObjectName(name);
    option->setGeometry(twips::rect(60, 0, widthTwips, 375));
    // The caption keeps its design width unless this system's font needs more.
    option->resize(std::max(option->width(), option->sizeHint().width()), option->height());
    return option;
}

} // namespace

namespace {
// A place in the main window's twips, in the panel.
QRect inPanel(int left, int top, int width, int height)
{
    return twips::rect(left, top - SearchPanel::topTwips, width, height);
}
} // namespace

SearchPanel::SearchPanel(Services &services, QWidget *window)
    : QWidget(window)
    , m_services(services)
{
    setObjectName(QStringLiteral("keresopanel"));
    setGeometry(twips::rect(0, topTwips, 6000, 3900 - topTwips));
    createDateSearch();
    createNameSearch();
    createButtons();
    // The two options sit in different boxes; one group keeps them exclusive.
    auto *options = new QButtonGroup(this);
    options->addButton(m_byDate);
    options->addButton(m_byName);
    fillPickers();
    setStartingState();
    // Enter in a picker searches, as "Keresés" does.
    for (QComboBox *picker : {m_month, m_day, m_name})
        // Queued: a suggestion chosen with this very Enter has replaced the text by then.
        connect(picker->lineEdit(), &QLineEdit::returnPressed, this, &SearchPanel::search,
                Qt::QueuedConnection);
    QWidget::setTabOrder(m_byDate, m_byName);
    QWidget::setTabOrder(m_byName, m_month);
    QWidget::setTabOrder(m_month, m_day);
    QWidget::setTabOrder(m_day, m_name);
    QWidget::setTabOrder(m_name, m_searchButton);
    QWidget::setTabOrder(m_searchButton, m_exitButton);
}

void SearchPanel::createButtons()
{
    m_searchButton = makeButton(this, QStringLiteral("Command1"), QStringLiteral("Keresés"),
                                inPanel(240, 3480, 1935, 375));
    connect(m_searchButton, &QPushButton::clicked, this, &SearchPanel::search);
    m_exitButton = makeButton(this, QStringLiteral("Command2"), QStringLiteral("Kilépés"),
                              inPanel(4080, 3480, 1575, 375));
    connect(m_exitButton, &QPushButton::clicked, this, &SearchPanel::exitRequested);
}

void SearchPanel::createDateSearch()
{
    m_frames[0] = makeFrame(this, QStringLiteral("Frame1_0"), inPanel(120, 600, 5535, 1215));
    m_byDate = makeOption(m_frames[0], QStringLiteral("Option1"),
                          QStringLiteral("Névnap keresése dátum alapján"), 2655);
    m_byDate->setChecked(true);
    connect(m_byDate, &QRadioButton::clicked, this, &SearchPanel::chooseDateSearch);
    m_month = makePicker(m_frames[0], QStringLiteral("Combo1_0"), twips::rect(240, 600, 1335, 315));
    m_month->setEditText(QStringLiteral("január"));
    m_month->setAccessibleName(QStringLiteral("Hónap"));
    m_day = makePicker(m_frames[0], QStringLiteral("Combo1_1"), twips::rect(1680, 600, 615, 315));
    m_day->setEditText(QStringLiteral("1"));
    m_day->setAccessibleName(QStringLiteral("Nap"));
    // Leaving either picker brings the day list to the month's length.
    onFocusOut(m_month, [this] { fitDayPicker(); });
    onFocusOut(m_day, [this] { fitDayPicker(); });
    m_namesFound =
        makeResultLine(m_frames[0], QStringLiteral("Frame2"), twips::rect(2400, 480, 2895, 495),
                       QStringLiteral("Label2"), QStringLiteral("A nap névnapjai"));
}

void SearchPanel::createNameSearch()
{
    m_frames[1] = makeFrame(this, QStringLiteral("Frame1_1"), inPanel(120, 2040, 5535, 1215));
    m_byName = makeOption(m_frames[1], QStringLiteral("Option2"),
                          QStringLiteral("Dátum keresése keresztnév alapján"), 2895);
    connect(m_byName, &QRadioButton::clicked, this, &SearchPanel::chooseNameSearch);
    m_name = makePicker(m_frames[1], QStringLiteral("Combo2"), twips::rect(240, 480, 2055, 315));
    m_name->setAccessibleName(QStringLiteral("Keresztnév"));
    m_datesFound =
        makeResultLine(m_frames[1], QStringLiteral("Frame3"), twips::rect(2400, 360, 2895, 495),
                       QStringLiteral("Label3"), QStringLiteral("A név névnapjai"));
}

void SearchPanel::fillPickers()
{
    for (const auto &m : MonthNames)
        m_month->addItem(m.hungarian.toString());
    // The design's day items carry the blank of a number's sign: " 1" to " 31".
    const int year = m_services.clock.now().date().year();
    const auto days = daysInMonth(m_month->currentText(), year);
    for (int d = 1; d <= days.value_or(0); ++d)
        m_day->addItem(u' ' + QString::number(d));
    m_name->addItems(FirstNameList());
}

void SearchPanel::setStartingState()
{
    m_byName->setChecked(false);
    m_name->setEnabled(false);
    m_name->setCurrentIndex(-1);
    m_name->setEditText(QString());
    for (QComboBox *c : {m_month, m_day}) {
        c->setEnabled(true);
        c->setCurrentIndex(0);
    }
    m_byDate->setChecked(true);
}

void SearchPanel::fitDayPicker()
{
    adjustDayCombo(m_day, 0, m_month->currentText(), m_services.clock.now().date().year());
}

// The controls as the search by date has them: the name search off, empty and disabled.
void SearchPanel::enterDateSearch()
{
    m_byName->setChecked(false);
    m_name->setEnabled(false);
    m_name->setEditText(QString());
    m_month->setEnabled(true);
    m_day->setEnabled(true);
}

// The controls as the search by name has them: the date search off, empty and disabled.
void SearchPanel::enterNameSearch()
{
    // Name suggestions are built when the name search is first used.
    if (!m_name->completer())
        m_name->setCompleter(new FoldingCompleter(everyName(), m_name));
    m_byDate->setChecked(false);
    m_name->setEnabled(true);
    m_namesFound->clear();
    m_month->setEditText(QString());
    m_day->setEditText(QString());
    m_month->setEnabled(false);
    m_day->setEnabled(false);
}

void SearchPanel::chooseDateSearch()
{
    enterDateSearch();
    m_datesFound->clear();
}

void SearchPanel::chooseNameSearch()
{
    enterNameSearch();
}

void SearchPanel::message(const QString &text)
{
    m_services.boxes.show(m_searchButton->window(), MsgIcon::Exclamation,
                          QStringLiteral("Névnapok"), text, MsgButtons::Ok,
                          QStringLiteral("kereses.html"));
}

bool SearchPanel::checkSearchInput()
{
    if (m_byDate->isChecked()) {
        if (!m_month->currentText().isEmpty() && !m_day->currentText().isEmpty())
            return true;
        message(QStringLiteral("Állíts be egy dátumot!"));
        m_namesFound->clear();
        return false;
    }
    if (!m_name->currentText().isEmpty())
        return true;
    message(QStringLiteral("Válassz nevet a listából!"));
    m_datesFound->clear();
    return false;
}

// The input that found nothing is emptied, so the user chooses again.
void SearchPanel::reportNotFound(LookupError error)
{
    switch (error) {
    case LookupError::Day:
        message(QStringLiteral("Ilyen nap nem létezik!"));
        m_day->setEditText(QString());
        m_namesFound->clear();
        break;
    case LookupError::Month:
        message(QStringLiteral("Ilyen hónap nem létezik!"));
        m_month->setEditText(QString());
        m_namesFound->clear();
        break;
    case LookupError::Name:
        message(QStringLiteral("Ilyen név nem létezik!"));
        m_name->setEditText(QString());
        m_datesFound->clear();
        break;
    case LookupError::None:
        break;
    }
}

void SearchPanel::search()
{
    if (!checkSearchInput())
        return;
    if (m_byDate->isChecked())
        searchByDate();
    else
        searchByName();
}

void SearchPanel::showAnswer(QLabel *line, const QString &answer)
{
    line->setText(answer);
    announce(this, answer.simplified());
}

void SearchPanel::searchByDate()
{
    enterDateSearch();
    m_datesFound->hide();
    // The day is read as a number and written back plainly: " 1" and "07" are days too.
    const QString day = numberText(textValue(m_day->currentText()));
    const NameLookup found = NameDayCalendar::lookup(m_month->currentText(), day);
    if (found.error != LookupError::None) {
        reportNotFound(found.error);
        return;
    }
    // The day of this year, by the tradition: a leap year's 24 February is the leap day.
    const QDate date(m_services.clock.now().date().year(),
                     hungarianMonthNumber(m_month->currentText()), day.toInt());
    if (!date.isValid())
        showAnswer(m_namesFound, found.names);
    else
        showAnswer(m_namesFound, isLeapDay(date) ? leapDayText() : mainNamesOn(date));
}

void SearchPanel::searchByName()
{
    enterNameSearch();
    m_datesFound->show();
    const int year = m_services.clock.now().date().year();
    const QString typed = m_name->currentText();
    const auto found = nameDays(typed);
    if (!found) {
        m_datesFound->setToolTip(QString());
        reportNotFound(LookupError::Name);
        return;
    }
    // The days as this year has them. A main name's line stays as the index writes it; its
    // other days from the extended list are in the line's hover and for a screen reader.
    QStringList others;
    for (const TableDay &d : found->otherDays)
        others << shortDayText(d, year);
    const QString otherText = QStringLiteral("Egyéb névnapjai: ") + others.join(u' ');
    m_datesFound->setToolTip(others.isEmpty() ? QString() : otherText);
    const QString role = QStringLiteral("A név névnapjai");
    m_datesFound->setAccessibleDescription(others.isEmpty() ? role : role + u". " + otherText);
    if (!found->isMain) {
        showAnswer(m_datesFound, QStringLiteral("egyéb: ") + others.mid(0, 3).join(u' ') +
                                     (others.size() > 3 ? QStringLiteral(" …") : QString()));
        return;
    }
    showAnswer(m_datesFound, *NameDayIndex::dates(typed, year));
}

} // namespace quill
