#include "mirror.h"

#include "files/safefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

namespace quill {

namespace {

// No reminder's event comes near this; a larger item is someone else's.
constexpr qint64 maxItemBytes = 1024 * 1024;

QByteArray hashOf(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

bool plainUid(const QString &uid)
{
    if (uid.isEmpty() || uid.size() > 500)
        return false;
    return std::none_of(uid.cbegin(), uid.cend(), [](QChar c) { return c.unicode() < 0x20; });
}

// A file name for a new item: the UID, with what a file name cannot hold replaced.
QString fileNameFor(const QString &uid)
{
    QString name;
    for (const QChar c : uid) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                           (c >= u'0' && c <= u'9') || c == u'-' || c == u'_' || c == u'.' ||
                           c == u'@';
        name += plain ? c : QChar(u'_');
    }
    return name.left(200) + QStringLiteral(".ics");
}

// A row as the agreement holds it: without its row number, which is the book's own business.
QString agreedLine(Reminder r)
{
    r.setField(Field::RowNumber, QString());
    return rowLine(r);
}

} // namespace

QList<MirrorItem> readMirror(const QString &folder, CalendarCodec &codec)
{
    QList<MirrorItem> items;
    const QStringList names =
        QDir(folder).entryList({QStringLiteral("*.ics")}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        MirrorItem item;
        item.file = QDir(folder).filePath(name);
        const auto read = files::readRegularFile(item.file, maxItemBytes);
        if (read.error) {
            item.problem = QStringLiteral("nem olvasható: ") + files::reasonText(read.error);
            item.hash = hashOf(item.file.toUtf8());
            items << item;
            continue;
        }
        item.hash = hashOf(read.bytes);
        const CalendarRead calendar = codec.read(read.bytes);
        if (calendar.events.isEmpty()) {
            if (calendar.error.isEmpty())
                continue; // a task or a journal entry: not the book's business
            item.problem = calendar.error;
        } else {
            item.uid = calendar.events.first().uid;
            if (calendar.events.size() > 1)
                item.problem = QStringLiteral("kivételes alkalmai vannak");
            else
                item.event = calendar.events.first();
        }
        items << item;
    }
    return items;
}

void SyncBase::load(const QString &path)
{
    entries.clear();
    const auto read = files::readRegularFile(path, 16 * 1024 * 1024);
    if (read.error)
        return;
    for (const QByteArray &line : read.bytes.split('\n')) {
        const QList<QByteArray> parts = line.split('\t');
        if (parts.size() != 3)
            continue;
        entries.insert(QString::fromUtf8(QByteArray::fromBase64(parts[0])),
                       {parts[1], QString::fromUtf8(QByteArray::fromBase64(parts[2]))});
    }
}

std::error_code SyncBase::save(const QString &path) const
{
    QByteArray out;
    QStringList uids = entries.keys();
    uids.sort();
    for (const QString &uid : uids) {
        const Entry &e = entries[uid];
        out += uid.toUtf8().toBase64() + '\t' + e.hash + '\t' + e.row.toUtf8().toBase64() + '\n';
    }
    return files::writeAtomically(path, out);
}

PullPlan planPull(const ReminderTable &table, const ReminderIds &ids, const SyncBase &base,
                  const QList<MirrorItem> &items, const QDate &today)
{
    PullPlan plan;
    plan.base = base;
    QSet<QString> seen;
    const auto newId = [&today](const Reminder &r, const QString &uid) {
        return ReminderId{uid, today, reminderFingerprint(r)};
    };
    for (const MirrorItem &item : items) {
        if (item.uid.isEmpty() && item.problem.isEmpty())
            continue;
        const QString uid = item.uid.isEmpty() ? item.file : item.uid;
        seen.insert(uid);
        const auto known = base.entries.constFind(uid);
        if (known != base.entries.cend() && known->hash == item.hash) {
            if (known->row.isEmpty())
                plan.held.insert(uid); // left on the server before, and told then
            continue;
        }
        const int row = ids.rowOf(uid);
        const bool localChange =
            row >= 0 && known != base.entries.cend() && agreedLine(table.row(row)) != known->row;
        FittedEvent fitted;
        if (item.event && plainUid(uid))
            fitted = fitEvent(*item.event);
        else
            fitted.reason =
                item.problem.isEmpty() ? QStringLiteral("hibás az azonosítója") : item.problem;
        if (!fitted.reminder) {
            // Stays on the server as it is; a reminder of the book it came from stays too.
            plan.held.insert(uid);
            plan.leftOut << (item.event ? eventLine(*item.event) : QDir(item.file).dirName()) +
                                QStringLiteral(": ") + fitted.reason;
            plan.base.entries.insert(uid, {item.hash, QString()});
            continue;
        }
        const Reminder incoming = *fitted.reminder;
        plan.base.entries.insert(uid, {item.hash, agreedLine(incoming)});
        if (row < 0) {
            if (known != base.entries.cend() && !known->row.isEmpty()) {
                // Deleted here, changed there: it comes back.
                plan.conflicts << eventLine(*item.event) +
                                      QStringLiteral(": itt törölték, máshol módosították");
            }
            plan.changes << IncomingChange{IncomingChange::Kind::Add, -1, incoming,
                                           newId(incoming, uid)};
            continue;
        }
        Reminder mine = table.row(row);
        Reminder theirs = incoming;
        theirs.setField(Field::RowNumber, mine.field(Field::RowNumber));
        if (theirs == mine)
            continue;
        if (localChange) {
            // Both changed: the book keeps its own; the other version becomes a reminder of its
            // own, under a new name.
            plan.conflicts << eventLine(*item.event) +
                                  QStringLiteral(": mindkét helyen módosították, mindkét "
                                                 "változat megmaradt");
            plan.base.entries.insert(uid, {item.hash, known->row});
            plan.changes << IncomingChange{IncomingChange::Kind::Add, -1, incoming,
                                           newId(incoming, newReminderUid())};
            continue;
        }
        plan.changes << IncomingChange{IncomingChange::Kind::Replace, row, theirs,
                                       newId(theirs, uid)};
    }
    // Deleted there: gone from the book too, unless changed here since.
    for (auto it = base.entries.cbegin(); it != base.entries.cend(); ++it) {
        if (seen.contains(it.key()))
            continue;
        plan.base.entries.remove(it.key());
        const int row = ids.rowOf(it.key());
        if (row < 0 || it->row.isEmpty())
            continue;
        if (agreedLine(table.row(row)) == it->row)
            plan.changes << IncomingChange{IncomingChange::Kind::Clear, row, {}, {}};
    }
    return plan;
}

bool applyPull(ReminderBook &book, ReminderIds &ids, PullPlan &plan)
{
    bool changed = false;
    for (const IncomingChange &c : plan.changes) {
        switch (c.kind) {
        case IncomingChange::Kind::Clear:
            book.table.clearRow(c.row);
            ids.set(c.row, std::nullopt);
            break;
        case IncomingChange::Kind::Replace: {
            Reminder r = c.reminder;
            r.setField(Field::RowNumber, QString::number(c.row));
            book.table.setRow(c.row, r);
            auto id = c.id;
            if (const auto &old = ids.of(c.row))
                id.created = old->created;
            ids.set(c.row, id);
            break;
        }
        case IncomingChange::Kind::Add: {
            int row = -1;
            if (storeReminder(book, c.reminder, &row) != StoreResult::Stored) {
                plan.leftOut << eventLine(*eventOfReminder(c.reminder, c.id.uid, c.id.created)) +
                                    QStringLiteral(": nincs több szabad sor (legfeljebb 51 "
                                                   "emlékeztető lehet)");
                plan.held.insert(c.id.uid);
                plan.base.entries.remove(c.id.uid);
                continue;
            }
            if (!c.reminder.isActive())
                book.table.setField(row, Field::Active, QStringLiteral("0"));
            ids.set(row, c.id);
            break;
        }
        }
        changed = true;
    }
    return changed;
}

PushResult pushBook(const ReminderTable &table, const ReminderIds &ids, const PullPlan &plan,
                    const QList<MirrorItem> &items, const QString &folder, CalendarCodec &codec,
                    const QDateTime &stamp)
{
    PushResult result;
    result.base = plan.base;
    QHash<QString, const MirrorItem *> byUid;
    for (const MirrorItem &item : items) {
        if (!item.uid.isEmpty())
            byUid.insert(item.uid, &item);
    }
    if (const auto error = files::makeFolder(folder)) {
        result.error = error;
        result.file = folder;
        return result;
    }
    QSet<QString> inBook;
    for (int row = 0; row < ReminderRows; ++row) {
        const auto &id = ids.of(row);
        if (!table.inUse(row) || !id || plan.held.contains(id->uid))
            continue;
        inBook.insert(id->uid);
        const QString line = agreedLine(table.row(row));
        const auto agreed = result.base.entries.constFind(id->uid);
        const MirrorItem *item = byUid.value(id->uid);
        if (agreed != result.base.entries.cend() && agreed->row == line && item)
            continue;
        const auto event = eventOfReminder(table.row(row), id->uid, id->created);
        if (!event)
            continue; // an alert time that never comes: nothing to put in a calendar
        const QByteArray bytes = codec.write({*event}, {}, stamp);
        const QString file = item ? item->file : QDir(folder).filePath(fileNameFor(id->uid));
        if (const auto error = files::writeAtomically(file, bytes, files::Names::MayPart)) {
            result.error = error;
            result.file = file;
            return result;
        }
        result.base.entries.insert(id->uid, {hashOf(bytes), line});
    }
    // Deleted from the book: its file goes, unless someone changed it meanwhile.
    for (auto it = plan.base.entries.cbegin(); it != plan.base.entries.cend(); ++it) {
        if (it->row.isEmpty() || inBook.contains(it.key()) || plan.held.contains(it.key()))
            continue;
        const MirrorItem *item = byUid.value(it.key());
        if (item && item->hash == it->hash && !QFile::remove(item->file) &&
            QFile::exists(item->file)) {
            result.error = std::make_error_code(std::errc::permission_denied);
            result.file = item->file;
            return result;
        }
        result.base.entries.remove(it.key());
    }
    return result;
}

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
