#include "files/writequeue.h"
#include "reminders/session.h"
#include "support/filebytes.h"
#include "support/loopprobe.h"
#include "support/realfaults.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

using namespace quill;
using namespace quill::test;

namespace {

const QByteArray hourly = "e| | |*|*|*|*|00| |x|1|0|\r\n";
const QByteArray daily = "e| | |*|*|*|08|00| |y|1|1|\r\n";

struct Book {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("remembers.txt"));
    std::unique_ptr<ReminderFile> file;
    std::unique_ptr<ReminderSession> session;

    explicit Book(const QByteArray &bytes)
    {
        writeAll(path, bytes);
        file = std::make_unique<ReminderFile>(path, dir.filePath(QStringLiteral("state")));
        file->lock();
        session = std::make_unique<ReminderSession>(*file);
        session->load();
    }
};

} // namespace

class TestSession : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A disk that takes 1.5 s to say a file is on it: the save waits for it, the event loop
    // does not (the clock goes on), and what the call returns to finds the file written.
    void saveLeavesTheLoopTurning()
    {
        if (rerunWithSlowFsync(1500))
            return;
        Book book(hourly);
        book.session->setActive(0, false);
        QElapsedTimer took;
        took.start();
        LoopProbe probe;
        const SaveReport saved = book.session->save();
        const qint64 longest = probe.longestMs();
        QVERIFY(saved.ok());
        QVERIFY2(took.elapsed() >= 1400, "the disk was not slow: nothing was measured");
        QVERIFY2(longest < 300, qPrintable(QStringLiteral("the loop stood %1 ms").arg(longest)));
        QCOMPARE(readAll(book.path), QByteArray("e| | |*|*|*|*|00| |x|0|0|\r\n"));
        QVERIFY(!book.session->isModified());
    }

    // A save asked for while another is being written (a signal, the session's end) follows
    // it: the file ends with the later table, and a change made meanwhile is not lost.
    void savesFollowEachOther()
    {
        if (rerunWithSlowFsync(700))
            return;
        Book book(hourly);
        book.session->setActive(0, false);
        SaveReport second;
        QTimer::singleShot(100, book.session.get(), [&] {
            const Reminder eight{u"e"_qs, u" "_qs,  u" "_qs,  u"*"_qs, u"*"_qs,
                                 u"*"_qs, u"08"_qs, u"00"_qs, u" "_qs, u"y"_qs};
            QCOMPARE(book.session->store(eight), StoreResult::Stored);
            second = book.session->save();
        });
        QVERIFY(book.session->save().ok());
        // The first returns after the second's writing, which ran inside its wait.
        QTRY_VERIFY(second.ok());
        QCOMPARE(readAll(book.path), QByteArray("e| | |*|*|*|*|00| |x|0|0|\r\n") + daily);
        QVERIFY(!book.session->isModified());
    }

    // A record that is only a convenience does not wait for the disk; the end of the program
    // waits until it is written.
    void conveniencesDoNotWaitForTheDisk()
    {
        if (rerunWithSlowFsync(1500))
            return;
        QTemporaryDir dir;
        const QString record = dir.filePath(QStringLiteral("state/record"));
        const QString kept = dir.filePath(QStringLiteral("state/kept"));
        QElapsedTimer took;
        took.start();
        files::writeLater(record, "one\n", files::Flush::WhenTheSystemWill);
        files::writeLater(record, "two\n", files::Flush::WhenTheSystemWill);
        files::waitForWrites();
        QVERIFY2(took.elapsed() < 1000, "a convenience waited for the disk");
        QCOMPARE(readAll(record), QByteArray("two\n"));
        took.restart();
        files::writeLater(kept, "three\n", files::Flush::ToDisk);
        files::waitForWrites();
        QVERIFY(took.elapsed() >= 1400);
        QCOMPARE(readAll(kept), QByteArray("three\n"));
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
