#pragma once

#include "errors.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <system_error>

// Reading, writing and locking files so that nothing the user keeps is ever lost or half written:
// only regular files are read or written, a file is replaced whole or not at all, and every
// failure comes back with its reason.
namespace quill::files {

/// The path with every symbolic link followed. A link whose target does not exist yet gives the
/// target's path, so a file first saved through a link is created where the link points.
QString resolvedPath(const QString &path);

/// None when `path` names a regular file or nothing at all; otherwise what stands there
/// (Problem::Directory, ...) or the system's error of looking.
std::error_code typeProblem(const QString &path);

struct ReadResult {
    bool exists = false;
    std::error_code error; ///< none when `bytes` holds the whole file
    QByteArray bytes;
};

/// Reads a regular file whole. Anything else (a folder, a pipe that would block, a device) is
/// never opened; a file larger than `maxBytes` is not read.
ReadResult readRegularFile(const QString &path, qint64 maxBytes);
/// The same, handing the file to `piece` a piece at a time instead of keeping it (`bytes` stays
/// empty); after a failure the pieces handed on are not the whole file.
ReadResult readRegularFileInPieces(const QString &path, qint64 maxBytes,
                                   const std::function<void(QByteArrayView)> &piece);

/// Files and folders these functions create are private: 0600 and 0700, whatever the umask; a
/// file replaced keeps its mode.
///
/// Replaces the file at `path` with `bytes`: written to a temporary file beside it, flushed to the
/// disk, then renamed over it, so the path holds the old file or the new one, whole, whatever
/// happens. An existing file that is not a regular file, or that may not be written, is left
/// alone. A file with several names (hard links) is written in place instead, its room reserved
/// first, so that it stays one file. Returns the reason of a failure, none on success; nothing is
/// left behind on failure. Whether a file with several names stays one file (written in place) or
/// may be replaced, as when its other name is a backup of its old content.
/// `Flush::WhenTheSystemWill` leaves out the waits for the disk (fsync): for files that are only
/// a convenience, where an old version after a crash costs nothing.
enum class Names { KeepTogether, MayPart };
enum class Flush { ToDisk, WhenTheSystemWill };
std::error_code writeAtomically(const QString &path, const QByteArray &bytes,
                                Names names = Names::KeepTogether, Flush flush = Flush::ToDisk);

/// The same for a path in the file system's own bytes, exactly as a command line gave it.
std::error_code writeAtomicallyNative(const QByteArray &path, const QByteArray &bytes,
                                      Names names = Names::KeepTogether);

/// Writes `bytes` as a new file at `path`, which must not exist yet (EEXIST otherwise); on
/// failure nothing is left behind.
std::error_code writeNewFile(const QString &path, const QByteArray &bytes);
std::error_code writeNewFileNative(const QByteArray &path, const QByteArray &bytes);

/// Removes the temporary files a save of `path` leaves when it is killed half way
/// (".remembers.txt.XXXXXX" beside "remembers.txt"), ours only; returns how many.
int removeStaleTemporaries(const QString &path);

/// Creates a folder and the folders above it as needed; none when it exists afterwards.
std::error_code makeFolder(const QString &path);
/// The same for a folder that is the program's own alone (its state or settings, never the data
/// file's folder, which the user chose): one that is there already, made open to others by an
/// older version, is made its owner's alone (0700). A link in its place is left as it is.
std::error_code makePrivateFolder(const QString &path);

/// Gives the file at `from` a second name `to` (a hard link): no copy, no disk space needed.
std::error_code hardLink(const QString &from, const QString &to);

/// Identity of a file on disk, to tell whether someone else replaced or changed it.
struct FileStamp {
    bool exists = false;
    quint64 device = 0, inode = 0;
    qint64 size = 0, modifiedNs = 0;
    bool operator==(const FileStamp &) const = default;
};
FileStamp stampOf(const QString &path);

} // namespace quill::files
