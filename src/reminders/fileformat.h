#pragma once

#include "table.h"

#include <QByteArray>
#include <QString>
#include <system_error>

// The data file's format: its bytes read into the book, and a table written as bytes.
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
    std::error_code error;
    FileEncoding encoding = FileEncoding::Windows1250;
    int loaded = 0;     ///< lines that became rows
    int notLoaded = 0;  ///< lines beyond the table's 51 rows
    int shortLines = 0; ///< lines with fewer than twelve separators, kept as far as they go
    int freeLines = 0;  ///< lines without a kind letter: loaded as free rows, never written back
    bool rewriteDiffers = false; ///< written back, some row would not read back as it was
    int foreignCharacters = 0;   ///< characters Windows-1250 cannot hold (a UTF-8 or UTF-16 file)
    QString backupPath;          ///< the whole original, kept under this name
    std::error_code backupError;

    /// The file cannot be written back as it was, so its original is kept before it is replaced.
    bool keepsOriginal() const;
};

/// Whether the check that every row would be written back unchanged (`rewriteDiffers`) is made
/// with the load, or left to the caller (`rewritesUnchanged`), as the file does until its first
/// save.
enum class RowCheck { Now, Later };

/// Reads data-file bytes into the book, appending from the next free row. Windows-1250, or UTF-8 or
/// UTF-16 where the bytes say so; lines end with CR LF, LF or a lone CR; blank lines are
/// skipped; text after the twelfth "|" is kept as the row's tail. Field 11 of a loaded row is its
/// row index, whatever the line said. Bytes that are no text load nothing.
LoadReport loadReminders(ReminderBook &book, const QByteArray &bytes,
                         RowCheck check = RowCheck::Now);
/// Whether the rows these bytes load, written to the file and read back, come back as they are.
bool rewritesUnchanged(const QByteArray &bytes);

/// The file's bytes for a table: one line per row in use, twelve "|"-terminated fields, field 11
/// the line number, then the row's tail as it was read, CR LF, Windows-1250.
QByteArray encodeReminders(const ReminderTable &table);

} // namespace quill
