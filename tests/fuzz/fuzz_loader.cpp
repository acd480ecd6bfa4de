// Feeds arbitrary bytes to the reminder file: loading must never crash or hang and loads at most
// 51 rows; and after a load and a save, either every row of the original comes back from the
// saved file, or a byte-identical copy of the original was kept.

#include "reminders/datafile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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
    if (!file.save(book.table).ok())
        std::abort();

    if (report.keepsOriginal()) {
        if (report.backupPath.isEmpty() || readAll(report.backupPath) != original)
            std::abort();
        return 0;
    }
    ReminderBook again;
    loadReminders(again, readAll(path));
    for (int r = 0; r < ReminderRows; ++r) {
        if (book.table.inUse(r) != again.table.inUse(r))
            std::abort();
        if (book.table.inUse(r) && book.table.row(r) != again.table.row(r))
            std::abort();
    }
    return 0;
}
