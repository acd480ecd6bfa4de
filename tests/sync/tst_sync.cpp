#include "reminders/datafile.h"
#include "sync/calendarsync.h"
#include "sync/mirror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <QTest>

using namespace quill;

namespace {
Reminder row(const QString &kind, const QString &t1, const QString &t2, const QString &hour,
             const QString &text = u" "_qs)
{
    return {kind, t1, t2, u"*"_qs, u"május"_qs, u"1"_qs, hour, u"00"_qs, u" "_qs, text, u"1"_qs};
}
} // namespace

class TestSync : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The UIDs stay with their rows across the program's own changes and a restart; a row that
    // holds another reminder gets a new one.
    void lastingNames()
    {
        QTemporaryDir dir;
        ReminderBook book;
        QCOMPARE(storeReminder(book, row(u"n"_qs, u"Kiss"_qs, u"Ábel"_qs, u"08"_qs)),
                 StoreResult::Stored);
        QCOMPARE(storeReminder(book, row(u"e"_qs, u" "_qs, u" "_qs, u"09"_qs, u"Kert"_qs)),
                 StoreResult::Stored);
        ReminderIds ids;
        QVERIFY(ids.assign(book.table, QDate(2026, 12, 7)));
        const QString path = ReminderIds::pathBeside(dir.filePath(u"remembers.txt"_qs));
        QVERIFY(!ids.save(path));
        ReminderIds again;
        again.load(path);
        QCOMPARE(again, ids);
        book.table.setField(0, Field::Hour, u"10"_qs);
        book.table.setField(0, Field::Active, u"0"_qs);
        QVERIFY(!again.assign(book.table, QDate(2027, 1, 1)));
        QCOMPARE(again.of(0)->uid, ids.of(0)->uid);
        book.table.clearRow(1);
        QCOMPARE(storeReminder(book, row(u"e"_qs, u" "_qs, u" "_qs, u"09"_qs, u"Más"_qs)),
                 StoreResult::Stored);
        QVERIFY(again.assign(book.table, QDate(2027, 1, 1)));
        QVERIFY(again.of(2)->uid != ids.of(1)->uid);
        QVERIFY(!again.of(1));
        // Saved and read back, the rows close up: each name follows its reminder.
        ReminderBook reread;
        loadReminders(reread, encodeReminders(book.table));
        ReminderIds moved = again;
        QVERIFY(moved.assign(reread.table, QDate(2027, 1, 2)));
        QCOMPARE(moved.of(0)->uid, again.of(0)->uid);
        QCOMPARE(moved.of(1)->uid, again.of(2)->uid);
        QVERIFY(!moved.of(2));
    }

    // What a round tells, cut short when it is long.
    void reportText()
    {
        SyncReport report;
        report.ok = true;
        QCOMPARE(syncReportText(report), QString());
        for (int i = 1; i <= 40; ++i)
            report.leftOut << u"Sok %1"_qs.arg(i);
        const QStringList lines = syncReportText(report).split(u'\n');
        QCOMPARE(lines.size(), 1 + 15 + 1);
        QCOMPARE(lines.at(15), u"Sok 15"_qs);
        QCOMPARE(lines.last(), u"… és még 25 bejegyzés"_qs);
        ImportPlan plan;
        for (int i = 1; i <= 40; ++i) {
            plan.adding << ImportPlan::Entry{};
            plan.adding.last().line = u"Új %1"_qs.arg(i);
            plan.leftOut << u"Kimaradó %1"_qs.arg(i);
        }
        const QStringList asked = importQuestion(plan).split(u'\n');
        QCOMPARE(asked.size(), 1 + 15 + 1 + 1 + 1 + 15 + 1);
        QCOMPARE(asked.at(16), u"… és még 25."_qs);
        QCOMPARE(asked.last(), u"… és még 25."_qs);
        report.ok = false;
        report.error = u"betelt a lemez"_qs;
        QVERIFY(syncReportText(report).contains(u"nem sikerült: betelt a lemez."_qs));
    }

    // Lines of the UIDs' file for rows the table does not have are passed over.
    void namesOfNoRow()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"ids"_qs);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "-1\tuid-a\t2026-12-07\tf\n51\tuid-b\t2026-12-07\tf\n50\tuid-c\t2026-12-07\tf\n");
        file.close();
        ReminderIds ids;
        ids.load(path);
        QCOMPARE(ids.of(50)->uid, u"uid-c"_qs);
        for (int row = 0; row < 50; ++row)
            QVERIFY(!ids.of(row));
    }
};

QTEST_GUILESS_MAIN(TestSync)
#include "tst_sync.moc"
