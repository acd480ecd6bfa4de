#pragma once

namespace quill {

/// Hands the memory freed since to the system (glibc keeps it for the process otherwise): after
/// a large reading, so a program open all day does not keep its peak. Takes a few milliseconds
/// on a large heap: call it off the window's thread.
void giveBackFreeMemory();

} // namespace quill
