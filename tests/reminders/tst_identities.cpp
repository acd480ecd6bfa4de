#include "reminders/datafile.h"
#include "reminders/identities.h"
#include "reminders/session.h"

#include <QTemporaryDir>
#include <QTest>

using namespace quill;

namespace {

Reminder other(const QString &text, const QString &hour = u"08"_qs)
{
    return {u"e"_qs, u" "_qs,  u" "_qs, u"*"_qs, u"május"_qs, u"1"_qs,
            hour,    u"00"_qs, u" "_qs, text,    u"1"_qs};
}

// The book saved by the program and read back by the next start.
QStringList uidsAfterRestart(ReminderSession &session, const QString &path)
{
    if (!session.save().ok())
        return {u"(not saved)"_qs};
    ReminderFile again(path);
    ReminderBook book;
    again.load(book);
    QStringList uids;
    for (int row = 0; row < ReminderRows; ++row) {
        if (book.table.inUse(row))
            uids << book.table.identity(row)->uid;
    }
    return uids;
}

} // namespace

class TestIdentities : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keptThroughEditsAndRestarts_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("deleted");
        QTest::addColumn<int>("changed");
        QTest::newRow("first of two same texts deleted")
            << QStringList{u"Vitamin"_qs, u"Vitamin"_qs} << 0 << -1;
        QTest::newRow("middle deleted, rows close up")
            << QStringList{u"Kert"_qs, u"Vitamin"_qs, u"Kert"_qs, u"Posta"_qs} << 1 << 3;
        QTest::newRow("alert time and switch changed")
            << QStringList{u"Kert"_qs, u"Kert"_qs} << -1 << 1;
    }
    // A reminder is named when it is made; the name stays through changes of its alert, the
    // deletion of other rows (with the same text too) and restarts, whose rows close up.
    void keptThroughEditsAndRestarts()
    {
        QFETCH(QStringList, texts);
        QFETCH(int, deleted);
        QFETCH(int, changed);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"remembers.txt"_qs);
        ReminderFile file(path);
        ReminderSession session(file);
        session.load();
        for (const QString &text : texts)
            QCOMPARE(session.store(other(text)), StoreResult::Stored);
        QStringList expected;
        for (int row = 0; row < texts.size(); ++row) {
            QVERIFY(session.table().identity(row));
            expected << session.table().identity(row)->uid;
        }
        QCOMPARE(QSet<QString>(expected.cbegin(), expected.cend()).size(), texts.size());
        QCOMPARE(uidsAfterRestart(session, path), expected);
        if (changed >= 0) {
            session.setField(changed, Field::Hour, u"11"_qs);
            session.setActive(changed, false);
        }
        if (deleted >= 0) {
            session.clear(deleted);
            expected.removeAt(deleted);
        }
        QCOMPARE(uidsAfterRestart(session, path), expected);
        ReminderFile third(path);
        ReminderBook book;
        third.load(book);
        QCOMPARE(encodeIdentities(book.table), encodeIdentities(session.table()));
    }

    void identityFileRead_data()
    {
        QTest::addColumn<QByteArray>("kept");
        QTest::addColumn<QStringList>("expected"); // "new" for a name made anew
        const QByteArray a = reminderFingerprint(other(u"A"_qs)).toLatin1();
        const QByteArray b = reminderFingerprint(other(u"B"_qs)).toLatin1();
        QTest::newRow("none: each row named once")
            << QByteArray() << QStringList{u"new"_qs, u"new"_qs};
        QTest::newRow("by position")
            << "0\tua\t2026-01-01\t" + a + "\n1\tub\t2026-01-01\t" + b + "\n"
            << QStringList{u"ua"_qs, u"ub"_qs};
        QTest::newRow("before its rows closed up")
            << "3\tub\t2026-01-01\t" + b + "\n1\tua\t2026-01-01\t" + a + "\n"
            << QStringList{u"ua"_qs, u"ub"_qs};
        QTest::newRow("renamed in place") << "0\tua\t2026-01-01\tx\n1\tub\t2026-01-01\t" + b + "\n"
                                          << QStringList{u"ua"_qs, u"ub"_qs};
        QTest::newRow("positions of no row")
            << QByteArray("-1\tua\t2026-01-01\tx\n51\tub\t2026-01-01\tx\n")
            << QStringList{u"new"_qs, u"new"_qs};
        QTest::newRow("damaged lines")
            << "0\tua\tkedd\t" + a + "\nszemét\n1\t\t2026-01-01\t" + b + "\n"
            << QStringList{u"new"_qs, u"new"_qs};
    }
    // What the file beside the data file gives the rows of a loaded book.
    void identityFileRead()
    {
        QFETCH(QByteArray, kept);
        QFETCH(QStringList, expected);
        ReminderBook book;
        QCOMPARE(storeReminder(book, other(u"A"_qs)), StoreResult::Stored);
        QCOMPARE(storeReminder(book, other(u"B"_qs)), StoreResult::Stored);
        book.table.setIdentity(0, std::nullopt);
        book.table.setIdentity(1, std::nullopt);
        attachIdentities(book.table, kept, QDate(2026, 12, 7));
        for (int row = 0; row < 2; ++row) {
            QVERIFY(book.table.identity(row));
            if (expected[row] == u"new")
                QCOMPARE(book.table.identity(row)->created, QDate(2026, 12, 7));
            else
                QCOMPARE(book.table.identity(row)->uid, expected[row]);
        }
        QVERIFY(book.table.identity(0)->uid != book.table.identity(1)->uid);
    }
};

QTEST_GUILESS_MAIN(TestIdentities)
#include "tst_identities.moc"
