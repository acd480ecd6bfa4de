#include "calendar/calendar.h"
#include "reminders/editorrules.h"

#include <QTest>

using namespace quill;

Q_DECLARE_METATYPE(quill::Field)

class TestEditorRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each kind shows its own rows: their captions (a row without one is hidden) and the
    // inputs, by their names; a store reads only what its kind shows.
    void kindLayouts_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QString>("inputs");
        QTest::newRow("névnap") << kindIndex(ReminderKind::NameDay)
                                << QStringList{u"Vezetéknév:"_qs, u"Keresztnév:"_qs,
                                               u"Névnapja(i):"_qs}
                                << u"Text1 kernev"_qs;
        QTest::newRow("születésnap")
            << kindIndex(ReminderKind::Birthday)
            << QStringList{u"Vezetéknév:"_qs, u"Keresztnév:"_qs, u"Születésnapja:"_qs}
            << u"Text1 kernev szhonap sznap"_qs;
        QTest::newRow("találkozó")
            << kindIndex(ReminderKind::Meeting)
            << QStringList{u"Megnevezés:"_qs, u"Helyszín:"_qs, u"Időpont:"_qs}
            << u"Text1 Text2 szhonap sznap tev tora tperc"_qs;
        QTest::newRow("mérőállás")
            << kindIndex(ReminderKind::MeterReading)
            << QStringList{u"Típus:"_qs, u"Fogyasztó ID:"_qs, QString()} << u"Text1 Text2"_qs;
        QTest::newRow("egyéb") << kindIndex(ReminderKind::Other)
                               << QStringList{u"Szöveg:"_qs, QString(), QString()} << u"Text3"_qs;
    }
    void kindLayouts()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, captions);
        QFETCH(QString, inputs);
        const editor::KindLayout layout = editor::kindLayout(AllReminderKinds[std::size_t(kind)]);
        QCOMPARE(QStringList(layout.captions.cbegin(), layout.captions.cend()), captions);
        QStringList shown;
        const std::pair<bool, const char16_t *> each[] = {
            {layout.firstLine, u"Text1"},     {layout.firstName, u"kernev"},
            {layout.secondLine, u"Text2"},    {layout.freeText, u"Text3"},
            {layout.datePickers, u"szhonap"}, {layout.datePickers, u"sznap"},
            {layout.meetingPickers, u"tev"},  {layout.meetingPickers, u"tora"},
            {layout.meetingPickers, u"tperc"}};
        for (const auto &[on, name] : each) {
            if (on)
                shown << QString::fromUtf16(name);
        }
        QCOMPARE(shown.join(u' '), inputs);
    }

    // A store of nothing, or of a time that can never come, is refused; what can come is
    // stored as typed.
    void storeChecks_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");   // the kind's first text ("" for none)
        QTest::addColumn<QStringList>("at"); // alert year, month, day, hour, minute
        QTest::addColumn<int>("problem");
        QTest::addColumn<Field>("field");
        const int none = int(editor::StoreCheck::Problem::None);
        const int empty = int(editor::StoreCheck::Problem::NoText);
        const int dead = int(editor::StoreCheck::Problem::DeadAlert);
        const QStringList every{u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"00"_qs};
        for (ReminderKind k : AllReminderKinds)
            QTest::newRow(qPrintable(kindCaption(k) + u" blank"_qs))
                << kindIndex(k) << QString() << every << empty << Field::Kind;
        QTest::newRow("with text")
            << kindIndex(ReminderKind::Other) << u"Kiss"_qs << every << none << Field::Kind;
        // A name day with a text, its alert at the time given.
        const auto timed = [](const char *tag, const char16_t *at, int problem, Field field) {
            QTest::newRow(tag) << kindIndex(ReminderKind::NameDay) << u"x"_qs
                               << QString::fromUtf16(at).split(u'|') << problem << field;
        };
        timed("year typed with a tail", u"2030x|*|*|*|00", dead, Field::Year);
        timed("31 április", u"*|április|31|*|00", dead, Field::Day);
        timed("day 0", u"*|május|0|*|00", dead, Field::Day);
        timed("day 07", u"*|május|07|*|00", none, Field::Kind);
        timed("hour 24", u"*|*|*|24|00", dead, Field::Hour);
        timed("hour 8", u"*|*|*|8|05", none, Field::Kind);
        timed("minute 60", u"*|*|*|*|60", dead, Field::Minute);
    }
    void storeChecks()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(QStringList, at);
        QFETCH(int, problem);
        QFETCH(Field, field);
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

    // Where the name-day pre-fill puts the alert: month, year (next year once the month is past),
    // the day before; the 1st goes to the last day of the month before.
    void nameDayPrefill_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("day"); // 0: the day stays
        const QDate june(2026, 6, 1), december(2026, 12, 6);
        QTest::newRow("november 2.") << u"november 2."_qs << june << 11 << 2026 << 1;
        QTest::newRow("november 2. in December")
            << u"november 2."_qs << december << 11 << 2027 << 1;
        QTest::newRow("in its own month: this year")
            << u"november 22."_qs << QDate(2026, 11, 5) << 11 << 2026 << 21;
        QTest::newRow("two digits") << u"szeptember 27."_qs << june << 9 << 2026 << 26;
        QTest::newRow("march 1st, common year") << u"március 1."_qs << june << 2 << 2027 << 28;
        QTest::newRow("march 1st, leap year")
            << u"március 1."_qs << QDate(2027, 6, 1) << 2 << 2028 << 29;
        QTest::newRow("short month, several")
            << u"aug 15. szept 8. szept 12. dec 8."_qs << june << 8 << 2026 << 14;
        QTest::newRow("no digit") << u"augusztus"_qs << QDate(2026, 9, 1) << 8 << 2027 << 0;
        QTest::newRow("empty keeps the month") << QString() << QDate(2026, 3, 1) << 4 << 2026 << 0;
        QTest::newRow("january 1st: the year before, never before this one")
            << u"január 1."_qs << QDate(2026, 2, 1) << 12 << 2026 << 31;
    }
    void nameDayPrefill()
    {
        QFETCH(QString, text);
        QFETCH(QDate, today);
        QFETCH(int, month);
        QFETCH(int, year);
        QFETCH(int, day);
        // The empty text keeps the month picker where it was (April here).
        const auto p = editor::nameDayPrefill(text, 4, today);
        QCOMPARE(p.month, month);
        QCOMPARE(p.year, std::optional<int>(year));
        QCOMPARE(p.day, day ? std::optional<int>(day) : std::nullopt);
    }

    void dayBefore()
    {
        using editor::Prefill;
        QCOMPARE(editor::dayBeforePrefill(15, 3, std::nullopt, 2026),
                 (Prefill{3, std::nullopt, 14}));
        QCOMPARE(editor::dayBeforePrefill(1, 3, std::nullopt, 2026), // "*" year: a leap year
                 (Prefill{2, std::nullopt, 29}));
        QCOMPARE(editor::dayBeforePrefill(1, 3, 2027, 2026), (Prefill{2, 2027, 28}));
        QCOMPARE(editor::dayBeforePrefill(1, 1, 2028, 2026), (Prefill{12, 2027, 31}));
        QCOMPARE(editor::dayBeforePrefill(1, 1, 2026, 2026), (Prefill{12, 2026, 31}));
        QCOMPARE(editor::dayBeforePrefill(1, 0, std::nullopt, 2026),
                 (Prefill{0, std::nullopt, 31}));
        QCOMPARE(editor::dayBeforePrefill(0, 5, std::nullopt, 2026), // nothing picked
                 (Prefill{5, std::nullopt, std::nullopt}));
    }

    // What the line under the alert pickers says a stored alert time will do.
    void summaryLine_data()
    {
        QTest::addColumn<QStringList>("at"); // year, month, day, hour, minute
        QTest::addColumn<QString>("said");
        const auto row = [](const char *tag, const char16_t *at, const QString &said) {
            QTest::newRow(tag) << QString::fromUtf16(at).split(u'|') << said;
        };
        row("a name day made the obvious way", u"2027|augusztus|14|*|00",
            u"2027. augusztus 14-én, egész nap minden órában :00-kor"_qs);
        row("every year at eight", u"*|március|14|08|00",
            u"minden évben március 14-én 8:00-kor"_qs);
        row("the 1st", u"*|május|1|7|30", u"minden évben május 1-jén 7:30-kor"_qs);
        row("every month", u"*|*|20|09|15", u"minden évben minden hónap 20-án 9:15-kor"_qs);
        row("every day", u"*|*|*|18|00", u"minden nap 18:00-kor"_qs);
        row("no such day", u"*|április|31|08|00", u"soha – ilyen nap nincs"_qs);
    }
    void summaryLine()
    {
        QFETCH(QStringList, at);
        QFETCH(QString, said);
        const AlertTime time{at[0], at[1], at[2], at[3], at[4]};
        QCOMPARE(editor::describeAlert(time, 2026), said);
        QCOMPARE(editor::alertsPerDay(time), at[3] == u"*" ? 24 : 1);
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
