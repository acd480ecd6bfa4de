#include "icalendar/codec.h"
#include "icalendar/events.h"
#include "reminders/datafile.h"
#include "support/realfaults.h"
#include "sync/agreement.h"
#include "sync/listing.h"
#include "sync/reminderids.h"
#include "sync/roundplan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quill;

Q_DECLARE_METATYPE(quill::Agreement)

namespace {

const QString home = u"https://naptar.example/anna/emlekeztetok/"_qs;

// "row uid line [leap-day rule]" for the book, "uid etag line" or "leap rule" for the agreement
// (href: the UID's), "uid etag line own" for the listing, with "-" for an empty field and "!" for
// an item that fits no row.
QList<BookRow> bookOf(const QStringList &rows)
{
    QList<BookRow> out;
    for (const QString &text : rows) {
        const QStringList f = text.split(u' ');
        out << BookRow{f[0].toInt(), f[1], f[2], u"T:"_qs + f[2], std::nullopt};
        if (f.size() > 3) // the leap-day rule its event is written by: "F" 28 February, "M" 1 March
            out.last().shapedBy = leapDayRule(f[3] == u"M"_qs);
    }
    return out;
}

Agreement agreementOf(const QString &calendar, const QStringList &entries)
{
    Agreement out;
    out.calendar = calendar;
    for (const QString &text : entries) {
        const QStringList f = text.split(u' ');
        if (f[0] == u"leap"_qs) { // "leap F": the calendar's events written by 28 February
            out.leapDay = leapDayRule(f[1] == u"M"_qs);
            continue;
        }
        out.entries.insert(f[0], {f[0] + u".ics"_qs, f[1], f[2] == u"-"_qs ? QString() : f[2]});
    }
    return out;
}

QList<ListedItem> listingOf(const QStringList &items)
{
    QList<ListedItem> out;
    for (const QString &text : items) {
        const QStringList f = text.split(u' ');
        ListedItem item{f[0] + u".ics"_qs, f[1], f[0], {}, {}, u"T:"_qs + f[0], {}, {}};
        if (f[2] == u"!"_qs)
            item.problem = u"kivétel dátummal"_qs;
        else
            item.line = f[2];
        if (f.size() > 3)
            item.ownLine = f[3];
        out << item;
    }
    return out;
}

QString kindName(RoundAction::Kind kind)
{
    static const char *const names[] = {"Take",   "Overwrite", "Clear", "Adopt", "Create",
                                        "Update", "Remove",    "Hold",  "Agree"};
    return QString::fromLatin1(names[int(kind)]);
}

QStringList written(const RoundPlan &plan)
{
    QStringList out;
    for (const RoundAction &a : plan.actions) {
        const auto field = [](const QString &s) { return s.isEmpty() ? u"-"_qs : s; };
        out << QStringList{kindName(a.kind), QString::number(a.row), field(a.uid), field(a.etag),
                           field(a.line)}
                   .join(u' ');
    }
    return out;
}

} // namespace

class TestRoundPlan : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void oneSide_data();
    void oneSide() { check(); }
    void bothSides_data();
    void bothSides() { check(); }
    void leapDayShapes_data();
    void leapDayShapes() { check(); }
    void agreementKept_data();
    void agreementKept();
    void agreementPerAddress();
    void damagedAgreement_data();
    void damagedAgreement();
    void agreementOnAFullDisk();
    void listedItems_data();
    void listedItems();
    void copiedBookAdoptsItsEvents();
    void otherLeapRuleGivesItsRow_data();
    void otherLeapRuleGivesItsRow();

private:
    static void addColumns();
    static void check();
};

void TestRoundPlan::addColumns()
{
    QTest::addColumn<QStringList>("book");
    QTest::addColumn<QString>("agreedWith");
    QTest::addColumn<QStringList>("agreed");
    QTest::addColumn<QStringList>("listing");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<int>("conflicts");
    QTest::addColumn<int>("leftOut");
}

// What changed on one side only.
void TestRoundPlan::oneSide_data()
{
    addColumns();
    using L = QStringList;

    QTest::newRow("new here goes up")
        << L{u"0 u1 L1"_qs} << home << L{} << L{} << L{u"Create 0 u1 - L1"_qs} << 0 << 0;
    QTest::newRow("new there comes in")
        << L{} << home << L{} << L{u"u9 e9 L9"_qs} << L{u"Take -1 u9 e9 L9"_qs} << 0 << 0;
    QTest::newRow("nothing changed")
        << L{u"0 u1 L1"_qs} << home << L{u"u1 e1 L1"_qs} << L{u"u1 e1 L1"_qs} << L{} << 0 << 0;
    QTest::newRow("changed here") << L{u"0 u1 L1b"_qs} << home << L{u"u1 e1 L1"_qs}
                                  << L{u"u1 e1 L1"_qs} << L{u"Update 0 u1 e1 L1b"_qs} << 0 << 0;
    // A round that failed left the agreement as it was: the change made here still goes up, the
    // server's older copy does not come back over it.
    QTest::newRow("a failed round keeps the change made here")
        << L{u"0 u1 L1b"_qs, u"1 u2 L2"_qs} << home << L{u"u1 e1 L1"_qs, u"u2 e2 L2"_qs}
        << L{u"u1 e1 L1"_qs, u"u2 e2 L2"_qs} << L{u"Update 0 u1 e1 L1b"_qs} << 0 << 0;
    QTest::newRow("changed there")
        << L{u"0 u1 L1"_qs} << home << L{u"u1 e1 L1"_qs} << L{u"u1 e2 L1c"_qs}
        << L{u"Overwrite 0 u1 e2 L1c"_qs} << 0 << 0;
    QTest::newRow("deleted here") << L{} << home << L{u"u1 e1 L1"_qs} << L{u"u1 e1 L1"_qs}
                                  << L{u"Remove -1 u1 e1 -"_qs} << 0 << 0;
    QTest::newRow("deleted there") << L{u"0 u1 L1"_qs} << home << L{u"u1 e1 L1"_qs} << L{}
                                   << L{u"Clear 0 u1 - -"_qs} << 0 << 0;
    QTest::newRow("deleted there, changed here") << L{u"0 u1 L1b"_qs} << home << L{u"u1 e1 L1"_qs}
                                                 << L{} << L{u"Create 0 u1 - L1b"_qs} << 1 << 0;
    QTest::newRow("deleted here, changed there")
        << L{} << home << L{u"u1 e1 L1"_qs} << L{u"u1 e2 L1c"_qs} << L{u"Take -1 u1 e2 L1c"_qs} << 1
        << 0;
}

// What changed on both sides, whole sides, and what the book and the calendar do not yet share.
void TestRoundPlan::bothSides_data()
{
    addColumns();
    const QString other = u"https://naptar.example/anna/regi/"_qs;
    using L = QStringList;
    // After a 412 the agreement still holds the older tag: both versions are kept.
    QTest::newRow("changed on both sides keeps both")
        << L{u"0 u1 L1b"_qs} << home << L{u"u1 e1 L1"_qs} << L{u"u1 e2 L1c"_qs}
        << L{u"Update 0 u1 e2 L1b"_qs, u"Take -1 - e2 L1c"_qs} << 1 << 0;
    QTest::newRow("changed alike on both sides")
        << L{u"0 u1 L1b"_qs} << home << L{u"u1 e1 L1"_qs} << L{u"u1 e2 L1b"_qs}
        << L{u"Agree 0 u1 e2 L1b"_qs} << 0 << 0;
    QTest::newRow("one UID, never agreed, two versions: both kept")
        << L{u"0 u1 L1"_qs} << home << L{} << L{u"u1 e1 L1c"_qs}
        << L{u"Update 0 u1 e1 L1"_qs, u"Take -1 - e1 L1c"_qs} << 1 << 0;
    QTest::newRow("same row on both sides, never agreed")
        << L{u"0 u1 L1"_qs} << home << L{} << L{u"u1 e1 L1"_qs} << L{u"Agree 0 u1 e1 L1"_qs} << 0
        << 0;
    QTest::newRow("the book emptied: every deletion goes up")
        << L{} << home << L{u"u1 e1 L1"_qs, u"u2 e2 L2"_qs} << L{u"u1 e1 L1"_qs, u"u2 e2 L2"_qs}
        << L{u"Remove -1 u1 e1 -"_qs, u"Remove -1 u2 e2 -"_qs} << 0 << 0;
    QTest::newRow("the calendar emptied: every deletion comes in")
        << L{u"0 u1 L1"_qs, u"1 u2 L2"_qs} << home << L{u"u1 e1 L1"_qs, u"u2 e2 L2"_qs} << L{}
        << L{u"Clear 0 u1 - -"_qs, u"Clear 1 u2 - -"_qs} << 0 << 0;
    QTest::newRow("a new address deletes nothing")
        << L{u"0 u1 L1"_qs, u"1 u2 L2"_qs} << other << L{u"u1 e1 L1"_qs, u"u2 e2 L2"_qs}
        << L{u"u7 e7 L7"_qs}
        << L{u"Take -1 u7 e7 L7"_qs, u"Create 0 u1 - L1"_qs, u"Create 1 u2 - L2"_qs} << 0 << 0;
    QTest::newRow("a book copied without its UIDs adopts its own events")
        << L{u"0 x1 L1"_qs, u"1 x2 L2"_qs} << home << L{} << L{u"u1 e1 L1 L1"_qs, u"u2 e2 L2 L2"_qs}
        << L{u"Adopt 0 u1 e1 L1"_qs, u"Adopt 1 u2 e2 L2"_qs} << 0 << 0;
    QTest::newRow("UIDs lost, agreement standing: adopted, not deleted")
        << L{u"0 x1 L1"_qs, u"1 x2 L2"_qs} << home << L{u"u1 e1 L1"_qs, u"u2 e2 L2"_qs}
        << L{u"u1 e1 L1 L1"_qs, u"u2 e2 L2 L2"_qs}
        << L{u"Adopt 0 u1 e1 L1"_qs, u"Adopt 1 u2 e2 L2"_qs} << 0 << 0;
    // Another device's addition came in and was saved, and the program was cut off before the
    // UIDs followed: the row, under a UID given anew at the start, is that item.
    QTest::newRow("an addition from elsewhere saved, its UID lost: adopted by its row")
        << L{u"0 u1 L1"_qs, u"1 x9 L9"_qs} << home << L{u"u1 e1 L1"_qs}
        << L{u"u1 e1 L1 L1"_qs, u"u9 e9 L9"_qs} << L{u"Adopt 1 u9 e9 L9"_qs} << 0 << 0;
    QTest::newRow("two equal rows, one event: one adopted, one sent")
        << L{u"0 x1 L1"_qs, u"1 x2 L1"_qs} << home << L{} << L{u"u1 e1 L1 L1"_qs}
        << L{u"Adopt 0 u1 e1 L1"_qs, u"Create 1 x2 - L1"_qs} << 0 << 0;
    QTest::newRow("held: the reminder stays")
        << L{u"0 u1 L1"_qs} << home << L{u"u1 e1 L1"_qs} << L{u"u1 e2 !"_qs}
        << L{u"Hold 0 u1 e2 -"_qs} << 0 << 1;
    QTest::newRow("held: a deletion here still goes up")
        << L{} << home << L{u"u1 e2 L1"_qs} << L{u"u1 e2 !"_qs} << L{u"Remove -1 u1 e2 -"_qs} << 0
        << 0;
    QTest::newRow("held: a change here still goes up")
        << L{u"0 u1 L1b"_qs} << home << L{u"u1 e2 L1"_qs} << L{u"u1 e2 !"_qs}
        << L{u"Update 0 u1 e2 L1b"_qs} << 0 << 0;
    QTest::newRow("held, never a reminder: left alone, told once")
        << L{} << home << L{u"u5 e5 -"_qs} << L{u"u5 e5 !"_qs} << L{u"Hold -1 u5 e5 -"_qs} << 0
        << 0;
    QTest::newRow("an item that fits no row, new: told")
        << L{} << home << L{} << L{u"u5 e5 !"_qs} << L{u"Hold -1 u5 e5 -"_qs} << 0 << 1;
}
// A row whose event the leap-day rule shapes, against the rule the calendar's events were
// written by.
void TestRoundPlan::leapDayShapes_data()
{
    addColumns();
    using L = QStringList;
    QTest::newRow("leap-day rule changed: its event goes over the item")
        << L{u"0 u1 L1 M"_qs, u"1 u2 L2"_qs} << home
        << L{u"leap F"_qs, u"u1 e1 L1"_qs, u"u2 e2 L2"_qs} << L{u"u1 e1 L1"_qs, u"u2 e2 L2"_qs}
        << L{u"Update 0 u1 e1 L1"_qs} << 0 << 0;
    QTest::newRow("leap-day rule unknown: its event goes over the item once")
        << L{u"0 u1 L1 F"_qs} << home << L{u"u1 e1 L1"_qs} << L{u"u1 e1 L1"_qs}
        << L{u"Update 0 u1 e1 L1"_qs} << 0 << 0;
    QTest::newRow("leap-day rule as agreed: nothing")
        << L{u"0 u1 L1 M"_qs} << home << L{u"leap M"_qs, u"u1 e1 L1"_qs} << L{u"u1 e1 L1"_qs} << L{}
        << 0 << 0;
    QTest::newRow("leap-day rule changed, item rewritten there alike: written again")
        << L{u"0 u1 L1 M"_qs} << home << L{u"leap F"_qs, u"u1 e1 L1"_qs} << L{u"u1 e2 L1"_qs}
        << L{u"Update 0 u1 e2 L1"_qs} << 0 << 0;
    QTest::newRow("leap-day rule changed, item changed there: taken, then written again")
        << L{u"0 u1 L1 M"_qs} << home << L{u"leap F"_qs, u"u1 e1 L1"_qs} << L{u"u1 e2 L1c"_qs}
        << L{u"Overwrite 0 u1 e2 L1c"_qs, u"Update 0 u1 e2 L1c"_qs} << 0 << 0;
    QTest::newRow("leap-day rule as agreed, item changed there: taken alone")
        << L{u"0 u1 L1 M"_qs} << home << L{u"leap M"_qs, u"u1 e1 L1"_qs} << L{u"u1 e2 L1c"_qs}
        << L{u"Overwrite 0 u1 e2 L1c"_qs} << 0 << 0;
}

void TestRoundPlan::check()
{
    QFETCH(QStringList, book);
    QFETCH(QString, agreedWith);
    QFETCH(QStringList, agreed);
    QFETCH(QStringList, listing);
    QFETCH(QStringList, actions);
    QFETCH(int, conflicts);
    QFETCH(int, leftOut);
    const RoundPlan plan =
        planRound(bookOf(book), agreementOf(agreedWith, agreed), home, listingOf(listing));
    QCOMPARE(written(plan), actions);
    QCOMPARE(plan.conflicts.size(), conflicts);
    QCOMPARE(plan.leftOut.size(), leftOut);
    for (const QString &line : plan.conflicts + plan.leftOut)
        QVERIFY2(line.startsWith(u"T:"_qs), qPrintable(line)); // each told by its title
}

void TestRoundPlan::agreementKept_data()
{
    QTest::addColumn<Agreement>("agreement");
    Agreement empty;
    empty.calendar = home;
    QTest::newRow("empty") << empty;
    Agreement full = agreementOf(home, {u"u1 \"e1\" L1"_qs, u"u5 e5 -"_qs});
    full.ctag = u"ctag 7"_qs;
    full.syncToken = u"http://radicale.org/ns/sync/7"_qs;
    full.entries.insert(u"u2"_qs, {u"/anna/emlékeztetők/u2.ics"_qs, u"W/\"2\""_qs,
                                   u"n\tKiss\tÁbel\r\nsor\\vége\t\\t"_qs});
    QTest::newRow("tabs, line ends, backslashes, held items") << full;
    Agreement waiting = agreementOf(home, {u"u1 e1 L1"_qs, u"u5 e5 -"_qs, u"u6 e6 -"_qs});
    waiting.waiting.insert(u"u5"_qs, u"L5\tTakács"_qs);
    waiting.waiting.insert(u"u6"_qs, u"L6"_qs);
    waiting.leapDay = LeapDayRule::March1;
    QTest::newRow("items without room, with their rows") << waiting;
}

void TestRoundPlan::agreementKept()
{
    QFETCH(Agreement, agreement);
    QTemporaryDir dir;
    const QString path = agreementPath(dir.path(), agreement.calendar);
    QVERIFY(!saveAgreement(path, agreement));
    QCOMPARE(loadAgreement(path, agreement.calendar), agreement);
}

void TestRoundPlan::agreementPerAddress()
{
    QTemporaryDir dir;
    const QString other = u"https://naptar.example/anna/masik/"_qs;
    QVERIFY(agreementPath(dir.path(), home) != agreementPath(dir.path(), other));
    const Agreement made = agreementOf(home, {u"u1 e1 L1"_qs});
    QVERIFY(!saveAgreement(agreementPath(dir.path(), home), made));
    const Agreement elsewhere = loadAgreement(agreementPath(dir.path(), other), other);
    QCOMPARE(elsewhere.calendar, other);
    QVERIFY(elsewhere.entries.isEmpty());
    // Even a file of one address read for another says nothing.
    QVERIFY(loadAgreement(agreementPath(dir.path(), home), other).entries.isEmpty());
    QCOMPARE(loadAgreement(agreementPath(dir.path(), home), home), made);
}

void TestRoundPlan::damagedAgreement_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray whole = encodeAgreement(agreementOf(home, {u"u1 e1 L1"_qs, u"u2 e2 L2"_qs}));
    QTest::newRow("cut off") << whole.left(whole.size() - 3);
    QTest::newRow("another file") << QByteArray("[general]\nstatus_path = x\n");
    QTest::newRow("a field missing") << QByteArray(whole).replace("\te1\t", "\t");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("binary") << QByteArray("\0\xff\xfe\n\n\n\n\n", 9);
}

void TestRoundPlan::damagedAgreement()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = agreementPath(dir.path(), home);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const Agreement read = loadAgreement(path, home);
    QCOMPARE(read.calendar, home);
    QVERIFY(read.entries.isEmpty()); // nothing agreed: nothing deleted on either side
}

void TestRoundPlan::agreementOnAFullDisk()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"allapot"_qs);
    test::SmallDisk disk(folder, 16);
    if (!disk.mounted())
        QSKIP("mounting a tmpfs is not permitted here");
    const QString path = agreementPath(folder, home);
    const Agreement old = agreementOf(home, {u"u1 e1 L1"_qs});
    QVERIFY(!saveAgreement(path, old));
    QVERIFY(disk.fill());
    Agreement next = old;
    for (int i = 0; i < 200; ++i)
        next.entries.insert(u"u%1"_qs.arg(i), {u"h"_qs, u"e"_qs, QString(100, u'x')});
    QCOMPARE(saveAgreement(path, next), std::make_error_code(std::errc::no_space_on_device));
    QCOMPARE(loadAgreement(path, home), old);
}

namespace {
Reminder reminderRow(const QString &kind, const QString &t1, const QString &t2, const QString &hour)
{
    return {kind, t1, t2, u"*"_qs, u"május"_qs, u"1"_qs, hour, u"00"_qs, u" "_qs, u" "_qs, u"1"_qs};
}

QByteArray eventFile(const CalendarEvent &event, CalendarCodec &codec)
{
    return codec.write({event}, u"Emlékeztetők"_qs, QDateTime(QDate(2026, 12, 1), QTime(10, 0)));
}

const QByteArray phoneExdate =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Telefon//HU\r\nBEGIN:VEVENT\r\nUID:t-1\r\n"
    "DTSTAMP:20261201T100000Z\r\nDTSTART:20261208T080000\r\nRRULE:FREQ=DAILY\r\n"
    "EXDATE:20261210T080000\r\nSUMMARY:Torna\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
const QByteArray phoneTask = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Telefon//HU\r\n"
                             "BEGIN:VTODO\r\nUID:f-1\r\nDTSTAMP:20261201T100000Z\r\n"
                             "SUMMARY:Bevásárlás\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
} // namespace

void TestRoundPlan::listedItems_data()
{
    QTest::addColumn<QByteArray>("ics");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<QString>("uid");
    // The series is taken in; the date taken out is told (FittedEvent::note), not followed.
    QTest::newRow("a repeat with a date taken out") << phoneExdate << true << true << u"t-1"_qs;
    QTest::newRow("a task") << phoneTask << false << false << QString();
    QTest::newRow("garbage") << QByteArray("BEGIN:VCALENDAR\r\nnonsense") << true << false
                             << QString();
}

void TestRoundPlan::listedItems()
{
    QFETCH(QByteArray, ics);
    QFETCH(bool, listed);
    QFETCH(bool, fits);
    QFETCH(QString, uid);
    const auto codec = makeLibicalCodec();
    const std::optional<ListedItem> item =
        listedItem(u"/cal/x.ics"_qs, u"\"e\""_qs, ics, *codec, LeapDayRule::February28);
    QCOMPARE(item.has_value(), listed);
    if (!item)
        return;
    QCOMPARE(item->line.has_value(), fits);
    QCOMPARE(item->uid, uid);
    QCOMPARE(item->href, u"/cal/x.ics"_qs);
    QCOMPARE(item->etag, u"\"e\""_qs);
    if (!fits)
        QVERIFY(!item->problem.isEmpty());
}

// The book's own events, listed, give back its rows; a copy of the book whose UIDs were lost
// recognises them by their rows: nothing sent twice, nothing taken in twice.
void TestRoundPlan::copiedBookAdoptsItsEvents()
{
    const auto codec = makeLibicalCodec();
    const QDate today(2026, 12, 7);
    ReminderBook book;
    storeReminder(book, reminderRow(u"t"_qs, u"Fogorvos"_qs, u"Kiss doktor"_qs, u"08"_qs));
    storeReminder(book, reminderRow(u"e"_qs, u"Vitamin"_qs, u" "_qs, u"09"_qs));
    storeReminder(book, reminderRow(u"e"_qs, u"Vitamin"_qs, u" "_qs, u"09"_qs));
    const ReminderIds ids = ReminderIds::of(book.table);
    QList<ListedItem> listing;
    for (const BookRow &row : bookRows(book.table, ids, LeapDayRule::February28)) {
        const auto event = eventOfReminder(book.table.row(row.row), row.uid, today);
        QVERIFY(event);
        const auto item = listedItem(row.uid + u".ics"_qs, u"e"_qs, eventFile(*event, *codec),
                                     *codec, LeapDayRule::February28);
        QVERIFY(item && item->line);
        QCOMPARE(*item->line, row.line);
        QCOMPARE(item->ownLine, row.line);
        QCOMPARE(item->uid, row.uid);
        listing << *item;
    }
    QCOMPARE(listing.size(), 3);
    ReminderBook copied; // carried without its identities: each row named anew
    loadReminders(copied, encodeReminders(book.table));
    attachIdentities(copied.table, {}, today.addDays(1));
    const ReminderIds fresh = ReminderIds::of(copied.table);
    const RoundPlan plan =
        planRound(bookRows(copied.table, fresh, LeapDayRule::February28), {}, home, listing);
    QCOMPARE(plan.actions.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(plan.actions[i].kind, RoundAction::Kind::Adopt);
        QCOMPARE(plan.actions[i].uid, ids.of(plan.actions[i].row)->uid);
    }
}

void TestRoundPlan::otherLeapRuleGivesItsRow_data()
{
    QTest::addColumn<bool>("writtenMarch1");
    QTest::newRow("written by 28 February, read by 1 March") << false;
    QTest::newRow("written by 1 March, read by 28 February") << true;
}

// A birthday on 29 February written before the leap-day setting changed is read back as its own
// row, not moved by the new rule.
void TestRoundPlan::otherLeapRuleGivesItsRow()
{
    QFETCH(bool, writtenMarch1);
    const auto codec = makeLibicalCodec();
    ReminderBook book;
    storeReminder(book, {u"s"_qs, u"Szőke"_qs, u"Ugró"_qs, u"*"_qs, u"február"_qs, u"28"_qs,
                         u"08"_qs, u"00"_qs, u"február 29."_qs, u" "_qs, u"1"_qs});
    const ReminderIds ids = ReminderIds::of(book.table);
    const QList<BookRow> rows = bookRows(book.table, ids, leapDayRule(!writtenMarch1));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].shapedBy, std::optional(leapDayRule(!writtenMarch1)));
    const auto event = eventOfReminder(book.table.row(0), rows[0].uid, QDate(2026, 12, 7),
                                       leapDayRule(writtenMarch1));
    QVERIFY(event);
    const auto item = listedItem(u"u.ics"_qs, u"e"_qs, eventFile(*event, *codec), *codec,
                                 leapDayRule(!writtenMarch1));
    QVERIFY(item && item->line);
    QCOMPARE(*item->line, rows[0].line);
}

QTEST_GUILESS_MAIN(TestRoundPlan)
#include "tst_roundplan.moc"
