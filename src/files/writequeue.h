#pragma once

#include "safefile.h"

#include <functional>

// The program's writes, one after another on a thread of their own, so that a slow disk (an fsync
// that takes seconds on a USB stick or a network home) never holds up the window.
namespace quill::files {

/// Runs `job` on the writing thread after every job handed in before it: the order of the
/// writes is the order they were asked for. The thread starts with the first job. What a job
/// uses must be its own (copies), and what it reports goes back by a queued call.
void writeInTurn(std::function<void()> job);

/// Blocks until every job handed in so far has run: at the end of the program, so that the
/// last write is on the disk before it ends.
void waitForWrites();

/// Replaces the file as `writeAtomically` does, in turn on the writing thread, creating its
/// folder first; a failure is passed over (what is written so is never more than a convenience
/// or is told by the caller's own means).
void writeLater(const QString &path, QByteArray bytes, Flush flush);

} // namespace quill::files
