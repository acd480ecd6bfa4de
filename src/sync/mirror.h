#pragma once

#include "icalendar/codec.h"
#include "reminderids.h"

#include <QHash>
#include <QSet>
#include <system_error>

namespace quill {

/// What an `.ics` file brings into the book by hand: the events that fit a row (up to the free
/// rows), and the rest with the reason each is left out.
struct ImportPlan {
    struct Entry {
        Reminder reminder;
        QString uid;
        QString line; ///< the event as the user is shown it
    };
    QList<Entry> adding;
    QStringList leftOut;
};
ImportPlan planImport(const QList<CalendarEvent> &events, const ReminderTable &table,
                      const ReminderIds &ids);
/// Lines for a message, each after `bullet`, cut after fifteen so the message and its buttons stay
/// on the screen: the last line then says how many more, as `more` ("… és még %1.") words it.
QString shortList(const QStringList &lines, const QString &bullet, const QString &more);

/// The question the user answers before anything is added; empty when nothing can be.
QString importQuestion(const ImportPlan &plan);
/// Adds the plan's reminders to the book with their UIDs; returns how many.
int applyImport(ReminderBook &book, ReminderIds &ids, const ImportPlan &plan, const QDate &today);

} // namespace quill
