#include "clock.h"

namespace quill {

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

} // namespace quill
