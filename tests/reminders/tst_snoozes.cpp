#include "alertrows.h"
#include "reminders/snoozes.h"

#include "files/writequeue.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <future>

using namespace quill;
using quill::testing::at;

Q_DECLARE_METATYPE(quill::SnoozeChoice)

class TestSnoozes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // (The suite runs in Europe/Budapest.)
    void comesBackAt_data()
    {
        QTest::addColumn<SnoozeChoice>("choice");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDateTime>("until");
        QTest::newRow("10 minutes, over midnight")
            << SnoozeChoice::TenMinutes << at(2026, 12, 31, 23, 55, 40) << QString()
            << at(2027, 1, 1, 0, 5);
        QTest::newRow("an hour, over the spring change") // 02:xx does not exist that night
            << SnoozeChoice::OneHour << at(2026, 3, 29, 1, 30) << QString()
            << at(2026, 3, 29, 3, 30);
        QTest::newRow("tomorrow, the same time on the clock, over the spring change")
            << SnoozeChoice::Tomorrow << at(2026, 3, 28, 9, 0, 12) << QString()
            << at(2026, 3, 29, 9, 0);
        QTest::newRow("a time later today") << SnoozeChoice::ChosenTime << at(2026, 12, 7, 9, 0)
                                            << u"17.45"_qs << at(2026, 12, 7, 17, 45);
        QTest::newRow("a time already past: tomorrow")
            << SnoozeChoice::ChosenTime << at(2026, 12, 7, 9, 0) << u" 8:05 "_qs
            << at(2026, 12, 8, 8, 5);
        QTest::newRow("this very minute: tomorrow")
            << SnoozeChoice::ChosenTime << at(2026, 12, 7, 9, 0, 30) << u"9"_qs
            << at(2026, 12, 8, 9, 0);
        QTest::newRow("this very second: tomorrow")
            << SnoozeChoice::ChosenTime << at(2026, 12, 7, 9, 0) << u"9"_qs
            << at(2026, 12, 8, 9, 0);
    }
    void comesBackAt()
    {
        QFETCH(SnoozeChoice, choice);
        QFETCH(QDateTime, now);
        QFETCH(QString, typed);
        QFETCH(QDateTime, until);
        const QTime chosen = typed.isEmpty() ? QTime() : parseTimeOfDay(typed).value_or(QTime());
        QCOMPARE(snoozeUntil(choice, now, chosen), until);
    }

    void typedTimes()
    {
        for (const char *bad : {"", "24:00", "9:60", "9:5", "kilenc", "9:30:00", "-1"})
            QVERIFY2(!parseTimeOfDay(QString::fromLatin1(bad)), bad);
        QCOMPARE(parseTimeOfDay(u"0:00"_qs), QTime(0, 0));
        QCOMPARE(parseTimeOfDay(u"23.59"_qs), QTime(23, 59));
    }

    // The last choice is offered first.
    void choiceOrder()
    {
        QCOMPARE(snoozeChoicesFrom(SnoozeChoice::Tomorrow),
                 (QList<SnoozeChoice>{SnoozeChoice::Tomorrow, SnoozeChoice::TenMinutes,
                                      SnoozeChoice::OneHour, SnoozeChoice::ChosenTime}));
    }

    // A snooze outlives the program: what comes back while it runs comes once, marked; what came
    // due while it was closed comes late, once, marked so, after the start's grace.
    void survivesARestart()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"state/snoozed"_qs);
        const QString text = u"NÉVNAP!!     Kiss Ábel\tmárcius 2.\n\\n"_qs;
        {
            SnoozeBook book(path);
            QVERIFY(!book.add({at(2026, 12, 8, 9, 0), text}));
            QVERIFY(!book.add({at(2026, 12, 7, 9, 10), u"EGYÉB!!     kávé"_qs}));
            QCOMPARE(book.next(), at(2026, 12, 7, 9, 10));
        }
        {
            SnoozeBook book(path);
            book.load();
            QCOMPARE(book.waiting().size(), 2);
            QCOMPARE(book.waiting()[1].text, text);
            QVERIFY(book.takeDue(at(2026, 12, 7, 9, 9, 59)).isEmpty());
            const QList<SnoozeReturn> back = book.takeDue(at(2026, 12, 7, 9, 10, 0));
            QCOMPARE(back.size(), 1);
            QVERIFY(!back[0].late);
            QCOMPARE(back[0].text, u"EGYÉB!!     kávé\n\n(Elhalasztott jelzés.)"_qs);
            QVERIFY(book.takeDue(at(2026, 12, 7, 9, 10, 1)).isEmpty());
            QVERIFY(!book.answered(back[0].original));
        }
        SnoozeBook book(path);
        book.load();
        QCOMPARE(book.waiting().size(), 1); // the one answered is gone from the disk too
        QVERIFY(book.takeDue(at(2026, 12, 8, 11, 0), false).isEmpty()); // the start's grace
        const QList<SnoozeReturn> late = book.takeDue(at(2026, 12, 8, 11, 0), true);
        QCOMPARE(late.size(), 1);
        QVERIFY(late[0].late);
        QVERIFY(late[0].text.startsWith(text));
        QVERIFY(late[0].text.endsWith(
            u"(Elhalasztott jelzés, késve: az ideje 2026. 12. 08. 09:00 volt.)"_qs));
        QVERIFY(book.takeDue(at(2026, 12, 8, 11, 1)).isEmpty());
    }

    // Less than a minute overdue comes at once and on time; a minute or more overdue (it came
    // while the program was not there) waits for the start's grace and comes late.
    void dueAroundTheMinute_data()
    {
        QTest::addColumn<int>("overdue"); // seconds
        QTest::addColumn<bool>("graceOver");
        QTest::addColumn<int>("back"); // -1 not yet, 0 on time, 1 late
        QTest::newRow("59 s, within the grace") << 59 << false << 0;
        QTest::newRow("60 s, within the grace") << 60 << false << -1;
        QTest::newRow("60 s, after the grace") << 60 << true << 1;
    }
    void dueAroundTheMinute()
    {
        QFETCH(int, overdue);
        QFETCH(bool, graceOver);
        QFETCH(int, back);
        SnoozeBook book;
        QVERIFY(!book.add({at(2026, 12, 7, 9, 10), u"EGYÉB!!     kávé"_qs}));
        const auto due = book.takeDue(at(2026, 12, 7, 9, 10).addSecs(overdue), graceOver);
        QCOMPARE(due.size(), back < 0 ? 0 : 1);
        if (back >= 0)
            QCOMPARE(due.first().late, back == 1);
    }

    // What comes back stays in the book on disk until it is answered: a program killed with its
    // box open brings it again, late, at the next start; answered, it is gone; put off again, it
    // is there once, at its new time.
    void keptUntilAnswered_data()
    {
        QTest::addColumn<QString>("answer"); // "none", "ok", "again"
        QTest::addColumn<QStringList>("afterRestart");
        QTest::newRow("killed with its box open")
            << u"none"_qs << QStringList{u"2026-12-07 09:10 EGYÉB!!     kávé"_qs};
        QTest::newRow("OK") << u"ok"_qs << QStringList{};
        QTest::newRow("put off again")
            << u"again"_qs << QStringList{u"2026-12-07 10:10 EGYÉB!!     kávé"_qs};
    }
    void keptUntilAnswered()
    {
        QFETCH(QString, answer);
        QFETCH(QStringList, afterRestart);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"snoozed"_qs);
        {
            SnoozeBook book(path);
            QVERIFY(!book.add({at(2026, 12, 7, 9, 10), u"EGYÉB!!     kávé"_qs}));
            const QList<SnoozeReturn> back = book.takeDue(at(2026, 12, 7, 9, 10, 5));
            QCOMPARE(back.size(), 1);
            QVERIFY(book.waiting().isEmpty());                          // not offered twice
            QVERIFY(book.takeDue(at(2026, 12, 7, 9, 11, 0)).isEmpty()); // nor shown twice
            if (answer == u"again")
                QVERIFY(!book.add({at(2026, 12, 7, 10, 10), u"EGYÉB!!     kávé"_qs}));
            if (answer != u"none")
                QVERIFY(!book.answered(back[0].original));
        }
        SnoozeBook book(path);
        book.load();
        QStringList got;
        for (const Snoozed &s : book.waiting())
            got << s.until.toString(u"yyyy-MM-dd HH:mm "_qs) + s.text;
        QCOMPARE(got, afterRestart);
        if (answer == u"none") {
            const QList<SnoozeReturn> late = book.takeDue(at(2026, 12, 7, 11, 0), true);
            QCOMPARE(late.size(), 1);
            QVERIFY(late[0].late);
        }
    }

    // The book is written on the writing thread: a disk still busy with an earlier write (an
    // fsync of seconds) holds up neither the one who puts an alert off nor the window; the book
    // is on the disk once the writes before it are done. A write that fails is told.
    void writtenInTurn()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"state/snoozed"_qs);
        std::promise<void> release;
        files::writeInTurn([busy = release.get_future().share()] { busy.wait(); });
        SnoozeBook book(path);
        QVERIFY(!book.add({at(2026, 12, 8, 9, 0), u"EGYÉB!!     kávé"_qs}));
        QVERIFY(!QFileInfo::exists(path));
        release.set_value();
        SnoozeBook again(path);
        again.load(); // waits for what this program still writes
        QCOMPARE(again.waiting().size(), 1);
    }
    void failedWriteIsTold()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"state/snoozed"_qs);
        QVERIFY(QDir().mkpath(path + u"/taken"_qs)); // a folder where the book goes
        SnoozeBook book(path);
        std::optional<std::error_code> told;
        book.setFailureHandler([&told](std::error_code e) { told = e; });
        QVERIFY(!book.add({at(2026, 12, 8, 9, 0), u"EGYÉB!!     kávé"_qs}));
        files::waitForWrites();
        QTRY_VERIFY(told.has_value());
        QVERIFY(bool(*told));
    }

    void cancelAndJunk()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"snoozed"_qs);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("junk\n\tno time\n2026-12-07T09:10:00+01:00\tkept\nnot-a-time\tx\n\xff\xfe\n");
        f.close();
        SnoozeBook book(path);
        book.load();
        QCOMPARE(book.waiting(), (QList<Snoozed>{{at(2026, 12, 7, 9, 10), u"kept"_qs}}));
        QVERIFY(!book.cancel(0));
        QVERIFY(!book.cancel(5));
        SnoozeBook again(path);
        again.load();
        QVERIFY(again.waiting().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSnoozes)
#include "tst_snoozes.moc"
