#include "statefiles.h"

#include "lockfile.h"

#include <QCryptographicHash>

namespace quill::files {

QString ownFolderUnder(const QString &home)
{
    return home + QStringLiteral("/Zelmarin/Quillomat");
}

QString stateFolder(const QString &stateHome)
{
    return ownFolderUnder(stateHome.isEmpty() ? files::stateHome() : stateHome);
}

QString pathKey(const QString &path)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
}

QString stateFileFor(const QString &prefix, const QString &dataFile, const QString &stateHome)
{
    return stateFolder(stateHome) + u'/' + prefix + pathKey(dataFile);
}

} // namespace quill::files
