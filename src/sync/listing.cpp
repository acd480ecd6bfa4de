#include "listing.h"

#include "icalendar/codec.h"
#include "icalendar/occasions.h"
#include "reminderids.h"

namespace quill {

namespace {

/// The row as rows are compared: its place in the file left out.
QString comparedLine(Reminder reminder)
{
    reminder.setField(Field::RowNumber, QString());
    return rowLine(reminder);
}

QString titleOf(const Reminder &r)
{
    const QString text = QString(r.text1() + QLatin1Char(' ') + r.text2()).simplified();
    return text.isEmpty() ? r.freeText().simplified() : text;
}

// The title an item's text gives where the codec cannot read it: its first SUMMARY, lines
// unfolded and the value's escapes undone; empty when it has none.
QString summaryInText(const QByteArray &ics)
{
    QByteArray text = ics.left(CalendarCodec::maxBytes);
    text.replace("\r\n ", "").replace("\r\n\t", "").replace("\n ", "").replace("\n\t", "");
    for (const QByteArray &line : text.split('\n')) {
        if (!line.toUpper().startsWith("SUMMARY") || line.size() < 8 ||
            (line[7] != ':' && line[7] != ';'))
            continue;
        bool quoted = false;
        qsizetype colon = -1;
        for (qsizetype i = 7; i < line.size() && colon < 0; ++i) {
            quoted = line[i] == '"' ? !quoted : quoted;
            colon = !quoted && line[i] == ':' ? i : -1;
        }
        QByteArray value;
        for (qsizetype i = colon + 1; colon >= 0 && i < line.size(); ++i) {
            const bool escaped = line[i] == '\\' && i + 1 < line.size();
            const char c = escaped ? line[++i] : line[i];
            value += escaped && (c == 'n' || c == 'N') ? ' ' : c;
        }
        return QString::fromUtf8(value).simplified().left(80);
    }
    return {};
}

// Whether the leap-day rule shapes the reminder's event: a yearly 29 February whose event is
// not the same by both rules.
bool shapedByLeapDay(const Reminder &r, const ReminderId &id)
{
    const std::optional<TableDay> day = dayOfText(r.field(Field::When).trimmed());
    if (!day || day->month != 2 || day->day != 29)
        return false;
    const auto byFeb28 = eventOfReminder(r, id.uid, id.created, LeapDayRule::February28);
    const auto byMarch1 = eventOfReminder(r, id.uid, id.created, LeapDayRule::March1);
    return byFeb28 != byMarch1;
}

} // namespace

QList<BookRow> bookRows(const ReminderTable &table, const ReminderIds &ids, LeapDayRule leapDay)
{
    QList<BookRow> rows;
    for (int row = 0; row < ReminderRows; ++row) {
        const Reminder &reminder = table.row(row);
        const std::optional<ReminderId> &id = ids.of(row);
        if (!reminder.inUse() || !id)
            continue;
        rows << BookRow{row, id->uid, comparedLine(reminder), titleOf(reminder), std::nullopt};
        if (shapedByLeapDay(reminder, *id))
            rows.last().shapedBy = leapDay;
    }
    return rows;
}

std::optional<ListedItem> listedItem(const QString &href, const QString &etag,
                                     const QByteArray &ics, CalendarCodec &codec,
                                     LeapDayRule leapDay, const Agreement &agreed)
{
    ListedItem item;
    item.href = href;
    item.etag = etag;
    const CalendarRead read = codec.read(ics);
    if (read.events.isEmpty()) {
        if (read.error.isEmpty())
            return std::nullopt; // a task or a journal entry: not the book's business
        item.problem = read.error;
        item.title = summaryInText(ics);
        if (item.title.isEmpty())
            item.title = href.section(QLatin1Char('/'), -1);
        return item;
    }
    CalendarEvent event = read.events.first();
    item.uid = event.uid;
    item.title = eventLine(event);
    if (const std::optional<Reminder> own = reminderOfLine(event.row))
        item.ownLine = comparedLine(*own);
    // Written back by a program that drops properties it does not know: still the reminder both
    // sides agreed on, with what that program changed.
    const auto entry = agreed.entries.constFind(event.uid);
    if (event.row.isEmpty() && entry != agreed.entries.cend())
        event.row = entry->line;
    if (read.events.size() > 1) {
        item.problem = QStringLiteral("kivételes alkalmai vannak");
        return item;
    }
    const FittedEvent fitted = fitEvent(event, leapDay);
    item.note = fitted.note;
    if (fitted.reminder)
        item.line = comparedLine(*fitted.reminder);
    else
        item.problem = fitted.reason;
    return item;
}

} // namespace quill
