#include "roundplan.h"

namespace quill {

namespace {

using Kind = RoundAction::Kind;

struct Planner {
    QList<BookRow> book;
    QHash<QString, Agreement::Entry> known;
    const QList<ListedItem> &listing;
    std::optional<LeapDayRule> leapDay; ///< the rule the calendar's events were written by
    RoundPlan plan;
    QSet<int> done;        ///< rows already dealt with
    QSet<QString> adopted; ///< items a row was recognised as

    int rowIndexOf(const QString &uid) const
    {
        for (int i = 0; i < book.size(); ++i) {
            if (book[i].uid == uid)
                return i;
        }
        return -1;
    }

    bool listed(const QString &uid) const
    {
        for (const ListedItem &item : listing) {
            if (item.uid == uid)
                return true;
        }
        return false;
    }

    /// Rows whose UID neither the calendar nor the agreement knows, found among the items the
    /// book does not know by the exact row the item carries, or, for an item that carries none
    /// (another device's), by the row it fits: the same reminder under a UID given anew (a book
    /// copied without its UIDs, or one whose UIDs were cut off after it saved what came in).
    void adopt()
    {
        for (const ListedItem &item : listing) {
            const QString carried =
                item.ownLine.isEmpty() ? item.line.value_or(QString()) : item.ownLine;
            if (carried.isEmpty() || rowIndexOf(item.uid) >= 0)
                continue;
            for (BookRow &row : book) {
                if (row.line != carried || listed(row.uid) || known.contains(row.uid))
                    continue;
                plan.actions << RoundAction{Kind::Adopt, row.row,   item.uid,
                                            item.href,   item.etag, row.line};
                row.uid = item.uid;
                done.insert(row.row);
                adopted.insert(item.uid);
                break;
            }
        }
    }

    void take(const ListedItem &item, const QString &uid)
    {
        plan.actions << RoundAction{Kind::Take, -1, uid, item.href, item.etag, *item.line};
    }

    /// Told when it is new or changed there; an item already told stays quietly.
    void hold(const ListedItem &item, int row, const Agreement::Entry *entry)
    {
        plan.actions << RoundAction{Kind::Hold, row, item.uid, item.href, item.etag, {}};
        if (!entry || entry->etag != item.etag)
            plan.leftOut << item.title + QStringLiteral(": ") + item.problem;
    }

    void withoutRow(const ListedItem &item, const Agreement::Entry *entry)
    {
        if (entry && entry->etag == item.etag && !entry->line.isEmpty()) {
            // Deleted here, unchanged there.
            plan.actions << RoundAction{Kind::Remove, -1, item.uid, item.href, item.etag, {}};
            return;
        }
        if (!item.line) {
            hold(item, -1, entry);
            return;
        }
        if (entry && entry->line.isEmpty() && entry->etag == item.etag)
            plan.toldWithoutRoom.insert(item.uid);
        if (entry && !entry->line.isEmpty())
            plan.conflicts << item.title +
                                  QStringLiteral(": itt törölték, máshol módosították, ezért "
                                                 "visszakerült");
        take(item, item.uid);
    }

    void withRow(const ListedItem &item, const BookRow &row, const Agreement::Entry *entry)
    {
        done.insert(row.row);
        const bool bookChanged = entry && row.line != entry->line;
        // Written there by another leap-day rule: written again as the settings say now.
        const bool reshaped = row.shapedBy && row.shapedBy != leapDay;
        if (entry && entry->etag == item.etag) {
            if (bookChanged || reshaped)
                plan.actions << RoundAction{Kind::Update, row.row,   item.uid,
                                            item.href,    item.etag, row.line};
            return;
        }
        if (!item.line) {
            hold(item, row.row, entry);
            return;
        }
        if (*item.line == row.line) {
            plan.actions << RoundAction{reshaped ? Kind::Update : Kind::Agree,
                                        row.row,
                                        item.uid,
                                        item.href,
                                        item.etag,
                                        row.line};
        } else if (bookChanged || !entry) {
            // Changed on both sides, or never agreed: both versions kept, the other one as a
            // reminder of its own.
            plan.conflicts << item.title + QStringLiteral(": mindkét helyen módosították, "
                                                          "mindkét változat megmaradt");
            plan.actions << RoundAction{Kind::Update, row.row,   item.uid,
                                        item.href,    item.etag, row.line};
            take(item, QString());
        } else {
            plan.actions << RoundAction{Kind::Overwrite, row.row,   item.uid,
                                        item.href,       item.etag, *item.line};
            // Its event still has the other rule's shape: the row that came in goes back over
            // it in the shape the settings say.
            if (reshaped)
                plan.actions << RoundAction{Kind::Update, row.row,   item.uid,
                                            item.href,    item.etag, *item.line};
        }
    }

    void deletedThere()
    {
        for (const BookRow &row : std::as_const(book)) {
            const auto entry = known.constFind(row.uid);
            if (entry == known.cend() || listed(row.uid) || done.contains(row.row))
                continue;
            done.insert(row.row);
            if (row.line == entry->line) {
                plan.actions << RoundAction{Kind::Clear, row.row, row.uid, entry->href, {}, {}};
            } else {
                plan.conflicts << row.title + QStringLiteral(": máshol törölték, itt módosították, "
                                                             "ezért újra felkerült");
                plan.actions << RoundAction{Kind::Create, row.row, row.uid, {}, {}, row.line};
            }
        }
    }
};

} // namespace

RoundPlan planRound(const QList<BookRow> &book, const Agreement &last, const QString &calendar,
                    const QList<ListedItem> &listing)
{
    Planner planner{book, {}, listing, {}, {}, {}, {}};
    if (last.calendar == calendar) {
        planner.known = last.entries;
        planner.leapDay = last.leapDay;
    }
    planner.adopt();
    for (const ListedItem &item : listing) {
        if (planner.adopted.contains(item.uid))
            continue;
        const auto entry = planner.known.constFind(item.uid);
        const Agreement::Entry *known = entry == planner.known.cend() ? nullptr : &*entry;
        const int index = planner.rowIndexOf(item.uid);
        if (index < 0)
            planner.withoutRow(item, known);
        else
            planner.withRow(item, planner.book[index], known);
    }
    planner.deletedThere();
    for (const BookRow &row : std::as_const(planner.book)) {
        if (!planner.done.contains(row.row) && !planner.listed(row.uid))
            planner.plan.actions << RoundAction{Kind::Create, row.row, row.uid, {}, {}, row.line};
    }
    return planner.plan;
}

} // namespace quill
