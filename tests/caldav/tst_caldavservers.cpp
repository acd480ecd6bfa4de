// The client against real CalDAV servers, Radicale and Xandikos, each started here on 127.0.0.1
// with a temporary folder and stopped at the end: discovery, a calendar made, items written
// under their ETag conditions by two devices, the one-request check of an unchanged calendar.

#include "caldav/davclient.h"
#include "caldav/realservers.h"

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>
#include <optional>

using namespace quill::caldav;
using namespace quill::test;
using Kind = DavError::Kind;

namespace {

template <typename T, typename Call> DavResult<T> await(Call call)
{
    std::optional<DavResult<T>> out;
    call([&out](const DavResult<T> &r) { out = r; });
    if (!QTest::qWaitFor([&out] { return out.has_value(); }, 30000))
        return {DavError::make(Kind::Network, QStringLiteral("the test waited in vain")), {}};
    return *out;
}

/// CPU time of this process (the client's threads included; the server is a process of its own).
double processCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000 + double(now.tv_nsec) / 1e6;
}

QByteArray vevent(const QByteArray &uid, const QByteArray &summary)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Quillomat//HU\r\nBEGIN:VEVENT\r\nUID:" +
           uid + "\r\nDTSTAMP:20261201T100000Z\r\nDTSTART:20261208T080000\r\nSUMMARY:" + summary +
           "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

QString etagOf(const QList<DavItem> &items, const QString &href)
{
    for (const DavItem &item : items) {
        if (item.href == href)
            return item.etag;
    }
    return {};
}

} // namespace

class TestCalDavServers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void againstServer_data();
    void againstServer();

private:
    void makeCalendar(CalDavClient &here, const QUrl &server, QUrl &calendar);
    void writeAndRead(CalDavClient &here, const QUrl &calendar, CollectionState &filled);
    void twoDevices(CalDavClient &here, const QUrl &calendar, const CollectionState &filled);
};

void TestCalDavServers::againstServer_data()
{
    QTest::addColumn<QString>("server");
    QTest::newRow("radicale") << u"radicale"_qs;
    QTest::newRow("xandikos") << u"xandikos"_qs;
}

void TestCalDavServers::againstServer()
{
    QFETCH(QString, server);
    Server running;
    QVERIFY2(running.start(server), qPrintable(server + u" did not start"_qs));
    CalDavClient here;
    here.setCredentials(u"anna"_qs, u"titok"_qs);
    QUrl calendar;
    makeCalendar(here, running.url(), calendar);
    if (QTest::currentTestFailed())
        return;
    CollectionState filled;
    writeAndRead(here, calendar, filled);
    if (QTest::currentTestFailed())
        return;
    twoDevices(here, calendar, filled);
}

void TestCalDavServers::makeCalendar(CalDavClient &here, const QUrl &server, QUrl &calendar)
{
    const auto found = await<Discovery>([&](auto done) { here.discover(server, done); });
    QVERIFY2(!found.error, qPrintable(found.error.reason));
    QVERIFY(found.value.home.isValid());
    const auto made = await<QUrl>([&](auto done) {
        here.makeCalendar(found.value.home, u"emlekeztetok"_qs, u"Emlékeztetők"_qs, done);
    });
    QVERIFY2(!made.error, qPrintable(made.error.reason));
    calendar = made.value;
    const auto again = await<Discovery>([&](auto done) { here.discover(server, done); });
    QVERIFY2(!again.error, qPrintable(again.error.reason));
    bool listed = false;
    for (const CalendarInfo &info : again.value.calendars)
        listed = listed || (info.url == calendar && info.displayName == u"Emlékeztetők"_qs);
    QVERIFY2(listed, "the calendar made is listed by its name");
}

void TestCalDavServers::writeAndRead(CalDavClient &here, const QUrl &calendar,
                                     CollectionState &filled)
{
    const auto empty = await<CollectionState>([&](auto done) { here.state(calendar, done); });
    QVERIFY2(!empty.error, qPrintable(empty.error.reason));
    QVERIFY(empty.value.calendar);
    QVERIFY(!empty.value.syncToken.isEmpty() || !empty.value.ctag.isEmpty());

    const QUrl item = calendar.resolved(QUrl(u"vitamin.ics"_qs));
    const QString href = item.path(QUrl::FullyEncoded);
    const auto created =
        await<QString>([&](auto done) { here.create(item, vevent("vitamin-1", "Vitamin"), done); });
    QVERIFY2(!created.error, qPrintable(created.error.reason));
    const auto twice =
        await<QString>([&](auto done) { here.create(item, vevent("vitamin-1", "Vitamin"), done); });
    QCOMPARE(twice.error.kind, Kind::Conflict);

    filled = await<CollectionState>([&](auto done) { here.state(calendar, done); }).value;
    QVERIFY(!unchangedSince(filled, empty.value));
    QVERIFY2(!filled.syncToken.isEmpty(), "both servers offer sync reports");
    const int before = here.requestsSent();
    const double cpuBefore = processCpuMs();
    const auto quiet = await<CollectionState>([&](auto done) { here.state(calendar, done); });
    const double cpu = processCpuMs() - cpuBefore;
    QVERIFY(unchangedSince(quiet.value, filled));
    QCOMPARE(here.requestsSent() - before, 1);
    QVERIFY2(cpu < 20, qPrintable(u"the unchanged check cost %1 ms of CPU"_qs.arg(cpu)));

    const auto listing = await<QList<DavItem>>([&](auto done) { here.listing(calendar, done); });
    QVERIFY2(!listing.error, qPrintable(listing.error.reason));
    QCOMPARE(listing.value.size(), 1);
    const QString etag = etagOf(listing.value, href);
    QVERIFY(!etag.isEmpty());
    const auto all = await<QList<DavItem>>([&](auto done) { here.fetchAll(calendar, done); });
    QVERIFY2(!all.error, qPrintable(all.error.reason));
    QCOMPARE(all.value.size(), 1);
    QVERIFY(all.value[0].data.contains("UID:vitamin-1"));
    const auto one = await<QList<DavItem>>([&](auto done) { here.fetch(calendar, {href}, done); });
    QVERIFY2(!one.error, qPrintable(one.error.reason));
    QCOMPARE(one.value.size(), 1);
    QCOMPARE(one.value[0].etag, etag);
}

void TestCalDavServers::twoDevices(CalDavClient &here, const QUrl &calendar,
                                   const CollectionState &filled)
{
    const QUrl item = calendar.resolved(QUrl(u"vitamin.ics"_qs));
    const QString href = item.path(QUrl::FullyEncoded);
    const auto listing = await<QList<DavItem>>([&](auto done) { here.listing(calendar, done); });
    const QString etag = etagOf(listing.value, href);
    // A second device changes the item; this one's change, made on the older copy, is refused.
    CalDavClient phone;
    phone.setCredentials(u"anna"_qs, u"titok"_qs);
    const auto renamed = await<QString>(
        [&](auto done) { phone.replace(item, etag, vevent("vitamin-1", "Vitamin D"), done); });
    QVERIFY2(!renamed.error, qPrintable(renamed.error.reason));
    const auto late = await<QString>(
        [&](auto done) { here.replace(item, etag, vevent("vitamin-1", "Vitamin C"), done); });
    QCOMPARE(late.error.kind, Kind::Conflict);
    const auto stale = await<bool>([&](auto done) { here.remove(item, etag, done); });
    QCOMPARE(stale.error.kind, Kind::Conflict);

    if (!filled.syncToken.isEmpty()) {
        const auto delta = await<SyncDelta>(
            [&](auto done) { here.changesSince(calendar, filled.syncToken, done); });
        QVERIFY2(!delta.error, qPrintable(delta.error.reason));
        QCOMPARE(delta.value.changed.size(), 1);
        QCOMPARE(delta.value.changed[0].href, href);
    }
    const auto now = await<QList<DavItem>>([&](auto done) { here.listing(calendar, done); });
    const auto removed =
        await<bool>([&](auto done) { here.remove(item, etagOf(now.value, href), done); });
    QVERIFY2(!removed.error, qPrintable(removed.error.reason));
    if (!filled.syncToken.isEmpty()) {
        const auto delta = await<SyncDelta>(
            [&](auto done) { here.changesSince(calendar, filled.syncToken, done); });
        QVERIFY2(!delta.error, qPrintable(delta.error.reason));
        QCOMPARE(delta.value.removed, QStringList{href});
    }
    const auto gone = await<QList<DavItem>>([&](auto done) { here.fetchAll(calendar, done); });
    QVERIFY2(!gone.error, qPrintable(gone.error.reason));
    QVERIFY(gone.value.isEmpty());
}

QTEST_GUILESS_MAIN(TestCalDavServers)
#include "tst_caldavservers.moc"
