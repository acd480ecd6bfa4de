#pragma once

#include "contacts/people.h"
#include "reminders/table.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace quill {

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
    /// The event has dates added or taken out of its rule, or moved instances.
    bool exceptions = false;
    /// An alarm this many minutes before the start (0: at the start); none without one.
    std::optional<int> alarmMinutesBefore;
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

/// The event a reminder stands for: its first alert minute on or after `from` (for a fixed year,
/// the first in that year) as the start, its "*" fields as the rule, an alarm at the start while
/// the reminder is switched on, and the row itself. None when its alert time can never match.
std::optional<CalendarEvent> eventOfReminder(const Reminder &reminder, const QString &uid,
                                             const QDate &from);

/// Whether an event, read back, fits a reminder row, and the row.
struct FittedEvent {
    std::optional<Reminder> reminder;
    QString reason; ///< why it does not fit, in the user's words
};

/// The row an event stands for. An event this program wrote gives back its row, with the alert
/// time (and, for an "Egyéb" reminder, the text) that another program may have changed on it; any
/// other event fits as an "Egyéb" reminder when its text can be stored and its times are a single
/// minute or a yearly, monthly, daily or hourly repeat that the alert fields can say.
FittedEvent fitEvent(const CalendarEvent &event);

/// The day's names of the name-day table as yearly all-day events.
QList<CalendarEvent> nameDayEvents();

/// The name days and birthdays of an address book's people, as yearly all-day events shown as
/// free time: "Kiss Miklós névnapja (Miklós)", "Nagy Éva születésnapja". A birthday on 29
/// February falls on the last day of February in common years.
QList<CalendarEvent> celebrationEvents(const contacts::ContactBook &book);

/// One line of an event for the user: "2027. március 15. 08:00 – Egyéb: ...".
QString eventLine(const CalendarEvent &event);

} // namespace quill
