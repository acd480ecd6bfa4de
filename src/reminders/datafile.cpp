#include "datafile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <optional>

namespace quill {

namespace {

// Valid UTF-8 with a character beyond ASCII is taken for UTF-8: Windows-1250 text is almost never
// valid UTF-8 (its accented letters would have to be followed by rare symbols such as "ˇ" or
// "‘"), and where it is, the original is kept before it is written back.
bool hasMultiByteSequence(const QByteArray &bytes)
{
    return std::any_of(bytes.cbegin(), bytes.cend(), [](char c) { return (c & 0x80) != 0; });
}

// UTF-16 without a byte-order mark: NUL bytes between ASCII characters, on one side only.
std::optional<QStringDecoder::Encoding> unmarkedUtf16(const QByteArray &bytes)
{
    if (bytes.size() < 4 || bytes.size() % 2 != 0)
        return std::nullopt;
    const qsizetype pairs = std::min<qsizetype>(bytes.size() / 2, 4096);
    qsizetype evenZero = 0, oddZero = 0;
    for (qsizetype i = 0; i < pairs; ++i) {
        evenZero += bytes[2 * i] == '\0';
        oddZero += bytes[2 * i + 1] == '\0';
    }
    if (oddZero * 4 >= pairs * 3 && evenZero * 10 < pairs)
        return QStringDecoder::Utf16LE;
    if (evenZero * 4 >= pairs * 3 && oddZero * 10 < pairs)
        return QStringDecoder::Utf16BE;
    return std::nullopt;
}

// Text is letters, digits, signs, blanks, tabs and line ends; anything else means the bytes are
// no reminder file (or not in an encoding we can tell), and loading them would make garbage rows.
bool isText(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\r' && u != u'\n') || (u >= 0x7F && u <= 0x9F) ||
            u == 0xFFFD)
            return false;
    }
    return true;
}

QString decodeFile(const QByteArray &bytes, FileEncoding *encoding)
{
    // Files are Windows-1250. A byte-order mark, or NUL bytes between ASCII characters, say
    // UTF-16. A UTF-8 mark, or valid UTF-8 beyond ASCII, says UTF-8.
    *encoding = FileEncoding::Utf16;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16).decode(bytes);
    if (const auto utf16 = unmarkedUtf16(bytes))
        return QStringDecoder(*utf16).decode(bytes);
    QStringDecoder utf(QStringDecoder::Utf8);
    const QString asUtf8 = utf.decode(bytes);
    if (!utf.hasError() && (bytes.startsWith("\xEF\xBB\xBF") || hasMultiByteSequence(bytes))) {
        *encoding = FileEncoding::Utf8;
        return asUtf8;
    }
    *encoding = FileEncoding::Windows1250;
    return QStringDecoder("windows-1250").decode(bytes);
}

// One line into a record; returns whether it had all twelve separators. What follows the twelfth
// is kept as it stands.
bool parseLine(QStringView line, Reminder &reminder)
{
    int field = 0;
    qsizetype start = 0;
    while (field < ReminderFields) {
        const qsizetype bar = line.indexOf(u'|', start);
        if (bar < 0) {
            if (start < line.size())
                reminder.setField(Field(field), line.mid(start).toString());
            return false;
        }
        reminder.setField(Field(field), line.mid(start, bar - start).toString());
        start = bar + 1;
        ++field;
    }
    reminder.setTail(line.mid(start).toString());
    return true;
}

// Every character the file's code page holds; anything else is written as "?", one for one, so
// that no character can vanish or change the line's shape.
QString fileSafe(const QString &text)
{
    QString safe;
    safe.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            safe += u'?';
            ++i;
        } else {
            safe += fileCodePageHolds(c) ? c : QChar(u'?');
        }
    }
    return safe;
}

} // namespace

bool LoadReport::keepsOriginal() const
{
    switch (outcome) {
    case Outcome::Missing:
    case Outcome::NotAFile:
        return false;
    case Outcome::Unreadable:
    case Outcome::NotText:
        return true;
    case Outcome::Loaded:
        break;
    }
    return encoding != FileEncoding::Windows1250 || notLoaded > 0 || freeLines > 0 ||
           rewriteDiffers;
}

namespace {

// The lines of a decoded file as records, at most `room` of them; the rest are counted.
QList<Reminder> readLines(const QString &text, int room, LoadReport &report)
{
    QList<Reminder> rows;
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView line = QStringView(text).mid(pos, end - pos);
        pos = end + 1;
        if (end < n && text[end] == u'\r' && pos < n && text[pos] == u'\n')
            ++pos;
        if (line.trimmed().isEmpty())
            continue;
        if (rows.size() >= room) {
            ++report.notLoaded;
            continue;
        }
        Reminder reminder;
        if (!parseLine(line, reminder))
            ++report.shortLines;
        if (!reminder.inUse())
            ++report.freeLines;
        rows << reminder;
    }
    return rows;
}

// Whether the rows in use, written to the file and read back, come back as they are.
bool rewritesUnchanged(const QList<Reminder> &rows)
{
    ReminderTable table;
    QList<Reminder> inUse;
    for (int r = 0; r < rows.size(); ++r) {
        table.setRow(r, rows[r]);
        if (table.inUse(r))
            inUse << rows[r];
    }
    FileEncoding encoding;
    LoadReport ignored;
    const QList<Reminder> back =
        readLines(decodeFile(encodeReminders(table), &encoding), ReminderRows, ignored);
    if (back.size() != inUse.size())
        return false;
    // The row number is the line's, not the file's: everything else must come back.
    for (int r = 0; r < back.size(); ++r) {
        Reminder again = back[r];
        again.setField(Field::RowNumber, inUse[r].field(Field::RowNumber));
        if (again != inUse[r])
            return false;
    }
    return true;
}

} // namespace

LoadReport loadReminders(ReminderBook &book, const QByteArray &bytes)
{
    LoadReport report;
    const QString text = decodeFile(bytes, &report.encoding);
    if (!isText(text)) {
        report.outcome = LoadReport::Outcome::NotText;
        return report;
    }
    const int room = std::clamp(ReminderRows - book.rowsHandedOut, 0, ReminderRows);
    const QList<Reminder> rows = readLines(text, room, report);
    // Text that only happens to look like Windows-1250 (or that looks like another encoding
    // once the program has written it) would not come back as it was: its original is kept.
    report.rewriteDiffers = !rewritesUnchanged(rows);
    report.foreignCharacters = int(std::count_if(text.cbegin(), text.cend(), [](QChar c) {
        return c != u'\r' && c != u'\n' && !fileCodePageHolds(c);
    }));
    for (Reminder reminder : rows) {
        reminder.setField(Field::RowNumber, QString::number(book.rowsHandedOut));
        book.table.setRow(book.rowsHandedOut, reminder);
        ++book.rowsHandedOut;
        ++report.loaded;
    }
    return report;
}

QByteArray encodeReminders(const ReminderTable &table)
{
    QString text;
    int line = 0;
    for (int r = 0; r < ReminderRows; ++r) {
        if (!table.inUse(r))
            continue;
        for (int f = 0; f < int(Field::RowNumber); ++f)
            text += fileSafe(table.field(r, Field(f))) + u'|';
        text +=
            QString::number(line) + u'|' + fileSafe(table.row(r).tail()) + QStringLiteral("\r\n");
        ++line;
    }
    QStringEncoder encoder("windows-1250");
    return encoder.encode(text);
}

namespace {

QString backupSentence(const LoadReport &r)
{
    if (!r.keepsOriginal())
        return {};
    if (!r.backupPath.isEmpty())
        return QStringLiteral("A teljes régi fájlt a program megőrizte ezen a néven:\n") +
               r.backupPath;
    return QStringLiteral("A régi fájlról nem sikerült biztonsági másolatot készíteni (%1); "
                          "a program addig nem írja felül, amíg a másolat el nem készül.")
        .arg(files::reasonText(r.backupError));
}

} // namespace

bool loadNoticeIsFailure(const LoadReport &r)
{
    return r.outcome == LoadReport::Outcome::Unreadable ||
           r.outcome == LoadReport::Outcome::NotAFile || r.outcome == LoadReport::Outcome::NotText;
}

QString loadNotice(const LoadReport &r, const QString &path)
{
    QStringList parts;
    switch (r.outcome) {
    case LoadReport::Outcome::Missing:
        return {};
    case LoadReport::Outcome::Unreadable:
        parts << QStringLiteral("Az emlékeztetők fájlja nem olvasható:\n%1\nOk: %2.")
                     .arg(path, files::reasonText(r.error))
              << QStringLiteral("A program üres listával indul.");
        break;
    case LoadReport::Outcome::NotAFile:
        parts << QStringLiteral("Az emlékeztetők fájlja nem használható:\n%1\nOk: %2.")
                     .arg(path, files::reasonText(r.error))
              << QStringLiteral("A program üres listával indul, és oda semmit sem ír; a mentés "
                                "addig nem lehetséges, amíg ez így marad.");
        break;
    case LoadReport::Outcome::NotText:
        parts << QStringLiteral("Az emlékeztetők fájlja nem szöveges fájlnak látszik "
                                "(vezérlőkaraktereket vagy bináris adatot tartalmaz):\n%1")
                     .arg(path)
              << QStringLiteral("A program üres listával indul.");
        break;
    case LoadReport::Outcome::Loaded:
        if (r.encoding != FileEncoding::Windows1250)
            parts << QStringLiteral("Az emlékeztetők fájlja %1 kódolású volt; a program "
                                    "beolvasta, és mentéskor Windows-1250 kódolással írja vissza.")
                         .arg(r.encoding == FileEncoding::Utf8 ? QStringLiteral("UTF-8")
                                                               : QStringLiteral("UTF-16"));
        if (r.foreignCharacters > 0)
            parts << QStringLiteral("A fájl %1 olyan karaktert tartalmaz, amely a Windows-1250 "
                                    "kódolásban nem létezik; mentéskor ezek helyére kérdőjel "
                                    "kerül.")
                         .arg(r.foreignCharacters);
        if (r.notLoaded > 0)
            parts << QStringLiteral("Az emlékeztetők fájljában több bejegyzés van, mint amennyi "
                                    "elfér (51). %1 bejegyzés nem töltődött be.")
                         .arg(r.notLoaded);
        if (r.freeLines > 0)
            parts << QStringLiteral("A fájl %1 sorában nincs megadva az emlékeztető fajtája; "
                                    "ezeket a program nem tudja használni.")
                         .arg(r.freeLines);
        if (r.rewriteDiffers && parts.isEmpty())
            parts << QStringLiteral("Az emlékeztetők fájljának egyes sorai mentés után nem "
                                    "pontosan így kerülnének vissza.");
        break;
    }
    if (parts.isEmpty())
        return {};
    const QString backup = backupSentence(r);
    if (!backup.isEmpty())
        parts << backup;
    return parts.join(QStringLiteral("\n\n"));
}

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
        report = loadReminders(book, read.bytes);
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
        if (onChanged == OnChangedFile::KeepTheirs) {
            const QByteArray mine = encodeReminders(table);
            std::error_code error = files::systemError(EEXIST);
            for (int n = 1; n < 1000 && error == std::errc::file_exists; ++n) {
                const QString name = backupName(n);
                if (files::readRegularFile(name, maxBytes).bytes == mine &&
                    files::stampOf(name).exists) {
                    error = {};
                } else {
                    error = files::writeNewFile(name, mine);
                }
                if (!error)
                    report.mineKeptAs = name;
            }
            if (error)
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
    return report;
}

namespace {
QString fileKey(const QString &path)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
}
} // namespace

QString ReminderFile::emergencyPath() const
{
    return m_stateHome + QStringLiteral("/Zelmarin/Quillomat/emergency-") + fileKey(m_path) +
           QStringLiteral(".txt");
}

std::error_code ReminderFile::writeEmergencyCopy(const ReminderTable &table,
                                                 QString *writtenTo) const
{
    const QByteArray bytes = encodeReminders(table);
    QStringList places{emergencyPath()};
    const QString runtime = files::privateRuntimeFolder();
    if (!runtime.isEmpty())
        places << runtime + QStringLiteral("/emergency-") + fileKey(m_path) +
                      QStringLiteral(".txt");
    std::error_code error = files::systemError(ENOENT);
    for (const QString &place : places) {
        error = files::makeFolder(QFileInfo(place).absolutePath());
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
    QStringList places{emergencyPath()};
    const QString runtime = files::privateRuntimeFolder();
    if (!runtime.isEmpty())
        places << runtime + QStringLiteral("/emergency-") + fileKey(m_path) +
                      QStringLiteral(".txt");
    for (const QString &place : places) {
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
    QStringList keys{fileKey(m_path)};
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

namespace {
QString failureReason(const SaveReport &report)
{
    switch (report.failed) {
    case SaveReport::Stage::OtherCopy:
        return QStringLiteral("a fájlt a Quillomat egy másik, most futó példánya használja");
    case SaveReport::Stage::Backup:
        return QStringLiteral("a régi fájlról nem sikerült biztonsági másolatot készíteni (%1), "
                              "ezért a program nem írja felül")
            .arg(files::reasonText(report.error));
    case SaveReport::Stage::Write:
    case SaveReport::Stage::None:
        break;
    }
    return files::reasonText(report.error);
}
} // namespace

QString saveFailureText(const ReminderFile &file, const SaveReport &report)
{
    return QStringLiteral("A mentés nem sikerült, az emlékeztetők a programban megmaradtak.\n\n") +
           file.path() + QStringLiteral("\nOk: ") + failureReason(report) + u'.';
}

QString emergencyText(const ReminderFile &file, const SaveReport &report,
                      const std::error_code &emergencyError, const QString &writtenTo)
{
    const QString failed = QStringLiteral("Quillomat: a mentés nem sikerült: ") + file.path() +
                           QStringLiteral("\nOk: ") + failureReason(report) + u'.';
    if (!emergencyError)
        return failed +
               QStringLiteral("\nA mentetlen emlékeztetőket a program vészmentésként "
                              "ide írta:\n") +
               writtenTo +
               QStringLiteral("\nA program következő indításkor felajánlja a visszatöltésüket.");
    return failed + QStringLiteral("\nVészmentést sem sikerült készíteni (%1); a mentetlen "
                                   "módosítások elvesztek.")
                        .arg(files::reasonText(emergencyError));
}

} // namespace quill
