#pragma once

#include "fileformat.h"
#include "filenotices.h"
#include "files/lockfile.h"
#include "table.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace quill {

struct SaveReport {
    enum class Stage { None, Backup, Write, OtherCopy };
    Stage failed = Stage::None;
    std::error_code error;  ///< the reason, as files::reasonText words it
    QString theirsKeptAs;   ///< the file another program had changed, kept under this name
    QString mineKeptAs;     ///< this program's reminders, kept under this name (theirs stayed)
    QString originalKeptAs; ///< the loaded file, some of whose rows would not have come back as
                            ///< they were, kept under this name before it was first replaced
    bool ok() const { return failed == Stage::None; }
};

/// What a save does when another program changed the file since it was loaded: both versions
/// are kept, one in the file and the other under a backup name.
enum class OnChangedFile {
    KeepMine,   ///< this program's reminders go into the file; the other version is the backup
    KeepTheirs, ///< the file stays as the other program left it; this program's is the backup
};

/// The reminder data file: resolved through links, loaded once, saved whole or not at all, and
/// guarded by a lock against a second copy of the program. An original that cannot be written
/// back as it was, or that someone else changed since, is kept as `remembers.txt.bak` (or
/// `.bak2`, ...) before the file is replaced.
class ReminderFile {
public:
    /// Files larger than this are not reminder files; they are kept, never read.
    static constexpr qint64 maxBytes = 16 * 1024 * 1024;

    /// `stateHome` empty means `$XDG_STATE_HOME`, or `~/.local/state`.
    explicit ReminderFile(const QString &path, QString stateHome = {});
    ~ReminderFile();

    /// The file itself, links followed.
    const QString &path() const { return m_path; }
    /// Reads the file into the book (and removes what killed saves of it left behind).
    LoadReport load(ReminderBook &book);
    /// Writes every row in use; the old file stays whole if anything fails.
    SaveReport save(const ReminderTable &table, OnChangedFile onChanged = OnChangedFile::KeepMine);
    /// Another program changed or replaced the file since it was loaded or last saved.
    bool changedOnDisk() const;

    /// Where a table that could not be saved is written instead at the end of the program, on
    /// another disk than the file's where one can be had (the XDG state folder, else the
    /// runtime folder); the next start offers it back.
    QString emergencyPath() const;
    /// Every place an emergency copy may lie, in the order they are tried.
    QStringList emergencyPlaces() const;
    /// Writes the emergency copy; the reason it could not be written anywhere, none on success.
    std::error_code writeEmergencyCopy(const ReminderTable &table, QString *writtenTo) const;
    /// An emergency copy left by an earlier run, if there is one.
    QString pendingEmergencyCopy() const;
    /// Done with the emergency copy: removed, or (`keep`) renamed so it is not offered again.
    QString retireEmergencyCopy(bool keep);

    /// Takes the locks that keep a second copy of the program off this file: one beside the file,
    /// and one named after the file's device and inode in the user's runtime folder, so a second
    /// name of the file (a hard link in another folder) is the same file too.
    files::LockFile::Result lock();
    /// Names that identify the file to a later start: its path, and its device and inode.
    QStringList identityKeys() const;
    std::error_code lockError() const;
    QString lockPath() const;
    /// Lets go of the lock and removes its file; at the end of the program.
    void unlock();
    /// Gives the rows in use that have none the identities kept beside the file (identities.h).
    void attachIdentitiesBeside(ReminderTable &table) const;
    /// Writes the identities of the table's rows beside the file (unless it holds them already),
    /// as a save does after the rows; returns the reason of a failure.
    std::error_code saveIdentitiesBeside(const ReminderTable &table) const;

private:
    std::error_code keepOriginal();
    std::error_code keepMine(const ReminderTable &table, QString *keptAs) const;
    QString backupName(int n) const;

    QString m_path;
    std::unique_ptr<files::LockFile> m_lock;
    std::unique_ptr<files::LockFile> m_identityLock;
    files::FileStamp m_stamp; ///< the file as loaded or last saved
    bool m_backupOwed = false;
    std::optional<QByteArray> m_original;  ///< the bytes to keep, where they could be read
    std::optional<QByteArray> m_unchecked; ///< the loaded bytes, until the first save checks
                                           ///< that their rows come back as they were
    std::error_code checkRowsOnce(SaveReport &report);
    QString m_backupPath;
    std::error_code m_lockFolderError;
    QString m_stateHome;
};

} // namespace quill
