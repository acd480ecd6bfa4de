#include "roundwork.h"

#include "calendarsync.h"
#include "mirror.h"

#include "files/safefile.h"
#include "files/statefiles.h"
#include "icalendar/codec.h"
#include "icalendar/events.h"
#include "reminders/table.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace quill {

using Kind = RoundAction::Kind;

SyncPlace syncPlaceFor(const QString &dataFile, const QString &stateHome)
{
    return {files::stateFileFor(QStringLiteral("naptar-"), dataFile, stateHome)};
}

QString syncReportText(const SyncReport &r)
{
    if (!r.ok && r.incoming > 0)
        return QStringLiteral("A naptár szinkronizálása félbemaradt: %1.\nA más eszközökön tett "
                              "%2 változás bekerült az emlékeztetők közé; az itteni változásokat "
                              "a program a következő alkalommal küldi el.")
            .arg(r.error)
            .arg(r.incoming);
    if (!r.ok)
        return QStringLiteral("A naptár szinkronizálása nem sikerült: %1.\nAz emlékeztetők "
                              "változatlanok; a program később újra megpróbálja.")
            .arg(r.error);
    const auto listed = [](const QStringList &items) -> QString {
        return shortList(items, QString(), QStringLiteral("… és még %1 bejegyzés"));
    };
    QStringList parts;
    if (!r.conflicts.isEmpty())
        parts << QStringLiteral("Mindkét helyen módosított emlékeztetők (mindkét változat "
                                "megmaradt):\n") +
                     listed(r.conflicts);
    if (!r.leftOut.isEmpty())
        parts << QStringLiteral("Ezek a naptárbejegyzések nem férnek el emlékeztetőként; a "
                                "kiszolgálón változatlanul maradnak:\n") +
                     listed(r.leftOut);
    if (!r.notes.isEmpty())
        parts << QStringLiteral("Ezeket a naptárbejegyzéseket az emlékeztetők nem követik "
                                "teljesen:\n") +
                     listed(r.notes);
    return parts.join(QStringLiteral("\n\n"));
}

QList<ListedItem> agreedItems(const Agreement &agreement)
{
    QList<ListedItem> items;
    for (auto it = agreement.entries.cbegin(); it != agreement.entries.cend(); ++it) {
        if (it->href.isEmpty())
            continue; // taken over without an address: not known to be there
        ListedItem item;
        item.href = it->href;
        item.etag = it->etag;
        item.uid = it.key();
        if (!it->line.isEmpty())
            item.line = it->line;
        else if (const auto waiting = agreement.waiting.constFind(it.key());
                 waiting != agreement.waiting.cend())
            item.line = *waiting; // taken when the book has room
        item.ownLine = it->line;
        item.title = it->href.section(QLatin1Char('/'), -1);
        items << item;
    }
    return items;
}

ListingSplit splitListing(const Agreement &agreement,
                          const QList<std::pair<QString, QString>> &items)
{
    QHash<QString, QString> byHref;
    for (auto it = agreement.entries.cbegin(); it != agreement.entries.cend(); ++it) {
        if (!it->href.isEmpty())
            byHref.insert(it->href, it.key());
    }
    const QList<ListedItem> agreed = agreedItems(agreement);
    ListingSplit split;
    for (const auto &[href, etag] : items) {
        const QString uid = byHref.value(href);
        const auto entry = agreement.entries.constFind(uid);
        if (uid.isEmpty() || etag.isEmpty() || entry->etag != etag) {
            split.fetch << href;
            continue;
        }
        for (const ListedItem &item : agreed) {
            if (item.uid == uid)
                split.known << item;
        }
    }
    return split;
}

void settleTakenOver(Agreement &agreement, const QList<ListedItem> &listing)
{
    for (const ListedItem &item : listing) {
        const auto entry = agreement.entries.find(item.uid);
        if (entry == agreement.entries.end() || !entry->href.isEmpty())
            continue;
        if (item.line && *item.line == entry->line) {
            entry->href = item.href;
            entry->etag = item.etag;
        }
    }
}

namespace {

QString titleOfLine(const QString &line)
{
    const std::optional<Reminder> r = reminderOfLine(line);
    if (!r)
        return line.left(60);
    const QString text = QString(r->text1() + QLatin1Char(' ') + r->text2()).simplified();
    return text.isEmpty() ? r->freeText().simplified() : text;
}

bool take(ReminderBook &book, ReminderIds &ids, const RoundAction &a, const QDate &today, bool told,
          BookOutcome &out)
{
    const std::optional<Reminder> reminder = reminderOfLine(a.line);
    int row = -1;
    if (!reminder || storeReminder(book, *reminder, &row) != StoreResult::Stored) {
        if (!told)
            out.leftOut << titleOfLine(a.line) +
                               QStringLiteral(": nincs több szabad sor (legfeljebb 51 "
                                              "emlékeztető lehet)");
        out.untaken.insert(a.uid);
        return false;
    }
    if (!reminder->isActive())
        book.table.setField(row, Field::Active, QStringLiteral("0"));
    const QString uid = a.uid.isEmpty() ? newReminderUid() : a.uid;
    out.newReminders = out.newReminders || a.uid.isEmpty();
    ids.set(row, ReminderId{uid, today, reminderFingerprint(book.table.row(row))});
    return true;
}

bool overwrite(ReminderBook &book, ReminderIds &ids, const RoundAction &a, const QDate &today)
{
    std::optional<Reminder> reminder = reminderOfLine(a.line);
    if (!reminder || a.row < 0 || a.row >= ReminderRows)
        return false;
    reminder->setField(Field::RowNumber, QString::number(a.row));
    book.table.setRow(a.row, *reminder);
    const std::optional<ReminderId> &old = ids.of(a.row);
    ids.set(a.row, ReminderId{a.uid, old ? old->created : today, reminderFingerprint(*reminder)});
    return true;
}

} // namespace

BookOutcome applyToBook(ReminderBook &book, ReminderIds &ids, const RoundPlan &plan,
                        const QDate &today)
{
    BookOutcome out;
    for (const RoundAction &a : plan.actions) {
        bool changed = false;
        switch (a.kind) {
        case Kind::Take:
            changed = take(book, ids, a, today, plan.toldWithoutRoom.contains(a.uid), out);
            break;
        case Kind::Overwrite:
            changed = overwrite(book, ids, a, today);
            break;
        case Kind::Clear:
            book.table.clearRow(a.row);
            ids.set(a.row, std::nullopt);
            changed = true;
            break;
        case Kind::Adopt:
            if (const std::optional<ReminderId> old = ids.of(a.row))
                ids.set(a.row, ReminderId{a.uid, old->created, old->fingerprint});
            break;
        default:
            break;
        }
        out.changed = out.changed || changed;
        out.incoming += changed ? 1 : 0;
    }
    return out;
}

std::optional<QList<OutgoingItem>> outgoingItems(const RoundPlan &plan, const ReminderTable &table,
                                                 const ReminderIds &ids, CalendarCodec &codec,
                                                 LeapDayRule leapDay)
{
    QList<OutgoingItem> items;
    const QDateTime stamp = QDateTime::currentDateTimeUtc();
    for (const RoundAction &a : plan.actions) {
        if (a.kind != Kind::Create && a.kind != Kind::Update && a.kind != Kind::Remove)
            continue;
        OutgoingItem out{a, {}};
        if (a.kind != Kind::Remove) {
            const int row = ids.rowOf(a.uid);
            const auto event =
                row < 0 ? std::nullopt
                        : eventOfReminder(table.row(row), a.uid, ids.of(row)->created, leapDay);
            if (!event)
                continue; // an alert time that never comes: nothing to put in a calendar
            out.ics = codec.write({*event}, {}, stamp);
            if (out.ics.isEmpty())
                return std::nullopt;
        }
        items << out;
    }
    return items;
}

void workOutRound(RoundWork &work, const RoundPlanner &planner, const BookApplier &applier,
                  CalendarCodec &codec)
{
    if (work.takenOver)
        settleTakenOver(work.last, work.listing);
    ReminderIds ids = ReminderIds::of(work.book.table);
    const QList<BookRow> rows = bookRows(work.book.table, ids, work.leapDay);
    work.plan = planner(rows, work.last, work.calendar, work.listing);
    work.next = startingAgreement(work.last, work.calendar, work.listing);
    work.outcome = applier(work.book, ids, work.plan, work.today);
    ids.giveTo(work.book.table);
    QHash<int, QString> bookLines;
    for (const BookRow &row : rows)
        bookLines.insert(row.row, row.line);
    for (const RoundAction &a : work.plan.actions)
        agreeBookStep(work.next, a, work.outcome, bookLines);
    for (const ListedItem &item : work.listing) {
        if (!item.note.isEmpty())
            work.notes << item.title + QStringLiteral(": ") + item.note;
    }
    work.outgoing = outgoingItems(work.plan, work.book.table, ids, codec, work.leapDay);
}

Agreement startingAgreement(const Agreement &last, const QString &calendar,
                            const QList<ListedItem> &listing)
{
    Agreement next;
    next.calendar = calendar;
    if (last.calendar != calendar)
        return next;
    for (const ListedItem &item : listing) {
        const auto entry = last.entries.constFind(item.uid);
        if (entry != last.entries.cend() && entry->etag == item.etag && entry->href == item.href)
            next.entries.insert(item.uid, *entry);
    }
    return next;
}

void agreeBookStep(Agreement &next, const RoundAction &a, const BookOutcome &outcome,
                   const QHash<int, QString> &bookLines)
{
    switch (a.kind) {
    case Kind::Take:
        if (a.uid.isEmpty())
            break;
        if (!outcome.untaken.contains(a.uid)) {
            next.entries.insert(a.uid, {a.href, a.etag, a.line});
        } else {
            next.entries.insert(a.uid, {a.href, a.etag, {}});
            next.waiting.insert(a.uid, a.line);
        }
        break;
    case Kind::Overwrite:
    case Kind::Agree:
    case Kind::Adopt:
        next.entries.insert(a.uid, {a.href, a.etag, a.line});
        break;
    case Kind::Clear:
        next.entries.remove(a.uid);
        break;
    case Kind::Hold:
        next.entries.insert(a.uid, {a.href, a.etag, bookLines.value(a.row)});
        break;
    default:
        break;
    }
}

QUrl itemUrl(const QUrl &collection, const QString &uid)
{
    QUrl base = collection;
    if (!base.path().endsWith(QLatin1Char('/')))
        base.setPath(base.path() + QLatin1Char('/'));
    const QByteArray name = QUrl::toPercentEncoding(uid, {}, "@:") + ".ics";
    return base.resolved(QUrl::fromEncoded("./" + name));
}

QUrl hrefUrl(const QUrl &collection, const QString &href)
{
    return collection.resolved(QUrl::fromEncoded(href.toUtf8()));
}

namespace {

// The calendar address an earlier version's sync tool was set up with.
QString olderAddress(const QString &root)
{
    const auto read = files::readRegularFile(root + QStringLiteral("/vdirsyncer.conf"), 64 * 1024);
    if (read.error)
        return {};
    for (const QByteArray &line : read.bytes.split('\n')) {
        if (!line.startsWith("url = "))
            continue;
        const QJsonDocument value = QJsonDocument::fromJson("[" + line.mid(6) + "]");
        return value.array().at(0).toString();
    }
    return {};
}

} // namespace

std::optional<Agreement> olderAgreement(const QString &root, const QString &calendar)
{
    if (olderAddress(root).trimmed() != calendar.trimmed() ||
        QFile::exists(root + QStringLiteral("/mentetlen")))
        return std::nullopt;
    const auto read = files::readRegularFile(root + QStringLiteral("/egyeztetes"), 16 << 20);
    if (read.error || !read.exists)
        return std::nullopt;
    Agreement older;
    older.calendar = calendar;
    for (const QByteArray &line : read.bytes.split('\n')) {
        const QList<QByteArray> parts = line.split('\t');
        const QString uid = QString::fromUtf8(QByteArray::fromBase64(parts.value(0)));
        const QString row = QString::fromUtf8(QByteArray::fromBase64(parts.value(2)));
        if (parts.size() == 3 && !uid.isEmpty() && !row.isEmpty())
            older.entries.insert(uid, {QString(), QString(), row});
    }
    return older;
}

} // namespace quill
