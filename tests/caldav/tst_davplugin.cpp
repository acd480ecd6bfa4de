// The client's HTTP is a plugin loaded with the first request: found beside the executable, and
// when it cannot be loaded, every request answers, later, with the reason in the user's words.

#include "caldav/davclient.h"
#include "fakedav.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace quill::caldav;
using Kind = DavError::Kind;

class TestDavPlugin : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { CalDavClient::setTransportPlugin({}); }

    void unloadable_data()
    {
        QTest::addColumn<QString>("plugin");
        QTest::addColumn<QString>("why"); ///< what the loader's reason names
        const QString bin = qEnvironmentVariable("QUILL_BIN_DIR");
        QTest::newRow("missing") << u"/nonexistent/libquillomat-dav.so"_qs
                                 << u"/nonexistent/libquillomat-dav.so"_qs;
        QTest::newRow("not a library") << u"NOT-ELF"_qs << u"libquillomat-dav.so"_qs;
        QTest::newRow("another plugin")
            << QDir(bin).filePath(u"libquillomat-ical.so"_qs) << u"quillomatCreateDavTransport"_qs;
    }

    // Nothing goes out, nothing crashes, the answer comes after the call, and it says why.
    void unloadable()
    {
        QFETCH(QString, plugin);
        QFETCH(QString, why);
        QTemporaryDir dir;
        if (plugin == u"NOT-ELF"_qs) {
            plugin = dir.filePath(u"libquillomat-dav.so"_qs);
            QFile text(plugin);
            QVERIFY(text.open(QIODevice::WriteOnly));
            text.write("nem könyvtár\n");
        }
        CalDavClient::setTransportPlugin(plugin);
        FakeDav server;
        server.handler = [](const FakeRequest &) { return FakeReply{207, {}}; };
        CalDavClient client;
        client.setCredentials(u"anna"_qs, u"titok"_qs);
        bool inCall = false;
        bool answeredInCall = false;
        const auto result = await<CollectionState>([&](auto done) {
            inCall = true;
            client.state(QUrl(QString::fromLatin1(server.base() + "/cal/")),
                         [&, done](const DavResult<CollectionState> &r) {
                             answeredInCall = inCall;
                             done(r);
                         });
            inCall = false;
        });
        QVERIFY(!answeredInCall);
        QCOMPARE(result.error.kind, Kind::Network);
        const QString head = u"a hálózati bővítmény (libquillomat-dav.so) nem tölthető be: "_qs;
        QVERIFY2(result.error.reason.startsWith(head) && result.error.reason.contains(why),
                 qPrintable(result.error.reason));
        QVERIFY(server.requests.isEmpty());
    }

    // Untold, the client finds the plugin beside the executable, as the program's does.
    void besideTheExecutable()
    {
        QVERIFY(QFile::exists(QCoreApplication::applicationDirPath() + u"/libquillomat-dav.so"_qs));
        FakeDav server;
        server.handler = [](const FakeRequest &) { return FakeReply{404, {}}; };
        CalDavClient client;
        const auto result = await<CollectionState>([&](auto done) {
            client.state(QUrl(QString::fromLatin1(server.base() + "/cal/")), done);
        });
        QCOMPARE(result.error.kind, Kind::NotFound);
        QCOMPARE(server.requests.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestDavPlugin)
#include "tst_davplugin.moc"
