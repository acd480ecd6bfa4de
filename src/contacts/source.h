#pragma once

#include "vcard.h"

#include <QString>

namespace quill::contacts {

struct SourceReading {
    CardReading reading;
    QStringList problems; ///< files that could not be read, with their reason
};

/// The cards of a `.vcf` file, or of every `.vcf` file in a folder and the folders in it (one
/// level down: a sync tool keeps one folder per address book, one card per file). Only read.
SourceReading readSource(const QString &path);

} // namespace quill::contacts
