#include "reminders/datafile.h"
#include "reminders/table.h"
#include "support/filebytes.h"
#include "support/realfaults.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace quill;
using namespace quill::test;

namespace {
QByteArray cp1250(const QString &s)
{
    QStringEncoder e("windows-1250");
    return e.encode(s);
}
Reminder egyeb(const QString &text)
{
    return {u"e"_qs, u" "_qs, u" "_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"00"_qs, u" "_qs, text};
}
} // namespace

class TestDataFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A line into fields: blanks kept, field 11 the row, a short line kept as far as it goes, and
    // what follows the twelfth "|" (another program's fields) written back byte for byte.
    void linesIntoFields()
    {
        ReminderBook book;
        const QByteArray bytes =
            cp1250(u"n|Kiss|Ábel|*|január|1|*|08| január 2.| |1|7|más|mező| ő \r\n"
                   "n|Kiss|Ábel|*|\r\n"_qs);
        const LoadReport r = loadReminders(book, bytes);
        QCOMPARE(r.loaded, 2);
        QCOMPARE(r.shortLines, 1);
        QVERIFY(!r.keepsOriginal());
        QCOMPARE(book.table.field(0, Field::FreeText), u" "_qs);
        QCOMPARE(book.table.field(0, Field::RowNumber), u"0"_qs);
        QCOMPARE(book.table.field(0, Field::When), u" január 2."_qs);
        QCOMPARE(encodeReminders(book.table).split('\n').first(),
                 cp1250(u"n|Kiss|Ábel|*|január|1|*|08| január 2.| |1|0|más|mező| ő \r"_qs));
        QCOMPARE(book.table.field(1, Field::Year), u"*"_qs);
        QCOMPARE(book.table.field(1, Field::Month), QString());
    }

    void packingAfterDelete()
    {
        ReminderBook book;
        for (const QString &t : {u"egy"_qs, u"kettő"_qs, u"három"_qs})
            storeReminder(book, egyeb(t));
        book.table.clearRow(1);
        const QByteArray bytes = encodeReminders(book.table);
        QCOMPARE(bytes,
                 cp1250(u"e| | |*|*|*|*|00| |egy|1|0|\r\ne| | |*|*|*|*|00| |három|1|1|\r\n"_qs));
        QCOMPARE(book.table.field(2, Field::RowNumber), u"2"_qs); // memory keeps the row index
        QCOMPARE(book.rowsHandedOut, 3);
        ReminderBook next;
        loadReminders(next, bytes);
        QCOMPARE(next.table.field(1, Field::FreeText), u"három"_qs);
        QCOMPARE(next.table.field(1, Field::RowNumber), u"1"_qs);
        QCOMPARE(next.rowsHandedOut, 2);
    }

    void freeRowNeverWritten()
    {
        ReminderBook book;
        book.table.setField(5, Field::Text1, u"maradék"_qs);
        QCOMPARE(encodeReminders(book.table), QByteArray());
    }

    void roundTripIsByteExact()
    {
        const QByteArray original =
            cp1250(u"n|Őri|Lőrinc|*|augusztus|9|*|00|augusztus 10. szeptember 5.| |1|0|\r\n"
                   "s|Űrös|Ödön|2027|november|15|07|30|november 16.| |0|1|\r\n"
                   "t|Ebéd|Budapest|2026|március|14|*|30|2026. március 15. 14:30| |1|2|\r\n"
                   "m|Víz|12-345| |*|*|*|00| | |1|3|\r\n"_qs);
        ReminderBook book;
        loadReminders(book, original);
        QCOMPARE(encodeReminders(book.table), original);
        QCOMPARE(encodeReminders(book.table), encodeReminders(book.table));
    }

    // Odd files never crash or hang the loader, and lose no line without saying so.
    void oddFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("loaded");
        QTest::addColumn<int>("notLoaded");
        const QByteArray line = "e| | |*|*|*|*|00| |x|1|0|";
        QTest::newRow("0 bytes") << QByteArray() << 0 << 0;
        QTest::newRow("no final line end") << QByteArray(line + "\r\n" + line) << 2 << 0;
        QTest::newRow("LF only") << QByteArray(line + "\n" + line + "\n") << 2 << 0;
        QTest::newRow("lone CR") << QByteArray(line + "\r" + line + "\r") << 2 << 0;
        QTest::newRow("blank lines") << QByteArray("\r\n\r\n" + line + "\r\n   \r\n") << 1 << 0;
        QTest::newRow("short line") << QByteArray("n|Kiss|Ábel") << 1 << 0;
        QTest::newRow("10000 lines") << QByteArray(line + "\r\n").repeated(10000) << 51 << 9949;
        QTest::newRow("1 MB line") << QByteArray(1 << 20, 'x') << 1 << 0;
        QTest::newRow("1 MB of bars") << QByteArray(1 << 20, '|') << 1 << 0;
        QTest::newRow("60 lines") << QByteArray(line + "\r\n").repeated(60) << 51 << 9;
    }
    void oddFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, loaded);
        QFETCH(int, notLoaded);
        ReminderBook book;
        const LoadReport r = loadReminders(book, bytes);
        QCOMPARE(r.loaded, loaded);
        QCOMPARE(r.notLoaded, notLoaded);
        QCOMPARE(book.rowsHandedOut, loaded);
        for (int row = 0; row < loaded; ++row)
            QCOMPARE(book.table.field(row, Field::RowNumber), QString::number(row));
    }

    // What the bytes are decides how they are read; whatever is not Windows-1250 text is kept
    // whole before the file is first replaced.
    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<bool>("keeps");
        const QString line = u"e| | |*|*|*|*|00| |Őszi ünnep|1|0|\r\n"_qs;
        const auto utf16 = [&line](QStringEncoder::Encoding e, bool mark) {
            QStringEncoder encoder(e, mark ? QStringEncoder::Flag::WriteBom
                                           : QStringEncoder::Flag::Default);
            return QByteArray(encoder.encode(line));
        };
        const int loaded = int(LoadReport::Outcome::Loaded);
        const int notText = int(LoadReport::Outcome::NotText);
        const int cp = int(FileEncoding::Windows1250), u8 = int(FileEncoding::Utf8),
                  u16 = int(FileEncoding::Utf16);
        QTest::newRow("windows-1250") << cp1250(line) << loaded << cp << false;
        QTest::newRow("utf-8") << line.toUtf8() << loaded << u8 << true;
        // Valid UTF-8 beyond ASCII is UTF-8, Hungarian letters or none: no silent mojibake.
        QTest::newRow("utf-8, Cyrillic and euro")
            << u"e| | |*|*|*|*|00| |Ж €|1|0|\r\n"_qs.toUtf8() << loaded << u8 << true;
        QTest::newRow("utf-8 mark")
            << QByteArray("\xEF\xBB\xBF" + line.toUtf8()) << loaded << u8 << true;
        QTest::newRow("utf-16le mark")
            << utf16(QStringEncoder::Utf16LE, true) << loaded << u16 << true;
        QTest::newRow("utf-16be mark")
            << utf16(QStringEncoder::Utf16BE, true) << loaded << u16 << true;
        QTest::newRow("utf-16le") << utf16(QStringEncoder::Utf16LE, false) << loaded << u16 << true;
        QTest::newRow("utf-16be") << utf16(QStringEncoder::Utf16BE, false) << loaded << u16 << true;
        QTest::newRow("NUL bytes") << QByteArray("e|\0|x|\0\0\r\n", 10) << notText << cp << true;
        QTest::newRow("binary") << QByteArray::fromHex("7f454c460201010000000000") << notText << cp
                                << true;
        QTest::newRow("escape") << QByteArray("e| | |*|*|*|*|00| |\x1b[2J|1|0|\r\n") << notText
                                << cp << true;
        QTest::newRow("DEL") << QByteArray("e| | |*|*|*|*|00| |a\x7f|1|0|\r\n") << notText << cp
                             << true;
        QTest::newRow("C1 control")
            << QByteArray("e| | |*|*|*|*|00| |a\xc2\x85|1|0|\r\n") << notText << u8 << true;
        QTest::newRow("tab is text")
            << QByteArray("e| | |*|*|*|*|00| |a\tb|1|0|\r\n") << loaded << cp << false;
    }
    void encodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, outcome);
        QFETCH(int, encoding);
        QFETCH(bool, keeps);
        ReminderBook book;
        const LoadReport r = loadReminders(book, bytes);
        QCOMPARE(int(r.outcome), outcome);
        QCOMPARE(r.keepsOriginal(), keeps);
        if (outcome == int(LoadReport::Outcome::NotText)) {
            QCOMPARE(book.rowsHandedOut, 0);
            return;
        }
        QCOMPARE(int(r.encoding), encoding);
        QCOMPARE(book.rowsHandedOut, 1);
        QVERIFY(book.table.field(0, Field::FreeText) == u"Őszi ünnep"_qs ||
                book.table.field(0, Field::FreeText) == u"a\tb"_qs ||
                (book.table.field(0, Field::FreeText) == u"Ж €"_qs && r.foreignCharacters == 1 &&
                 loadNotice(r, u"f"_qs).contains(u"kérdőjel"_qs)));
    }

    // Text the code page cannot hold is written as "?", one for one; the line keeps its shape.
    void foreignCharactersKeepTheLine()
    {
        ReminderBook book;
        book.table.setRow(0, {u"\uFEFF"_qs, u"😀"_qs, u"Ж"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs,
                              u"00"_qs, u" "_qs, u"ő€"_qs, u"1"_qs, u"0"_qs});
        const QByteArray bytes = encodeReminders(book.table);
        QCOMPARE(bytes, QByteArray("?|?|?|*|*|*|*|00| |\xf5\x80|1|0|\r\n"));
        ReminderBook again;
        loadReminders(again, bytes);
        QCOMPARE(encodeReminders(again.table), bytes);
    }

    void refusedTexts()
    {
        ReminderBook book;
        QCOMPARE(storeReminder(book, egyeb(u"a|b"_qs)), StoreResult::BadText);
        QCOMPARE(storeReminder(book, egyeb(u"két\nsor"_qs)), StoreResult::BadText);
        QCOMPARE(storeReminder(book, egyeb(u"€ és 😀"_qs)), StoreResult::BadText);
        QCOMPARE(storeReminder(book, egyeb(u"kocsi\rvissza"_qs)), StoreResult::BadText);
        QCOMPARE(book.rowsHandedOut, 0);
        QCOMPARE(storeReminder(book, egyeb(u"€ és ő"_qs)), StoreResult::Stored);
        QVERIFY(!storeRefusal(StoreResult::BadText).isEmpty());
    }

    void fullTableReusesAFreedRow()
    {
        ReminderBook book;
        for (int i = 0; i < ReminderRows; ++i)
            QCOMPARE(storeReminder(book, egyeb(QString::number(i))), StoreResult::Stored);
        QCOMPARE(book.rowsHandedOut, 51);
        QCOMPARE(storeReminder(book, egyeb(u"több"_qs)), StoreResult::TableFull);
        book.table.clearRow(7);
        QCOMPARE(storeReminder(book, egyeb(u"új"_qs)), StoreResult::Stored);
        QCOMPARE(book.table.field(7, Field::FreeText), u"új"_qs);
        QCOMPARE(book.table.field(7, Field::RowNumber), u"7"_qs);
        QCOMPARE(book.rowsHandedOut, 51);
    }

    void fileMissingThenCreated()
    {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(u"sub/remembers.txt"_qs);
        ReminderFile file(path);
        ReminderBook book;
        const LoadReport r = file.load(book);
        QCOMPARE(r.outcome, LoadReport::Outcome::Missing);
        QVERIFY(loadNotice(r, path).isEmpty());
        storeReminder(book, egyeb(u"x"_qs));
        QVERIFY(file.save(book.table).ok());
        QCOMPARE(readAll(path), encodeReminders(book.table));
        QCOMPARE(
            QDir(dir.filePath(u"sub"_qs)).entryList(QDir::Files | QDir::Hidden),
            (QStringList{u"remembers.txt"_qs, u"remembers.txt.lock"_qs, u"remembers.txt.uid"_qs}));
    }

    // The whole original is kept under the name the message gives; an identical copy from an
    // earlier run is used again rather than piling up.
    void overflowKeepsABackup()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"remembers.txt"_qs);
        const QByteArray original = QByteArray("e| | |*|*|*|*|00| |x|1|0|\r\n").repeated(60);
        writeAll(path, original);
        writeAll(path + u".bak"_qs, "someone else's");
        for (int run = 0; run < 2; ++run) {
            ReminderFile file(path);
            ReminderBook book;
            const LoadReport r = file.load(book);
            QCOMPARE(r.notLoaded, 9);
            QCOMPARE(r.backupPath, path + u".bak2"_qs);
            QVERIFY(loadNotice(r, path).contains(u"9 bejegyzés"_qs));
            QVERIFY(loadNotice(r, path).contains(path + u".bak2"_qs));
        }
        QCOMPARE(readAll(path + u".bak2"_qs), original);
        QVERIFY(!QFile::exists(path + u".bak3"_qs));
        QCOMPARE(readAll(path + u".bak"_qs), QByteArray("someone else's"));
    }

    // A real full disk: the save fails with its reason and the old file stays byte for byte;
    // the start-up backup still gets made, as a second name of the file.
    void fullDisk()
    {
        if (rerunWithOwnMounts())
            return;
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"disk"_qs);
        SmallDisk disk(folder, 16);
        if (!disk.mounted())
            QSKIP(disk.whyNot());
        const QString path = QDir(folder).filePath(u"remembers.txt"_qs);
        const QByteArray original = QByteArray("e| | |*|*|*|*|00| |x|1|0|\r\n").repeated(52);
        writeAll(path, original);
        QVERIFY(disk.fill());
        ReminderFile file(path);
        QCOMPARE(file.lock(), files::LockFile::Result::Locked);
        ReminderBook book;
        const LoadReport r = file.load(book);
        QCOMPARE(r.notLoaded, 1);
        QVERIFY(!r.backupError);
        QCOMPARE(readAll(r.backupPath), original);
        book.table.clearRow(3);
        const SaveReport saved = file.save(book.table);
        QCOMPARE(saved.failed, SaveReport::Stage::Write);
        QCOMPARE(saved.error, files::systemError(ENOSPC));
        QCOMPARE(readAll(path), original);
        QVERIFY(saveFailureText(file, saved).contains(u"betelt a lemez"_qs));
        QVERIFY(
            !QDir(folder).entryList(QDir::Hidden | QDir::Files).join(u' ').contains(u".rem"_qs));
    }

    // A pipe or a device in the file's place is told at once and never written to.
    void notAFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("pipe") << u"pipe"_qs;
        QTest::newRow("link to /dev/null") << u"null"_qs;
        QTest::newRow("folder") << u"folder"_qs;
    }
    void notAFile()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"remembers.txt"_qs);
        if (kind == u"pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        else if (kind == u"null")
            QVERIFY(QFile::link(u"/dev/null"_qs, path));
        else
            QVERIFY(QDir().mkpath(path + u"/keep"_qs));
        ReminderFile file(path);
        QCOMPARE(file.lock(), files::LockFile::Result::Locked);
        QVERIFY(file.lockPath().startsWith(dir.path()));
        ReminderBook book;
        QElapsedTimer timer;
        timer.start();
        const LoadReport r = file.load(book);
        QVERIFY(timer.elapsed() < 1000);
        QCOMPARE(r.outcome, LoadReport::Outcome::NotAFile);
        QVERIFY(loadNotice(r, file.path()).contains(files::reasonText(r.error)));
        storeReminder(book, egyeb(u"x"_qs));
        const SaveReport saved = file.save(book.table);
        QCOMPARE(saved.failed, SaveReport::Stage::Write);
        QCOMPARE(saved.error, r.error);
        QVERIFY(!QFileInfo(u"/dev/null"_qs).isFile());
        QVERIFY(!QFileInfo(file.path()).isFile());
    }

    // As a user who may not read the file: the user is told, the file is kept under a second
    // name before anything replaces it. A file the user may not write is loaded; saves say why.
    void filesTheUserMayNotTouch()
    {
        if (rerunUnprivileged())
            return;
        QTemporaryDir dir;
        const QString secret = dir.filePath(u"secret/remembers.txt"_qs);
        QDir().mkpath(dir.filePath(u"secret"_qs));
        writeAll(secret, "e| | |*|*|*|*|00| |titok|1|0|\r\n");
        QFile::setPermissions(secret, QFileDevice::WriteOwner);
        ReminderFile file(secret);
        ReminderBook book;
        const LoadReport r = file.load(book);
        QCOMPARE(r.outcome, LoadReport::Outcome::Unreadable);
        QCOMPARE(r.error, files::systemError(EACCES));
        QCOMPARE(r.backupPath, secret + u".bak"_qs);
        QVERIFY(loadNotice(r, secret).contains(secret + u".bak"_qs));
        QCOMPARE(files::stampOf(r.backupPath).inode, files::stampOf(secret).inode);
        storeReminder(book, egyeb(u"új"_qs));
        const SaveReport first = file.save(book.table);
        QVERIFY2(first.ok(), qPrintable(saveFailureText(file, first)));
        QFile::setPermissions(secret, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(readAll(secret), encodeReminders(book.table));
        QVERIFY(files::stampOf(r.backupPath).inode != files::stampOf(secret).inode);
        // Neither readable nor writable: kept, and never replaced.
        file.unlock();
        QFile::setPermissions(secret, {});
        ReminderFile closed(secret);
        ReminderBook none;
        QCOMPARE(closed.load(none).outcome, LoadReport::Outcome::Unreadable);
        QCOMPARE(closed.save(none.table).error, files::systemError(EACCES));
        QFile::setPermissions(secret, QFileDevice::ReadOwner);
        QCOMPARE(readAll(secret), encodeReminders(book.table));

        const QString readOnly = dir.filePath(u"remembers.txt"_qs);
        const QByteArray old = "e| | |*|*|*|*|00| |régi|1|0|\r\n";
        writeAll(readOnly, old);
        QFile::setPermissions(readOnly, QFileDevice::ReadOwner);
        ReminderFile second(readOnly);
        ReminderBook loaded;
        QCOMPARE(second.load(loaded).loaded, 1);
        const SaveReport saved = second.save(loaded.table);
        QCOMPARE(saved.error, files::systemError(EACCES));
        QCOMPARE(readAll(readOnly), old);
    }

    // Someone changed the file behind the program's back (appended to it, or put a new file in
    // its place): seen before the save, and whichever version goes into the file, the other is
    // kept under the backup name the report gives.
    void externalChangeIsKept_data()
    {
        QTest::addColumn<bool>("byRename");
        QTest::addColumn<bool>("keepTheirs");
        QTest::newRow("appended, keep mine") << false << false;
        QTest::newRow("replaced, keep mine") << true << false;
        QTest::newRow("appended, keep theirs") << false << true;
    }
    void externalChangeIsKept()
    {
        QFETCH(bool, byRename);
        QFETCH(bool, keepTheirs);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"remembers.txt"_qs);
        const QByteArray first = "e| | |*|*|*|*|00| |egy|1|0|\r\n";
        writeAll(path, first);
        ReminderFile file(path);
        ReminderBook book;
        file.load(book);
        QVERIFY(file.save(book.table).ok());
        QVERIFY(!file.changedOnDisk()); // our own save is no change
        storeReminder(book, egyeb(u"enyém"_qs));
        const QByteArray theirs = first + "e| | |*|*|*|*|00| |kett\xf5|1|1|\r\n";
        if (byRename) {
            writeAll(path + u".new"_qs, theirs);
            QVERIFY(QFile::remove(path) && QFile::rename(path + u".new"_qs, path));
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::Append));
            f.write(theirs.mid(first.size()));
        }
        QVERIFY(file.changedOnDisk());
        const SaveReport saved =
            file.save(book.table, keepTheirs ? OnChangedFile::KeepTheirs : OnChangedFile::KeepMine);
        QVERIFY(saved.ok());
        const QString kept = keepTheirs ? saved.mineKeptAs : saved.theirsKeptAs;
        QCOMPARE(kept, path + u".bak"_qs);
        QCOMPARE(readAll(keepTheirs ? path : kept), theirs);
        QCOMPARE(readAll(keepTheirs ? kept : path), encodeReminders(book.table));
        QVERIFY(!file.changedOnDisk());
    }

    // A row that would not come back as it was (the program's writing of it is valid UTF-8, so
    // it would be read as UTF-8): the start does not look, the first save keeps the original
    // before it replaces it and says so; the next save asks no more.
    void rowsCheckedBeforeTheFirstSave()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"remembers.txt"_qs);
        const QByteArray original("e| | |*|*|*|*|00| |\xC3\xA9|1|\xE9|\r\n");
        writeAll(path, original);
        ReminderFile file(path, dir.filePath(u"state"_qs));
        ReminderBook book;
        QVERIFY(!file.load(book).keepsOriginal());
        QVERIFY(!QFile::exists(path + u".bak"_qs));
        const SaveReport saved = file.save(book.table);
        QVERIFY(saved.ok());
        QCOMPARE(saved.originalKeptAs, path + u".bak"_qs);
        QCOMPARE(readAll(path + u".bak"_qs), original);
        QCOMPARE(readAll(path), encodeReminders(book.table));
        QVERIFY(file.save(book.table).originalKeptAs.isEmpty());
    }

    // At the end of the program a save that fails leaves the reminders in an emergency copy in
    // the state folder, which the next start finds, takes and retires.
    void emergencyCopy()
    {
        QTemporaryDir dir;
        const QString state = dir.filePath(u"state"_qs);
        ReminderFile file(dir.filePath(u"remembers.txt"_qs), state);
        QVERIFY(file.pendingEmergencyCopy().isEmpty());
        ReminderBook book;
        storeReminder(book, egyeb(u"mentetlen"_qs));
        QString written;
        QVERIFY(!file.writeEmergencyCopy(book.table, &written));
        QVERIFY(written.startsWith(state + u"/Zelmarin/Quillomat/"_qs));
        QCOMPARE(readAll(written), encodeReminders(book.table));
        QCOMPARE(file.pendingEmergencyCopy(), written);
        const SaveReport failed{SaveReport::Stage::Write, files::systemError(ENOSPC), {}, {}, {}};
        QVERIFY(emergencyText(file, failed, {}, written).contains(written));
        const QString kept = file.retireEmergencyCopy(true);
        QVERIFY(kept != written && QFile::exists(kept) && !QFile::exists(written));
        QVERIFY(file.pendingEmergencyCopy().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDataFile)
#include "tst_datafile.moc"
