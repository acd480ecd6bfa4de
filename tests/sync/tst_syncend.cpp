// A round without a window (`quillomat --sync`, the real program) stopped from outside while its
// agreement is on its way to the disk.

#include "support/filebytes.h"
#include "support/programhome.h"
#include "sync/agreement.h"
#include "synccomputer.h"

#include <QDirIterator>
#include <QProcess>
#include <QTimer>

#include <csignal>

using namespace quill;
using namespace quill::test;

namespace {

QProcessEnvironment environment(const QString &home)
{
    QProcessEnvironment env = programEnvironment(home);
    // The leak checker stops the world with ptrace, which a traced process cannot.
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
    return env;
}

/// The process a tracer started (its first child).
pid_t childOf(qint64 tracer)
{
    const QByteArray children = readAll(QStringLiteral("/proc/%1/task/%1/children").arg(tracer));
    return pid_t(children.split(' ').value(0).toLongLong());
}

/// The files under `folder` whose names begin with `prefix`.
QStringList filesIn(const QString &folder, const QString &prefix)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (it.fileName().startsWith(prefix))
            out << it.filePath();
    }
    return out;
}

struct Ended {
    bool normal = false;
    int code = -1;
    QString err;
};

Ended endOf(QProcess &p)
{
    if (!QTest::qWaitFor([&p] { return p.state() == QProcess::NotRunning; }, 90000)) {
        p.kill();
        p.waitForFinished();
    }
    return {p.exitStatus() == QProcess::NormalExit, p.exitCode(),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class TestSyncEnd : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stoppedWhileItsAgreementIsWritten_data();
    void stoppedWhileItsAgreementIsWritten();
};

void TestSyncEnd::stoppedWhileItsAgreementIsWritten_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGHUP") << SIGHUP;
}

// `quillomat --sync` sends two new reminders and is stopped while its agreement is being written
// (every fsync slowed to 1.5 s): the agreement is finished before the program ends, which tells
// that the round was stopped. The next run writes nothing again: two events, two rows.
void TestSyncEnd::stoppedWhileItsAgreementIsWritten()
{
    QFETCH(int, signalNumber);
    FakeCalendar cal;
    QTemporaryDir home;
    QVERIFY(QDir().mkpath(home.filePath(u"config/Zelmarin/Quillomat"_qs)));
    writeAll(home.filePath(u"config/Zelmarin/Quillomat/beallitasok.conf"_qs),
             "caldav_cim=" + cal.url().toUtf8() + '\n');
    const QString data = home.filePath(u"data/Zelmarin/Quillomat"_qs);
    {
        Computer pc(cal.url(), data);
        pc.add(meeting(u"Fogorvos"_qs, u"08"_qs));
        pc.add(meeting(u"Vitamin"_qs, u"09"_qs));
    }
    QProcess child;
    child.setProcessEnvironment(environment(home.path()));
    bool signalled = false;
    int puts = 0;
    cal.beforeWrite = [&](const FakeRequest &r) {
        if (r.method != "PUT" || ++puts != 2)
            return;
        QTimer::singleShot(400, &child, [&] {
            signalled = ::kill(childOf(child.processId()), signalNumber) == 0;
        });
    };
    child.start(u"strace"_qs, {u"-f"_qs, u"-qq"_qs, u"-o"_qs, u"/dev/null"_qs, u"--seccomp-bpf"_qs,
                               u"-e"_qs, u"trace=fsync,fdatasync"_qs, u"-e"_qs,
                               u"inject=fsync,fdatasync:delay_exit=1500000"_qs,
                               QStringLiteral(QUILLOMAT_PATH), u"--sync"_qs});
    Ended ended = endOf(child);
    if (puts == 0 && ended.err.contains(u"strace"_qs)) // no ptrace allowed here
        QSKIP(qPrintable(u"strace could not run the program: "_qs + ended.err.left(400)));
    QVERIFY2(signalled, qPrintable(ended.err));
    QVERIFY2(ended.normal && ended.code == 1, qPrintable(ended.err));
    QVERIFY2(ended.err.contains(u"leállították"_qs), qPrintable(ended.err));
    const QStringList agreements = filesIn(home.filePath(u"state"_qs), u"egyeztetes-"_qs);
    QCOMPARE(agreements.size(), 1);
    const auto agreed = decodeAgreement(readAll(agreements[0]));
    QVERIFY(agreed);
    QCOMPARE(agreed->entries.size(), 2);
    QCOMPARE(filesIn(home.filePath(u"state"_qs), u".egyeztetes-"_qs), QStringList());

    QProcess again;
    again.setProcessEnvironment(environment(home.path()));
    again.start(QStringLiteral(QUILLOMAT_PATH), {u"--sync"_qs});
    ended = endOf(again);
    QVERIFY2(ended.normal && ended.code == 0, qPrintable(ended.err));
    QCOMPARE(cal.count("PUT"), 2);
    QCOMPARE(cal.items.size(), 2);
    Computer pc(cal.url(), data);
    QCOMPARE(pc.texts(), (QStringList{u"Fogorvos"_qs, u"Vitamin"_qs}));
}

QTEST_GUILESS_MAIN(TestSyncEnd)
#include "tst_syncend.moc"
