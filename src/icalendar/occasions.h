#pragma once

#include "calendar/tradition.h"
#include "reminders/table.h"

#include <QDateTime>
#include <QString>
#include <optional>

// What a reminder reminds of, as other calendars show it: a name day and a birthday on their day,
// a meeting at its time, with the reminder's alert before it.
namespace quill {

/// The occasion of a reminder and where its alert stands to it.
struct Occasion {
    /// The first occasion the alert belongs to; for a whole day, the day at 00:00.
    QDateTime start;
    bool allDay = false;
    /// "FREQ=YEARLY..." for an occasion kept every year; empty for one occasion.
    QString rule;
    /// The alert this many minutes before the start (negative: after the start of the day).
    int minutesBefore = 0;
    /// The minutes cannot say the alert exactly (a clock change between the alert and a meeting):
    /// the alert is the reminder's first alert minute itself.
    bool atAlertMinute = false;
    bool operator==(const Occasion &) const = default;
};

/// The longest time an alert may come before its occasion and still be shown with it.
inline constexpr int maxLeadDays = 31;

/// The occasion of a reminder whose first alert minute is `firstAlert`, when the row tells it and
/// every alert of the row comes the same time before an occasion: a name day with one date, a
/// birthday (29 February in common years where `leapDay` says) or a meeting, with an alert that
/// comes once, or every year on a fixed day for a name day or a birthday, at most `maxLeadDays`
/// before. None otherwise: the alert minute itself is then the event.
std::optional<Occasion> occasionOf(const Reminder &reminder, const QDateTime &firstAlert,
                                   LeapDayRule leapDay = LeapDayRule::February28);

/// A day as a name day or a birthday is written in a row ("március 15."; the short month names
/// "márc 15." too); none for any other text, several dates included.
std::optional<TableDay> dayOfText(const QString &text);
/// A meeting's time as its row writes it ("2027. március 15. 14:30"); none for any other text.
std::optional<QDateTime> meetingOfText(const QString &text);

/// The row's text of a day ("március 15.") and of a meeting's time ("2027. március 15. 14:30").
QString occasionDayText(int month, int day);
QString occasionMeetingText(const QDateTime &at);

/// The yearly rule of a name day of the tables: 24-28 February counted from the month's end, so
/// the names fall a day later in a leap year ("BYMONTHDAY=-5" is the 24th of a common year and
/// the 25th of a leap year) and every client expands it alike.
QString nameDayRule(const TableDay &day);
/// The yearly rule of a date kept every year: 29 February in common years on the day `leapDay`
/// says, in a form every client expands alike (the last day of February; the 60th day of the
/// year, which is 1 March of a common year).
QString birthdayRule(int month, int day, LeapDayRule leapDay);

} // namespace quill
