#include "synccomputer.h"

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

} // namespace

class TestSyncRounds : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void leapDayAsTheSettingsSay_data();
    void leapDayAsTheSettingsSay();
};

void TestSyncRounds::leapDayAsTheSettingsSay_data()
{
    QTest::addColumn<bool>("march1");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QByteArray>("repeat");
    QTest::newRow("28 February") << false << QByteArray("20270228T080000\r\n")
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

QTEST_GUILESS_MAIN(TestSyncRounds)
#include "tst_syncrounds.moc"
