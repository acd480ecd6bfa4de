#include "calendar/calendar.h"
#include "reminders/editorrules.h"

#include <QTest>

using namespace quill;

class TestEditorRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A store of nothing, or of a time that can never come, is refused; what can come is
    // stored as typed.
    void storeChecks_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");   // the kind's first text ("" for none)
        QTest::addColumn<QStringList>("at"); // alert year, month, day, hour, minute
        QTest::addColumn<int>("problem");
        QTest::addColumn<int>("field");
        const int none = int(editor::StoreCheck::Problem::None);
        const int empty = int(editor::StoreCheck::Problem::NoText);
        const int dead = int(editor::StoreCheck::Problem::DeadAlert);
        const QStringList every{u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"00"_qs};
        for (ReminderKind k : AllReminderKinds)
            QTest::newRow(qPrintable(kindCaption(k) + u" blank"_qs))
                << kindIndex(k) << QString() << every << empty << -1;
        QTest::newRow("with text")
            << kindIndex(ReminderKind::Other) << u"Kiss"_qs << every << none << -1;
        const auto at = [](const char16_t *y, const char16_t *mo, const char16_t *d,
                           const char16_t *h, const char16_t *mi) {
            return QStringList{QString::fromUtf16(y), QString::fromUtf16(mo), QString::fromUtf16(d),
                               QString::fromUtf16(h), QString::fromUtf16(mi)};
        };
        const int nd = kindIndex(ReminderKind::NameDay);
        QTest::newRow("year typed with a tail")
            << nd << u"x"_qs << at(u"2030x", u"*", u"*", u"*", u"00") << dead << int(Field::Year);
        QTest::newRow("31 április")
            << nd << u"x"_qs << at(u"*", u"április", u"31", u"*", u"00") << dead << int(Field::Day);
        QTest::newRow("day 07") << nd << u"x"_qs << at(u"*", u"május", u"07", u"*", u"00") << none
                                << -1;
        QTest::newRow("hour 24") << nd << u"x"_qs << at(u"*", u"*", u"*", u"24", u"00") << dead
                                 << int(Field::Hour);
        QTest::newRow("hour 8") << nd << u"x"_qs << at(u"*", u"*", u"*", u"8", u"05") << none << -1;
        QTest::newRow("minute 60")
            << nd << u"x"_qs << at(u"*", u"*", u"*", u"*", u"60") << dead << int(Field::Minute);
    }
    void storeChecks()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(QStringList, at);
        QFETCH(int, problem);
        QFETCH(int, field);
        editor::Inputs in;
        in.firstLine = in.freeText = text;
        in.month = u"március"_qs; // the birthday's date always holds a month and a day
        in.day = u"15"_qs;
        in.alertYear = at[0];
        in.alertMonth = at[1];
        in.alertDay = at[2];
        in.alertHour = at[3];
        in.alertMinute = at[4];
        const auto check = editor::checkStore(AllReminderKinds[std::size_t(kind)], in, 2026);
        QCOMPARE(int(check.problem), problem);
        QCOMPARE(check.deadField, field);
    }

    void nameDayPrefill_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("currentMonth");
        QTest::addColumn<int>("alertMonth");
        QTest::addColumn<int>("alertYear");
        QTest::addColumn<bool>("setDay");
        QTest::addColumn<bool>("lastDay");
        QTest::addColumn<int>("alertDay");
        QTest::newRow("november 2.") << u"november 2."_qs << 6 << 11 << 1 << true << false << 1;
        QTest::newRow("november 2. in December")
            << u"november 2."_qs << 12 << 11 << 2 << true << false << 1;
        QTest::newRow("two digits") << u"szeptember 27."_qs << 1 << 9 << 1 << true << false << 26;
        QTest::newRow("march 1st") << u"március 1."_qs << 1 << 2 << 1 << true << true << 0;
        QTest::newRow("short month, several")
            << u"aug 15. szept 8. szept 12. dec 8."_qs << 1 << 8 << 1 << true << false << 14;
        QTest::newRow("no digit") << u"augusztus"_qs << 9 << 8 << 2 << false << false << 0;
        QTest::newRow("empty") << QString() << 3 << 4 << 1 << false << false << 0;
        QTest::newRow("january 1st from February")
            << u"január 1."_qs << 2 << 12 << 1 << true << true << 0;
        QTest::newRow("january 1st in January")
            << u"január 1."_qs << 1 << 12 << 1 << true << true << 0;
    }
    void nameDayPrefill()
    {
        QFETCH(QString, text);
        QFETCH(int, currentMonth);
        QFETCH(int, alertMonth);
        QFETCH(int, alertYear);
        QFETCH(bool, setDay);
        QFETCH(bool, lastDay);
        QFETCH(int, alertDay);
        // The empty text keeps the month picker where it was (April here).
        const auto p = editor::nameDayPrefill(text, 4, currentMonth, alertMonthEntries());
        QCOMPARE(p.alertMonth, alertMonth);
        QCOMPARE(p.alertYear, alertYear);
        QCOMPARE(p.setDay, setDay);
        QCOMPARE(p.lastDay, lastDay);
        if (setDay && !lastDay)
            QCOMPARE(p.alertDay, alertDay);
    }

    void dayBefore()
    {
        auto p = editor::dayBeforePrefill(14, 3, 0); // 15 March
        QCOMPARE(p.alertDay, 14);
        QVERIFY(!p.lastDay);
        p = editor::dayBeforePrefill(0, 3, 0); // 1 March
        QVERIFY(p.lastDay);
        QCOMPARE(p.alertMonth, 2);
        p = editor::dayBeforePrefill(0, 1, 3); // 1 January of Y+2
        QCOMPARE(p.alertMonth, 12);
        QCOMPARE(p.alertYear, 2);
        p = editor::dayBeforePrefill(-1, 5, 0); // nothing picked
        QVERIFY(!p.setDay);
    }

    void hintAnimation()
    {
        int n = 0;
        QList<int> frames;
        for (int i = 0; i < 18; ++i) {
            const auto t = editor::hintTick(n, true);
            n = t.step;
            frames << int(t.frame);
        }
        // mouse4 at the 6th tick, mouse3 at the 10th, then every 9 ticks.
        QCOMPARE(frames.indexOf(2), 5);
        QCOMPARE(frames.indexOf(1), 9);
        QCOMPARE(frames.lastIndexOf(2), 14);
        n = 0;
        for (int i = 0; i < 100000; ++i) {
            const auto t = editor::hintTick(n, false);
            QCOMPARE(t.frame, editor::HintTick::Frame::Unchanged);
            n = t.step;
        }
        QVERIFY(n > 0 && n <= 10);
        QCOMPARE(editor::hintTick(n, true).frame, editor::HintTick::Frame::First);
        QCOMPARE(editor::alertYearValue(u"*"_qs), 0);
        QCOMPARE(editor::alertYearValue(u"2027"_qs), 2027);
    }
};

QTEST_GUILESS_MAIN(TestEditorRules)
#include "tst_editorrules.moc"
