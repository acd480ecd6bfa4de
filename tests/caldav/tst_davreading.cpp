#include "caldav/davclient.h"
#include "fakedav.h"

#include <QMutex>
#include <QTest>
#include <QThread>

using namespace quill::caldav;

namespace {

const QByteArray calendarState = multistatus(
    response("/cal/", "<d:resourcetype><d:collection/><c:calendar/></d:resourcetype>"
                      "<cs:getctag>ctag-7</cs:getctag><d:sync-token>tok-7</d:sync-token>"));

const QByteArray twoItems = multistatus(response("/cal/a.ics", "<d:getetag>\"a1\"</d:getetag>") +
                                            response("/cal/b.ics", "<d:getetag>\"b1\"</d:getetag>"),
                                        "<d:sync-token>tok-8</d:sync-token>");

// What a call answered: on which thread, and how many things it found.
struct Answered {
    QThread *on = nullptr;
    DavError error;
    int found = 0;
};

template <typename T> Answered answeredBy(const DavResult<T> &r, int found)
{
    return {QThread::currentThread(), r.error, found};
}

// Makes the call named `call` on the calendar `/cal/` of the server and waits for its answer.
Answered ask(CalDavClient &client, const QUrl &cal, const QByteArray &call)
{
    std::optional<Answered> out;
    if (call == "state") {
        client.state(cal, [&out](const DavResult<CollectionState> &r) {
            out = answeredBy(r, r.value.ctag == u"ctag-7"_qs ? 1 : 0);
        });
    } else if (call == "listing") {
        client.listing(cal, [&out](const DavResult<QList<DavItem>> &r) {
            out = answeredBy(r, int(r.value.size()));
        });
    } else if (call == "fetch") {
        client.fetch(cal, {u"/cal/a.ics"_qs, u"/cal/b.ics"_qs},
                     [&out](const DavResult<QList<DavItem>> &r) {
                         out = answeredBy(r, int(r.value.size()));
                     });
    } else {
        client.changesSince(cal, u"tok-7"_qs, [&out](const DavResult<SyncDelta> &r) {
            out = answeredBy(r, r.value.token == u"tok-8"_qs ? int(r.value.changed.size()) : -1);
        });
    }
    if (!QTest::qWaitFor([&out] { return out.has_value(); }, 20000))
        return {};
    return *out;
}

} // namespace

class TestDavReading : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readOffItsThread_data();
    void readOffItsThread();
    void clientGoesWhileReading();
};

void TestDavReading::readOffItsThread_data()
{
    QTest::addColumn<QByteArray>("call");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("found");
    QTest::newRow("state") << QByteArray("state") << calendarState << 1;
    QTest::newRow("listing") << QByteArray("listing") << twoItems << 2;
    QTest::newRow("fetch") << QByteArray("fetch") << twoItems << 2;
    QTest::newRow("changes") << QByteArray("changes") << twoItems << 2;
}

// A multistatus answer (thousands of items for a large calendar) is read on a worker, never on
// the client's thread (the window's); the call is answered on the client's thread, with what was
// read.
void TestDavReading::readOffItsThread()
{
    QFETCH(QByteArray, call);
    QFETCH(QByteArray, answer);
    QFETCH(int, found);
    FakeDav server;
    server.handler = [&](const FakeRequest &) { return FakeReply{207, answer}; };
    CalDavClient client;
    QMutex lock;
    QList<QThread *> readOn;
    client.setParser([&](const QByteArray &body, QString *why) {
        QMutexLocker locked(&lock);
        readOn << QThread::currentThread();
        return parseMultistatus(body, why);
    });
    const Answered answered = ask(client, QUrl(QString::fromLatin1(server.base() + "/cal/")), call);
    QVERIFY2(!answered.error, qPrintable(answered.error.reason));
    QCOMPARE(answered.found, found);
    QCOMPARE(answered.on, QThread::currentThread());
    QMutexLocker locked(&lock);
    QCOMPARE(readOn.size(), 1);
    QVERIFY(readOn[0] != QThread::currentThread());
}

// The client goes away while an answer is being read: the reading ends first, and nobody is
// answered.
void TestDavReading::clientGoesWhileReading()
{
    FakeDav server;
    server.handler = [&](const FakeRequest &) { return FakeReply{207, twoItems}; };
    auto client = std::make_unique<CalDavClient>();
    QAtomicInt reading = 0;
    client->setParser([&](const QByteArray &body, QString *why) {
        reading = 1;
        QThread::msleep(200);
        return parseMultistatus(body, why);
    });
    bool answered = false;
    client->listing(QUrl(QString::fromLatin1(server.base() + "/cal/")),
                    [&answered](const DavResult<QList<DavItem>> &) { answered = true; });
    QVERIFY(QTest::qWaitFor([&reading] { return reading.loadRelaxed() == 1; }, 10000));
    client.reset();
    QTest::qWait(50);
    QVERIFY(!answered);
}

QTEST_GUILESS_MAIN(TestDavReading)
#include "tst_davreading.moc"
