// Feeds arbitrary bytes to the iCalendar reader, as an imported file or an item of the server
// would come: it must never crash or hang, and every event that fits a reminder gives a row the
// data file can hold and an alert time that reads back.

#include "icalendar/codec.h"
#include "icalendar/events.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

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
        for (int f = 0; f < quill::ReminderFields; ++f) {
            if (!quill::storableText(fitted.reminder->field(quill::Field(f))))
                std::abort();
        }
        (void)quill::eventOfReminder(*fitted.reminder, e.uid, QDate(2026, 12, 7));
    }
    return 0;
}
