#pragma once

#include "table.h"

#include <QDateTime>
#include <QList>

namespace quill {

/// The title of every alert box.
QString alertTitle();

struct DueAlert {
    int row = 0;
    QString text;
    bool late = false;
};

/// Whether a row's alert time matches the minute of `moment`: year as text or "*", month by
/// its Hungarian name or "*", day and hour by number or "*", minute by number.
bool isDue(const ReminderRecord &record, const QDateTime &moment);

/// The box text of a row, by its kind letter.
QString alertText(const ReminderRecord &record);

/// Every row due at `moment`, in row order.
QList<DueAlert> dueAlerts(const ReminderTable &table, const QDateTime &moment);

/// Rows whose alert minute fell after `previous` and before `now` (minutes, at most a day back),
/// each once, marked late.
QList<DueAlert> missedAlerts(const ReminderTable &table, const QDateTime &previous,
                             const QDateTime &now);

/// Decides, tick by tick, what to announce. Within one minute a reminder is announced on every
/// scan (a box closed early comes back); when the clock jumped on by more than a minute since
/// the previous scan, what fell in between is announced once, late. A scan is skipped when
/// nothing can have changed since the previous one found nothing.
class AlertScanner {
public:
    QList<DueAlert> scan(const ReminderTable &table, const QDateTime &now);
    /// How many scans did real work; for tests and benchmarks.
    int scansDone() const { return m_scans; }

private:
    QDateTime m_previous;
    std::uint64_t m_revision = 0;
    bool m_previousFoundNothing = false;
    int m_scans = 0;
};

} // namespace quill
