#pragma once

#include "contacts/people.h"
#include "reminders/table.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace quill {

/// An event's repeat (an RRULE) as the codec reads it.
struct Recurrence {
    enum class Frequency { Yearly, Monthly, Daily, Hourly, Other };
    Frequency frequency = Frequency::Other;
    int interval = 1;
    int count = 0; ///< 0: none
    QDate until;   ///< the last day, on this computer's clock; invalid when none
    QList<int> byMonth, byMonthDay, byYearDay, byMinute;
    /// Any other part: weekdays, hours, seconds, weeks, positions, another calendar scale.
    bool otherParts = false;
    bool operator==(const Recurrence &) const = default;
};

/// One event of a calendar as the program writes and reads it, whatever the file's own form.
struct CalendarEvent {
    QString uid;
    QString summary;
    QString description;
    QString category;
    /// Wall-clock time of the start: as the file says it for a floating time, else converted to
    /// this computer's zone. For an all-day event, the day at 00:00.
    QDateTime start;
    bool allDay = false;
    /// The recurrence rule's text ("FREQ=YEARLY;BYMONTH=3"); empty for a single event.
    QString rule;
    /// The rule as the codec read it (an unreadable one with the frequency `Other`); none for a
    /// single event and for an event not read from a file.
    std::optional<Recurrence> recurrence;
    /// The event has dates added or taken out of its rule, or moved instances.
    bool exceptions = false;
    /// An alarm this many minutes before the start (0: at the start, negative: after it); none
    /// without one.
    std::optional<int> alarmMinutesBefore;
    /// An alarm at this moment instead (local time); invalid without one.
    QDateTime alarmAt;
    /// The event is called off (STATUS:CANCELLED).
    bool cancelled = false;
    /// The reminder row this program wrote the event from, as the data file holds it.
    QString row;
    /// Shown as free time (name days and birthdays of the second calendar).
    bool transparent = false;
    bool operator==(const CalendarEvent &) const = default;
};

/// The property that carries the exact reminder row.
inline constexpr char rowProperty[] = "X-QUILLOMAT-ROW";

/// The row as one line of the data file without its line end: twelve fields, each followed by
/// "|", then the tail.
QString rowLine(const Reminder &reminder);
/// The row of such a line; none unless it has twelve fields, a kind letter, and only text the data
/// file can hold.
std::optional<Reminder> reminderOfLine(const QString &line);

/// The event a reminder stands for, from its first alert minute on or after `from` (for a fixed
/// year, the first in that year): the occasion where the row tells it (see occasions.h: a name day
/// or a birthday as a whole day, a meeting at its time) with the alert as an alarm before it,
/// else the alert minute itself as the start with an alarm at the start and the "*" fields as the
/// rule. The alarm only while the reminder is switched on; the kind's caption as the category;
/// the row itself. None when its alert time can never match.
std::optional<CalendarEvent> eventOfReminder(const Reminder &reminder, const QString &uid,
                                             const QDate &from,
                                             LeapDayRule leapDay = LeapDayRule::February28);
/// Whether the event of a reminder shows its occasion (rather than its alert minute), counted
/// from `near`.
bool hasOccasion(const Reminder &reminder, const QDate &near,
                 LeapDayRule leapDay = LeapDayRule::February28);
/// The event's title: the kind's caption and the row's texts ("Névnap: Kiss Ábel"), the text of
/// an "Egyéb" reminder.
QString summaryOf(const Reminder &reminder);

/// The day's names of the name-day table as yearly all-day events.
QList<CalendarEvent> nameDayEvents();

/// The name days and birthdays of an address book's people, as yearly all-day events shown as
/// free time: "Kiss Miklós névnapja (Miklós)", "Nagy Éva születésnapja". A birthday on 29
/// February falls in common years on the day `leapDay` says.
QList<CalendarEvent> celebrationEvents(const contacts::ContactBook &book,
                                       LeapDayRule leapDay = LeapDayRule::February28);

/// One line of an event for the user: "2027. március 15. 08:00 – Egyéb: ...".
QString eventLine(const CalendarEvent &event);

} // namespace quill

// The fit of an event back into a row, declared apart, after the types it needs.
#include "fitevent.h"
