#include "source.h"

#include "files/safefile.h"

#include <QDir>
#include <QFileInfo>

namespace quill::contacts {

namespace {
constexpr qint64 maxFile = 256 * 1024 * 1024;

void readFile(const QString &path, SourceReading &out)
{
    if (!QFileInfo::exists(path)) {
        out.problems << QStringLiteral("%1: nincs ilyen fájl vagy mappa").arg(path);
        return;
    }
    const files::ReadResult read = files::readRegularFile(path, maxFile);
    if (read.error == files::make_error_code(files::Problem::TooLarge)) {
        out.problems
            << QStringLiteral("%1: a fájl túl nagy (legfeljebb 256 MB olvasható)").arg(path);
        return;
    }
    if (read.error) {
        out.problems << QStringLiteral("%1: %2").arg(path, files::reasonText(read.error));
        return;
    }
    CardReading cards = readCards(read.bytes);
    const QString file = QFileInfo(path).fileName();
    for (SkippedCard &s : cards.skipped)
        s.name = s.name.isEmpty() ? file : s.name + QStringLiteral(" (") + file + u')';
    out.reading.cards += cards.cards;
    out.reading.skipped += cards.skipped;
}

void readFolder(const QString &path, int depth, SourceReading &out)
{
    const QDir dir(path);
    for (const QFileInfo &f :
         dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (f.isDir()) {
            if (depth > 0)
                readFolder(f.filePath(), depth - 1, out);
        } else if (f.suffix().compare(u"vcf", Qt::CaseInsensitive) == 0 ||
                   f.suffix().compare(u"vcard", Qt::CaseInsensitive) == 0) {
            readFile(f.filePath(), out);
        }
    }
}
} // namespace

SourceReading readSource(const QString &path)
{
    SourceReading out;
    if (path.isEmpty())
        return out;
    if (QFileInfo(path).isDir())
        readFolder(path, 1, out);
    else
        readFile(path, out);
    return out;
}

} // namespace quill::contacts
