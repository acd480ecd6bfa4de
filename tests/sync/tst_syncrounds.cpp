#include "support/loopprobe.h"
#include "support/realfaults.h"
#include "synccomputer.h"

#include <QMutex>
#include <QThread>

#include <atomic>

using namespace quill;
using namespace quill::test;

namespace {

// A birthday on 29 February, reminded at 8:00 the day before.
Reminder leapBirthday()
{
    return {u"s"_qs,  u"Szőke"_qs, u"Ugró"_qs,        u"*"_qs, u"február"_qs, u"28"_qs,
            u"08"_qs, u"00"_qs,    u"február 29."_qs, u" "_qs, u"1"_qs};
}

QString comparedRow(Reminder r)
{
    r.setField(Field::RowNumber, QString());
    return rowLine(r);
}

// The program's codec, counting the items it reads and writes on the thread that made it (the
// window's) and on any other.
class ThreadNotingCodec final : public CalendarCodec {
public:
    std::unique_ptr<CalendarCodec> inner = makeLibicalCodec();
    QThread *home = QThread::currentThread();
    std::atomic<int> readsHome{0};
    std::atomic<int> readsElsewhere{0};
    std::atomic<int> writesHome{0};
    std::atomic<int> writesElsewhere{0};

    QByteArray write(const QList<CalendarEvent> &events, const QString &name,
                     const QDateTime &stamp) override
    {
        ++(QThread::currentThread() == home ? writesHome : writesElsewhere);
        return inner->write(events, name, stamp);
    }
    CalendarRead read(const QByteArray &bytes) override
    {
        ++(QThread::currentThread() == home ? readsHome : readsElsewhere);
        return inner->read(bytes);
    }
    QStringList problems(const QByteArray &bytes) override { return inner->problems(bytes); }
};

} // namespace

class TestSyncRounds : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void leapDayAsTheSettingsSay_data();
    void leapDayAsTheSettingsSay();
    void leapDaySettingChanged_data();
    void leapDaySettingChanged();
    void incomingReadOffTheWindowsThread();
    void unreadableItemToldByItsTitle();
    void exceptionsToldOnce();
    void plannedOffTheWindowsThread_data();
    void plannedOffTheWindowsThread();
    void stateFilesLeaveTheLoopTurning();
    void outgoingWrittenOffTheWindowsThread_data();
    void outgoingWrittenOffTheWindowsThread();
    void bookStepsOffTheWindowsThread_data();
    void bookStepsOffTheWindowsThread();
    void bookChangedMeanwhilePlannedAgain();
};

void TestSyncRounds::leapDayAsTheSettingsSay_data()
{
    QTest::addColumn<bool>("march1");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QByteArray>("repeat");
    QTest::newRow("28 February") << false << QByteArray("20270228T080000")
                                 << QByteArray("RRULE:FREQ=YEARLY\r\n");
    QTest::newRow("1 March") << true << QByteArray("DTSTART;VALUE=DATE:20270301\r\n")
                             << QByteArray("RRULE:FREQ=YEARLY;BYYEARDAY=60\r\n");
}

// A birthday on 29 February reminded the day before goes up as a whole-day event on the day the
// settings keep it in common years (kept on 28 February, the alert falls on the day itself in
// common years but not in leap years: an event at the alert's minute), and comes back as the same
// row: nothing moves at the next rounds.
void TestSyncRounds::leapDayAsTheSettingsSay()
{
    QFETCH(bool, march1);
    QFETCH(QByteArray, start);
    QFETCH(QByteArray, repeat);
    FakeCalendar cal;
    Computer pc(cal.url());
    pc.leapDay = leapDayRule(march1);
    pc.add(leapBirthday());
    const QString before = comparedRow(pc.session->table().row(0));
    SyncReport report = pc.round();
    QVERIFY2(report.ok, qPrintable(report.error));
    QCOMPARE(cal.items.size(), 1);
    const QByteArray data =
        cal.items.first().data.mid(cal.items.first().data.indexOf("BEGIN:VEVENT"));
    QVERIFY2(data.contains(start), data.constData());
    QVERIFY2(data.contains(repeat), data.constData());
    for (int i = 0; i < 2; ++i) {
        report = pc.round();
        QVERIFY2(report.ok, qPrintable(report.error));
    }
    QCOMPARE(cal.count("PUT"), 1);
    QCOMPARE(report.incoming, 0);
    QCOMPARE(comparedRow(pc.session->table().row(0)), before);
}

void TestSyncRounds::leapDaySettingChanged_data()
{
    leapDayAsTheSettingsSay_data();
}

// The setting switched after a round: the next round writes the birthday's event again in the
// new shape over the one there (If-Match), so other devices show the new day; one item still,
// the row unchanged, and the round after writes nothing.
void TestSyncRounds::leapDaySettingChanged()
{
    QFETCH(bool, march1);
    QFETCH(QByteArray, start);
    QFETCH(QByteArray, repeat);
    FakeCalendar cal;
    Computer pc(cal.url());
    pc.leapDay = leapDayRule(!march1);
    pc.add(leapBirthday());
    pc.add(meeting(u"Vitamin"_qs, u"08"_qs));
    const QString before = comparedRow(pc.session->table().row(0));
    QVERIFY(pc.round().ok);
    QVERIFY(pc.round().ok);
    QCOMPARE(cal.items.size(), 2);
    const qsizetype asked = cal.server.requests.size();
    pc.leapDay = leapDayRule(march1);
    SyncReport report = pc.round();
    QVERIFY2(report.ok, qPrintable(report.error));
    QCOMPARE(cal.items.size(), 2);
    const QByteArray href = cal.find("Ugr");
    QVERIFY(!href.isEmpty());
    const QByteArray data = cal.items[href].data.mid(cal.items[href].data.indexOf("BEGIN:VEVENT"));
    QVERIFY2(data.contains(start), data.constData());
    QVERIFY2(data.contains(repeat), data.constData());
    QList<FakeRequest> puts;
    for (qsizetype i = asked; i < cal.server.requests.size(); ++i) {
        if (cal.server.requests[i].method == "PUT")
            puts << cal.server.requests[i];
    }
    QCOMPARE(puts.size(), 1); // the birthday's alone
    QVERIFY(!puts[0].header("if-match").isEmpty());
    QCOMPARE(report.incoming, 0);
    QCOMPARE(comparedRow(pc.session->table().row(0)), before);
    const int written = cal.count("PUT");
    for (int i = 0; i < 2; ++i) {
        pc.reopen();
        report = pc.round();
        QVERIFY2(report.ok, qPrintable(report.error));
    }
    QCOMPARE(cal.count("PUT"), written);
    QCOMPARE(report.incoming, 0);
    QCOMPARE(cal.items.size(), 2);
    QCOMPARE(comparedRow(pc.session->table().row(0)), before);
}

// Many events come in from another device: each is read and fitted on a worker, none on the
// thread the round runs on (the window's), and all of them reach the book.
void TestSyncRounds::incomingReadOffTheWindowsThread()
{
    FakeCalendar cal;
    const int count = 40;
    for (int i = 0; i < count; ++i) {
        const QByteArray n = QByteArray::number(i);
        cal.put("phone-" + n + ".ics", phoneEvent("phone-" + n, "Teendo " + n));
    }
    Computer pc(cal.url());
    auto *codec = new ThreadNotingCodec;
    pc.codec.reset(codec);
    pc.reopen();
    const SyncReport report = pc.round();
    QVERIFY2(report.ok, qPrintable(report.error));
    QCOMPARE(report.incoming, count);
    QCOMPARE(pc.texts().size(), count);
    QCOMPARE(codec->readsHome.load(), 0);
    QVERIFY(codec->readsElsewhere.load() >= count);
}

// An item the codec refuses (parts nested too deep) is listed by the title its text gives, not by
// its file name on the server.
void TestSyncRounds::unreadableItemToldByItsTitle()
{
    FakeCalendar cal;
    QByteArray nested;
    for (int i = 0; i < 20; ++i)
        nested = "BEGIN:X-RESZ\r\n" + nested + "END:X-RESZ\r\n";
    cal.put("a3f9c1e0.ics", phoneEvent("phone-1", "Fogorvos\\, reggel", nested));
    Computer pc(cal.url());
    pc.add(meeting(u"Vitamin"_qs, u"08"_qs));
    const SyncReport report = pc.round();
    QVERIFY2(report.ok, qPrintable(report.error));
    QCOMPARE(report.leftOut.size(), 1);
    QVERIFY2(report.leftOut[0].startsWith(u"Fogorvos, reggel: "_qs), qPrintable(report.leftOut[0]));
    QVERIFY(!syncReportText(report).contains(u"a3f9c1e0"_qs));
    QCOMPARE(pc.texts(), QStringList{u"Vitamin"_qs});
}

// One occasion of a series left out on the phone: the round's report says that the reminder does
// not follow it, once, when it comes in; the next round tells nothing.
void TestSyncRounds::exceptionsToldOnce()
{
    FakeCalendar cal;
    cal.put("phone.ics", phoneEvent("phone-1", "Uszas", "EXDATE:20280501T100000\r\n"));
    Computer pc(cal.url());
    SyncReport report = pc.round();
    QVERIFY2(report.ok, qPrintable(report.error));
    QCOMPARE(pc.texts(), QStringList{u"Uszas"_qs});
    const QString told = syncReportText(report);
    QVERIFY2(told.contains(u"Uszas: egyes alkalmait másutt külön módosították"_qs),
             qPrintable(told));
    report = pc.round();
    QVERIFY2(report.ok, qPrintable(report.error));
    QCOMPARE(syncReportText(report), QString());
}

void TestSyncRounds::plannedOffTheWindowsThread_data()
{
    QTest::addColumn<int>("mine");
    QTest::addColumn<int>("theirs");
    QTest::addColumn<int>("rounds");
    QTest::newRow("the book goes up") << 3 << 0 << 1;
    QTest::newRow("the calendar comes in") << 0 << 3 << 1;
    QTest::newRow("nothing changed") << 2 << 2 << 2;
}

// The round is planned on a worker, whatever it brings (the plan of a large calendar takes
// milliseconds by the thousand items): never on the thread the round runs on (the window's).
void TestSyncRounds::plannedOffTheWindowsThread()
{
    QFETCH(int, mine);
    QFETCH(int, theirs);
    QFETCH(int, rounds);
    FakeCalendar cal;
    for (int i = 0; i < theirs; ++i) {
        const QByteArray n = QByteArray::number(i);
        cal.put("phone-" + n + ".ics", phoneEvent("phone-" + n, "Telefon " + n));
    }
    Computer pc(cal.url());
    for (int i = 0; i < mine; ++i)
        pc.add(meeting(u"Itteni %1"_qs.arg(i), u"08"_qs));
    QMutex lock;
    QList<QThread *> plannedOn;
    pc.sync->setPlanner([&](const QList<BookRow> &book, const Agreement &last,
                            const QString &calendar, const QList<ListedItem> &listing) {
        QMutexLocker locked(&lock);
        plannedOn << QThread::currentThread();
        return planRound(book, last, calendar, listing);
    });
    for (int i = 0; i < rounds; ++i) {
        const SyncReport report = pc.round();
        QVERIFY2(report.ok, qPrintable(report.error));
    }
    QCOMPARE(pc.texts().size(), mine + theirs);
    QCOMPARE(cal.items.size(), mine + theirs);
    QMutexLocker locked(&lock);
    QVERIFY(plannedOn.size() >= rounds);
    QVERIFY(!plannedOn.contains(QThread::currentThread()));
}

// A disk that takes 0.6 s to say a file is on it: the round's agreement waits for it, the event
// loop does not; when the round is told finished, its agreement is on the disk.
void TestSyncRounds::stateFilesLeaveTheLoopTurning()
{
    if (rerunWithSlowFsync(600))
        return;
    FakeCalendar cal;
    cal.put("phone-1.ics", phoneEvent("phone-1", "Telefon"));
    Computer pc(cal.url());
    pc.add(meeting(u"Itteni"_qs, u"08"_qs));
    QElapsedTimer took;
    took.start();
    LoopProbe probe;
    const SyncReport report = pc.round();
    const qint64 longest = probe.longestMs();
    QVERIFY2(report.ok, qPrintable(report.error));
    QVERIFY2(took.elapsed() >= 550, "the disk was not slow: nothing was measured");
    QVERIFY2(longest < 300, qPrintable(u"the loop stood %1 ms"_qs.arg(longest)));
    const Agreement kept = loadAgreement(agreementPath(pc.root(), cal.url()), cal.url());
    QCOMPARE(kept.entries.size(), 2);
    QCOMPARE(pc.texts(), (QStringList{u"Itteni"_qs, u"Telefon"_qs}));
}

void TestSyncRounds::outgoingWrittenOffTheWindowsThread_data()
{
    QTest::addColumn<bool>("changeOne");
    QTest::addColumn<int>("written");
    QTest::newRow("new reminders go up") << false << 3;
    QTest::newRow("a change goes over its item") << true << 4;
}

// The events that go to the calendar are written through the codec on the worker (libical's
// writing costs by the event, up to 51 of them), never on the thread the round runs on.
void TestSyncRounds::outgoingWrittenOffTheWindowsThread()
{
    QFETCH(bool, changeOne);
    QFETCH(int, written);
    FakeCalendar cal;
    Computer pc(cal.url());
    auto *codec = new ThreadNotingCodec;
    pc.codec.reset(codec);
    pc.reopen();
    for (int i = 0; i < 3; ++i)
        pc.add(meeting(u"Itteni %1"_qs.arg(i), u"08"_qs));
    SyncReport report = pc.round();
    QVERIFY2(report.ok, qPrintable(report.error));
    if (changeOne) {
        pc.session->setField(pc.rowOf(u"Itteni 1"_qs), Field::FreeText, u"Megváltozott"_qs);
        QVERIFY(pc.session->save().ok());
        report = pc.round();
        QVERIFY2(report.ok, qPrintable(report.error));
        QVERIFY(!cal.find("Megv").isEmpty());
    }
    QCOMPARE(cal.items.size(), 3);
    QCOMPARE(codec->writesHome.load(), 0);
    QCOMPARE(codec->writesElsewhere.load(), written);
}

void TestSyncRounds::bookStepsOffTheWindowsThread_data()
{
    QTest::addColumn<QByteArray>("then");
    QTest::addColumn<QStringList>("texts");
    const QStringList both{u"Telefon 0"_qs, u"Telefon 1"_qs};
    QTest::newRow("taken in") << QByteArray() << both;
    QTest::newRow("changed there")
        << QByteArray("edit") << QStringList{u"Telefon 0"_qs, u"Telefon egy"_qs};
    QTest::newRow("deleted there") << QByteArray("drop") << QStringList{u"Telefon 0"_qs};
}

// What comes in is carried into the rows on the worker (taken, overwritten, cleared); the book
// itself takes the rows over on the round's thread, and they reach the book and its file.
void TestSyncRounds::bookStepsOffTheWindowsThread()
{
    QFETCH(QByteArray, then);
    QFETCH(QStringList, texts);
    FakeCalendar cal;
    for (int i = 0; i < 2; ++i) {
        const QByteArray n = QByteArray::number(i);
        cal.put("phone-" + n + ".ics", phoneEvent("phone-" + n, "Telefon " + n));
    }
    Computer pc(cal.url());
    QMutex lock;
    QList<QThread *> appliedOn;
    pc.sync->setBookApplier(
        [&](ReminderBook &book, ReminderIds &ids, const RoundPlan &plan, const QDate &today) {
            QMutexLocker locked(&lock);
            appliedOn << QThread::currentThread();
            return applyToBook(book, ids, plan, today);
        });
    SyncReport report = pc.round();
    QVERIFY2(report.ok, qPrintable(report.error));
    const QByteArray second = "/cal/phone-1.ics";
    if (then == "edit")
        cal.put("phone-1.ics", edited(cal.items[second].data, "Telefon 1", "Telefon egy"));
    else if (then == "drop")
        cal.drop(second);
    if (!then.isEmpty()) {
        report = pc.round();
        QVERIFY2(report.ok, qPrintable(report.error));
        QCOMPARE(report.incoming, 1);
    }
    QCOMPARE(pc.texts(), texts);
    pc.reopen();
    QCOMPARE(pc.texts(), texts);
    QMutexLocker locked(&lock);
    QVERIFY(!appliedOn.isEmpty());
    QVERIFY(!appliedOn.contains(QThread::currentThread()));
}

// A reminder made here while the round is being planned: the round plans again from the book as
// it is, so the new reminder is kept and goes up beside what came in.
void TestSyncRounds::bookChangedMeanwhilePlannedAgain()
{
    FakeCalendar cal;
    cal.put("phone-1.ics", phoneEvent("phone-1", "Telefon"));
    Computer pc(cal.url());
    std::atomic<int> plans{0};
    pc.sync->setPlanner([&](const QList<BookRow> &book, const Agreement &last,
                            const QString &calendar, const QList<ListedItem> &listing) {
        if (plans++ == 0)
            QMetaObject::invokeMethod(
                pc.session.get(), [&] { pc.session->store(meeting(u"Közben"_qs, u"09"_qs)); },
                Qt::BlockingQueuedConnection);
        return planRound(book, last, calendar, listing);
    });
    const SyncReport report = pc.round();
    QVERIFY2(report.ok, qPrintable(report.error));
    QVERIFY(plans.load() >= 2);
    QCOMPARE(pc.texts(), (QStringList{u"Közben"_qs, u"Telefon"_qs}));
    QCOMPARE(cal.items.size(), 2);
    QVERIFY(!cal.find("X-QUILLOMAT-ROW").isEmpty());
    pc.reopen();
    QCOMPARE(pc.texts(), (QStringList{u"Közben"_qs, u"Telefon"_qs}));
}

QTEST_GUILESS_MAIN(TestSyncRounds)
#include "tst_syncrounds.moc"
