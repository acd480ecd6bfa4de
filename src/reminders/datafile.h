#pragma once

#include "files/safefile.h"
#include "table.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

namespace quill {

enum class FileEncoding { Windows1250, Utf8, Utf16 };

/// What a load found, for the start-up to tell the user.
struct LoadReport {
    enum class Outcome {
        Missing,    ///< no file yet: an empty book, not an error
        Loaded,     ///< read as text (see the counts)
        Unreadable, ///< there, but could not be read (`error` says why)
        NotAFile,   ///< a folder, pipe, socket or device stands there (`error` says which)
        NotText,    ///< binary data or control characters: nothing loaded
    };
    Outcome outcome = Outcome::Loaded;
    int error = 0;
    FileEncoding encoding = FileEncoding::Windows1250;
    int loaded = 0;     ///< lines that became rows
    int notLoaded = 0;  ///< lines beyond the table's 51 rows
    int shortLines = 0; ///< lines with fewer than twelve separators, kept as far as they go
    int freeLines = 0;  ///< lines without a kind letter: loaded as free rows, never written back
    bool rewriteDiffers = false; ///< written back, some row would not read back as it was
    QString backupPath;          ///< the whole original, kept under this name
    int backupError = 0;

    /// The file cannot be written back as it was, so its original is kept before it is replaced.
    bool keepsOriginal() const;
};

/// Reads data-file bytes into the book, appending from the next free row. Windows-1250, or UTF-8 or
/// UTF-16 where the bytes say so; lines end with CR LF, LF or a lone CR; blank lines are
/// skipped; text after the twelfth "|" is ignored. Field 11 of a loaded row is its row index,
/// whatever the line said. Bytes that are no text load nothing.
LoadReport loadReminders(ReminderBook &book, const QByteArray &bytes);

/// The file's bytes for a table: one line per row in use, twelve "|"-terminated fields, field 11
/// the line number, CR LF, Windows-1250.
QByteArray encodeReminders(const ReminderTable &table);

/// What the user is told after loading the file at `path`; empty when there is nothing to tell.
QString loadNotice(const LoadReport &report, const QString &path);
/// Whether that notice reports a failure (the file's content could not be used) or a warning.
bool loadNoticeIsFailure(const LoadReport &report);

struct SaveReport {
    enum class Stage { None, Backup, Write, OtherCopy };
    Stage failed = Stage::None;
    int error = 0; ///< the reason, as files::reasonText takes it
    bool ok() const { return failed == Stage::None; }
};

/// The reminder data file: resolved through links, loaded once, saved whole or not at all, and
/// guarded by a lock against a second copy of the program. An original that cannot be written
/// back as it was, or that someone else changed since, is kept as `remembers.txt.bak` (or
/// `.bak2`, ...) before the file is replaced.
class ReminderFile {
public:
    /// Files larger than this are not reminder files; they are kept, never read.
    static constexpr qint64 maxBytes = 16 * 1024 * 1024;

    explicit ReminderFile(const QString &path);
    ~ReminderFile();

    /// The file itself, links followed.
    const QString &path() const { return m_path; }
    /// betolt
    LoadReport load(ReminderBook &book);
    /// ment: writes every row in use; the old file stays whole if anything fails.
    SaveReport save(const ReminderTable &table);

    /// Takes the lock that keeps a second copy of the program off this file.
    files::LockFile::Result lock();
    int lockError() const;
    QString lockPath() const;
    /// Lets go of the lock and removes its file; at the end of the program.
    void unlock();

private:
    int keepOriginal();
    QString backupName(int n) const;

    QString m_path;
    std::unique_ptr<files::LockFile> m_lock;
    files::FileStamp m_stamp; ///< the file as loaded or last saved
    bool m_backupOwed = false;
    std::optional<QByteArray> m_original; ///< the bytes to keep, where they could be read
    QString m_backupPath;
    int m_lockFolderError = 0;
};

/// The message a failed save shows the user.
QString saveFailureText(const ReminderFile &file, const SaveReport &report);

} // namespace quill
