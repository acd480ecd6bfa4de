#include "appfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quill {

AppFolder AppFolder::ofExecutable()
{
    return AppFolder(QCoreApplication::applicationDirPath());
}

QString AppFolder::file(const QString &name) const
{
    return QDir(m_dir).filePath(name);
}

QString AppFolder::reminderFile(const QString &userDataDir) const
{
    const QString name = QStringLiteral("remembers.txt");
    // Whatever stands beside the program under that name is the user's file, whatever its
    // permissions: a portable copy, or a file carried over from the old program.
    const QFileInfo beside(file(name));
    if (beside.exists() || beside.isSymLink())
        return beside.filePath();
    const QString dataDir = userDataDir.isEmpty()
                                ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                                : userDataDir;
    return QDir(dataDir).filePath(name);
}

} // namespace quill
