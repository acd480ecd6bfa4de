#pragma once

#include "codec.h"

#include <memory>

// The codec built on libical (libicalcodec.cpp, with icalwrite.cpp), made by the calendar plugin;
// codec.h includes this header at its end, so every user of the codec sees it.
namespace quill {

/// The codec built on libical.
std::unique_ptr<CalendarCodec> makeLibicalCodec();

} // namespace quill
