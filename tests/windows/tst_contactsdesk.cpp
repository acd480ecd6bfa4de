// The contacts desk without the main window: when the day's announcement is due.

#include "reminders/alerts.h"
#include "windows/contactsdesk.h"

#include <QTest>

using namespace quill;

class TestContactsDesk : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Once a day, from the time set (08:00); one that comes late (a start after the time, a
    // wake from sleep) waits out the start's grace; nothing without an address book.
    void announcementDue_data()
    {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<bool>("announcedToday");
        QTest::addColumn<qint64>("sinceStartMs");
        QTest::addColumn<bool>("hasSource");
        QTest::addColumn<bool>("due");
        const qint64 grace = AlertScanner::startGraceMs;
        QTest::newRow("before the time") << QTime(7, 59, 59) << false << grace << true << false;
        QTest::newRow("at the time, at once") << QTime(8, 0) << false << qint64(0) << true << true;
        QTest::newRow("within its minute") << QTime(8, 0, 59) << false << qint64(0) << true << true;
        QTest::newRow("late, during the grace")
            << QTime(8, 1) << false << grace - 1 << true << false;
        QTest::newRow("late, after the grace") << QTime(8, 1) << false << grace << true << true;
        QTest::newRow("announced today") << QTime(9, 0) << true << grace << true << false;
        QTest::newRow("no address book") << QTime(9, 0) << false << grace << false << false;
    }
    void announcementDue()
    {
        QFETCH(QTime, now);
        QFETCH(bool, announcedToday);
        QFETCH(qint64, sinceStartMs);
        QFETCH(bool, hasSource);
        QFETCH(bool, due);
        Preferences p;
        if (hasSource)
            p.contactsSource = u"/nowhere/contacts.vcf"_qs;
        const ContactsDesk desk; // never reads: no source set
        const QDate today(2026, 12, 6);
        const auto text = desk.dueAnnouncement(
            p, QDateTime(today, now), announcedToday ? today : today.addDays(-1), sinceStartMs);
        QCOMPARE(text.has_value(), due);
    }
};

QTEST_GUILESS_MAIN(TestContactsDesk)
#include "tst_contactsdesk.moc"
