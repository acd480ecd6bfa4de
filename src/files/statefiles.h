#pragma once

#include <QString>

// Where the program keeps what it knows between runs, and how those files are named.
namespace quill::files {

/// The program's own folder under a home of the XDG kind: `<home>/Zelmarin/Quillomat`.
QString ownFolderUnder(const QString &home);
/// The program's state folder: `$XDG_STATE_HOME/Zelmarin/Quillomat` (`stateHome` empty: the XDG
/// one, else `~/.local/state`).
QString stateFolder(const QString &stateHome = {});
/// What stands for a file in the names of the files kept for it: 16 hex digits of the SHA-256
/// of its path, so that each data file (a portable copy too) has its own.
QString pathKey(const QString &path);
/// `stateFolder(stateHome)/<prefix><pathKey(dataFile)>`: a state file kept for one data file.
QString stateFileFor(const QString &prefix, const QString &dataFile, const QString &stateHome = {});

} // namespace quill::files
