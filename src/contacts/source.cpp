#include "source.h"

#include <QDir>
#include <QFileInfo>
#include <QHashFunctions>

namespace quill::contacts {

namespace {
constexpr qint64 maxFile = 256 * 1024 * 1024;

// Reads one file into `out` (cards, or its problem) and its bytes into `hash` (with no `hash`,
// nothing is hashed); with `parse` false only hashes. False when it could not be read.
bool readFile(const QString &path, bool parse, size_t *hash, SourceReading &out)
{
    if (!QFileInfo::exists(path)) {
        out.problems << QStringLiteral("%1: nincs ilyen fájl vagy mappa").arg(path);
        return false;
    }
    CardReader reader;
    const files::ReadResult read =
        files::readRegularFileInPieces(path, maxFile, [&](QByteArrayView piece) {
            if (hash)
                *hash = qHashBits(piece.data(), std::size_t(piece.size()), *hash);
            if (parse)
                reader.feed(piece);
        });
    if (read.error == files::make_error_code(files::Problem::TooLarge)) {
        out.problems
            << QStringLiteral("%1: a fájl túl nagy (legfeljebb 256 MB olvasható)").arg(path);
        return false;
    }
    if (read.error) {
        out.problems << QStringLiteral("%1: %2").arg(path, files::reasonText(read.error));
        return false;
    }
    CardReading cards = reader.finish();
    const QString file = QFileInfo(path).fileName();
    for (SkippedCard &s : cards.skipped)
        s.name = s.name.isEmpty() ? file : s.name + QStringLiteral(" (") + file + u')';
    out.reading.cards += cards.cards;
    out.reading.skipped += cards.skipped;
    return true;
}

void listFolder(const QString &path, int depth, QStringList &out)
{
    const QDir dir(path);
    for (const QFileInfo &f :
         dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (f.isDir()) {
            if (depth > 0)
                listFolder(f.filePath(), depth - 1, out);
        } else if (f.suffix().compare(u"vcf", Qt::CaseInsensitive) == 0 ||
                   f.suffix().compare(u"vcard", Qt::CaseInsensitive) == 0) {
            out << f.filePath();
        }
    }
}

// Whether the bytes of `stamp`'s files still hash as it says.
bool sameBytes(const SourceStamp &stamp)
{
    size_t hash = 0;
    SourceReading ignored;
    for (const QString &file : stamp.paths) {
        if (!readFile(file, false, &hash, ignored))
            return false;
    }
    return hash == stamp.contentHash;
}
} // namespace

SourceReading readSource(const QString &path, const SourceStamp &previous, Stamp stamp)
{
    SourceReading out;
    if (path.isEmpty())
        return out;
    if (QFileInfo(path).isDir())
        listFolder(path, 1, out.stamp.paths);
    else
        out.stamp.paths << path;
    for (const QString &file : std::as_const(out.stamp.paths))
        out.stamp.files << files::stampOf(file);
    if (!previous.paths.isEmpty() && out.stamp.paths == previous.paths &&
        out.stamp.files == previous.files && sameBytes(previous)) {
        out.stamp = previous;
        out.unchanged = true;
        return out;
    }
    bool whole = true;
    for (const QString &file : std::as_const(out.stamp.paths))
        whole =
            readFile(file, true, stamp == Stamp::Taken ? &out.stamp.contentHash : nullptr, out) &&
            whole;
    if (!whole || stamp == Stamp::NotNeeded)
        out.stamp = SourceStamp();
    return out;
}

} // namespace quill::contacts
