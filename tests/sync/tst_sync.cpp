#include "files/safefile.h"
#include "reminders/datafile.h"
#include "support/realfaults.h"
#include "sync/calendarsync.h"
#include "sync/mirror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <QTest>

using namespace quill;

namespace {
Reminder row(const QString &kind, const QString &t1, const QString &t2, const QString &hour,
             const QString &text = u" "_qs)
{
    return {kind, t1, t2, u"*"_qs, u"május"_qs, u"1"_qs, hour, u"00"_qs, u" "_qs, text, u"1"_qs};
}

QByteArray phoneEvent(const QString &uid, const QString &start, const QString &rule,
                      const QString &summary)
{
    return (u"BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Telefon//HU\r\nBEGIN:VEVENT\r\nUID:"_qs +
            uid + u"\r\nDTSTAMP:20261201T100000Z\r\nDTSTART:"_qs + start +
            (rule.isEmpty() ? QString() : u"\r\nRRULE:"_qs + rule) + u"\r\nSUMMARY:"_qs + summary +
            u"\r\nLOCATION:Otthon\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n"_qs)
        .toUtf8();
}

// The book on one side, the mirror folder on the other, and what they agreed on.
struct Desk {
    QTemporaryDir dir;
    std::unique_ptr<CalendarCodec> codec = makeLibicalCodec();
    ReminderBook book;
    ReminderIds ids;
    SyncBase base;
    const QDate today{2026, 12, 7};
    QString folder() const { return dir.filePath(u"naptar"_qs); }

    PullPlan round()
    {
        ids.assign(book.table, today);
        const QList<MirrorItem> items = readMirror(folder(), *codec);
        PullPlan plan = planPull(book.table, ids, base, items, today);
        applyPull(book, ids, plan);
        const PushResult pushed = pushBook(book.table, ids, plan, items, folder(), *codec,
                                           QDateTime::currentDateTimeUtc());
        if (!pushed.error)
            base = pushed.base;
        return plan;
    }
    QString fileOf(int row) const
    {
        for (const MirrorItem &item : readMirror(folder(), *codec)) {
            if (item.uid == ids.of(row)->uid)
                return item.file;
        }
        return {};
    }
    QStringList rows() const
    {
        QStringList out;
        for (int r = 0; r < ReminderRows; ++r) {
            if (book.table.inUse(r))
                out << book.table.row(r).text1().trimmed() + book.table.row(r).freeText().trimmed();
        }
        return out;
    }
};

bool write(const QString &path, const QByteArray &bytes)
{
    return !files::writeAtomically(path, bytes, files::Names::MayPart);
}
} // namespace

class TestSync : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The UIDs stay with their rows across the program's own changes and a restart; a row that
    // holds another reminder gets a new one.
    void lastingNames()
    {
        QTemporaryDir dir;
        ReminderBook book;
        QCOMPARE(storeReminder(book, row(u"n"_qs, u"Kiss"_qs, u"Ábel"_qs, u"08"_qs)),
                 StoreResult::Stored);
        QCOMPARE(storeReminder(book, row(u"e"_qs, u" "_qs, u" "_qs, u"09"_qs, u"Kert"_qs)),
                 StoreResult::Stored);
        ReminderIds ids;
        QVERIFY(ids.assign(book.table, QDate(2026, 12, 7)));
        const QString path = ReminderIds::pathBeside(dir.filePath(u"remembers.txt"_qs));
        QVERIFY(!ids.save(path));
        ReminderIds again;
        again.load(path);
        QCOMPARE(again, ids);
        book.table.setField(0, Field::Hour, u"10"_qs);
        book.table.setField(0, Field::Active, u"0"_qs);
        QVERIFY(!again.assign(book.table, QDate(2027, 1, 1)));
        QCOMPARE(again.of(0)->uid, ids.of(0)->uid);
        book.table.clearRow(1);
        QCOMPARE(storeReminder(book, row(u"e"_qs, u" "_qs, u" "_qs, u"09"_qs, u"Más"_qs)),
                 StoreResult::Stored);
        QVERIFY(again.assign(book.table, QDate(2027, 1, 1)));
        QVERIFY(again.of(2)->uid != ids.of(1)->uid);
        QVERIFY(!again.of(1));
        // Saved and read back, the rows close up: each name follows its reminder.
        ReminderBook reread;
        loadReminders(reread, encodeReminders(book.table));
        ReminderIds moved = again;
        QVERIFY(moved.assign(reread.table, QDate(2027, 1, 2)));
        QCOMPARE(moved.of(0)->uid, again.of(0)->uid);
        QCOMPARE(moved.of(1)->uid, again.of(2)->uid);
        QVERIFY(!moved.of(2));
    }

    // Both ways through the mirror folder: what the other side adds, changes and deletes comes
    // in; what does not fit stays as it is; a reminder changed on both sides is kept twice; what
    // the book deletes leaves the folder.
    void exchange()
    {
        Desk d;
        storeReminder(d.book, row(u"n"_qs, u"Kiss"_qs, u"Ábel"_qs, u"08"_qs));
        storeReminder(d.book, row(u"t"_qs, u"Értekezlet"_qs, u"Győr"_qs, u"09"_qs));
        storeReminder(d.book, row(u"e"_qs, u" "_qs, u" "_qs, u"10"_qs, u"Kert"_qs));
        QVERIFY(d.round().changes.isEmpty());
        QCOMPARE(QDir(d.folder()).entryList(QDir::Files).size(), 3);
        QVERIFY(d.round().changes.isEmpty()); // nothing changed: nothing written
        const QString gardenFile = d.fileOf(2);
        const QByteArray garden = files::readRegularFile(gardenFile, 1 << 20).bytes;

        // The other device: the garden moved to June and renamed, the meeting deleted, an event
        // of its own and a weekly one added.
        QByteArray moved = garden;
        moved.replace("SUMMARY:Kert", "SUMMARY:Kert locsolás");
        moved.replace(":20270501T100000", ":20270602T100000"); // in the computer's zone
        QVERIFY(moved != garden);
        QVERIFY(write(gardenFile, moved));
        QVERIFY(QFile::remove(d.fileOf(1)));
        QVERIFY(write(d.folder() + u"/a1.ics"_qs,
                      phoneEvent(u"phone-1"_qs, u"20270110T170000"_qs, {}, u"Vonat"_qs)));
        const QByteArray weekly =
            phoneEvent(u"phone-2"_qs, u"20270111T180000"_qs, u"FREQ=WEEKLY"_qs, u"Edzés"_qs);
        QVERIFY(write(d.folder() + u"/a2.ics"_qs, weekly));
        const PullPlan plan = d.round();
        QCOMPARE(plan.changes.size(), 3);
        QCOMPARE(plan.leftOut.size(), 1);
        QVERIFY(plan.leftOut.first().contains(u"Edzés"_qs));
        QCOMPARE(d.rows(), (QStringList{u"Kiss"_qs, u"Kert locsolás"_qs, u"Vonat"_qs}));
        QCOMPARE(d.book.table.row(2).alertTime().month, u"június"_qs);
        QCOMPARE(d.book.table.row(3).alertTime().year, u"2027"_qs);
        // What the other side wrote stays as it wrote it.
        QCOMPARE(files::readRegularFile(d.folder() + u"/a2.ics"_qs, 1 << 20).bytes, weekly);
        QVERIFY(files::readRegularFile(d.folder() + u"/a1.ics"_qs, 1 << 20)
                    .bytes.contains("LOCATION:Otthon"));
        // Told once, not at every round.
        QVERIFY(d.round().leftOut.isEmpty());

        // Both sides change the name day: the book's stays in its row, the other comes in new.
        d.book.table.setField(0, Field::Hour, u"11"_qs);
        QByteArray both = files::readRegularFile(d.fileOf(0), 1 << 20).bytes;
        both.replace("T080000", "T070000");
        QVERIFY(write(d.fileOf(0), both));
        const PullPlan conflict = d.round();
        QCOMPARE(conflict.conflicts.size(), 1);
        QCOMPARE(d.book.table.row(0).alertTime().hour, u"11"_qs);
        QCOMPARE(d.book.table.row(4).alertTime().hour, u"07"_qs);
        QCOMPARE(d.book.table.row(4).text1(), u"Kiss"_qs);
        QVERIFY(d.ids.of(4)->uid != d.ids.of(0)->uid);
        QVERIFY(files::readRegularFile(d.fileOf(0), 1 << 20).bytes.contains("T110000"));
        QCOMPARE(QDir(d.folder()).entryList(QDir::Files).size(), 5);

        // Deleted in the book: gone from the folder.
        const QString vonat = d.fileOf(3);
        d.book.table.clearRow(3);
        QVERIFY(d.round().changes.isEmpty());
        QVERIFY(!QFile::exists(vonat));
    }

    // A full book: what does not find a row is told, never squeezed in, and left on the server.
    void fullBook()
    {
        Desk d;
        for (int i = 0; i < ReminderRows; ++i)
            storeReminder(d.book, row(u"e"_qs, u" "_qs, u" "_qs, u"08"_qs, u"R%1"_qs.arg(i)));
        d.round();
        QVERIFY(write(d.folder() + u"/x.ics"_qs,
                      phoneEvent(u"phone-9"_qs, u"20270110T170000"_qs, {}, u"Vonat"_qs)));
        const PullPlan plan = d.round();
        QCOMPARE(plan.leftOut.size(), 1);
        QVERIFY(plan.leftOut.first().contains(u"51"_qs));
        QVERIFY(QFile::exists(d.folder() + u"/x.ics"_qs));
        QCOMPARE(d.rows().size(), ReminderRows);
    }

    // A folder that cannot be written: the book stays as it was and the agreement too.
    void unwritableFolder()
    {
        if (test::rerunUnprivileged()) // root writes everywhere
            return;
        Desk d;
        storeReminder(d.book, row(u"n"_qs, u"Kiss"_qs, u"Ábel"_qs, u"08"_qs));
        QVERIFY(QDir().mkpath(d.folder()));
        QFile::setPermissions(d.folder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        d.ids.assign(d.book.table, d.today);
        const PullPlan plan = planPull(d.book.table, d.ids, d.base, {}, d.today);
        const PushResult pushed =
            pushBook(d.book.table, d.ids, plan, {}, d.folder(), *d.codec, QDateTime());
        QVERIFY(pushed.error);
        QFile::setPermissions(d.folder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
    }

    // A full disk under the mirror folder: the write fails with its reason, the agreement is not
    // moved on, and the round after the disk has room again sends the reminder.
    void fullDisk()
    {
        if (test::rerunWithOwnMounts())
            return;
        Desk d;
        test::SmallDisk disk(d.folder(), 16);
        if (!disk.mounted())
            QSKIP(disk.whyNot());
        storeReminder(d.book, row(u"n"_qs, u"Kiss"_qs, u"Ábel"_qs, u"08"_qs));
        QVERIFY(disk.fill());
        d.ids.assign(d.book.table, d.today);
        const PullPlan plan = planPull(d.book.table, d.ids, d.base, {}, d.today);
        const PushResult pushed =
            pushBook(d.book.table, d.ids, plan, {}, d.folder(), *d.codec, QDateTime());
        QCOMPARE(pushed.error, std::make_error_code(std::errc::no_space_on_device));
        QVERIFY(d.base.entries.isEmpty());
        QVERIFY(QFile::remove(d.folder() + u"/filler"_qs));
        d.round();
        QCOMPARE(readMirror(d.folder(), *d.codec).size(), 1);
        QCOMPARE(d.book.table.row(0).text1(), u"Kiss"_qs);
    }

    // What a round tells, cut short when it is long.
    void reportText()
    {
        SyncReport report;
        report.ok = true;
        QCOMPARE(syncReportText(report), QString());
        for (int i = 1; i <= 40; ++i)
            report.leftOut << u"Sok %1"_qs.arg(i);
        const QStringList lines = syncReportText(report).split(u'\n');
        QCOMPARE(lines.size(), 1 + 15 + 1);
        QCOMPARE(lines.at(15), u"Sok 15"_qs);
        QCOMPARE(lines.last(), u"… és még 25 bejegyzés"_qs);
        ImportPlan plan;
        for (int i = 1; i <= 40; ++i) {
            plan.adding << ImportPlan::Entry{};
            plan.adding.last().line = u"Új %1"_qs.arg(i);
            plan.leftOut << u"Kimaradó %1"_qs.arg(i);
        }
        const QStringList asked = importQuestion(plan).split(u'\n');
        QCOMPARE(asked.size(), 1 + 15 + 1 + 1 + 1 + 15 + 1);
        QCOMPARE(asked.at(16), u"… és még 25."_qs);
        QCOMPARE(asked.last(), u"… és még 25."_qs);
        report.ok = false;
        report.error = u"betelt a lemez"_qs;
        QVERIFY(syncReportText(report).contains(u"nem sikerült: betelt a lemez."_qs));
    }
};

QTEST_GUILESS_MAIN(TestSync)
#include "tst_sync.moc"
