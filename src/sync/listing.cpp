#include "icalendar/codec.h"
#include "reminderids.h"
#include "roundplan.h"

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

} // namespace

QList<BookRow> bookRows(const ReminderTable &table, const ReminderIds &ids)
{
    QList<BookRow> rows;
    for (int row = 0; row < ReminderRows; ++row) {
        const Reminder &reminder = table.row(row);
        const std::optional<ReminderId> &id = ids.of(row);
        if (reminder.inUse() && id)
            rows << BookRow{row, id->uid, comparedLine(reminder), titleOf(reminder)};
    }
    return rows;
}

std::optional<ListedItem> listedItem(const QString &href, const QString &etag,
                                     const QByteArray &ics, CalendarCodec &codec,
                                     LeapDayRule leapDay)
{
    ListedItem item;
    item.href = href;
    item.etag = etag;
    item.title = href.section(QLatin1Char('/'), -1);
    const CalendarRead read = codec.read(ics);
    if (read.events.isEmpty()) {
        if (read.error.isEmpty())
            return std::nullopt; // a task or a journal entry: not the book's business
        item.problem = read.error;
        return item;
    }
    const CalendarEvent &event = read.events.first();
    item.uid = event.uid;
    item.title = eventLine(event);
    if (const std::optional<Reminder> own = reminderOfLine(event.row))
        item.ownLine = comparedLine(*own);
    if (read.events.size() > 1) {
        item.problem = QStringLiteral("kivételes alkalmai vannak");
        return item;
    }
    const FittedEvent fitted = fitEvent(event, leapDay);
    if (fitted.reminder)
        item.line = comparedLine(*fitted.reminder);
    else
        item.problem = fitted.reason;
    return item;
}

} // namespace quill
