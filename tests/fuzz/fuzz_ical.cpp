// Feeds arbitrary bytes to the iCalendar reader and on through the import the window makes of a
// chosen file (the plan, its question, the rows added to a book that already holds a reminder),
// as an imported file or an item of the server would come: it must never crash or hang, and
// every event that fits a reminder gives a row the data file can hold and an alert time that
// reads back.

#include "icalendar/codec.h"
#include "icalendar/events.h"
#include "reminders/table.h"
#include "sync/mirror.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void checkStorable(const quill::Reminder &reminder)
{
    for (int f = 0; f < quill::ReminderFields; ++f) {
        if (!quill::storableText(reminder.field(quill::Field(f))))
            std::abort();
    }
}

// What the window does with the events of a file the user chose to read in.
void importInto(const QList<quill::CalendarEvent> &events)
{
    const QDate today(2026, 12, 7);
    quill::ReminderBook book;
    (void)quill::storeReminder(book, {u"e"_qs, u" "_qs, u" "_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs,
                                      u"00"_qs, u" "_qs, u"meglévő"_qs});
    quill::ReminderIds ids = quill::ReminderIds::of(book.table);
    const quill::ImportPlan plan = quill::planImport(events, book.table, ids);
    (void)quill::importQuestion(plan);
    const int added = quill::applyImport(book, ids, plan, today);
    if (added < 0 || added > plan.adding.size() ||
        book.table.field(0, quill::Field::FreeText) != u"meglévő"_qs)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const auto codec = quill::makeLibicalCodec();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const quill::CalendarRead read = codec->read(bytes);
    for (const quill::CalendarEvent &e : read.events) {
        const quill::FittedEvent fitted = quill::fitEvent(e);
        if (!fitted.reminder) {
            if (fitted.reason.isEmpty())
                std::abort();
            continue;
        }
        checkStorable(*fitted.reminder);
        (void)quill::eventOfReminder(*fitted.reminder, e.uid, QDate(2026, 12, 7));
    }
    importInto(read.events);
    return 0;
}
