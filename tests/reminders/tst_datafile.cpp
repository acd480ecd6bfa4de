#include "reminders/datafile.h"
#include "reminders/table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace quill;

namespace {
QByteArray cp1250(const QString &s)
{
    QStringEncoder e("windows-1250");
    return e.encode(s);
}
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
std::array<QString, 10> egyeb(const QString &text)
{
    return {u"e"_qs, u" "_qs, u" "_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"00"_qs, u" "_qs, text};
}
} // namespace

class TestDataFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstLineAndFields()
    {
        ReminderBook book;
        const QByteArray bytes =
            cp1250(u"n|Kiss|Ábel|*|január|1|*|08| január 2.| |1|7|tail ignored\r\n"_qs);
        const LoadReport r = loadReminders(book, bytes);
        QCOMPARE(r.loaded, 1);
        QCOMPARE(book.sorszam, 1);
        QCOMPARE(book.table.field(0, Fld::Text2), u"Ábel"_qs);
        QCOMPARE(book.table.field(0, Fld::FreeText), u" "_qs);
        QCOMPARE(book.table.field(0, Fld::RowNumber), u"0"_qs);
        QCOMPARE(book.table.field(0, Fld::When), u" január 2."_qs);
    }

    void emptyFieldsAndEmptyFile()
    {
        ReminderBook book;
        QCOMPARE(loadReminders(book, QByteArray()).loaded, 0);
        QCOMPARE(book.sorszam, 0);
        loadReminders(book, "e||||||||||1|0|\r\n");
        QCOMPARE(book.table.field(0, Fld::Text1), QString());
        QCOMPARE(book.table.field(0, Fld::Active), u"1"_qs);
        QCOMPARE(encodeReminders(ReminderTable()), QByteArray());
    }

    // The example line of the format: an "Egyéb" stored as the third line.
    void exampleLine()
    {
        ReminderBook book;
        for (int i = 0; i < 3; ++i)
            QCOMPARE(storeReminder(book, egyeb(u"Fizetés"_qs)), StoreResult::Stored);
        const QList<QByteArray> lines = encodeReminders(book.table).split('\n');
        QCOMPARE(lines.at(2), cp1250(u"e| | |*|*|*|*|00| |Fizetés|1|2|\r"_qs));
    }

    void packingAfterDelete()
    {
        ReminderBook book;
        for (const QString &t : {u"egy"_qs, u"kettő"_qs, u"három"_qs})
            storeReminder(book, egyeb(t));
        clearReminder(book, 1);
        const QByteArray bytes = encodeReminders(book.table);
        QCOMPARE(bytes,
                 cp1250(u"e| | |*|*|*|*|00| |egy|1|0|\r\ne| | |*|*|*|*|00| |három|1|1|\r\n"_qs));
        QCOMPARE(book.table.field(2, Fld::RowNumber), u"2"_qs); // memory keeps the row index
        QCOMPARE(book.sorszam, 3);
        ReminderBook next;
        loadReminders(next, bytes);
        QCOMPARE(next.table.field(1, Fld::FreeText), u"három"_qs);
        QCOMPARE(next.table.field(1, Fld::RowNumber), u"1"_qs);
        QCOMPARE(next.sorszam, 2);
    }

    void freeRowNeverWritten()
    {
        ReminderBook book;
        book.table.setField(5, Fld::Text1, u"maradék"_qs);
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
        QTest::newRow("NUL bytes") << QByteArray("e|\0|x|\0\0\r\n", 10) << 1 << 0;
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
        QCOMPARE(book.sorszam, loaded);
        for (int row = 0; row < loaded; ++row)
            QCOMPARE(book.table.field(row, Fld::RowNumber), QString::number(row));
    }

    void shortLineKeepsItsFields()
    {
        ReminderBook book;
        const LoadReport r = loadReminders(book, cp1250(u"n|Kiss|Ábel|*|\r\n"_qs));
        QCOMPARE(r.shortLines, 1);
        QCOMPARE(book.table.field(0, Fld::Text2), u"Ábel"_qs);
        QCOMPARE(book.table.field(0, Fld::Year), u"*"_qs);
        QCOMPARE(book.table.field(0, Fld::Month), QString());
    }

    void encodings()
    {
        ReminderBook utf;
        const LoadReport r =
            loadReminders(utf, u"e| | |*|*|*|*|00| |Őszi ünnep|1|0|\n"_qs.toUtf8());
        QVERIFY(r.utf8);
        QCOMPARE(utf.table.field(0, Fld::FreeText), u"Őszi ünnep"_qs);
        ReminderBook ansi;
        const LoadReport a = loadReminders(ansi, cp1250(u"e| | |*|*|*|*|00| |Őszi ünnep|1|0|"_qs));
        QVERIFY(!a.utf8);
        QCOMPARE(ansi.table.field(0, Fld::FreeText), u"Őszi ünnep"_qs);
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
        QCOMPARE(book.sorszam, 0);
        QVERIFY(!book.modositva);
        QCOMPARE(storeReminder(book, egyeb(u"€ és ő"_qs)), StoreResult::Stored);
        QVERIFY(!storeRefusal(StoreResult::BadText).isEmpty());
    }

    void fullTableReusesAFreedRow()
    {
        ReminderBook book;
        for (int i = 0; i < ReminderRows; ++i)
            QCOMPARE(storeReminder(book, egyeb(QString::number(i))), StoreResult::Stored);
        QCOMPARE(book.sorszam, 51);
        QCOMPARE(storeReminder(book, egyeb(u"több"_qs)), StoreResult::TableFull);
        clearReminder(book, 7);
        QCOMPARE(storeReminder(book, egyeb(u"új"_qs)), StoreResult::Stored);
        QCOMPARE(book.table.field(7, Fld::FreeText), u"új"_qs);
        QCOMPARE(book.table.field(7, Fld::RowNumber), u"7"_qs);
        QCOMPARE(book.sorszam, 51);
    }

    void fileMissingThenCreated()
    {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(u"sub/remembers.txt"_qs);
        ReminderFile file(path);
        ReminderBook book;
        QVERIFY(file.load(book).missing);
        QCOMPARE(book.sorszam, 0);
        storeReminder(book, egyeb(u"x"_qs));
        QVERIFY(file.save(book.table).ok);
        QCOMPARE(readAll(path), encodeReminders(book.table));
        QVERIFY(file.backupPath().isEmpty());
    }

    void overflowKeepsABackup()
    {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(u"remembers.txt"_qs);
        const QByteArray original = QByteArray("e| | |*|*|*|*|00| |x|1|0|\r\n").repeated(60);
        writeAll(path, original);
        ReminderFile file(path);
        ReminderBook book;
        QCOMPARE(file.load(book).notLoaded, 9);
        QVERIFY(file.save(book.table).ok);
        QCOMPARE(readAll(path + u".bak"_qs), original);
        QCOMPARE(file.backupPath(), path + u".bak"_qs);
        QVERIFY(file.save(book.table).ok); // one backup per run
        QVERIFY(!QFile::exists(path + u".bak2"_qs));
    }

    void failedSaveReportsAndKeepsWhatWasThere()
    {
        // A folder where the file should be: no save can replace it, not even as root.
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(u"remembers.txt"_qs);
        QVERIFY(QDir().mkpath(path + u"/keep"_qs));
        ReminderFile file(path);
        ReminderBook book;
        storeReminder(book, egyeb(u"x"_qs));
        const SaveReport r = file.save(book.table);
        QVERIFY(!r.ok);
        QVERIFY(!r.errorText.isEmpty());
        QVERIFY(QFileInfo(path + u"/keep"_qs).isDir());
    }

    void secondCopyIsLockedOut()
    {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(u"remembers.txt"_qs);
        ReminderFile first(path);
        ReminderFile second(path);
        QVERIFY(first.lock());
        QVERIFY(!second.lock());
    }
};

QTEST_GUILESS_MAIN(TestDataFile)
#include "tst_datafile.moc"
