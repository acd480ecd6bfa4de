#pragma once

class QApplication;

namespace quill {

/// Runs the desktop program: Hungarian dialog buttons, the data file and its lock, the main
/// window; returns the exit code.
int runProgram(QApplication &app);

} // namespace quill
