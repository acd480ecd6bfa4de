#include "safefile.h"

#include "posixerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quill::files {

namespace {

constexpr int IsDirectory = -int(Problem::Directory);
constexpr int IsPipe = -int(Problem::Pipe);
constexpr int IsSocket = -int(Problem::Socket);
constexpr int IsDevice = -int(Problem::Device);

int typeOf(mode_t mode)
{
    if (S_ISREG(mode))
        return 0;
    if (S_ISDIR(mode))
        return IsDirectory;
    if (S_ISFIFO(mode))
        return IsPipe;
    if (S_ISSOCK(mode))
        return IsSocket;
    return IsDevice;
}

// Writes everything (at the file's start, for `inPlace`) or reports why not; a signal in between
// is no failure.
int writeAll(int fd, const QByteArray &bytes, bool inPlace = false)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const std::size_t left = std::size_t(bytes.size() - done);
        const ssize_t n = inPlace ? ::pwrite(fd, bytes.constData() + done, left, off_t(done))
                                  : ::write(fd, bytes.constData() + done, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += n;
    }
    return 0;
}

// The data has to be on the disk before the file counts as written: a full disk or a failing
// device may only say so here. File systems that cannot sync (EINVAL) have nothing to flush.
int syncAndClose(int fd, Flush flush = Flush::ToDisk)
{
    int error = 0;
    if (flush == Flush::ToDisk && ::fsync(fd) != 0 && errno != EINVAL)
        error = errno;
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    return error;
}

// What this program keeps is the user's alone, whatever the umask: a file it creates may be read
// and written by its owner only, a folder it creates entered by its owner only. An existing
// file keeps the mode it has.
constexpr mode_t privateFileMode = 0600;
constexpr mode_t privateFolderMode = 0700;

void syncFolderNative(const QByteArray &folder)
{
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void syncFolder(const QString &path)
{
    syncFolderNative(native(QFileInfo(path).absolutePath()));
}

} // namespace

QString resolvedPath(const QString &path)
{
    QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    // A dangling link: follow it to where the file will be; a loop stays as it was.
    for (int hops = 0; hops < 40 && info.isSymLink(); ++hops) {
        const QString target = info.symLinkTarget();
        if (target.isEmpty())
            break;
        info = QFileInfo(target);
        if (!info.isSymLink()) {
            const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
            return folder.isEmpty() ? info.absoluteFilePath()
                                    : QDir(folder).filePath(info.fileName());
        }
    }
    return QFileInfo(path).absoluteFilePath();
}

int typeProblemRaw(const QString &path)
{
    struct stat st {};
    if (::stat(native(path).constData(), &st) != 0)
        return errno == ENOENT ? 0 : errno;
    return typeOf(st.st_mode);
}

ReadResult readRegularFileInPieces(const QString &path, qint64 maxBytes,
                                   const std::function<void(QByteArrayView)> &piece)
{
    ReadResult result;
    const QByteArray name = native(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        if (errno != ENOENT) {
            result.exists = true;
            result.error = toError(errno);
        }
        return result;
    }
    result.exists = true;
    // A pipe would block the open and a device is nobody's reminder file: look before opening.
    if ((result.error = toError(typeOf(st.st_mode))))
        return result;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        result.error = toError(errno);
        return result;
    }
    if (::fstat(fd, &st) != 0 || (result.error = toError(typeOf(st.st_mode))) ||
        st.st_size > maxBytes) {
        if (!result.error)
            result.error =
                st.st_size > maxBytes ? make_error_code(Problem::TooLarge) : toError(errno);
        ::close(fd);
        return result;
    }
    char buffer[65536];
    qint64 total = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result.error = toError(errno);
            break;
        }
        if (n == 0)
            break;
        total += n;
        if (total > maxBytes) {
            result.error = make_error_code(Problem::TooLarge);
            break;
        }
        piece(QByteArrayView(buffer, n));
    }
    ::close(fd);
    return result;
}

ReadResult readRegularFile(const QString &path, qint64 maxBytes)
{
    QByteArray bytes;
    ReadResult result =
        readRegularFileInPieces(path, maxBytes, [&](QByteArrayView piece) { bytes.append(piece); });
    if (!result.error)
        result.bytes = bytes;
    return result;
}

namespace {

// A file with more than one name (hard links in several folders) must stay one file, so it is
// written in place rather than replaced: its room is reserved first, so a full disk fails before
// a single byte changes.
int writeInPlace(const QByteArray &name, const struct stat &before, const QByteArray &bytes,
                 Flush flush)
{
    const int fd =
        ::open(name.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errno;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_dev != before.st_dev ||
        st.st_ino != before.st_ino) {
        ::close(fd);
        return EBUSY;
    }
    int error = 0;
    if (bytes.size() > st.st_size) {
        const int reserved = ::posix_fallocate(fd, 0, off_t(bytes.size()));
        if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL)
            error = reserved;
    }
    if (error == 0)
        error = writeAll(fd, bytes, true);
    if (error == 0 && ::ftruncate(fd, off_t(bytes.size())) != 0)
        error = errno;
    if (error != 0) {
        ::close(fd);
        return error;
    }
    return syncAndClose(fd, flush);
}

} // namespace

int writeAtomicallyNativeRaw(const QByteArray &name, const QByteArray &bytes, Names names,
                             Flush flush)
{
    struct stat st {};
    const bool exists = ::stat(name.constData(), &st) == 0;
    if (!exists && errno != ENOENT)
        return errno;
    if (exists) {
        if (const int type = typeOf(st.st_mode))
            return type;
        // Replacing by rename would get past a read-only file; its mode says no.
        if (::access(name.constData(), W_OK) != 0)
            return errno;
        if (st.st_nlink > 1 && names == Names::KeepTogether)
            return writeInPlace(name, st, bytes, flush);
    }
    const int slash = name.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : name.left(std::max(1, slash));
    QByteArray temp =
        (slash < 0 ? QByteArray() : name.left(slash + 1)) + '.' + name.mid(slash + 1) + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    ::fchmod(fd, exists ? st.st_mode & 07777 : privateFileMode);
    int error = writeAll(fd, bytes);
    if (error != 0)
        ::close(fd);
    else
        error = syncAndClose(fd, flush);
    if (error == 0 && ::rename(temp.constData(), name.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temp.constData());
        return error;
    }
    if (flush == Flush::ToDisk)
        syncFolderNative(folder);
    return 0;
}

int writeNewFileNativeRaw(const QByteArray &name, const QByteArray &bytes)
{
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, privateFileMode);
    if (fd < 0)
        return errno;
    int error = writeAll(fd, bytes);
    if (error != 0)
        ::close(fd);
    else
        error = syncAndClose(fd);
    if (error != 0) {
        ::unlink(name.constData());
        return error;
    }
    const int slash = name.lastIndexOf('/');
    syncFolderNative(slash < 0 ? QByteArray(".") : name.left(std::max(1, slash)));
    return 0;
}

int removeStaleTemporaries(const QString &path)
{
    // The names mkostemp gives our temporary files: ".remembers.txt." and six letters or digits.
    const QFileInfo info(path);
    const QString prefix = u'.' + info.fileName() + u'.';
    QDir folder(info.absolutePath());
    int removed = 0;
    // Matched by hand: a name filter would compile a regular expression at every start.
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (name.size() != prefix.size() + 6 || !name.startsWith(prefix))
            continue;
        const QString tail = name.mid(prefix.size());
        const bool ours = std::all_of(tail.cbegin(), tail.cend(), [](QChar c) {
            return c.unicode() < 128 && c.isLetterOrNumber();
        });
        const QByteArray full = native(folder.filePath(name));
        struct stat st {};
        if (!ours || ::lstat(full.constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid())
            continue;
        if (::unlink(full.constData()) == 0)
            ++removed;
    }
    return removed;
}

int makeFolderRaw(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    struct stat st {};
    if (::stat(native(absolute).constData(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    const QString parent = QFileInfo(absolute).path();
    if (parent != absolute) {
        if (const int error = makeFolderRaw(parent))
            return error;
    }
    if (::mkdir(native(absolute).constData(), privateFolderMode) != 0 && errno != EEXIST)
        return errno;
    return 0;
}

int hardLinkRaw(const QString &from, const QString &to)
{
    if (::link(native(from).constData(), native(to).constData()) != 0)
        return errno;
    syncFolder(to);
    return 0;
}

FileStamp stampOf(const QString &path)
{
    FileStamp stamp;
    struct stat st {};
    if (::stat(native(path).constData(), &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}

std::error_code typeProblem(const QString &path)
{
    return toError(typeProblemRaw(path));
}

std::error_code writeAtomicallyNative(const QByteArray &path, const QByteArray &bytes, Names names)
{
    return toError(writeAtomicallyNativeRaw(path, bytes, names, Flush::ToDisk));
}

std::error_code writeAtomically(const QString &path, const QByteArray &bytes, Names names,
                                Flush flush)
{
    return toError(
        writeAtomicallyNativeRaw(native(QFileInfo(path).absoluteFilePath()), bytes, names, flush));
}

std::error_code writeNewFileNative(const QByteArray &path, const QByteArray &bytes)
{
    return toError(writeNewFileNativeRaw(path, bytes));
}

std::error_code writeNewFile(const QString &path, const QByteArray &bytes)
{
    return writeNewFileNative(native(path), bytes);
}

std::error_code makeFolder(const QString &path)
{
    return toError(makeFolderRaw(path));
}

std::error_code makePrivateFolder(const QString &path)
{
    if (const int error = makeFolderRaw(path))
        return toError(error);
    const QByteArray name = native(QFileInfo(path).absoluteFilePath());
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0)
        return toError(errno);
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) == 0)
        return {};
    return ::chmod(name.constData(), st.st_mode & 07700) == 0 ? std::error_code() : toError(errno);
}

std::error_code hardLink(const QString &from, const QString &to)
{
    return toError(hardLinkRaw(from, to));
}

} // namespace quill::files
