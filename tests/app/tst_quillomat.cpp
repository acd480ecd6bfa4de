// The real program as a process: its command line, and a second start against a running copy.

#include "caldav/realservers.h"
#include "support/filebytes.h"
#include "support/programhome.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace quill::test;

namespace {
struct Run {
    int code = -1;
    QString out, err;
};

Run quillomat(const QStringList &args, const QString &home)
{
    QProcess p;
    p.setProcessEnvironment(programEnvironment(home));
    p.start(QStringLiteral(QUILLOMAT_PATH), args);
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
} // namespace

class TestQuillomat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("--help") << QStringList{u"--help"_qs} << 0 << u"Használat: quillomat"_qs
                                << QString();
        QTest::newRow("-h") << QStringList{u"-h"_qs} << 0 << u"--version"_qs << QString();
        QTest::newRow("--version")
            << QStringList{u"--version"_qs} << 0 << u"Quillomat 1.5.0"_qs << QString();
        QTest::newRow("unknown option")
            << QStringList{u"--foo"_qs} << 2 << QString() << u"ismeretlen kapcsoló: --foo"_qs;
        QTest::newRow("an argument")
            << QStringList{u"x.txt"_qs} << 2 << QString() << u"nem vár argumentumot: x.txt"_qs;
        QTest::newRow("Qt's own options pass")
            << QStringList{u"-style"_qs, u"Fusion"_qs, u"--version"_qs} << 0
            << u"Quillomat 1.5.0"_qs << QString();
    }
    // Answers without opening a window: there is no display for one here.
    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QTemporaryDir home;
        QProcess p;
        QProcessEnvironment env = programEnvironment(home.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":99999"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(QUILLOMAT_PATH), args);
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), code);
        const QString stdOut = QString::fromUtf8(p.readAllStandardOutput());
        const QString stdErr = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.contains(out), qPrintable(stdOut));
        QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.contains(err), qPrintable(stdErr));
        if (code == 2)
            QVERIFY(stdErr.contains(u"Használat"_qs));
    }

    // A second start hands over to the running copy and ends at once with success, leaving the
    // file alone; a start with the copy gone is a first start again.
    void secondStart()
    {
        QTemporaryDir home;
        const QString data = home.filePath(u"data/Zelmarin/Quillomat/remembers.txt"_qs);
        QDir().mkpath(QFileInfo(data).absolutePath());
        writeAll(data, "e| | |*|*|*|*|00| |x|1|0|\r\n");
        QProcess first;
        first.setProcessEnvironment(programEnvironment(home.path()));
        first.start(QStringLiteral(QUILLOMAT_PATH), {});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(data + u".lock"_qs), 10000);
        QTest::qWait(300);
        // The hand-over socket lies in the user's private runtime folder, for the user alone.
        const QStringList sockets =
            QDir(home.filePath(u"runtime"_qs)).entryList({u"*.sock"_qs}, QDir::System);
        QVERIFY2(!sockets.isEmpty(), "no hand-over socket in the runtime folder");
        if (::geteuid() == 0) {
            QProcess stranger;
            stranger.start(
                u"setpriv"_qs,
                {u"--reuid=65534"_qs, u"--regid=65534"_qs, u"--clear-groups"_qs, u"python3"_qs,
                 u"-c"_qs,
                 u"import socket,sys; socket.socket(socket.AF_UNIX).connect(sys.argv[1])"_qs,
                 home.filePath(u"runtime/"_qs + sockets.first())});
            QVERIFY(stranger.waitForFinished(20000));
            QVERIFY2(stranger.exitCode() != 0, "another user reached the hand-over socket");
        }
        QElapsedTimer timer;
        timer.start();
        const Run second = quillomat({}, home.path());
        QCOMPARE(second.code, 0);
        QVERIFY(timer.elapsed() < 10000);
        QCOMPARE(first.state(), QProcess::Running);
        QCOMPARE(readAll(data), QByteArray("e| | |*|*|*|*|00| |x|1|0|\r\n"));
        first.terminate();
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitCode(), 0);
        QVERIFY(!QFile::exists(data + u".lock"_qs));
    }

    // Nothing of the network is loaded while nothing needs it: neither linked into the program
    // nor mapped into it once its window is up; the CalDAV client loads it on its first request.
    void noNetworkUntilNeeded()
    {
        QProcess readelf;
        readelf.start(u"readelf"_qs, {u"-d"_qs, QStringLiteral(QUILLOMAT_PATH)});
        QVERIFY(readelf.waitForFinished(20000));
        const QByteArray needed = readelf.readAllStandardOutput();
        QVERIFY2(needed.contains("NEEDED") && !needed.contains("libQt6Network"),
                 needed.constData());

        QTemporaryDir home;
        const QString data = home.filePath(u"data/Zelmarin/Quillomat/remembers.txt"_qs);
        QDir().mkpath(QFileInfo(data).absolutePath());
        writeAll(data, "e| | |*|*|*|*|00| |x|1|0|\r\n");
        QProcess p;
        p.setProcessEnvironment(programEnvironment(home.path()));
        p.start(QStringLiteral(QUILLOMAT_PATH), {});
        QVERIFY(p.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(data + u".lock"_qs), 10000);
        QTest::qWait(1000); // the window is up and the start's work is done
        QFile maps(u"/proc/%1/maps"_qs.arg(p.processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray mapped = maps.readAll();
        QVERIFY(mapped.contains("libQt6Core"));
        QVERIFY2(!mapped.contains("libQt6Network"), "Qt Network is loaded at start");
        QVERIFY2(!mapped.contains("libquillomat-dav"), "the network plugin is loaded at start");
        p.terminate();
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
    }

    // SIGTERM (a logout) while an alert box is open answers nothing: the run record stays
    // before the alert's minute and names no answered alert, so the next start brings it again.
    void terminatedWithAlertOpen()
    {
        QTemporaryDir home;
        const QString data = home.filePath(u"data/Zelmarin/Quillomat/remembers.txt"_qs);
        QDir().mkpath(QFileInfo(data).absolutePath());
        // An alert this minute, with time enough in it for the start and the first tick.
        if (QTime::currentTime().second() >= 45)
            QTest::qWait((61 - QTime::currentTime().second()) * 1000);
        const QDateTime now = QDateTime::currentDateTime();
        const QDateTime minute(now.date(), QTime(now.time().hour(), now.time().minute()));
        writeAll(data, "e| | |*|*|*|*|" + now.toString(u"mm"_qs).toLatin1() + "| |x|1|0|\r\n");
        QProcess p;
        p.setProcessEnvironment(programEnvironment(home.path()));
        p.start(QStringLiteral(QUILLOMAT_PATH), {});
        QVERIFY(p.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(data + u".lock"_qs), 10000);
        QTest::qWait(3000); // the first tick, on the next second, opens the box
        QCOMPARE(::kill(pid_t(p.processId()), SIGTERM), 0);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        const QStringList records =
            QDir(home.filePath(u"state/Zelmarin/Quillomat"_qs)).entryList({u"lastrun-*"_qs});
        QCOMPARE(records.size(), 1);
        const QList<QByteArray> lines =
            readAll(home.filePath(u"state/Zelmarin/Quillomat/"_qs + records.first())).split('\n');
        const QDateTime until = QDateTime::fromString(QString::fromLatin1(lines[0]), Qt::ISODate);
        QVERIFY2(until.isValid() && until < minute, lines[0].constData());
        QVERIFY2(lines.size() == 2 && lines[1].isEmpty(), "an alert was recorded as answered");
    }

    // A round against a server whose certificate nobody vouches for fails, says why in
    // Hungarian, and sends nothing, the password least of all.
    void syncWithUntrustedCertificate()
    {
        Server running;
        running.tls = true;
        QVERIFY2(running.start(u"radicale"_qs, "anna:titok\n"), "radicale did not start");
        QTemporaryDir home;
        const QString settings = home.filePath(u"config/Zelmarin/Quillomat/beallitasok.conf"_qs);
        QDir().mkpath(QFileInfo(settings).absolutePath());
        writeAll(settings, "caldav_cim=" + running.url().toString().toUtf8() +
                               "/anna/naptar/\ncaldav_felhasznalo=anna\n"
                               "caldav_jelszoparancs=printf titok\n");
        const Run run = quillomat({u"--sync"_qs}, home.path());
        QCOMPARE(run.code, 1);
        // Said once, with the certificate's problem.
        QVERIFY2(run.err.count(u"tanúsítvány"_qs) == 1 &&
                     run.err.contains(u"nem megbízható, mert saját aláírású"_qs),
                 qPrintable(run.err));
        QVERIFY(running.knock());
        QTest::qWait(300); // anything logged late is counted too
        QVERIFY2(running.requests() == 1 && running.received.count("HTTP_AUTHORIZATION") == 1,
                 running.received.constData());
    }
};

QTEST_GUILESS_MAIN(TestQuillomat)
#include "tst_quillomat.moc"
