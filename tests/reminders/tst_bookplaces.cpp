#include "files/writequeue.h"
#include "reminders/datafile.h"
#include "reminders/preferences.h"
#include "reminders/snoozes.h"
#include "reminders/table.h"
#include "support/filebytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace quill;
using namespace quill::test;

namespace {
Reminder secret(const QString &text)
{
    return {u"e"_qs, u" "_qs, u" "_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"00"_qs, u" "_qs, text};
}
} // namespace

// Where the book lives: the modes of what it makes, and one file under several names.
class TestBookPlaces : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Under the usual umask (022) the book's files are its owner's alone: a data file made new,
    // its folder and lock, an emergency copy and the state folders, a backup; a data file that
    // was there keeps its mode.
    void privateFilesOfTheBook()
    {
        QTemporaryDir dir;
        const Umask usual(022);
        const QString made = dir.filePath(u"sub/remembers.txt"_qs);
        const QString state = dir.filePath(u"state"_qs);
        ReminderFile fresh(made, state);
        QCOMPARE(fresh.lock(), files::LockFile::Result::Locked);
        ReminderBook book;
        QCOMPARE(fresh.load(book).outcome, LoadReport::Outcome::Missing);
        storeReminder(book, secret(u"titok"_qs));
        QVERIFY(fresh.save(book.table).ok());
        QString emergency;
        QVERIFY(!fresh.writeEmergencyCopy(book.table, &emergency));
        QCOMPARE(modeOf(made), 0600);
        QCOMPARE(modeOf(made + u".lock"_qs), 0600);
        QCOMPARE(modeOf(dir.filePath(u"sub"_qs)), 0700);
        QCOMPARE(modeOf(emergency), 0600);
        QCOMPARE(modeOf(state), 0700);
        QCOMPARE(modeOf(state + u"/Zelmarin/Quillomat"_qs), 0700);

        const QString existing = dir.filePath(u"remembers.txt"_qs);
        writeAll(existing, QByteArray("e| | |*|*|*|*|00| |x|1|0|\r\n").repeated(60));
        QCOMPARE(::chmod(QFile::encodeName(existing).constData(), 0640), 0);
        ReminderFile kept(existing, state);
        ReminderBook full;
        const LoadReport r = kept.load(full);
        QVERIFY(kept.save(full.table).ok());
        QCOMPARE(modeOf(existing), 0640);
        QCOMPARE(modeOf(r.backupPath), 0600);
    }

    // Folders an older version made open to everyone (0755) are made their owner's alone the
    // next time the program writes into them; the folder of the data file, which the user
    // chose, keeps its mode whatever is written there.
    void olderFoldersMadePrivate_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("mode");
        QTest::newRow("snoozes") << u"snoozes"_qs << u"state/Zelmarin/Quillomat"_qs << 0700;
        QTest::newRow("emergency copy")
            << u"emergency"_qs << u"state/Zelmarin/Quillomat"_qs << 0700;
        QTest::newRow("settings") << u"settings"_qs << u"config/Zelmarin/Quillomat"_qs << 0700;
        QTest::newRow("data folder") << u"save"_qs << u"data"_qs << 0755;
    }
    void olderFoldersMadePrivate()
    {
        QFETCH(QString, what);
        QFETCH(QString, folder);
        QFETCH(int, mode);
        QTemporaryDir dir;
        const Umask usual(022);
        for (const QString &old :
             {u"state/Zelmarin/Quillomat"_qs, u"config/Zelmarin/Quillomat"_qs, u"data"_qs}) {
            QVERIFY(QDir().mkpath(dir.filePath(old)));
            QCOMPARE(::chmod(QFile::encodeName(dir.filePath(old)).constData(), 0755), 0);
        }
        const QString state = dir.filePath(u"state"_qs);
        ReminderFile file(dir.filePath(u"data/remembers.txt"_qs), state);
        ReminderBook book;
        storeReminder(book, secret(u"titok"_qs));
        if (what == u"snoozes") {
            SnoozeBook snoozes(snoozeBookPath(file.path(), state));
            QVERIFY(!snoozes.add({QDateTime(QDate(2026, 3, 1), QTime(10, 0)), u"titok"_qs}));
        } else if (what == u"emergency") {
            QString writtenTo;
            QVERIFY(!file.writeEmergencyCopy(book.table, &writtenTo));
        } else if (what == u"settings") {
            PreferenceStore store(preferencesPath(dir.filePath(u"config"_qs)));
            Preferences changed = store.values();
            changed.trayOnly = !changed.trayOnly;
            store.change(changed);
            files::waitForWrites();
        } else {
            QCOMPARE(file.lock(), files::LockFile::Result::Locked);
            QVERIFY(file.save(book.table).ok());
        }
        QCOMPARE(modeOf(dir.filePath(folder)), mode);
    }

    // A state folder that is a link to a folder elsewhere is the user's arrangement: what it
    // points at keeps its mode.
    void linkedStateFolderKeepsItsMode()
    {
        QTemporaryDir dir;
        const Umask usual(022);
        QVERIFY(QDir().mkpath(dir.filePath(u"elsewhere"_qs)));
        QVERIFY(QDir().mkpath(dir.filePath(u"state/Zelmarin"_qs)));
        QCOMPARE(::chmod(QFile::encodeName(dir.filePath(u"elsewhere"_qs)).constData(), 0755), 0);
        QVERIFY(QFile::link(dir.filePath(u"elsewhere"_qs),
                            dir.filePath(u"state/Zelmarin/Quillomat"_qs)));
        const QString state = dir.filePath(u"state"_qs);
        SnoozeBook snoozes(snoozeBookPath(dir.filePath(u"remembers.txt"_qs), state));
        QVERIFY(!snoozes.add({QDateTime(QDate(2026, 3, 1), QTime(10, 0)), u"titok"_qs}));
        QCOMPARE(modeOf(dir.filePath(u"elsewhere"_qs)), 0755);
    }

    // Two folders whose files are links to one file: one lock, one running copy.
    void linkedFoldersShareOneLock()
    {
        QTemporaryDir dir;
        for (const QString &sub : {u"a"_qs, u"b"_qs, u"shared"_qs})
            QDir().mkpath(dir.filePath(sub));
        const QString shared = dir.filePath(u"shared/data.txt"_qs);
        writeAll(shared, "e| | |*|*|*|*|00| |x|1|0|\r\n");
        QVERIFY(QFile::link(shared, dir.filePath(u"a/remembers.txt"_qs)));
        QVERIFY(QFile::link(u"../shared/data.txt"_qs, dir.filePath(u"b/remembers.txt"_qs)));
        ReminderFile a(dir.filePath(u"a/remembers.txt"_qs));
        ReminderFile b(dir.filePath(u"b/remembers.txt"_qs));
        QCOMPARE(a.path(), b.path());
        QCOMPARE(a.lock(), files::LockFile::Result::Locked);
        QCOMPARE(b.lock(), files::LockFile::Result::HeldByAnother);
        QCOMPARE(a.lockPath(), QFileInfo(shared).canonicalFilePath() + u".lock"_qs);
        // Even a copy that never asked for the lock will not save over the file.
        ReminderBook book;
        b.load(book);
        const SaveReport saved = b.save(book.table);
        QCOMPARE(saved.failed, SaveReport::Stage::OtherCopy);
        QVERIFY(saveFailureText(b, saved).contains(u"másik"_qs));
        a.unlock();
        QVERIFY(!QFile::exists(a.lockPath()));
        QVERIFY(b.save(book.table).ok());
        QVERIFY(QFileInfo(dir.filePath(u"a/remembers.txt"_qs)).isSymLink());
    }

    // Two folders holding second names of one file (hard links): one copy, and a save keeps
    // them one file.
    void hardLinkedFoldersAreOneFile()
    {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath(u"a"_qs));
        QDir().mkpath(dir.filePath(u"b"_qs));
        const QString a = dir.filePath(u"a/remembers.txt"_qs),
                      b = dir.filePath(u"b/remembers.txt"_qs);
        writeAll(a, "e| | |*|*|*|*|00| |x|1|0|\r\n");
        QCOMPARE(::link(QFile::encodeName(a).constData(), QFile::encodeName(b).constData()), 0);
        ReminderFile first(a), second(b);
        QCOMPARE(first.lock(), files::LockFile::Result::Locked);
        QCOMPARE(second.lock(), files::LockFile::Result::HeldByAnother);
        QCOMPARE(first.identityKeys().last(), second.identityKeys().last());
        ReminderBook book;
        first.load(book);
        storeReminder(book, secret(u"új"_qs));
        QVERIFY(first.save(book.table).ok());
        QCOMPARE(readAll(b), encodeReminders(book.table));
        first.unlock();
        QCOMPARE(second.lock(), files::LockFile::Result::Locked);
        second.unlock();
    }
};

QTEST_GUILESS_MAIN(TestBookPlaces)
#include "tst_bookplaces.moc"
