#include "mirror.h"

#include "files/safefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

namespace quill {

namespace {

bool plainUid(const QString &uid)
{
    if (uid.isEmpty() || uid.size() > 500)
        return false;
    return std::none_of(uid.cbegin(), uid.cend(), [](QChar c) { return c.unicode() < 0x20; });
}

} // namespace

ImportPlan planImport(const QList<CalendarEvent> &events, const ReminderTable &table,
                      const ReminderIds &ids)
{
    ImportPlan plan;
    int room = 0;
    for (int row = 0; row < ReminderRows; ++row)
        room += table.inUse(row) ? 0 : 1;
    QSet<QString> taken;
    for (const CalendarEvent &e : events) {
        const QString line = eventLine(e);
        if (!e.uid.isEmpty() && (ids.rowOf(e.uid) >= 0 || taken.contains(e.uid))) {
            plan.leftOut << line + QStringLiteral(": már benne van az emlékeztetők között");
            continue;
        }
        const FittedEvent fitted = fitEvent(e);
        if (!fitted.reminder) {
            plan.leftOut << line + QStringLiteral(": ") + fitted.reason;
            continue;
        }
        if (plan.adding.size() >= room) {
            plan.leftOut << line + QStringLiteral(": nincs több szabad sor (legfeljebb 51 "
                                                  "emlékeztető lehet)");
            continue;
        }
        taken.insert(e.uid);
        plan.adding.append({*fitted.reminder, plainUid(e.uid) ? e.uid : newReminderUid(), line});
    }
    return plan;
}

QString shortList(const QStringList &lines, const QString &bullet, const QString &more)
{
    constexpr qsizetype shown = 15;
    QStringList kept;
    for (const QString &line : lines.mid(0, lines.size() > shown + 1 ? shown : lines.size()))
        kept << bullet + line;
    if (kept.size() < lines.size())
        kept << more.arg(lines.size() - kept.size());
    return kept.join(u'\n');
}

QString importQuestion(const ImportPlan &plan)
{
    const auto listed = [](const QStringList &lines) -> QString {
        return shortList(lines, QStringLiteral("• "), QStringLiteral("… és még %1.")) + u'\n';
    };
    QString text;
    if (plan.adding.isEmpty())
        text = QStringLiteral("A fájlból egy esemény sem vehető fel emlékeztetőnek.");
    else
        text = QStringLiteral("Ezek kerülnek az emlékeztetők közé (%1):\n").arg(plan.adding.size());
    QStringList adding;
    for (const ImportPlan::Entry &e : plan.adding)
        adding << e.line;
    if (!adding.isEmpty())
        text += listed(adding);
    if (!plan.leftOut.isEmpty())
        text += QStringLiteral("\nKimarad (%1):\n").arg(plan.leftOut.size()) + listed(plan.leftOut);
    return text.trimmed();
}

int applyImport(ReminderBook &book, ReminderIds &ids, const ImportPlan &plan, const QDate &today)
{
    int added = 0;
    for (const ImportPlan::Entry &e : plan.adding) {
        int row = -1;
        if (storeReminder(book, e.reminder, &row) != StoreResult::Stored)
            break;
        if (!e.reminder.isActive())
            book.table.setField(row, Field::Active, QStringLiteral("0"));
        ids.set(row, ReminderId{e.uid, today, reminderFingerprint(book.table.row(row))});
        ++added;
    }
    return added;
}

} // namespace quill
