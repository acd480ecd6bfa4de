#include "preferences.h"

#include "files/safefile.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

#include <cerrno>
#include <cstdio>

namespace quill {

PreferenceStore::PreferenceStore(QString path, QObject *parent)
    : QObject(parent)
    , m_path(std::move(path))
{
}

PreferenceStore::~PreferenceStore() = default;

void PreferenceStore::load()
{
    const files::ReadResult read = files::readRegularFile(m_path, maxBytes);
    Preferences now;
    m_unreadable = read.exists ? read.error : std::error_code();
    if (m_unreadable) {
        // What the program holds stays; the file is not written over while it cannot be read.
        now = m_values;
        tell({QStringLiteral("A beállítások fájlja nem olvasható be:\n%1\nOk: %2.\n\nA program "
                             "a fájlt nem írja felül: ha egy beállítás megváltozik, előbb "
                             "félreteszi.")
                  .arg(m_path, files::reasonText(m_unreadable))});
    } else if (read.exists) {
        QStringList refused;
        now = parsePreferences(read.bytes, &refused);
        refused.removeIf([this](const QString &line) { return m_told.contains(line); });
        if (!refused.isEmpty()) {
            m_told << refused;
            tell({QStringLiteral("A beállítások fájljában (%1) ezek az értékek nem "
                                 "használhatók, a program nem veszi figyelembe őket:\n%2")
                      .arg(m_path, refused.join(u'\n'))});
        }
    }
    if (now == m_values)
        return;
    m_values = now;
    Q_EMIT changed();
}

std::error_code PreferenceStore::putAside(const std::error_code &why)
{
    QString aside = m_path + QStringLiteral(".olvashatatlan");
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = m_path + QStringLiteral(".olvashatatlan") + QString::number(n);
    if (std::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(aside).constData()))
        return files::systemError(errno);
    tell({QStringLiteral("A beállítások fájlja nem volt olvasható (Ok: %1), ezért a program nem "
                         "írta felül, hanem félretette ezen a néven:\n%2")
              .arg(files::reasonText(why), aside)});
    return {};
}

std::error_code PreferenceStore::change(const Preferences &wanted)
{
    if (wanted == m_values)
        return {};
    const Preferences before = std::exchange(m_values, wanted);
    files::ReadResult read = files::readRegularFile(m_path, maxBytes);
    if (read.exists && read.error) {
        if (const std::error_code e = putAside(read.error))
            return e;
        read = {};
    }
    // Only what the user changed goes over the file as it is now; a file not there is written
    // whole, every key with its value.
    const QByteArray bytes =
        read.exists ? mergePreferences(read.bytes, before, wanted) : formatPreferences(wanted);
    std::error_code error = files::makePrivateFolder(QFileInfo(m_path).absolutePath());
    if (!error)
        error = files::writeAtomically(m_path, bytes);
    rewatch();
    if (error)
        return error;
    m_unreadable = {};
    // What another hand wrote meanwhile counts too.
    const Preferences now = parsePreferences(bytes);
    if (now != m_values) {
        m_values = now;
        Q_EMIT changed();
    }
    return {};
}

void PreferenceStore::watch()
{
    if (m_watcher)
        return;
    m_watcher = new QFileSystemWatcher(this);
    const auto again = [this] {
        rewatch();
        load();
    };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, again);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, again);
    rewatch();
}

// A file replaced by a rename is a new file to the watcher: watched again, with its folder,
// which hears of a file made, removed or renamed into place.
void PreferenceStore::rewatch()
{
    if (!m_watcher)
        return;
    const QString folder = QFileInfo(m_path).absolutePath();
    for (const QString &path : {folder, m_path}) {
        if (QFileInfo::exists(path) && !m_watcher->files().contains(path) &&
            !m_watcher->directories().contains(path))
            m_watcher->addPath(path);
    }
}

void PreferenceStore::tell(const QStringList &texts)
{
    bool any = false;
    for (const QString &text : texts) {
        if (m_told.contains(text))
            continue;
        m_told << text;
        m_notices << text;
        any = true;
    }
    if (any)
        Q_EMIT noticesWaiting();
}

QStringList PreferenceStore::takeNotices()
{
    return std::exchange(m_notices, {});
}

} // namespace quill
