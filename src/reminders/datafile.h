#pragma once

#include "table.h"

#include <QByteArray>
#include <QString>
#include <memory>

class QLockFile;

namespace quill {

/// What a load found, for the start-up to tell the user.
struct LoadReport {
    bool missing = false;   ///< no file yet: an empty book, not an error
    bool readError = false; ///< the file exists but could not be read
    QString errorText;
    int loaded = 0;     ///< lines that became rows
    int notLoaded = 0;  ///< lines beyond the table's 51 rows
    int shortLines = 0; ///< lines with fewer than twelve separators, kept as far as they go
    bool utf8 = false;  ///< the file was UTF-8 rather than Windows-1250
};

/// Reads data-file bytes into the book, appending from row `sorszam`. Lines end with CR LF, LF
/// or a lone CR; blank lines are skipped; text after the twelfth "|" is ignored. Field 11 of a
/// loaded row is its row index, whatever the line said.
LoadReport loadReminders(ReminderBook &book, const QByteArray &bytes);

/// The file's bytes for a table: one line per row in use, twelve "|"-terminated fields, field 11
/// the line number, CR LF, Windows-1250.
QByteArray encodeReminders(const ReminderTable &table);

struct SaveReport {
    bool ok = true;
    QString errorText; ///< in Hungarian, for the user
};

/// The reminder data file: load once, save atomically, and keep a copy of a file whose lines
/// did not all fit before it is first overwritten.
class ReminderFile {
public:
    explicit ReminderFile(QString path);
    ~ReminderFile();

    const QString &path() const { return m_path; }
    /// betolt
    LoadReport load(ReminderBook &book);
    /// ment: writes every row in use; the old file stays whole if anything fails.
    SaveReport save(const ReminderTable &table);
    /// The copy made of the original file before the first save, if one was owed and made.
    const QString &backupPath() const { return m_backupPath; }

    /// Takes the lock that keeps a second copy of the program off this file. False when another
    /// running copy holds it.
    bool lock();

private:
    QString m_path;
    QByteArray m_original;
    bool m_backupOwed = false;
    QString m_backupPath;
    std::unique_ptr<QLockFile> m_lock;
};

/// The message a failed save shows the user.
QString saveFailureText(const ReminderFile &file, const SaveReport &report);

} // namespace quill
