#pragma once

// What the file layer's own sources share: paths in the file system's bytes, and its errors as
// plain ints inside (0, an errno value, or the negative of a Problem) made into error codes at its
// edge.

#include "safefile.h"

#include <QFile>

namespace quill::files {

inline QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

inline std::error_code toError(int error)
{
    if (error == 0)
        return {};
    if (error < 0)
        return make_error_code(Problem(-error));
    return {error, std::generic_category()};
}

} // namespace quill::files
