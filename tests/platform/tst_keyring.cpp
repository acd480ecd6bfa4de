// The keyring plugin against a real Secret Service: gnome-keyring-daemon on a private session
// bus of the test's own (dbus-run-session), its login keyring made and unlocked by the test in a
// temporary home, so the machine's own keyring is never touched. A password is kept, read back
// and removed; without any session bus the keyring answers that none runs.

#include "platform/keyring.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace quill;
using Status = KeyringAnswer::Status;

namespace {

KeyringAnswer wait(Keyring &keyring, const std::function<void(Keyring &, Keyring::Done)> &call)
{
    std::optional<KeyringAnswer> out;
    call(keyring, [&out](const KeyringAnswer &a) { out = a; });
    if (!QTest::qWaitFor([&out] { return out.has_value(); }, 30000))
        return {Status::Failed, {}, u"the test waited in vain"_qs};
    return *out;
}

QString plugin()
{
    return QDir(qEnvironmentVariable("QUILL_BIN_DIR")).filePath(u"libquillomat-keyring.so"_qs);
}

} // namespace

class TestKeyring : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void realKeyring_data()
    {
        QTest::addColumn<bool>("service");
        QTest::newRow("a Secret Service of the test's own") << true;
        QTest::newRow("no session bus at all") << false;
    }
    // Each case runs in a process of its own: a session bus is chosen once per process.
    void realKeyring()
    {
        QFETCH(bool, service);
        const QString runSession = QStandardPaths::findExecutable(u"dbus-run-session"_qs);
        const QString daemon = QStandardPaths::findExecutable(u"gnome-keyring-daemon"_qs);
        if (service && (runSession.isEmpty() || daemon.isEmpty()))
            QSKIP("dbus-run-session or gnome-keyring-daemon is not installed");
        QTemporaryDir home;
        QVERIFY(home.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const auto &[name, folder] : {std::pair{u"HOME"_qs, u""_qs},
                                           {u"XDG_DATA_HOME"_qs, u"/data"_qs},
                                           {u"XDG_CONFIG_HOME"_qs, u"/config"_qs},
                                           {u"XDG_CACHE_HOME"_qs, u"/cache"_qs},
                                           {u"XDG_RUNTIME_DIR"_qs, u"/run"_qs}}) {
            QVERIFY(QDir().mkpath(home.path() + folder));
            env.insert(name, home.path() + folder);
        }
        QFile::setPermissions(home.path() + u"/run"_qs,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.remove(u"DISPLAY"_qs); // no bus started for the display either
        env.remove(u"DBUS_SESSION_BUS_ADDRESS"_qs);
        env.insert(u"QUILL_KEYRING_EXPECT"_qs, service ? u"kept"_qs : u"none"_qs);
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        const QString self = QCoreApplication::applicationFilePath();
        if (service) {
            // The login keyring is made with the password on standard input, and unlocked; the
            // daemon is stopped when the test is done, whatever its outcome.
            child.start(runSession,
                        {u"--"_qs, u"sh"_qs, u"-c"_qs,
                         u"printf proba | gnome-keyring-daemon --foreground --unlock "
                         "--components=secrets >/dev/null 2>&1 & daemon=$!; "
                         "trap 'kill $daemon 2>/dev/null; wait $daemon' EXIT; "
                         "for i in $(seq 50); do [ -S \"$XDG_RUNTIME_DIR/keyring/control\" ] && "
                         "break; sleep 0.1; done; \"$0\" inside"_qs,
                         self});
        } else {
            child.start(self, {u"inside"_qs});
        }
        QVERIFY(child.waitForFinished(60000));
        const QByteArray output = child.readAll();
        if (child.exitCode() == 77)
            QSKIP(qPrintable(u"no Secret Service could be started here: "_qs +
                             QString::fromUtf8(output).section(u"SKIP:"_qs, 1).trimmed()));
        QVERIFY2(child.exitCode() == 0, output.constData());
        QVERIFY2(output.contains("PASS   : TestKeyring::inside()"), output.constData());
    }

    // The other half, in the child: what the keyring answers there.
    void inside()
    {
        const QString expect = qEnvironmentVariable("QUILL_KEYRING_EXPECT");
        if (expect.isEmpty())
            QSKIP("run by realKeyring in a process of its own");
        LazyKeyring keyring(plugin());
        QObject context;
        const QString key = u"anna@naptar.example:8443"_qs;
        const KeyringAnswer written = wait(keyring, [&](Keyring &k, Keyring::Done done) {
            k.write(key, u"titok jelszó"_qs, &context, done);
        });
        if (expect == u"none") {
            QCOMPARE(written.status, Status::NoKeyring);
            QVERIFY(written.reason.contains(u"nem fut kulcstartó"_qs));
            const KeyringAnswer read =
                wait(keyring, [&](Keyring &k, Keyring::Done done) { k.read(key, &context, done); });
            QCOMPARE(read.status, Status::NoKeyring);
            return;
        }
        QVERIFY2(!written.reason.contains(u"libquillomat-keyring"_qs), qPrintable(written.reason));
        if (written.status == Status::NoKeyring) {
            std::printf("SKIP: %s\n", qPrintable(written.reason));
            std::exit(77);
        }
        QCOMPARE(written.status, Status::Done);
        KeyringAnswer read =
            wait(keyring, [&](Keyring &k, Keyring::Done done) { k.read(key, &context, done); });
        QCOMPARE(read.status, Status::Done);
        QCOMPARE(read.password, u"titok jelszó"_qs);
        // Nothing of it in a file of the home but the keyring's own (encrypted) one.
        QProcess grep;
        grep.start(u"grep"_qs, {u"-rl"_qs, u"titok jelszó"_qs, qEnvironmentVariable("HOME")});
        QVERIFY(grep.waitForFinished());
        QCOMPARE(grep.readAll(), QByteArray());
        const KeyringAnswer removed =
            wait(keyring, [&](Keyring &k, Keyring::Done done) { k.remove(key, &context, done); });
        QCOMPARE(removed.status, Status::Done);
        read = wait(keyring, [&](Keyring &k, Keyring::Done done) { k.read(key, &context, done); });
        QCOMPARE(read.status, Status::NotFound);
        // Removing what is not there is no failure.
        QCOMPARE(
            wait(keyring, [&](Keyring &k, Keyring::Done done) { k.remove(key, &context, done); })
                .status,
            Status::Done);
    }
};

QTEST_GUILESS_MAIN(TestKeyring)
#include "tst_keyring.moc"
