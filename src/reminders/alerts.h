#pragma once

#include "table.h"

#include <QDateTime>
#include <QList>
#include <QStringList>
#include <optional>

namespace quill {

/// The title of every alert box.
QString alertTitle();

/// A minute of the wall clock (see wallMinute).
using WallMinute = qint64;

struct DueAlert {
    int row = 0;
    QString text;
    bool late = false;
    bool again = false;    ///< already announced in this minute: the box comes back, nothing else
    WallMinute minute = 0; ///< the alert minute it stands for (the missed one, when late)
    WallMinute ahead = 0;  ///< a notice this many minutes before the reminder's own minute
};

/// How long before its minute a reminder is also announced: name days and birthdays a number of
/// days before (0-14, at the reminder's own time of day), meetings a number of minutes before.
struct Notice {
    int nameDayDays = 0;
    int birthdayDays = 0;
    int meetingMinutes = 0;
    /// The notice for a row, in minutes; 0 for none.
    WallMinute aheadFor(const Reminder &reminder) const;
    bool operator==(const Notice &) const = default;
};

/// A minute of the wall clock, counted from the start of the Julian calendar: the date, hour and
/// minute as the clock shows them, whatever the zone's offset. Counted this way, a minute that
/// daylight saving skips is still passed over (and caught up), and one that it repeats is the
/// same minute both times.
WallMinute wallMinute(const QDateTime &localTime);
QDate wallDate(WallMinute minute);
QTime wallTime(WallMinute minute);

/// Whether a row's alert time matches a wall-clock minute: year as text or "*", month by its
/// Hungarian name or "*", day and hour by number or "*", minute by number.
bool isDue(const Reminder &reminder, WallMinute minute);

/// The field (Field::Year .. Field::Minute) that keeps an alert time from ever matching the alert
/// rule, or none when it can fire: the year must be "*" or a year from `currentYear` on, written
/// plainly (the rule compares it as text), the month "*" or a Hungarian month name, the day "*" or
/// a whole number the month can have (29 February needs a year divisible by 4, or "*"), the hour
/// "*" or 0-23, the minute 0-59. What can match may be written as the user likes ("08", "7x").
std::optional<Field> deadAlertField(const AlertTime &time, int currentYear);
/// Every such field, each judged by itself (a day against the month and year where those can
/// match, against any month and year where they cannot).
QList<Field> deadAlertFields(const AlertTime &time, int currentYear);

/// The box text of a row, by its kind letter.
QString alertText(const Reminder &reminder);

/// The text of a notice `ahead` minutes before the reminder's minute `due`: "3 nap múlva,
/// március 15.: …" for days, "15 perc múlva: …" for minutes.
QString noticeText(const Reminder &reminder, WallMinute due, WallMinute ahead);

/// Every active row due in `minute`, in row order (and, with a notice, every one due that long
/// after it, as a notice); a row switched off in the list is silent.
QList<DueAlert> dueAlerts(const ReminderTable &table, WallMinute minute, const Notice &notice = {});

/// The active rows that alert at some minute of `date`, in row order.
QList<int> rowsDueOn(const ReminderTable &table, const QDate &date);

/// Active rows whose alert minute (or notice) fell after `previous` and before `now` (at most a
/// day back), each once, marked late and naming its latest missed minute.
QList<DueAlert> missedAlerts(const ReminderTable &table, WallMinute previous, WallMinute now,
                             const Notice &notice = {});

/// What the run record keeps: up to when every alert was dealt with, and the alerts after that
/// moment that were answered all the same (each as alertKeyText gives it).
struct DealtWith {
    QDateTime until;
    QStringList answered;
};

/// How the run record names an alert: its row, its minute and its notice ahead.
QString alertKeyText(const DueAlert &alert);

/// Decides, tick by tick, what to announce. Within one minute a reminder is announced on every
/// scan (a box closed early comes back); minutes the clock jumped over (a sleep, a busy program,
/// the hour daylight saving skips) are announced once, late; a minute that comes a second time
/// (the hour daylight saving repeats) is not announced again. When the clock is set back, what was
/// announced late for a minute that now lies ahead comes again at that minute, on time: nothing
/// is lost to a clock that ran ahead. A scan is skipped when nothing can have changed since the
/// previous one found nothing.
class AlertScanner {
public:
    /// `monotonicMs` is a clock that never jumps (milliseconds); the late alerts of the time the
    /// program was not running wait `startGraceMs` on it after the first scan, so a clock that
    /// is corrected right after the start (a hardware clock kept in local time) cannot make them
    /// come early. Without it (-1) they come at the first scan.
    QList<DueAlert> scan(const ReminderTable &table, const QDateTime &now, qint64 monotonicMs = -1);
    /// Before the first scan: the program last dealt with the alerts until `lastRunEnd`, so a
    /// scan soon after the start announces late what fell after it (at most a day back), except
    /// the alerts `answered` names (alertKeyText). An invalid or later time (the first start
    /// ever, a clock set back) announces nothing late.
    void resumeFrom(const QDateTime &lastRunEnd, const QStringList &answered = {});
    /// What the record of this run keeps: everything up to `now` (at most to the end of the last
    /// minute scanned) is dealt with, except the alerts announced and not answered yet (a box open,
    /// or still to come: the record stays before their minute, so they come again, late, at the
    /// next start) and, while the start's grace lasts, the late alerts still waiting; what was
    /// answered after that moment is named.
    DealtWith dealtWith(const QDateTime &now) const;
    /// The user answered an alert (OK, or put off): it is dealt with, and one put off does not
    /// come back within its minute. True when this changed what the run record keeps (the first
    /// answer to it).
    bool answered(const DueAlert &alert, bool putOff);
    /// The notice ahead that the user set; it counts from the next scan.
    void setNotice(const Notice &notice);
    /// How many scans did real work; for tests and benchmarks.
    int scansDone() const { return m_scans; }

    static constexpr qint64 startGraceMs = 20000;

private:
    struct Announced {
        int row;
        WallMinute minute;
        WallMinute ahead;
        bool late;
        int pass; ///< the stay in a minute it was announced in
    };
    QList<DueAlert> keepNew(QList<DueAlert> candidates, WallMinute minute);
    void forgetOld(WallMinute minute);

    bool m_started = false;
    bool m_resumePending = false;
    QDateTime m_lastRunEnd;
    WallMinute m_resumeFrom = 0;
    WallMinute m_firstMinute = 0;
    qint64 m_firstMonotonic = 0;
    WallMinute m_previous = 0; ///< the minute of the previous scan
    int m_pass = 0;            ///< grows whenever the minute changes
    QList<Announced> m_log;    ///< what was announced, for about two days
    QList<DueAlert> m_open;    ///< announced and not answered yet
    QList<DueAlert> m_done;    ///< answered, for about two days (their keys, for the record)
    std::uint64_t m_revision = 0;
    bool m_previousFoundNothing = false;
    int m_scans = 0;
    Notice m_notice;
};

} // namespace quill
