#pragma once

#include "files/safefile.h"
#include "vcard.h"

#include <QString>

namespace quill::contacts {

/// What a reading read: each file's name, size and time of change, and a hash of their bytes.
struct SourceStamp {
    QStringList paths;
    QList<files::FileStamp> files;
    size_t contentHash = 0;
    bool operator==(const SourceStamp &) const = default;
};

struct SourceReading {
    CardReading reading;
    QStringList problems;    ///< files that could not be read, with their reason
    SourceStamp stamp;       ///< empty when a file could not be read
    bool unchanged = false;  ///< everything was as `previous` says: no card was read again
    qsizetype cardsRead = 0; ///< the cards read, also once they are let go (`reading.cards`)
};

/// The cards of a `.vcf` file, or of every `.vcf` file in a folder and the folders in it (one
/// level down: a sync tool keeps one folder per address book, one card per file). Only read,
/// a piece at a time. When the files' names, sizes, times and bytes are those of `previous`,
/// nothing is parsed and the reading comes back empty and `unchanged`. A reader that never
/// reads again (a command's one answer) needs no stamp: its bytes are not hashed.
enum class Stamp { Taken, NotNeeded };
SourceReading readSource(const QString &path, const SourceStamp &previous = {},
                         Stamp stamp = Stamp::Taken);

} // namespace quill::contacts
