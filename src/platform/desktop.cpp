#include "desktop.h"

#include "files/lockfile.h"
#include "files/statefiles.h"
#include "files/writequeue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <unistd.h>

namespace quill {

namespace {

// A desktop entry's Exec value: quoted, with the characters the entry format reserves escaped.
QString execQuoted(const QString &program)
{
    QString escaped = program;
    for (const QChar c : {u'\\', u'"', u'`', u'$'})
        escaped.replace(c, u'\\' + QString(c));
    escaped.replace(u'%', QStringLiteral("%%"));
    return u'"' + escaped + u'"';
}

} // namespace

XdgAutostart::XdgAutostart(QString program, QString configHome)
    : m_program(std::move(program))
    , m_configHome(configHome.isEmpty()
                       ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                       : std::move(configHome))
{
}

QString XdgAutostart::entryPath() const
{
    return m_configHome + QStringLiteral("/autostart/hu.zelmarin.Quillomat.desktop");
}

QByteArray XdgAutostart::entryText(const QString &program)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Quillomat\n"
                          "Comment=Magyar névnaptár és emlékeztető\n"
                          "Exec=%1\n"
                          "Icon=hu.zelmarin.Quillomat\n"
                          "Terminal=false\n"
                          "StartupWMClass=Quillomat\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execQuoted(program))
        .toUtf8();
}

bool XdgAutostart::enabled() const
{
    const files::ReadResult entry = files::readRegularFile(entryPath(), 64 * 1024);
    if (!entry.exists || entry.error)
        return false;
    // An entry the user switched off in the desktop's settings says so.
    return !entry.bytes.contains("\nHidden=true") &&
           !entry.bytes.contains("\nX-GNOME-Autostart-enabled=false");
}

std::error_code XdgAutostart::setEnabled(bool on)
{
    if (!on)
        return ::unlink(QFile::encodeName(entryPath()).constData()) == 0 || errno == ENOENT
                   ? std::error_code()
                   : files::systemError(errno);
    if (const std::error_code error = files::makeFolder(QFileInfo(entryPath()).absolutePath()))
        return error;
    // The desktop's convenience: written whole or not at all, without waiting for the disk (a
    // switch lost in a crash is switched again).
    return files::writeAtomically(entryPath(), entryText(m_program), files::Names::KeepTogether,
                                  files::Flush::WhenTheSystemWill);
}

RunRecord::RunRecord(const QString &dataFile, QString stateHome)
{
    // One record a data file: portable copies keep their own.
    m_path = files::stateFileFor(QStringLiteral("lastrun-"), dataFile, stateHome);
}

QString RunRecord::path() const
{
    return m_path;
}

namespace {
// The record's lines: the end first, then one answered alert a line.
QStringList recordLines(const QString &path)
{
    const files::ReadResult read = files::readRegularFile(path, 64 * 1024);
    if (read.error)
        return {};
    return QString::fromLatin1(read.bytes).split(u'\n', Qt::SkipEmptyParts);
}
} // namespace

QDateTime RunRecord::lastEnd() const
{
    const QStringList lines = recordLines(path());
    if (lines.isEmpty())
        return {};
    return QDateTime::fromString(lines.first().trimmed(), Qt::ISODate);
}

QStringList RunRecord::answered() const
{
    QStringList lines = recordLines(path());
    if (lines.isEmpty())
        return {};
    lines.removeFirst();
    return lines;
}

void RunRecord::recordEnd(const QDateTime &end, const QStringList &answered) const
{
    if (files::makePrivateFolder(QFileInfo(path()).absolutePath()))
        return;
    QByteArray bytes =
        end.toOffsetFromUtc(end.offsetFromUtc()).toString(Qt::ISODate).toLatin1() + '\n';
    for (const QString &line : answered)
        bytes += line.toLatin1() + '\n';
    // A convenience: lost in a crash, the next start brings an alert late once more.
    files::writeLater(path(), bytes, files::Flush::WhenTheSystemWill);
}

} // namespace quill
