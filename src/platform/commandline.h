#pragma once

#include <QString>
#include <QStringList>

namespace quill {

/// What the command line asks for. The program itself takes no arguments; it answers --help and
/// --version in Hungarian without opening a window, runs one calendar sync for --sync, and refuses
/// anything else with its usage.
struct CommandLine {
    enum class Action { Run, Help, Version, Refuse, Sync };
    Action action = Action::Run;
    QString output;   ///< what to print: on standard output, or on standard error for Refuse
    int exitCode = 0; ///< 0, or 2 for a command line the program does not understand
};

/// `arguments` as the process got them, the program's own name first. Qt's own options
/// (-platform, -display, -style, ...) are left for Qt.
CommandLine readCommandLine(const QStringList &arguments);

} // namespace quill
