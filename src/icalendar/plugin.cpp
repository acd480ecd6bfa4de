#include "codec.h"

// The entry point the program resolves when it first writes or reads a calendar.
extern "C" Q_DECL_EXPORT quill::CalendarCodec *quillomatCreateCalendarCodec()
{
    return quill::makeLibicalCodec().release();
}
