#include "reminders/identities.h"
#include "support/realfaults.h"
#include "synccomputer.h"

#include <QDir>
#include <QFile>
#include <QProcess>

using namespace quill;
using namespace quill::test;

// Rounds cut in the middle for real: the data disk full when the round saves what came in, and
// the process killed (SIGKILL) after it saved what it downloaded and before its writes are
// answered. Nothing is lost or doubled; the next round finishes the work.

namespace {

/// Marks the child process that runs a round to be killed: the folder of its book.
constexpr char childFolderMark[] = "QUILL_TEST_ROUND_FOLDER";
constexpr char childUrlMark[] = "QUILL_TEST_ROUND_URL";

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int itemsHolding(const FakeCalendar &cal, const QByteArray &text)
{
    return int(std::count_if(cal.items.cbegin(), cal.items.cend(),
                             [&](const FakeCalendar::Item &i) { return i.data.contains(text); }));
}

// A birthday on 29 February, reminded at 8:00 the day before: its event's shape follows the
// leap-day rule.
Reminder leapBirthday()
{
    return {u"s"_qs,  u"Szőke"_qs, u"Ugró"_qs,        u"*"_qs, u"február"_qs, u"28"_qs,
            u"08"_qs, u"00"_qs,    u"február 29."_qs, u" "_qs, u"1"_qs};
}

QString hourOf(const Computer &pc, const QString &text)
{
    const int row = pc.rowOf(text);
    return row < 0 ? QString() : pc.session->table().row(row).field(Field::Hour);
}

/// In the second process of killedBetweenDownloadAndUpload: runs its round, which is to be
/// killed before it ends, and returns true. False in the test's own process.
bool runAsKilledRound()
{
    if (!qEnvironmentVariableIsSet(childFolderMark))
        return false;
    Computer pc(qEnvironmentVariable(childUrlMark), qEnvironmentVariable(childFolderMark));
    const SyncReport report = pc.round();
    qWarning("the round was not killed: %s", qPrintable(report.ok ? u"ok"_qs : report.error));
    return true;
}

/// Runs the current test function again as a second process on the book in `folder`, kills it
/// (SIGKILL) as its first write reaches the calendar, the write held there or let through, and
/// waits for its end; counts the writes that arrived.
QProcess::ExitStatus roundKilledAtFirstWrite(FakeCalendar &cal, const QString &folder,
                                             bool writeLands, int &writes)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(childFolderMark), folder);
    environment.insert(QString::fromLatin1(childUrlMark), cal.url());
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    cal.fault = [&](const FakeRequest &r) -> std::optional<FakeReply> {
        if (r.method != "PUT" && r.method != "DELETE")
            return std::nullopt;
        if (++writes == 1)
            child.kill();
        if (writeLands)
            return std::nullopt;
        return FakeReply{207, {}, {}, true};
    };
    const QString function = QString::fromLatin1(QTest::currentTestFunction()) + u':' +
                             QString::fromUtf8(QTest::currentDataTag());
    child.start(QCoreApplication::applicationFilePath(), {function});
    if (!QTest::qWaitFor([&child] { return child.state() == QProcess::NotRunning; }, 30000)) {
        child.kill();
        child.waitForFinished();
    }
    cal.fault = nullptr;
    return child.exitStatus();
}

} // namespace

class TestRoundCut : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fullDiskWhileSaving_data();
    void fullDiskWhileSaving();
    void killedBetweenDownloadAndUpload_data();
    void killedBetweenDownloadAndUpload();
    void bookHeldByAnotherCopy();
    void agreementOnAFullDisk();
    void identitiesCutOffAfterTheBookWasSaved();
    void leapDayRewriteAnsweredConflict_data();
    void leapDayRewriteAnsweredConflict();
};

void TestRoundCut::fullDiskWhileSaving_data()
{
    QTest::addColumn<bool>("startedAgain");
    QTest::newRow("the program goes on") << false;
    QTest::newRow("started again after room was made") << true;
}

// A change saved here, an addition made there, and the data disk full when the round saves the
// addition: the file and the calendar stay as they were and the user is told why. Once there is
// room, the next round sends the change made here (the server's older copy does not win) and
// brings the addition in once.
void TestRoundCut::fullDiskWhileSaving()
{
    QFETCH(bool, startedAgain);
    if (rerunWithOwnMounts())
        return;
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"adat"_qs);
    SmallDisk disk(folder, 64);
    if (!disk.mounted())
        QSKIP(disk.whyNot());
    FakeCalendar cal;
    Computer pc(cal.url(), folder);
    pc.add(meeting(u"Fogorvos"_qs, u"08"_qs));
    QVERIFY(pc.round().ok);
    pc.session->setField(pc.rowOf(u"Fogorvos"_qs), Field::Hour, u"09"_qs);
    QVERIFY(pc.session->save().ok());
    cal.put("phone.ics", phoneEvent("phone-1", "Úszás"));
    const QByteArray book = fileBytes(pc.dataPath());
    const auto server = cal.items;
    QVERIFY(disk.fill());
    SyncReport report = pc.round();
    QVERIFY(!report.ok);
    QVERIFY2(report.error.contains(u"betelt a lemez"_qs), qPrintable(report.error));
    QVERIFY(syncReportText(report).contains(report.error));
    QCOMPARE(fileBytes(pc.dataPath()), book);
    QCOMPARE(cal.items.keys(), server.keys());
    for (auto it = server.cbegin(); it != server.cend(); ++it)
        QCOMPARE(cal.items[it.key()].data, it->data);
    QVERIFY(QFile::remove(folder + u"/filler"_qs));
    if (startedAgain)
        pc.reopen();
    for (int i = 0; i < 2; ++i) {
        report = pc.round();
        QVERIFY2(report.ok, qPrintable(report.error));
        QCOMPARE(pc.texts(), (QStringList{u"Fogorvos"_qs, u"Úszás"_qs}));
        QCOMPARE(hourOf(pc, u"Fogorvos"_qs), u"09"_qs);
        QCOMPARE(cal.items.size(), 2);
        QCOMPARE(itemsHolding(cal, "T090000"), 1);
        pc.reopen();
    }
}

void TestRoundCut::killedBetweenDownloadAndUpload_data()
{
    QTest::addColumn<bool>("writeLands");
    QTest::newRow("its first write never reached the server") << false;
    QTest::newRow("its first write landed, unanswered") << true;
}

// A round in a second process brings a rename from the phone into the book, saves it, and is
// killed as it writes a change and an addition made here. The next round (the program started
// again) doubles nothing and loses nothing, on either side.
void TestRoundCut::killedBetweenDownloadAndUpload()
{
    if (runAsKilledRound())
        return;
    QFETCH(bool, writeLands);
    FakeCalendar cal;
    Computer pc(cal.url());
    pc.add(meeting(u"Fogorvos"_qs, u"08"_qs));
    pc.add(meeting(u"Vitamin"_qs, u"09"_qs));
    QVERIFY(pc.round().ok);
    const QByteArray vitamin = cal.find("Vitamin");
    cal.put(vitamin.mid(cal.path.size()), edited(cal.items[vitamin].data, "Vitamin", "Vitamin D"));
    pc.session->setField(pc.rowOf(u"Fogorvos"_qs), Field::Hour, u"10"_qs);
    pc.session->store(meeting(u"Úszás"_qs, u"07"_qs));
    QVERIFY(pc.session->save().ok());
    pc.sync.reset();
    pc.session.reset();
    pc.file.reset(); // the program closed: the other process may take the file

    int writes = 0;
    QCOMPARE(roundKilledAtFirstWrite(cal, pc.folder, writeLands, writes), QProcess::CrashExit);
    QCOMPARE(writes, 1);
    QVERIFY(fileBytes(pc.dataPath()).contains("|Vitamin D|")); // the download was saved

    for (int i = 0; i < 2; ++i) {
        pc.reopen();
        const SyncReport report = pc.round();
        QVERIFY2(report.ok, qPrintable(report.error));
        QVERIFY2(report.conflicts.isEmpty(), qPrintable(report.conflicts.join(u", "_qs)));
        QCOMPARE(pc.texts(), (QStringList{u"Fogorvos"_qs, u"Vitamin D"_qs, u"Úszás"_qs}));
        QCOMPARE(hourOf(pc, u"Fogorvos"_qs), u"10"_qs);
        QCOMPARE(cal.items.size(), 3);
        QCOMPARE(itemsHolding(cal, "Úszás"), 1);
        QCOMPARE(itemsHolding(cal, "SUMMARY:Vitamin D"), 1);
        QVERIFY(cal.items[cal.find("Fogorvos")].data.contains("T100000"));
    }
}

// Another copy of the program holds the data file when the round saves what came in: the round
// stops and says why; the file and the calendar stay as they were.
void TestRoundCut::bookHeldByAnotherCopy()
{
    FakeCalendar cal;
    Computer pc(cal.url());
    pc.add(meeting(u"Fogorvos"_qs, u"08"_qs));
    QVERIFY(pc.round().ok);
    cal.put("phone.ics", phoneEvent("phone-1", "Úszás"));
    const QByteArray book = fileBytes(pc.dataPath());
    pc.sync.reset();
    pc.session.reset();
    pc.file.reset();
    ReminderFile other(pc.dataPath(), pc.folder + u"/masik"_qs);
    QCOMPARE(other.lock(), files::LockFile::Result::Locked);
    pc.reopen();
    const SyncReport report = pc.round();
    QVERIFY(!report.ok);
    QVERIFY2(report.error.contains(u"másik, most futó példánya"_qs), qPrintable(report.error));
    QCOMPARE(fileBytes(pc.dataPath()), book);
    QCOMPARE(cal.items.size(), 2);
}

// The round's writes landed, and its new agreement finds the state folder's disk full: the round
// is told failed, with the file and the reason. Once there is room, the next rounds recognise
// what the cut round wrote and brought in: every reminder once in the book and on the server,
// nothing written again.
void TestRoundCut::agreementOnAFullDisk()
{
    if (rerunWithOwnMounts())
        return;
    FakeCalendar cal;
    Computer pc(cal.url());
    SmallDisk disk(pc.root(), 64);
    if (!disk.mounted())
        QSKIP(disk.whyNot());
    pc.add(meeting(u"Fogorvos"_qs, u"08"_qs));
    QVERIFY(pc.round().ok);
    pc.add(meeting(u"Vitamin"_qs, u"09"_qs));
    cal.put("phone.ics", phoneEvent("phone-1", "Úszás"));
    const QByteArray agreed = fileBytes(agreementPath(pc.root(), pc.calendar));
    QVERIFY(!agreed.isEmpty());
    QVERIFY(disk.fill());
    SyncReport report = pc.round();
    QVERIFY(!report.ok);
    QVERIFY2(report.error.startsWith(agreementPath(pc.root(), pc.calendar)) &&
                 report.error.contains(u"betelt a lemez"_qs),
             qPrintable(report.error));
    QCOMPARE(fileBytes(agreementPath(pc.root(), pc.calendar)), agreed);
    QCOMPARE(itemsHolding(cal, "Vitamin"), 1); // the cut round's write landed
    QVERIFY(QFile::remove(pc.root() + u"/filler"_qs));
    const int written = cal.count("PUT") + cal.count("DELETE");
    for (int i = 0; i < 2; ++i) {
        report = pc.round();
        QVERIFY2(report.ok, qPrintable(report.error));
        QVERIFY2(report.conflicts.isEmpty(), qPrintable(report.conflicts.join(u", "_qs)));
        QCOMPARE(pc.texts(), (QStringList{u"Fogorvos"_qs, u"Vitamin"_qs, u"Úszás"_qs}));
        QCOMPARE(cal.items.size(), 3);
        QCOMPARE(cal.count("PUT") + cal.count("DELETE"), written);
        pc.reopen();
    }
}

// A round saved the phone's addition into the book, and its UIDs did not follow (their write
// failed; a kill there leaves the same): the program started again gives the row a new UID. The
// next rounds recognise the row as the phone's item by the row it fits: it is neither taken in a
// second time nor sent back as a new event.
void TestRoundCut::identitiesCutOffAfterTheBookWasSaved()
{
    FakeCalendar cal;
    Computer pc(cal.url());
    pc.add(meeting(u"Fogorvos"_qs, u"08"_qs));
    QVERIFY(pc.round().ok);
    cal.put("phone.ics", phoneEvent("phone-1", "Úszás"));
    const QString ids = identityPathBeside(pc.dataPath());
    QVERIFY(QFile::remove(ids));
    QVERIFY(QDir().mkdir(ids)); // no file can take its place
    SyncReport report = pc.round();
    QVERIFY(!report.ok);
    QVERIFY2(report.error.startsWith(ids), qPrintable(report.error));
    QVERIFY(QDir().rmdir(ids));
    for (int i = 0; i < 2; ++i) {
        pc.reopen();
        QCOMPARE(pc.texts(), (QStringList{u"Fogorvos"_qs, u"Úszás"_qs})); // the book was saved
        report = pc.round();
        QVERIFY2(report.ok, qPrintable(report.error));
        QVERIFY2(report.conflicts.isEmpty(), qPrintable(report.conflicts.join(u", "_qs)));
        QCOMPARE(pc.texts(), (QStringList{u"Fogorvos"_qs, u"Úszás"_qs}));
        QCOMPARE(cal.items.size(), 2);
        QCOMPARE(itemsHolding(cal, "Úszás"), 1);
        QCOMPARE(cal.count("PUT"), 1); // Fogorvos, at the first round
    }
}

void TestRoundCut::leapDayRewriteAnsweredConflict_data()
{
    QTest::addColumn<QByteArray>("phoneTitle");
    QTest::newRow("the phone wrote it again alike") << QByteArray("Ugró");
    QTest::newRow("the phone renamed it") << QByteArray("Ugró Béla");
}

// The leap-day setting changed, and the birthday's event, written again in the new shape, meets a
// version the phone wrote meanwhile (412). The rounds that follow still bring the event to the
// new shape, with what the phone changed; one event, one row.
void TestRoundCut::leapDayRewriteAnsweredConflict()
{
    QFETCH(QByteArray, phoneTitle);
    FakeCalendar cal;
    Computer pc(cal.url());
    pc.leapDay = LeapDayRule::February28;
    pc.add(leapBirthday());
    QVERIFY(pc.round().ok);
    const QByteArray href = cal.find("Ugr");
    QVERIFY(cal.items[href].data.contains("20270228T080000"));
    bool phoneWrote = false;
    cal.beforeWrite = [&](const FakeRequest &r) {
        if (r.method != "PUT" || phoneWrote)
            return;
        phoneWrote = true;
        cal.put(href.mid(cal.path.size()), edited(cal.items[href].data, "Ugró", phoneTitle));
    };
    pc.leapDay = LeapDayRule::March1;
    for (int i = 0; i < 3; ++i) {
        const SyncReport report = pc.round();
        QVERIFY2(report.ok, qPrintable(report.error));
        pc.reopen();
    }
    QVERIFY(phoneWrote);
    QCOMPARE(cal.items.size(), 1);
    const QByteArray data = cal.items.first().data;
    QVERIFY2(data.contains("DTSTART;VALUE=DATE:20270301") && data.contains("BYYEARDAY=60"),
             data.constData());
    QVERIFY2(data.contains(phoneTitle), data.constData());
    QCOMPARE(pc.texts().size(), 1);
}

QTEST_GUILESS_MAIN(TestRoundCut)
#include "tst_roundcut.moc"
