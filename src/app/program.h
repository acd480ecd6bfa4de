#pragma once

namespace quill {

/// Runs the desktop program: the command line, Hungarian dialog buttons, the data file with its
/// lock (or the running copy brought forward), the main window; returns the exit code.
int runProgram(int argc, char **argv);

} // namespace quill
