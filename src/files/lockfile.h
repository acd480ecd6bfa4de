#pragma once

#include "safefile.h"

#include <QString>

// The user's private folders, and the lock that keeps a second copy of the program off a file.
namespace quill::files {

/// The user's own folder for runtime files: `$XDG_RUNTIME_DIR` when it is a folder of the user's
/// that nobody else may enter, else `/tmp/quillomat-UID`, made so; empty when neither can be had.
QString privateRuntimeFolder();
/// `$XDG_STATE_HOME`, or `~/.local/state`.
QString stateHome();

/// An exclusive lock that the kernel holds for this process (flock on a small file): it goes
/// with the process however the process ends, so a file left behind (empty, stale, unreadable)
/// never blocks anyone. The file holds the owner's process id, for people only. A link, a second
/// name of another file or anything but a regular file under the lock's name is never opened for
/// writing: the name is removed and a lock file of its own made.
class LockFile {
public:
    enum class Result { Locked, HeldByAnother, Failed };

    explicit LockFile(QString path);
    ~LockFile();
    LockFile(const LockFile &) = delete;
    LockFile &operator=(const LockFile &) = delete;

    Result tryLock();
    /// Why the last tryLock() failed.
    std::error_code error() const;
    bool isLocked() const { return m_fd >= 0; }
    const QString &path() const { return m_path; }
    /// Removes the file and lets go of the lock.
    void unlock();

private:
    QString m_path;
    int m_fd = -1;
    int m_error = 0;
};

} // namespace quill::files
