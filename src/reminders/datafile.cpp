#include "datafile.h"
#include "identities.h"

#include "files/statefiles.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <optional>

namespace quill {

ReminderFile::ReminderFile(const QString &path, QString stateHome)
    : m_path(files::resolvedPath(path))
    , m_stateHome(stateHome.isEmpty() ? files::stateHome() : std::move(stateHome))
{
    // Nothing but a regular file, or nothing yet, gets a lock beside it: never "/dev/null.lock".
    const QString lockBeside = !files::typeProblem(m_path) ? m_path : path;
    m_lock = std::make_unique<files::LockFile>(lockBeside + QStringLiteral(".lock"));
}

ReminderFile::~ReminderFile() = default;

LoadReport ReminderFile::load(ReminderBook &book)
{
    // A save killed half way leaves its temporary file; nobody else writes ours while we hold
    // the lock.
    if (m_lock->isLocked())
        files::removeStaleTemporaries(m_path);
    const files::ReadResult read = files::readRegularFile(m_path, maxBytes);
    m_stamp = files::stampOf(m_path);
    LoadReport report;
    if (!read.exists) {
        report.outcome = LoadReport::Outcome::Missing;
        return report;
    }
    if (read.error) {
        report.error = read.error;
        report.outcome = files::isNotAFile(read.error) ? LoadReport::Outcome::NotAFile
                                                       : LoadReport::Outcome::Unreadable;
    } else {
        // Whether every row would come back as it was is only asked before the first save
        // replaces the file (on the writing thread), not before the first frame.
        report = loadReminders(book, read.bytes, RowCheck::Later);
        attachIdentitiesBeside(book.table);
        if (!report.keepsOriginal() && report.outcome == LoadReport::Outcome::Loaded)
            m_unchecked = read.bytes;
    }
    if (report.keepsOriginal()) {
        m_backupOwed = true;
        if (!read.error)
            m_original = read.bytes;
        report.backupError = keepOriginal();
        report.backupPath = m_backupPath;
    }
    return report;
}

QString ReminderFile::backupName(int n) const
{
    return m_path + QStringLiteral(".bak") + (n > 1 ? QString::number(n) : QString());
}

// Keeps the file now at m_path under the first free backup name, or finds it already kept there
// from an earlier run. A copy of the bytes where we have them (a second name of the same file
// would change with it if the file were edited in place), a second name where the file cannot
// be read or the disk has no room for a copy.
std::error_code ReminderFile::keepOriginal()
{
    const QByteArray *bytes = m_original ? &*m_original : nullptr;
    const files::FileStamp current = files::stampOf(m_path);
    for (int n = 1; n < 1000; ++n) {
        const QString name = backupName(n);
        const files::FileStamp existing = files::stampOf(name);
        if (existing.exists) {
            const bool sameFile =
                existing.device == current.device && existing.inode == current.inode;
            const bool sameBytes = bytes && existing.size == bytes->size() &&
                                   files::readRegularFile(name, maxBytes).bytes == *bytes;
            if (sameFile || sameBytes) {
                m_backupOwed = false;
                m_backupPath = name;
                return {};
            }
            continue;
        }
        std::error_code error =
            bytes ? files::writeNewFile(name, *bytes) : files::systemError(EPERM);
        if (error && error != std::errc::file_exists) {
            const std::error_code linkError = files::hardLink(m_path, name);
            if (!linkError)
                error = {};
            else if (!bytes)
                error = linkError;
        }
        if (error == std::errc::file_exists)
            continue;
        if (!error) {
            m_backupOwed = false;
            m_backupPath = name;
        }
        return error;
    }
    return files::systemError(EEXIST);
}

bool ReminderFile::changedOnDisk() const
{
    const files::FileStamp now = files::stampOf(m_path);
    return now.exists && now != m_stamp && !files::typeProblem(m_path);
}

SaveReport ReminderFile::save(const ReminderTable &table, OnChangedFile onChanged)
{
    SaveReport report;
    auto fail = [&report](SaveReport::Stage stage, std::error_code error) {
        report.failed = stage;
        report.error = error;
        return report;
    };
    if (const std::error_code error = files::makeFolder(QFileInfo(m_path).absolutePath()))
        return fail(SaveReport::Stage::Write, error);
    // A copy that could not take the lock at start-up takes it now, or leaves the file alone.
    if (!m_lock->isLocked() && m_lock->tryLock() == files::LockFile::Result::HeldByAnother)
        return fail(SaveReport::Stage::OtherCopy, {});
    // Someone else wrote the file since we read it: both versions are kept.
    if (changedOnDisk()) {
        m_unchecked.reset(); // what was loaded is no longer what the save replaces
        if (onChanged == OnChangedFile::KeepTheirs) {
            if (const std::error_code error = keepMine(table, &report.mineKeptAs))
                return fail(SaveReport::Stage::Backup, error);
            m_stamp = files::stampOf(m_path);
            return report;
        }
        if (!m_backupOwed) {
            const files::ReadResult read = files::readRegularFile(m_path, maxBytes);
            m_backupOwed = true;
            m_original = !read.error ? std::optional(read.bytes) : std::nullopt;
            if (const std::error_code error = keepOriginal())
                return fail(SaveReport::Stage::Backup, error);
            report.theirsKeptAs = m_backupPath;
        }
    }
    if (const std::error_code error = checkRowsOnce(report))
        return fail(SaveReport::Stage::Backup, error);
    if (m_backupOwed) {
        if (const std::error_code error = keepOriginal())
            return fail(SaveReport::Stage::Backup, error);
    }
    // The file's other name may be the backup of its old content, made as a hard link: that one
    // must keep the old content, so the file is replaced, not written in place.
    const files::FileStamp current = files::stampOf(m_path);
    const files::FileStamp backup = files::stampOf(m_backupPath);
    const bool backupIsLink = !m_backupPath.isEmpty() && backup.exists &&
                              backup.device == current.device && backup.inode == current.inode;
    if (const std::error_code error = files::writeAtomically(
            m_path, encodeReminders(table),
            backupIsLink ? files::Names::MayPart : files::Names::KeepTogether))
        return fail(SaveReport::Stage::Write, error);
    m_stamp = files::stampOf(m_path);
    saveIdentitiesBeside(table);
    return report;
}

// Another program wrote the file and theirs is kept: the table goes beside it, under the first
// backup name that is free or already holds these very bytes.
std::error_code ReminderFile::keepMine(const ReminderTable &table, QString *keptAs) const
{
    const QByteArray mine = encodeReminders(table);
    std::error_code error = files::systemError(EEXIST);
    for (int n = 1; n < 1000 && error == std::errc::file_exists; ++n) {
        const QString name = backupName(n);
        if (files::readRegularFile(name, maxBytes).bytes == mine && files::stampOf(name).exists)
            error = {};
        else
            error = files::writeNewFile(name, mine);
        if (!error)
            *keptAs = name;
    }
    return error;
}

// The rows' identities go with the file; a failure to write them is made good at the next load,
// which finds each reminder by its texts.
std::error_code ReminderFile::saveIdentitiesBeside(const ReminderTable &table) const
{
    const QString path = identityPathBeside(m_path);
    const QByteArray ids = encodeIdentities(table);
    const files::ReadResult kept = files::readRegularFile(path, 1 << 20);
    if (!kept.error && kept.exists && kept.bytes == ids)
        return {};
    return files::writeAtomically(path, ids);
}

void ReminderFile::attachIdentitiesBeside(ReminderTable &table) const
{
    const files::ReadResult read = files::readRegularFile(identityPathBeside(m_path), 1 << 20);
    attachIdentities(table, read.error ? QByteArray() : read.bytes, QDate::currentDate());
}

// The loaded file, some of whose rows would not come back from the program's writing as they
// were, is kept under a backup name before the first save replaces it.
std::error_code ReminderFile::checkRowsOnce(SaveReport &report)
{
    if (!m_unchecked)
        return {};
    const QByteArray loaded = *std::exchange(m_unchecked, std::nullopt);
    if (rewritesUnchanged(loaded))
        return {};
    m_backupOwed = true;
    m_original = loaded;
    const std::error_code error = keepOriginal();
    if (error)
        m_unchecked = loaded; // asked again at the next save
    else
        report.originalKeptAs = m_backupPath;
    return error;
}

QString ReminderFile::emergencyPath() const
{
    return files::stateFileFor(QStringLiteral("emergency-"), m_path, m_stateHome) +
           QStringLiteral(".txt");
}

QStringList ReminderFile::emergencyPlaces() const
{
    QStringList places{emergencyPath()};
    const QString runtime = files::privateRuntimeFolder();
    if (!runtime.isEmpty())
        places << runtime + QStringLiteral("/emergency-") + files::pathKey(m_path) +
                      QStringLiteral(".txt");
    return places;
}

std::error_code ReminderFile::writeEmergencyCopy(const ReminderTable &table,
                                                 QString *writtenTo) const
{
    const QByteArray bytes = encodeReminders(table);
    std::error_code error = files::systemError(ENOENT);
    for (const QString &place : emergencyPlaces()) {
        error = files::makePrivateFolder(QFileInfo(place).absolutePath());
        if (!error)
            error = files::writeAtomically(place, bytes);
        if (!error) {
            *writtenTo = place;
            return {};
        }
    }
    return error;
}

QString ReminderFile::pendingEmergencyCopy() const
{
    for (const QString &place : emergencyPlaces()) {
        if (files::stampOf(place).exists && !files::typeProblem(place))
            return place;
    }
    return {};
}

QString ReminderFile::retireEmergencyCopy(bool keep)
{
    const QString pending = pendingEmergencyCopy();
    if (pending.isEmpty())
        return {};
    if (!keep) {
        QFile::remove(pending);
        return {};
    }
    const QString kept = pending.chopped(4) + QStringLiteral("-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                         QStringLiteral(".txt");
    return QFile::rename(pending, kept) ? kept : pending;
}

files::LockFile::Result ReminderFile::lock()
{
    m_lockFolderError = files::makeFolder(QFileInfo(m_lock->path()).absolutePath());
    if (m_lockFolderError)
        return files::LockFile::Result::Failed;
    const files::LockFile::Result beside = m_lock->tryLock();
    if (beside == files::LockFile::Result::HeldByAnother)
        return beside;
    // The same file under another name elsewhere: its device and inode say so.
    const files::FileStamp stamp = files::stampOf(m_path);
    const QString runtime = files::privateRuntimeFolder();
    if (stamp.exists && !runtime.isEmpty() && !files::typeProblem(m_path)) {
        m_identityLock = std::make_unique<files::LockFile>(
            runtime + QStringLiteral("/file-%1-%2.lock").arg(stamp.device).arg(stamp.inode));
        if (m_identityLock->tryLock() == files::LockFile::Result::HeldByAnother) {
            m_lock->unlock();
            return files::LockFile::Result::HeldByAnother;
        }
    }
    return beside;
}

QStringList ReminderFile::identityKeys() const
{
    QStringList keys{files::pathKey(m_path)};
    const files::FileStamp stamp = files::stampOf(m_path);
    if (stamp.exists)
        keys << QStringLiteral("%1-%2").arg(stamp.device).arg(stamp.inode);
    return keys;
}

std::error_code ReminderFile::lockError() const
{
    return m_lockFolderError ? m_lockFolderError : m_lock->error();
}

QString ReminderFile::lockPath() const
{
    return m_lock->path();
}

void ReminderFile::unlock()
{
    m_lock->unlock();
    if (m_identityLock)
        m_identityLock->unlock();
}

} // namespace quill
