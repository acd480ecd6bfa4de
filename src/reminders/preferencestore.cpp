#include "preferences.h"

#include "files/safefile.h"
#include "files/writequeue.h"

#include <QCoreApplication>

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QPointer>

#include <cerrno>
#include <cstdio>
#include <tuple>

namespace quill {

PreferenceStore::PreferenceStore(QString path, QObject *parent)
    : QObject(parent)
    , m_path(std::move(path))
{
}

PreferenceStore::~PreferenceStore() = default;

void PreferenceStore::load()
{
    // The file is read again once this program's own writes are done.
    if (m_writing > 0)
        return;
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

namespace {

/// What a change of the settings did on the writing thread.
struct Written {
    std::error_code error; ///< why the file could not be written
    QByteArray bytes;      ///< what was written
    QString asideAt;       ///< where an unreadable file was put first
    std::error_code aside; ///< why it could not be read
};

/// Moves an unreadable file aside under a name not taken: that name, or the reason it could not.
std::pair<QString, std::error_code> putAside(const QString &path)
{
    QString aside = path + QStringLiteral(".olvashatatlan");
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = path + QStringLiteral(".olvashatatlan") + QString::number(n);
    if (std::rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData()))
        return {QString(), files::systemError(errno)};
    return {aside, {}};
}

/// Writes the change from `before` to `wanted` over the file as it is now; a file not there is
/// written whole, every key with its value, and one that cannot be read is put aside first.
Written writeChange(const QString &path, const Preferences &before, const Preferences &wanted)
{
    Written done;
    files::ReadResult read = files::readRegularFile(path, PreferenceStore::maxBytes);
    if (read.exists && read.error) {
        std::tie(done.asideAt, done.error) = putAside(path);
        if (done.error)
            return done;
        done.aside = read.error;
        read = {};
    }
    done.bytes =
        read.exists ? mergePreferences(read.bytes, before, wanted) : formatPreferences(wanted);
    done.error = files::makePrivateFolder(QFileInfo(path).absolutePath());
    if (!done.error)
        done.error = files::writeAtomically(path, done.bytes);
    return done;
}

} // namespace

void PreferenceStore::change(const Preferences &wanted)
{
    if (wanted == m_values)
        return;
    const Preferences before = std::exchange(m_values, wanted);
    // Written in turn with the program's other writes, the newest last; the end of the program
    // waits for it, and what it did comes back by a queued call.
    ++m_writing;
    files::writeInTurn([path = m_path, before, wanted, self = QPointer<PreferenceStore>(this)] {
        const Written done = writeChange(path, before, wanted);
        if (QCoreApplication *app = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                app,
                [self, done] {
                    if (self)
                        self->written(done.error, done.bytes, done.asideAt, done.aside);
                },
                Qt::QueuedConnection);
        }
    });
}

void PreferenceStore::written(const std::error_code &error, const QByteArray &bytes,
                              const QString &asideAt, const std::error_code &asideWhy)
{
    --m_writing;
    rewatch();
    if (!asideAt.isEmpty()) {
        tell({QStringLiteral("A beállítások fájlja nem volt olvasható (Ok: %1), ezért a program "
                             "nem írta felül, hanem félretette ezen a néven:\n%2")
                  .arg(files::reasonText(asideWhy), asideAt)});
    }
    if (error) {
        Q_EMIT writeFailed(error);
        return;
    }
    m_unreadable = {};
    if (m_writing > 0)
        return; // a later change is on its way
    // What another hand wrote meanwhile counts too.
    const Preferences now = parsePreferences(bytes);
    if (now != m_values) {
        m_values = now;
        Q_EMIT changed();
    }
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
