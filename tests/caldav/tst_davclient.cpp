#include "caldav/davclient.h"
#include "fakedav.h"

#include <QFile>
#include <QMutex>
#include <QRegularExpression>
#include <QSslKey>
#include <QSslServer>
#include <QTest>
#include <QThread>

#include <optional>

using namespace quill::caldav;
using Kind = DavError::Kind;

Q_DECLARE_METATYPE(DavError::Kind)

namespace {

const QByteArray calendarState = multistatus(
    response("/cal/", "<d:resourcetype><d:collection/><c:calendar/></d:resourcetype>"
                      "<d:displayname>Emlékeztetők</d:displayname>"
                      "<cs:getctag>ctag-7</cs:getctag><d:sync-token>tok-7</d:sync-token>"));

QUrl at(const FakeDav &server, const char *path)
{
    return QUrl(QString::fromLatin1(server.base() + path));
}

} // namespace

class TestDavClient : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void statuses_data();
    void statuses();
    void authentication_data();
    void authentication();
    void conditionalWrites_data();
    void conditionalWrites();
    void silentServer();
    void redirects_data();
    void redirects();
    void badBodies_data();
    void badBodies();
    void oversized_data();
    void oversized();
    void untrustedCertificate();
    void syncReport();
    void expiredToken();
    void unchanged_data();
    void unchanged();
    void discovery();
    void refusedConnection();
    void onItsOwnThread();
};

void TestDavClient::statuses_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<Kind>("kind");
    QTest::newRow("207") << 207 << calendarState << Kind::None;
    QTest::newRow("403") << 403 << QByteArray() << Kind::Forbidden;
    QTest::newRow("404") << 404 << QByteArray() << Kind::NotFound;
    QTest::newRow("500") << 500 << QByteArray("oops") << Kind::Server;
    QTest::newRow("503") << 503 << QByteArray() << Kind::Server;
    QTest::newRow("507") << 507 << QByteArray() << Kind::Server;
    QTest::newRow("200 instead of 207") << 200 << QByteArray("<html/>") << Kind::BadResponse;
    QTest::newRow("400") << 400 << QByteArray() << Kind::Refused;
}

void TestDavClient::statuses()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(Kind, kind);
    FakeDav server;
    server.handler = [&](const FakeRequest &) { return FakeReply{status, body}; };
    CalDavClient client;
    const auto result =
        await<CollectionState>([&](auto done) { client.state(at(server, "/cal/"), done); });
    QCOMPARE(result.error.kind, kind);
    QCOMPARE(server.requests.size(), 1);
    QCOMPARE(server.requests[0].method, QByteArray("PROPFIND"));
    QCOMPARE(server.requests[0].header("depth"), QByteArray("0"));
    if (kind == Kind::None) {
        QCOMPARE(result.value.ctag, u"ctag-7"_qs);
        QCOMPARE(result.value.syncToken, u"tok-7"_qs);
        QCOMPARE(result.value.displayName, u"Emlékeztetők"_qs);
        QVERIFY(result.value.calendar);
    } else {
        QVERIFY(!result.error.reason.isEmpty());
        QVERIFY(result.error.reason.contains(QString::number(status)));
    }
}

void TestDavClient::authentication_data()
{
    QTest::addColumn<bool>("digest");
    QTest::addColumn<QString>("password");
    QTest::addColumn<Kind>("kind");
    QTest::newRow("basic, right") << false << u"titok"_qs << Kind::None;
    QTest::newRow("basic, wrong") << false << u"rossz"_qs << Kind::Auth;
    QTest::newRow("digest, right") << true << u"titok"_qs << Kind::None;
    QTest::newRow("digest, wrong") << true << u"rossz"_qs << Kind::Auth;
    QTest::newRow("digest, none") << true << QString() << Kind::Auth;
}

void TestDavClient::authentication()
{
    QFETCH(bool, digest);
    QFETCH(QString, password);
    QFETCH(Kind, kind);
    FakeDav server;
    server.handler = [&](const FakeRequest &request) -> FakeReply {
        const bool proven = digest ? digestProves(request, "anna", "titok", "naptar")
                                   : request.header("authorization") ==
                                         "Basic " + QByteArray("anna:titok").toBase64();
        if (proven)
            return {207, calendarState};
        const QByteArray challenge =
            digest ? "Digest realm=\"naptar\", qop=\"auth\", nonce=\"n0nc3\", algorithm=MD5"
                   : "Basic realm=\"naptar\"";
        return {401, "nem", {{"WWW-Authenticate", challenge}}};
    };
    CalDavClient client;
    client.setCredentials(password.isEmpty() ? QString() : u"anna"_qs, password);
    const auto result =
        await<CollectionState>([&](auto done) { client.state(at(server, "/cal/"), done); });
    QCOMPARE(result.error.kind, kind);
    QVERIFY2(server.requests.size() <= 2, "refused credentials are not tried again and again");
    if (kind == Kind::Auth)
        QVERIFY(result.error.reason.contains(u"jelszó"_qs));
}

void TestDavClient::conditionalWrites_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("condition");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<Kind>("kind");
    QTest::newRow("new") << u"create"_qs << 201 << QByteArray("if-none-match") << QByteArray("*")
                         << Kind::None;
    QTest::newRow("new, already there")
        << u"create"_qs << 412 << QByteArray("if-none-match") << QByteArray("*") << Kind::Conflict;
    QTest::newRow("change") << u"replace"_qs << 204 << QByteArray("if-match")
                            << QByteArray("\"e1\"") << Kind::None;
    QTest::newRow("change, changed there")
        << u"replace"_qs << 412 << QByteArray("if-match") << QByteArray("\"e1\"") << Kind::Conflict;
    QTest::newRow("delete") << u"remove"_qs << 204 << QByteArray("if-match") << QByteArray("\"e1\"")
                            << Kind::None;
    QTest::newRow("delete, gone") << u"remove"_qs << 404 << QByteArray("if-match")
                                  << QByteArray("\"e1\"") << Kind::None;
    QTest::newRow("delete, changed there")
        << u"remove"_qs << 412 << QByteArray("if-match") << QByteArray("\"e1\"") << Kind::Conflict;
    QTest::newRow("change, full server")
        << u"replace"_qs << 507 << QByteArray("if-match") << QByteArray("\"e1\"") << Kind::Server;
}

void TestDavClient::conditionalWrites()
{
    QFETCH(QString, call);
    QFETCH(int, status);
    QFETCH(QByteArray, condition);
    QFETCH(QByteArray, value);
    QFETCH(Kind, kind);
    FakeDav server;
    server.handler = [&](const FakeRequest &) {
        return FakeReply{status, {}, {{"ETag", "\"e2\""}}};
    };
    CalDavClient client;
    const QUrl item = at(server, "/cal/a.ics");
    const QByteArray ics = "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n";
    DavError error;
    if (call == u"remove"_qs) {
        error = await<bool>([&](auto done) { client.remove(item, u"\"e1\""_qs, done); }).error;
    } else {
        const auto result = await<QString>([&](auto done) {
            if (call == u"create"_qs)
                client.create(item, ics, done);
            else
                client.replace(item, u"\"e1\""_qs, ics, done);
        });
        error = result.error;
        if (!error)
            QCOMPARE(result.value, u"\"e2\""_qs);
        QCOMPARE(server.requests.value(0).body, ics);
        QVERIFY(server.requests.value(0).header("content-type").startsWith("text/calendar"));
    }
    QCOMPARE(error.kind, kind);
    QCOMPARE(server.requests.size(), 1);
    QCOMPARE(server.requests[0].header(condition.constData()), value);
}

void TestDavClient::silentServer()
{
    FakeDav server;
    server.handler = [](const FakeRequest &) { return FakeReply{0, {}, {}, true}; };
    CalDavClient client;
    client.setLimits({300, 5000, 1 << 20, 5});
    QElapsedTimer clock;
    clock.start();
    const auto result =
        await<CollectionState>([&](auto done) { client.state(at(server, "/cal/"), done); });
    QCOMPARE(result.error.kind, Kind::Timeout);
    QVERIFY(result.error.reason.contains(u"nem válaszolt"_qs));
    QVERIFY2(clock.elapsed() < 3000, "a silent server is given up after the silence limit");
}

void TestDavClient::redirects_data()
{
    QTest::addColumn<int>("hops");
    QTest::addColumn<int>("status");
    QTest::addColumn<Kind>("kind");
    QTest::newRow("one 301") << 1 << 301 << Kind::None;
    QTest::newRow("two 308") << 2 << 308 << Kind::None;
    QTest::newRow("302") << 1 << 302 << Kind::None;
    QTest::newRow("endless") << 1000 << 307 << Kind::Redirects;
}

void TestDavClient::redirects()
{
    QFETCH(int, hops);
    QFETCH(int, status);
    QFETCH(Kind, kind);
    FakeDav server;
    server.handler = [&](const FakeRequest &request) -> FakeReply {
        const int hop = request.path.mid(request.path.lastIndexOf('/') + 1).toInt();
        if (hop < hops)
            return {status, {}, {{"Location", "/hop/" + QByteArray::number(hop + 1)}}};
        return {207, calendarState};
    };
    CalDavClient client;
    const auto result =
        await<CollectionState>([&](auto done) { client.state(at(server, "/hop/0"), done); });
    QCOMPARE(result.error.kind, kind);
    QVERIFY(server.requests.size() <= client.limits().redirects + 1);
    for (const FakeRequest &request : std::as_const(server.requests)) {
        QCOMPARE(request.method, QByteArray("PROPFIND"));
        QVERIFY(request.body.contains("getctag"));
    }
}

void TestDavClient::badBodies_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("garbage") << QByteArray("\x01\x02<<<>>>\xff garbage");
    QTest::newRow("cut off") << calendarState.left(calendarState.size() / 2);
    QTest::newRow("not multistatus") << QByteArray("<html><body>hello</body></html>");
    QTest::newRow("entity growth")
        << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE m [<!ENTITY a \"aaaaaaaaaa\">"
                      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
                      "<d:multistatus xmlns:d=\"DAV:\">&b;</d:multistatus>");
    QTest::newRow("too deep") << multistatus(QByteArray("<d:x>").repeated(5000) +
                                             QByteArray("</d:x>").repeated(5000));
    QTest::newRow("empty") << QByteArray();
}

void TestDavClient::badBodies()
{
    QFETCH(QByteArray, body);
    FakeDav server;
    server.handler = [&](const FakeRequest &) { return FakeReply{207, body}; };
    CalDavClient client;
    const auto result =
        await<QList<DavItem>>([&](auto done) { client.fetchAll(at(server, "/cal/"), done); });
    QCOMPARE(result.error.kind, Kind::BadResponse);
    QVERIFY(result.error.reason.startsWith(u"a kiszolgáló válasza nem értelmezhető"_qs));
    QVERIFY(result.value.isEmpty());
}

void TestDavClient::oversized_data()
{
    QTest::addColumn<bool>("noLength");
    QTest::newRow("announced") << false;
    QTest::newRow("streamed") << true;
}

void TestDavClient::oversized()
{
    QFETCH(bool, noLength);
    FakeDav server;
    const QByteArray item =
        response("/cal/x.ics", "<c:calendar-data>" + QByteArray(4000, 'x') + "</c:calendar-data>");
    server.handler = [&](const FakeRequest &) {
        FakeReply reply{207, multistatus(item.repeated(300))};
        reply.noLength = noLength;
        return reply;
    };
    CalDavClient client;
    client.setLimits({5000, 10000, 256 << 10, 5});
    const auto result =
        await<QList<DavItem>>([&](auto done) { client.fetchAll(at(server, "/cal/"), done); });
    QCOMPARE(result.error.kind, Kind::TooLarge);
    QVERIFY(result.error.reason.contains(u"túl nagy"_qs));
}

void TestDavClient::untrustedCertificate()
{
    QFile pem(QStringLiteral(CALDAV_TEST_DIR "/selfsigned.pem"));
    QVERIFY(pem.open(QIODevice::ReadOnly));
    const QByteArray both = pem.readAll();
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate(both));
    tls.setPrivateKey(QSslKey(both, QSsl::Rsa));
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    QSslServer server;
    server.setSslConfiguration(tls);
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    int served = 0;
    connect(&server, &QSslServer::pendingConnectionAvailable, &server, [&] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [&served, socket] {
                ++served; // a request came through: the certificate was accepted
                socket->readAll();
            });
        }
    });
    CalDavClient client;
    const auto result = await<CollectionState>([&](auto done) {
        client.state(QUrl(u"https://127.0.0.1:%1/cal/"_qs.arg(server.serverPort())), done);
    });
    QCOMPARE(result.error.kind, Kind::Tls);
    QVERIFY(result.error.reason.contains(u"nem megbízható"_qs));
    QCOMPARE(served, 0);
}

void TestDavClient::syncReport()
{
    FakeDav server;
    server.handler = [&](const FakeRequest &) {
        return FakeReply{207,
                         multistatus(response("/cal/new.ics", "<d:getetag>\"n1\"</d:getetag>") +
                                         "<d:response><d:href>/cal/gone%20one.ics</d:href>"
                                         "<d:status>HTTP/1.1 404 Not Found</d:status></d:response>",
                                     "<d:sync-token>tok-8</d:sync-token>")};
    };
    CalDavClient client;
    const auto result = await<SyncDelta>(
        [&](auto done) { client.changesSince(at(server, "/cal/"), u"tok-7"_qs, done); });
    QVERIFY2(!result.error, qPrintable(result.error.reason));
    QCOMPARE(server.requests[0].method, QByteArray("REPORT"));
    QVERIFY(server.requests[0].body.contains("<d:sync-token>tok-7</d:sync-token>"));
    QCOMPARE(result.value.token, u"tok-8"_qs);
    QCOMPARE(result.value.changed.size(), 1);
    QCOMPARE(result.value.changed[0].href, u"/cal/new.ics"_qs);
    QCOMPARE(result.value.changed[0].etag, u"\"n1\""_qs);
    QCOMPARE(result.value.removed, QStringList{u"/cal/gone%20one.ics"_qs});
}

void TestDavClient::expiredToken()
{
    FakeDav server;
    server.handler = [&](const FakeRequest &) {
        return FakeReply{403, "<?xml version=\"1.0\"?><d:error xmlns:d=\"DAV:\">"
                              "<d:valid-sync-token/></d:error>"};
    };
    CalDavClient client;
    const auto result = await<SyncDelta>(
        [&](auto done) { client.changesSince(at(server, "/cal/"), u"old"_qs, done); });
    QCOMPARE(result.error.kind, Kind::TokenExpired);
}

void TestDavClient::unchanged_data()
{
    QTest::addColumn<QString>("ctag");
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("lastCtag");
    QTest::addColumn<QString>("lastToken");
    QTest::addColumn<bool>("unchanged");
    QTest::newRow("same token") << u"c2"_qs << u"t1"_qs << u"c1"_qs << u"t1"_qs << true;
    QTest::newRow("new token") << u"c1"_qs << u"t2"_qs << u"c1"_qs << u"t1"_qs << false;
    QTest::newRow("same ctag, no token") << u"c1"_qs << QString() << u"c1"_qs << QString() << true;
    QTest::newRow("new ctag") << u"c2"_qs << QString() << u"c1"_qs << QString() << false;
    QTest::newRow("nothing known") << QString() << QString() << QString() << QString() << false;
    QTest::newRow("first round") << u"c1"_qs << u"t1"_qs << QString() << QString() << false;
}

void TestDavClient::unchanged()
{
    QFETCH(QString, ctag);
    QFETCH(QString, token);
    QFETCH(QString, lastCtag);
    QFETCH(QString, lastToken);
    QFETCH(bool, unchanged);
    CollectionState now;
    now.ctag = ctag;
    now.syncToken = token;
    CollectionState before;
    before.ctag = lastCtag;
    before.syncToken = lastToken;
    QCOMPARE(unchangedSince(now, before), unchanged);
}

void TestDavClient::discovery()
{
    FakeDav server;
    server.handler = [&](const FakeRequest &request) -> FakeReply {
        if (request.path == "/.well-known/caldav")
            return {301, {}, {{"Location", "/dav/"}}};
        if (request.path == "/dav/")
            return {207, multistatus(response(
                             "/dav/", "<d:current-user-principal><d:href>/dav/anna/</d:href>"
                                      "</d:current-user-principal>"))};
        if (request.path == "/dav/anna/")
            return {207, multistatus(response("/dav/anna/",
                                              "<c:calendar-home-set><d:href>/dav/anna/cals/"
                                              "</d:href></c:calendar-home-set>"))};
        if (request.path == "/dav/anna/cals/" && request.method == "PROPFIND")
            return {207,
                    multistatus(
                        response("/dav/anna/cals/",
                                 "<d:resourcetype><d:collection/></d:resourcetype>") +
                        response("/dav/anna/cals/munka/",
                                 "<d:resourcetype><d:collection/><c:calendar/>"
                                 "</d:resourcetype><d:displayname>Munka</d:displayname>") +
                        response("/dav/anna/cals/teendok/",
                                 "<d:resourcetype><d:collection/><c:calendar/>"
                                 "</d:resourcetype><c:supported-calendar-component-set>"
                                 "<c:comp name=\"VTODO\"/></c:supported-calendar-component-set>"))};
        if (request.method == "MKCALENDAR")
            return {201, {}};
        return {404, {}};
    };
    CalDavClient client;
    const auto found = await<Discovery>([&](auto done) { client.discover(at(server, ""), done); });
    QVERIFY2(!found.error, qPrintable(found.error.reason));
    QCOMPARE(found.value.principal, at(server, "/dav/anna/"));
    QCOMPARE(found.value.home, at(server, "/dav/anna/cals/"));
    QCOMPARE(found.value.calendars.size(), 1); // the task list holds no events
    QCOMPARE(found.value.calendars[0].displayName, u"Munka"_qs);
    QCOMPARE(found.value.calendars[0].url, at(server, "/dav/anna/cals/munka/"));
    QCOMPARE(server.requests.last().header("depth"), QByteArray("1"));

    const auto made = await<QUrl>([&](auto done) {
        client.makeCalendar(found.value.home, u"emlekeztetok"_qs, u"Emlékeztetők"_qs, done);
    });
    QVERIFY2(!made.error, qPrintable(made.error.reason));
    QCOMPARE(made.value, at(server, "/dav/anna/cals/emlekeztetok/"));
    QCOMPARE(server.requests.last().method, QByteArray("MKCALENDAR"));
    QVERIFY(server.requests.last().body.contains("Emlékeztetők"));
}

void TestDavClient::refusedConnection()
{
    quint16 port = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    }
    CalDavClient client;
    const auto result = await<CollectionState>(
        [&](auto done) { client.state(QUrl(u"http://127.0.0.1:%1/cal/"_qs.arg(port)), done); });
    QCOMPARE(result.error.kind, Kind::Network);
    QVERIFY(result.error.reason.contains(u"127.0.0.1"_qs));
}

// The window's thread only hands work over: the client, moved to a thread of its own, sends,
// reads and parses there, and answers there.
void TestDavClient::onItsOwnThread()
{
    QTest::failOnWarning(QRegularExpression(u"."_qs));
    FakeDav server;
    server.handler = [&](const FakeRequest &) { return FakeReply{207, calendarState}; };
    QThread worker;
    auto *client = new CalDavClient;
    client->moveToThread(&worker);
    connect(&worker, &QThread::finished, client, &QObject::deleteLater);
    worker.start();
    QMutex lock;
    std::optional<DavResult<CollectionState>> out;
    QThread *answeredOn = nullptr;
    QMetaObject::invokeMethod(client, [&, client] {
        client->state(at(server, "/cal/"), [&](const DavResult<CollectionState> &r) {
            QMutexLocker locked(&lock);
            out = r;
            answeredOn = QThread::currentThread();
        });
    });
    const bool answered = QTest::qWaitFor(
        [&] {
            QMutexLocker locked(&lock);
            return out.has_value();
        },
        10000);
    worker.quit();
    worker.wait();
    QVERIFY(answered);
    QVERIFY2(!out->error, qPrintable(out->error.reason));
    QCOMPARE(out->value.ctag, u"ctag-7"_qs);
    QCOMPARE(answeredOn, &worker);
}

QTEST_GUILESS_MAIN(TestDavClient)
#include "tst_davclient.moc"
