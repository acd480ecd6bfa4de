#include "files/safefile.h"
#include "synccomputer.h"

#include <QFile>

#include <QElapsedTimer>
#include <time.h>

using namespace quill;
using namespace quill::test;

class TestCalendarSync : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstRoundAndUnchanged_data();
    void firstRoundAndUnchanged();
    void addressChangeDeletesNothing();
    void failedRoundKeepsLocalChange();
    void emptiedSidesPassDeletionsOn();
    void copiedBookAdoptsItsEvents();
    void sameTextsKeepTheirOwnNames();
    void phoneChangeDuringRoundKeepsBoth();
    void deletedHereWhileFullStaysDeleted();
    void itemWithoutRoomToldOnce_data();
    void itemWithoutRoomToldOnce();
    void exceptionDoesNotHoldLaterChanges();
    void olderVersionTakenOver();
    void silentServerIsToldInTime();
};

void TestCalendarSync::firstRoundAndUnchanged_data()
{
    QTest::addColumn<bool>("syncReports");
    QTest::newRow("sync-token") << true;
    QTest::newRow("ctag only") << false;
}

// The book goes up once with If-None-Match; a round with nothing changed asks one question.
void TestCalendarSync::firstRoundAndUnchanged()
{
    QFETCH(bool, syncReports);
    FakeCalendar cal;
    cal.syncReports = syncReports;
    Computer pc(cal.url());
    pc.add(meeting(u"Fogorvos"_qs, u"08"_qs));
    pc.add(meeting(u"Vitamin"_qs, u"09"_qs));
    SyncReport report = pc.round();
    QVERIFY2(report.ok, qPrintable(report.error));
    QCOMPARE(cal.items.size(), 2);
    QCOMPARE(cal.count("PUT"), 2);
    for (const FakeRequest &r : cal.server.requests) {
        if (r.method == "PUT")
            QCOMPARE(r.header("if-none-match"), QByteArray("*"));
    }
    report = pc.round(); // our own writes are seen once
    QVERIFY2(report.ok, qPrintable(report.error));
    const qsizetype before = cal.server.requests.size();
    std::timespec start{}, end{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &start);
    report = pc.round();
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &end);
    QVERIFY2(report.ok, qPrintable(report.error));
    QCOMPARE(cal.server.requests.size() - before, 1);
    const double ms = (end.tv_sec - start.tv_sec) * 1e3 + (end.tv_nsec - start.tv_nsec) / 1e6;
    qInfo("unchanged round: 1 request, %.2f ms of CPU (the test's server included)", ms);
    QCOMPARE(pc.texts(), (QStringList{u"Fogorvos"_qs, u"Vitamin"_qs}));
}

// Another calendar that already holds an event: merged, nothing deleted on either side.
void TestCalendarSync::addressChangeDeletesNothing()
{
    FakeCalendar first;
    FakeCalendar second;
    second.put("phone.ics", phoneEvent("phone-1", "Úszás"));
    Computer pc(first.url());
    pc.add(meeting(u"Fogorvos"_qs, u"08"_qs));
    QVERIFY(pc.round().ok);
    pc.calendar = second.url();
    const SyncReport report = pc.round();
    QVERIFY2(report.ok, qPrintable(report.error));
    QCOMPARE(pc.texts(), (QStringList{u"Fogorvos"_qs, u"Úszás"_qs}));
    QCOMPARE(second.items.size(), 2);
    QCOMPARE(first.items.size(), 1);
    QCOMPARE(second.count("DELETE"), 0);
}

// A change made here survives a round that failed, and goes up with the next.
void TestCalendarSync::failedRoundKeepsLocalChange()
{
    FakeCalendar cal;
    Computer pc(cal.url());
    pc.add(meeting(u"Fogorvos"_qs, u"08"_qs));
    QVERIFY(pc.round().ok);
    pc.session->setField(pc.rowOf(u"Fogorvos"_qs), Field::Hour, u"09"_qs);
    QVERIFY(pc.session->save().ok());
    cal.fault = [](const FakeRequest &r) -> std::optional<FakeReply> {
        if (r.method == "PUT")
            return FakeReply{507};
        return std::nullopt;
    };
    SyncReport report = pc.round();
    QVERIFY(!report.ok);
    QVERIFY(!report.error.isEmpty());
    pc.reopen();
    cal.fault = nullptr;
    report = pc.round();
    QVERIFY2(report.ok, qPrintable(report.error));
    QCOMPARE(pc.session->table().row(pc.rowOf(u"Fogorvos"_qs)).field(Field::Hour), u"09"_qs);
    QCOMPARE(cal.items.size(), 1);
    QVERIFY(cal.items.first().data.contains("T090000"));
}

// The last reminder deleted here, the calendar emptied there: deletions pass on, rounds go on.
void TestCalendarSync::emptiedSidesPassDeletionsOn()
{
    FakeCalendar cal;
    Computer pc(cal.url());
    pc.add(meeting(u"Fogorvos"_qs, u"08"_qs));
    QVERIFY(pc.round().ok);
    QVERIFY(pc.round().ok);
    pc.session->clear(pc.rowOf(u"Fogorvos"_qs));
    QVERIFY(pc.session->save().ok());
    QVERIFY(pc.round().ok);
    QVERIFY(cal.items.isEmpty());
    QCOMPARE(cal.server.requests.last().header("if-match").isEmpty(), false);
    pc.add(meeting(u"Vitamin"_qs, u"09"_qs));
    QVERIFY(pc.round().ok);
    cal.drop(cal.items.firstKey());
    SyncReport report = pc.round();
    QVERIFY2(report.ok, qPrintable(report.error));
    QVERIFY(pc.texts().isEmpty());
    pc.reopen();
    QVERIFY(pc.texts().isEmpty());
    report = pc.round();
    QVERIFY2(report.ok, qPrintable(report.error));
}

// A book carried to another computer without its UIDs recognises its own events.
void TestCalendarSync::copiedBookAdoptsItsEvents()
{
    FakeCalendar cal;
    Computer pc(cal.url());
    pc.add(meeting(u"Fogorvos"_qs, u"08"_qs));
    pc.add(meeting(u"Vitamin"_qs, u"09"_qs));
    QVERIFY(pc.round().ok);
    Computer other(cal.url());
    QFile::remove(other.dataPath());
    QVERIFY(QFile::copy(pc.dataPath(), other.dataPath()));
    other.reopen();
    const SyncReport report = other.round();
    QVERIFY2(report.ok, qPrintable(report.error));
    QCOMPARE(cal.items.size(), 2);
    QCOMPARE(other.texts(), (QStringList{u"Fogorvos"_qs, u"Vitamin"_qs}));
    QVERIFY(other.round().ok);
    QVERIFY(pc.round().ok);
    QCOMPARE(cal.items.size(), 2);
    QCOMPARE(pc.texts(), (QStringList{u"Fogorvos"_qs, u"Vitamin"_qs}));
}

// Two reminders with the same text: deleting the first (and starting again, the rows closed up)
// deletes the first's event, and the second keeps its own name there and here.
void TestCalendarSync::sameTextsKeepTheirOwnNames()
{
    FakeCalendar cal;
    Computer pc(cal.url());
    pc.add(meeting(u"Vitamin"_qs, u"09"_qs));
    pc.add(meeting(u"Vitamin"_qs, u"09"_qs));
    QVERIFY(pc.round().ok);
    QCOMPARE(cal.items.size(), 2);
    const auto uidIn = [](const QByteArray &data) {
        const qsizetype at = data.indexOf("\nUID:") + 5;
        return data.mid(at, data.indexOf('\r', at) - at);
    };
    const QByteArray second = pc.session->table().identity(1)->uid.toUtf8();
    const QByteArray first = pc.session->table().identity(0)->uid.toUtf8();
    QVERIFY(first != second);
    pc.session->clear(0);
    QVERIFY(pc.session->save().ok());
    pc.reopen();
    QCOMPARE(pc.session->table().identity(0)->uid.toUtf8(), second);
    QVERIFY(pc.round().ok);
    QCOMPARE(cal.count("DELETE"), 1);
    QCOMPARE(cal.items.size(), 1);
    QCOMPARE(uidIn(cal.items.first().data), second);
    pc.reopen();
    QVERIFY(pc.round().ok);
    QCOMPARE(cal.items.size(), 1);
    QCOMPARE(uidIn(cal.items.first().data), second);
}

// A phone that writes between this round's reading and its writing: a 412, both versions kept.
void TestCalendarSync::phoneChangeDuringRoundKeepsBoth()
{
    FakeCalendar cal;
    Computer pc(cal.url());
    pc.add(meeting(u"Vitamin"_qs, u"08"_qs));
    QVERIFY(pc.round().ok);
    pc.session->setField(pc.rowOf(u"Vitamin"_qs), Field::Hour, u"09"_qs);
    QVERIFY(pc.session->save().ok());
    const QByteArray href = cal.items.firstKey();
    bool written = false;
    cal.beforeWrite = [&cal, &written, href](const FakeRequest &) {
        if (std::exchange(written, true))
            return;
        cal.put(href.mid(cal.path.size()), edited(cal.items[href].data, "Vitamin", "Vitamin D"));
    };
    const SyncReport report = pc.round();
    QVERIFY2(report.ok, qPrintable(report.error));
    QCOMPARE(report.conflicts.size(), 1);
    QCOMPARE(pc.texts(), (QStringList{u"Vitamin"_qs, u"Vitamin D"_qs}));
    QVERIFY(pc.round().ok);
    QCOMPARE(cal.items.size(), 2);
}

// A full book: the reminder deleted here is deleted there, and does not come back.
void TestCalendarSync::deletedHereWhileFullStaysDeleted()
{
    FakeCalendar cal;
    Computer pc(cal.url());
    for (int i = 0; i < ReminderRows; ++i)
        pc.session->store(meeting(u"Teendő %1"_qs.arg(i), u"08"_qs));
    QVERIFY(pc.session->save().ok());
    QVERIFY(pc.round().ok);
    QCOMPARE(cal.items.size(), ReminderRows);
    pc.session->clear(pc.rowOf(u"Teendő 7"_qs));
    QVERIFY(pc.session->save().ok());
    QVERIFY(pc.round().ok);
    QCOMPARE(cal.items.size(), ReminderRows - 1);
    for (int i = 0; i < 2; ++i) {
        pc.reopen();
        QVERIFY(pc.round().ok);
        QCOMPARE(pc.rowOf(u"Teendő 7"_qs), -1);
        QCOMPARE(pc.texts().size(), ReminderRows - 1);
    }
}

// A full book and one more item there: told at the round that meets it, not again while it and
// the book stay as they are, told again once it changes there; a row freed here takes it in.
void TestCalendarSync::itemWithoutRoomToldOnce_data()
{
    firstRoundAndUnchanged_data();
}

void TestCalendarSync::itemWithoutRoomToldOnce()
{
    QFETCH(bool, syncReports);
    FakeCalendar cal;
    cal.syncReports = syncReports;
    Computer pc(cal.url());
    for (int i = 0; i < ReminderRows; ++i)
        pc.session->store(meeting(u"Teendő %1"_qs.arg(i), u"08"_qs));
    QVERIFY(pc.session->save().ok());
    QVERIFY(pc.round().ok);
    cal.put("phone.ics", phoneEvent("phone-1", "Uszas"));
    SyncReport report = pc.round();
    QVERIFY2(report.ok, qPrintable(report.error));
    QCOMPARE(report.leftOut.size(), 1);
    QVERIFY2(report.leftOut[0].startsWith(u"Uszas: nincs több szabad sor"_qs),
             qPrintable(report.leftOut[0]));
    for (int i = 0; i < 2; ++i) {
        // Another item changes there meanwhile: the calendar is read again.
        const QByteArray other = cal.items.keys().at(i);
        cal.put(other.mid(cal.path.size()), cal.items[other].data);
        pc.reopen();
        report = pc.round();
        QVERIFY2(report.ok, qPrintable(report.error));
        QVERIFY2(report.leftOut.isEmpty(), qPrintable(report.leftOut.join(u'\n')));
        QCOMPARE(syncReportText(report), QString());
    }
    cal.put("phone.ics", phoneEvent("phone-1", "Uszas reggel"));
    report = pc.round();
    QCOMPARE(report.leftOut.size(), 1);
    QVERIFY2(report.leftOut[0].startsWith(u"Uszas reggel: "_qs), qPrintable(report.leftOut[0]));
    QVERIFY(pc.round().leftOut.isEmpty());
    pc.session->clear(pc.rowOf(u"Teendő 7"_qs));
    QVERIFY(pc.session->save().ok());
    report = pc.round();
    QVERIFY2(report.ok, qPrintable(report.error));
    QVERIFY(report.leftOut.isEmpty());
    QVERIFY(pc.rowOf(u"Uszas reggel"_qs) >= 0);
    QCOMPARE(pc.texts().size(), ReminderRows);
    QCOMPARE(cal.items.size(), ReminderRows);
    QVERIFY(pc.round().ok);
    QCOMPARE(pc.texts().size(), ReminderRows);
}

// One occurrence deleted on the phone: the reminder is not cut off, later changes still go up.
void TestCalendarSync::exceptionDoesNotHoldLaterChanges()
{
    FakeCalendar cal;
    Computer pc(cal.url());
    pc.add(meeting(u"Vitamin"_qs, u"08"_qs));
    QVERIFY(pc.round().ok);
    const QByteArray href = cal.items.firstKey();
    QByteArray data = cal.items[href].data;
    data.replace("END:VEVENT", "EXDATE:20270501T080000\r\nEND:VEVENT");
    cal.put(href.mid(cal.path.size()), data);
    QVERIFY(pc.round().ok);
    QCOMPARE(pc.texts(), QStringList{u"Vitamin"_qs});
    pc.session->setField(pc.rowOf(u"Vitamin"_qs), Field::Hour, u"10"_qs);
    QVERIFY(pc.session->save().ok());
    QVERIFY(pc.round().ok);
    QVERIFY(cal.items[href].data.contains("T100000"));
    pc.session->clear(pc.rowOf(u"Vitamin"_qs));
    QVERIFY(pc.session->save().ok());
    QVERIFY(pc.round().ok);
    QVERIFY(cal.items.isEmpty());
}

// A state folder as the earlier version left it: its agreement is taken over, nothing is
// doubled or deleted, and a reminder deleted here since goes on to be deleted there.
void TestCalendarSync::olderVersionTakenOver()
{
    FakeCalendar cal;
    Computer pc(cal.url());
    pc.add(meeting(u"Fogorvos"_qs, u"08"_qs));
    pc.add(meeting(u"Vitamin"_qs, u"09"_qs));
    QVERIFY(pc.round().ok);
    // What the earlier version kept: its tool's configuration and its agreement, no new one.
    QByteArray older;
    const ReminderIds ids = ReminderIds::of(pc.session->table());
    for (int r = 0; r < 2; ++r) {
        Reminder row = pc.session->table().row(r);
        row.setField(Field::RowNumber, QString());
        older += ids.of(r)->uid.toUtf8().toBase64() + "\thash\t" +
                 rowLine(row).toUtf8().toBase64() + '\n';
    }
    QVERIFY(!files::makeFolder(pc.root()));
    QVERIFY(!files::writeAtomically(pc.root() + u"/egyeztetes"_qs, older));
    QVERIFY(!files::writeAtomically(pc.root() + u"/vdirsyncer.conf"_qs,
                                    "[general]\nurl = \"" + cal.url().toUtf8() + "\"\n"));
    QVERIFY(QFile::remove(agreementPath(pc.root(), cal.url())));
    pc.session->clear(pc.rowOf(u"Vitamin"_qs));
    QVERIFY(pc.session->save().ok());
    pc.reopen();
    const qsizetype puts = cal.count("PUT");
    const SyncReport report = pc.round();
    QVERIFY2(report.ok, qPrintable(report.error));
    QCOMPARE(cal.count("PUT"), puts);
    QCOMPARE(cal.items.size(), 1);
    QCOMPARE(pc.texts(), QStringList{u"Fogorvos"_qs});
    QVERIFY(report.conflicts.isEmpty());
}

// A server that never answers: the round gives up within the client's bound and says why.
void TestCalendarSync::silentServerIsToldInTime()
{
    FakeCalendar cal;
    cal.fault = [](const FakeRequest &) -> std::optional<FakeReply> {
        return FakeReply{207, {}, {}, true};
    };
    Computer pc(cal.url());
    pc.add(meeting(u"Fogorvos"_qs, u"08"_qs));
    QElapsedTimer clock;
    clock.start();
    const SyncReport report = pc.round();
    QVERIFY(!report.ok);
    QVERIFY2(report.error.contains(u"nem válaszolt"_qs), qPrintable(report.error));
    QVERIFY(clock.elapsed() < 10000);
    QCOMPARE(pc.texts(), QStringList{u"Fogorvos"_qs});
}

QTEST_GUILESS_MAIN(TestCalendarSync)
#include "tst_calendarsync.moc"
