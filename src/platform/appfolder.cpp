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
    const QFileInfo beside(file(name));
    const QFileInfo folder(m_dir);
    const bool besideUsable =
        beside.exists() ? beside.isWritable() && folder.isWritable() : folder.isWritable();
    if (besideUsable)
        return beside.filePath();
    const QString dataDir = userDataDir.isEmpty()
                                ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                                : userDataDir;
    return QDir(dataDir).filePath(name);
}

} // namespace quill
