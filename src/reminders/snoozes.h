#pragma once

#include "alerts.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <optional>
#include <system_error>

// Alerts put off for later ("Később"): the choices, when they come back, and the book of those
// waiting, kept in the user's XDG state folder so they outlive a restart and a sleep.
namespace quill {

enum class SnoozeChoice { TenMinutes, OneHour, Tomorrow, ChosenTime };

/// The caption of a choice, as the "Később" box offers it.
QString snoozeCaption(SnoozeChoice choice);
/// The choices in the order offered: the one used last first, the rest in their own order.
QList<SnoozeChoice> snoozeChoicesFrom(SnoozeChoice last);
/// When a choice made at `now` comes back: in 10 minutes, in an hour, tomorrow at the same time
/// of day, or at `chosen` (today when it is still ahead, else tomorrow). Seconds are dropped.
QDateTime snoozeUntil(SnoozeChoice choice, const QDateTime &now, const QTime &chosen = {});
/// A time of day as a user types it: "9:30", "09.30", "9".
std::optional<QTime> parseTimeOfDay(const QString &text);

struct Snoozed {
    QDateTime until;
    QString text; ///< the alert's text as it was shown
    bool operator==(const Snoozed &) const = default;
};

/// What comes back, and how it is told: marked as put off, and late when its time passed while
/// the program was not there to show it.
struct SnoozeReturn {
    QString text;
    bool late = false;
    Snoozed original; ///< its entry in the book, there until it is answered
};

class SnoozeBook {
public:
    /// `path` empty keeps the book in memory only.
    explicit SnoozeBook(QString path = {});
    /// Reads what was put off before; lines that cannot be read are passed over.
    void load();
    /// Adds one and keeps the book on disk, written on the writing thread (a slow disk never
    /// holds the caller up); the reason of a failure known at once (its folder), none else (the
    /// snooze is kept in memory either way; a failed write goes to the failure handler).
    std::error_code add(const Snoozed &snoozed);
    std::error_code cancel(int index);
    const QList<Snoozed> &waiting() const { return m_waiting; }
    /// Takes out what is due at `now`, each once, in time order; `graceOver` false keeps back those
    /// that are late (their time passed more than a minute ago) for a little longer. What is taken
    /// out stays in the book on disk until it is answered, so a program killed with its box open
    /// brings it again at the next start.
    QList<SnoozeReturn> takeDue(const QDateTime &now, bool graceOver = true);
    /// One taken out was answered (OK, or put off again, which adds a new entry): it leaves the
    /// book. The reason of a failure to write the book, none on success.
    std::error_code answered(const Snoozed &taken);
    /// Where the reason of a write that failed on the writing thread goes (by a queued call, on
    /// the thread of the application object).
    void setFailureHandler(std::function<void(std::error_code)> failed);
    /// Whether takeDue() would hand anything back.
    bool hasDue(const QDateTime &now, bool graceOver = true) const;
    /// The earliest time something comes back; invalid when nothing waits.
    QDateTime next() const;

    static QByteArray encode(const QList<Snoozed> &list);
    static QList<Snoozed> decode(const QByteArray &bytes);

private:
    std::error_code store() const;
    static bool isDue(const Snoozed &s, const QDateTime &now, bool graceOver);
    QString m_path;
    QList<Snoozed> m_waiting;
    QList<Snoozed> m_out; ///< taken out, not answered yet
    std::function<void(std::error_code)> m_failed;
};

/// The path of the book for a data file, beside its run record.
QString snoozeBookPath(const QString &dataFile, const QString &stateHome);

} // namespace quill
