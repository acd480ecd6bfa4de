// Feeds arbitrary bytes to the reminder loader: it must never crash or hang, must load at most
// 51 rows, and whatever it saved must load back to the same table.

#include "reminders/datafile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quill;
    ReminderBook book;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const LoadReport report = loadReminders(book, bytes);
    if (report.loaded > ReminderRows || book.sorszam != report.loaded)
        std::abort();
    const QByteArray saved = encodeReminders(book.table);
    // What we wrote reads back the same (unless the text itself is valid UTF-8 with Hungarian
    // letters, which then reads as UTF-8: documented).
    ReminderBook again;
    const LoadReport reread = loadReminders(again, saved);
    if (!reread.utf8 && encodeReminders(again.table) != saved)
        std::abort();
    return 0;
}
