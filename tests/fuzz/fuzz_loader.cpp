// Feeds arbitrary bytes to the reminder file: loading must never crash or hang and loads at most
// 51 rows; and after a load and a save, either every row of the original comes back from the
// saved file, the raw bytes of the fields after the twelfth "|" included, or a byte-identical
// copy of the original was kept.

#include "reminders/datafile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// For each line that is not blank, the raw bytes after its twelfth "|" (null where it has fewer):
// the fields the program does not own, which must come back as they were.
QList<std::optional<QByteArray>> tails(const QByteArray &bytes)
{
    QList<std::optional<QByteArray>> found;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype end = pos;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        const QByteArray line = bytes.mid(pos, end - pos);
        pos = end + 1;
        if (end < bytes.size() && bytes[end] == '\r' && pos < bytes.size() && bytes[pos] == '\n')
            ++pos;
        // Blank as the loader sees it: blanks, tabs and no-break spaces only.
        if (std::all_of(line.cbegin(), line.cend(),
                        [](char c) { return c == ' ' || c == '\t' || c == '\xA0'; }))
            continue;
        qsizetype at = -1;
        for (int bar = 0; bar < 12 && (bar == 0 || at >= 0); ++bar)
            at = line.indexOf('|', at + 1);
        found << (at >= 0 ? std::optional(line.mid(at + 1)) : std::nullopt);
    }
    return found;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quill;
    static QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("remembers.txt"));
    for (const QString &name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(QDir(dir.path()).filePath(name));
    const QByteArray original(reinterpret_cast<const char *>(data), qsizetype(size));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(original) != original.size())
            std::abort();
    }

    ReminderBook book;
    ReminderFile file(path);
    const LoadReport report = file.load(book);
    if (report.loaded > ReminderRows || book.rowsHandedOut != report.loaded)
        std::abort();
    const SaveReport saved = file.save(book.table);
    if (!saved.ok())
        std::abort();

    // Kept at the load (not text, rows left over), or at the first save (some row would not
    // have read back as it was).
    if (report.keepsOriginal() || !saved.originalKeptAs.isEmpty()) {
        const QString kept = report.keepsOriginal() ? report.backupPath : saved.originalKeptAs;
        if (kept.isEmpty() || readAll(kept) != original)
            std::abort();
        return 0;
    }
    ReminderBook again;
    const QByteArray written = readAll(path);
    loadReminders(again, written);
    const auto before = tails(original), after = tails(written);
    if (before.size() != after.size())
        std::abort();
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (before[i] && before[i] != after[i])
            std::abort();
    }
    for (int r = 0; r < ReminderRows; ++r) {
        if (book.table.inUse(r) != again.table.inUse(r))
            std::abort();
        if (book.table.inUse(r) && book.table.row(r) != again.table.row(r))
            std::abort();
    }
    return 0;
}
