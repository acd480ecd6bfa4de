#include "remindereditor.h"

#include "calendar/calendar.h"
#include "hintanimation.h"
#include "reminders/editorrules.h"
#include "widgets.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>

// The editor's pre-fills: where the alert pickers go when the user leaves a date.
namespace quill {

using editor::Prefill;

const char *const ReminderEditor::typedMark = "quillTyped";

// Puts the alert pickers where a pre-fill says: the month, the year where it names one, and the
// day once the day list follows the month (the nearest entry where the day is not there).
void ReminderEditor::applyPrefill(const Prefill &p)
{
    selectClamped(m_alertMonth, p.month);
    if (p.year) {
        const int at = m_alertYear->findText(QString::number(*p.year));
        selectClamped(m_alertYear,
                      at >= 0 ? at : (*p.year < currentYear() ? 1 : m_alertYear->count()));
    }
    if (!p.day)
        return;
    fitAlertDayPicker();
    selectClamped(m_alertDay, *p.day);
}

int ReminderEditor::currentYear() const
{
    return m_services.clock.now().date().year();
}

std::optional<int> ReminderEditor::alertYear() const
{
    if (m_alertYear->currentText() == anyValue())
        return std::nullopt;
    return editor::alertYearValue(m_alertYear->currentText());
}

void ReminderEditor::prefillFromNameDay()
{
    applyPrefill(editor::nameDayPrefill(pickedNameDayDates(), m_alertMonth->currentIndex(),
                                        m_services.clock.now().date()));
}

// The entry the user chose, picked from the list or typed (any case); -1 when the picker shows
// only what it was filled with.
int ReminderEditor::chosenIndex(QComboBox *picker) const
{
    const int at = picker->currentIndex();
    if (at >= 0 && picker->itemText(at) == picker->currentText())
        return at;
    if (!picker->property(typedMark).toBool())
        return -1;
    return picker->findText(picker->currentText().trimmed(), Qt::MatchFixedString);
}

void ReminderEditor::prefillFromMonth()
{
    selectClamped(m_alertMonth, chosenIndex(m_month) + 1);
    fitDateDayPicker();
}

void ReminderEditor::prefillFromDay()
{
    const int day = chosenIndex(m_day) + 1; // 0: nothing chosen
    if (day <= 0)
        return;
    applyPrefill(
        editor::dayBeforePrefill(day, m_alertMonth->currentIndex(), alertYear(), currentYear()));
}

void ReminderEditor::prefillFromMeetingYear()
{
    const int at = chosenIndex(m_meetingYear);
    if (at >= 0)
        selectClamped(m_alertYear, at + 1);
}

void ReminderEditor::fitAlertDayPicker()
{
    adjustDayCombo(m_alertDay, 1, m_alertMonth->currentText(),
                   editor::alertYearValue(m_alertYear->currentText()));
}

void ReminderEditor::fitDateDayPicker()
{
    adjustDayCombo(m_day, 0, m_month->currentText(),
                   editor::alertYearValue(m_alertYear->currentText()));
}

// ---- the name's days and the hint beside them ----------------------------------------

int ReminderEditor::pickedName() const
{
    const int i = m_firstName->currentIndex();
    return i >= 0 && m_firstName->itemText(i) == m_firstName->currentText() ? i : -1;
}

void ReminderEditor::setDateRowVisible(bool visible)
{
    m_nameDayDates->setVisible(visible);
    if (visible)
        m_nameDayDates->update();
    m_hintPicture->setVisible(visible);
    m_hintArrow->setVisible(visible);
    if (visible)
        m_hint->wake();
}

void ReminderEditor::nameChosen()
{
    setDateRowVisible(editor::showDateRow(m_kind, pickedName()));
}

void ReminderEditor::fillNameDayDates()
{
    m_nameDayDates->clear();
    m_nameDayDates->addItems(
        editor::nameDayChoices(m_firstName->currentText(), m_services.clock.now().date()));
}

QString ReminderEditor::pickedNameDayDates() const
{
    const QListWidgetItem *item = m_nameDayDates->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void ReminderEditor::dateClicked()
{
    // Refilling a hidden list is no click.
    if (m_nameDayDates->isHidden())
        return;
    const bool none = pickedNameDayDates().isEmpty();
    m_hintPicture->setVisible(none);
    m_hintArrow->setVisible(none);
    if (none)
        m_hint->wake();
}

} // namespace quill
