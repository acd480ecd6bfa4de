#include "files/writequeue.h"
#include "reminders/snoozes.h"
#include "support/testsupport.h"
#include "windows/alertdesk.h"

#include <QTest>
#include <QTimer>

#include <future>

using namespace quill;
using namespace quill::test;

// An alert is answered once, in its box or in its notification, whatever the order the answers
// come in: the first settles it, any later one for the same alert is passed over.
class TestAlertDesk : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void oneAnswerSettles_data()
    {
        // Two alerts due at 09:10: A, a meeting (notified first), and B, an "Egyéb". The boxes
        // answer in `choices` order (0 "Később", 1 "OK" in an alert box; 0 "10 perc múlva", 4
        // "Mégse" in "Mikor jelezzen újra?"); while the n-th box is open, the notifications'
        // actions of `during`[n] come ("A later": "Később" on A's notification).
        QTest::addColumn<QList<int>>("choices");
        QTest::addColumn<QStringList>("during");
        QTest::addColumn<QStringList>("snoozed"); // what the book holds after, by heading
        QTest::addColumn<int>("boxes");
        QTest::newRow("Később in the box, then in the notification while asked when")
            << QList<int>{0, 0, 1} << QStringList{{}, u"A later"_qs, {}}
            << QStringList{u"TALÁLKOZÓ!!"_qs} << 3;
        QTest::newRow("Később in the box, then OK in the notification while asked when")
            << QList<int>{0, 0, 1} << QStringList{{}, u"A ok"_qs, {}}
            << QStringList{u"TALÁLKOZÓ!!"_qs} << 3;
        QTest::newRow("Később in the box, not when, then Később in the notification")
            << QList<int>{0, 4, 1, 1} << QStringList{{}, {}, u"A later"_qs, {}}
            << QStringList{u"TALÁLKOZÓ!!"_qs} << 4;
        QTest::newRow("Később in the notification while the box is open")
            << QList<int>{1, 1} << QStringList{u"A later"_qs, {}} << QStringList{u"TALÁLKOZÓ!!"_qs}
            << 2;
        QTest::newRow("OK in the notification, then Később there, while the box is open")
            << QList<int>{1, 1} << QStringList{u"A ok,A later"_qs, {}} << QStringList{} << 2;
        QTest::newRow("Később in the notification twice")
            << QList<int>{1, 1} << QStringList{u"A later,A later"_qs, {}}
            << QStringList{u"TALÁLKOZÓ!!"_qs} << 2;
        QTest::newRow("OK in the box, then Később in its notification")
            << QList<int>{1, 1} << QStringList{{}, u"A later"_qs} << QStringList{} << 2;
        QTest::newRow("before its box: Később, then OK in the notification")
            << QList<int>{1} << QStringList{u"B later,B ok"_qs} << QStringList{u"EGYÉB!!"_qs} << 1;
        QTest::newRow("before its box: OK, then Később in the notification")
            << QList<int>{1} << QStringList{u"B ok,B later"_qs} << QStringList{} << 1;
    }
    void oneAnswerSettles()
    {
        QFETCH(QList<int>, choices);
        QFETCH(QStringList, during);
        QFETCH(QStringList, snoozed);
        QFETCH(int, boxes);
        const QByteArray file = "t|Fogorvos| |2026|december|6|09|10| | |1|0|\r\n"
                                "e| | |*|*|*|*|10| |teend\xf5|1|0|\r\n";
        Harness h(at(2026, 12, 6, 9, 10, 5), QLocale(QLocale::English), &file);
        h.boxes.choices = choices;
        int opened = 0;
        h.boxes.whileOpen = [&] {
            const int box = opened++;
            if (box >= during.size() || during[box].isEmpty())
                return;
            for (const QString &action : during[box].split(u',')) {
                const quint64 token = h.notifier.tokens[action.startsWith(u'A') ? 0 : 1];
                h.notifier.onAction(token, action.section(u' ', 1));
            }
        };
        h.window().alertDesk()->tick();
        QCOMPARE(h.boxes.shown.size(), boxes);
        SnoozeBook book(snoozeBookPath(h.dataPath(), h.services->stateHome));
        book.load();
        QStringList got;
        for (const Snoozed &s : book.waiting())
            got << s.text.section(u"     "_qs, 0, 0);
        QCOMPARE(got, snoozed);
        // Put off once means back once: ten minutes later, a single box.
        h.boxes.whileOpen = nullptr;
        h.boxes.shown.clear();
        h.clock.set(at(2026, 12, 6, 9, 20, 30));
        h.window().alertDesk()->tick();
        QCOMPARE(h.boxes.shown.size(), snoozed.size());
    }

    // The program stopped from outside (SIGTERM at logout: the handler runs inside the open box,
    // whose loop then ends with no button pressed) has answered nothing: the record stays before
    // the alert's minute, so the next start brings it again, late; no later box is shown, and an
    // alert back from a snooze stays in the book.
    void stopIsNoAnswer_data()
    {
        QTest::addColumn<QList<int>>("choices"); // the answers before the stop
        QTest::addColumn<int>("stopInBox");      // the box open when the stop comes
        QTest::newRow("in the alert box") << QList<int>{} << 0;
        QTest::newRow("while asked when") << QList<int>{0} << 1;
        QTest::newRow("after the first alert was answered") << QList<int>{1} << 1;
    }
    void stopIsNoAnswer()
    {
        QFETCH(QList<int>, choices);
        QFETCH(int, stopInBox);
        const QByteArray file = "t|Fogorvos| |2026|december|6|09|10| | |1|0|\r\n"
                                "e| | |*|*|*|*|10| |teend\xf5|1|0|\r\n";
        Harness h(at(2026, 12, 6, 9, 10, 5), QLocale(QLocale::English), &file);
        h.boxes.choices = choices;
        int opened = 0;
        h.boxes.whileOpen = [&] {
            if (opened++ == stopInBox)
                h.window().stopFromOutside();
        };
        h.window().alertDesk()->tick();
        QCOMPARE(h.boxes.shown.size(), stopInBox + 1);
        const DealtWith dealt = h.window().alertDesk()->dealtWith();
        QVERIFY(dealt.until < at(2026, 12, 6, 9, 10));
        QCOMPARE(dealt.answered.size(), choices.value(0) == 1 ? 1 : 0);
    }

    // An alert back from a snooze whose box the stop closes stays in the book.
    void stopLeavesTheSnoozeBooked()
    {
        const QByteArray file = "e| | |*|*|*|*|10| |teend\xf5|1|0|\r\n";
        Harness h(at(2026, 12, 6, 9, 10, 5), QLocale(QLocale::English), &file);
        h.boxes.choices = {0, 0}; // "Később", "10 perc múlva"
        h.window().alertDesk()->tick();
        h.boxes.whileOpen = [&] { h.window().stopFromOutside(); };
        h.clock.set(at(2026, 12, 6, 9, 20, 30));
        h.window().alertDesk()->tick();
        QCOMPARE(h.boxes.shown.size(), 3);
        SnoozeBook book(snoozeBookPath(h.dataPath(), h.services->stateHome));
        book.load();
        QCOMPARE(book.waiting().size(), 1);
    }

    // F1 in the alert box, and in its question of when to alert again, opens the help's page
    // about alerts.
    void helpOnF1InItsBoxes()
    {
        const QByteArray file = "e| | |*|*|*|*|10| |teend\xf5|1|0|\r\n";
        Harness h(at(2026, 12, 6, 9, 10, 5), QLocale(QLocale::English), &file);
        h.boxes.choices = {0}; // "Később", then "Mégse" when asked when, then OK
        h.window().alertDesk()->tick();
        QCOMPARE(h.boxes.shown.value(1).title, u"Később"_qs);
        QVERIFY(h.boxes.helpPages.size() >= 2);
        for (const QString &page : std::as_const(h.boxes.helpPages))
            QCOMPARE(page, u"jelzes.html"_qs);
    }

    // A save waits for the disk with the event loop going on (the clock's tick among it): an
    // alert whose minute comes meanwhile opens no box inside that wait, where the save's caller
    // is still in the middle of its work, but once the save has returned, and only once.
    void alertDuringASlowSaveComesAfterIt_data()
    {
        QTest::addColumn<int>("tickAfterMs"); // when the tick comes into the wait
        QTest::newRow("at once") << 0;
        QTest::newRow("as the disk is about to finish") << 150;
    }
    void alertDuringASlowSaveComesAfterIt()
    {
        QFETCH(int, tickAfterMs);
        const QByteArray file = "e| | |*|*|*|*|10| |teend\xf5|1|0|\r\n";
        Harness h(at(2026, 12, 6, 9, 10, 5), QLocale(QLocale::English), &file);
        bool saveReturned = false;
        QList<bool> openedAfterTheSave;
        h.boxes.whileOpen = [&] { openedAfterTheSave << saveReturned; };
        // The disk is busy with an earlier write until released.
        std::promise<void> release;
        files::writeInTurn([busy = release.get_future().share()] { busy.wait(); });
        QTimer::singleShot(tickAfterMs, [&] { h.window().alertDesk()->tick(); });
        QTimer::singleShot(200, [&] { release.set_value(); });
        h.session().setField(0, Field::FreeText, u"lassú"_qs);
        QVERIFY(h.session().save().ok());
        saveReturned = true;
        QCOMPARE(openedAfterTheSave, QList<bool>{});
        QTRY_COMPARE_WITH_TIMEOUT(openedAfterTheSave.size(), 1, 700);
        QCOMPARE(openedAfterTheSave, QList<bool>{true});
        QCOMPARE(h.notifier.sent.size(), 1);
    }
};

QTEST_MAIN(TestAlertDesk)
#include "tst_alertdesk.moc"
