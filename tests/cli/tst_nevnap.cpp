// The nevnap command as people type it: run as a process over every form, and the folding of
// names checked over the whole list.

#include "calendar/calendar.h"
#include "calendar/namedays.h"
#include "calendar/tradition.h"
#include "cli/query.h"

#include <QDate>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace quill;

namespace {
struct Run {
    int code;
    QString out;
    QString err;
};
const QDate anyDay(2026, 12, 8);

// The columns of an answer: the day it is asked on, the arguments, and what comes out.
void answerColumns()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
}
void row(const char *tag, QDate today, const QStringList &args, int code, const QString &out,
         const QString &err = QString())
{
    QTest::newRow(tag) << today << args << code << out << err;
}
void row(const char *tag, const QStringList &args, int code, const QString &out,
         const QString &err = QString())
{
    row(tag, anyDay, args, code, out, err);
}

Run runNevnap(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(NEVNAP_PATH), args);
    p.waitForFinished(30000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// Names, as people write them (every name folded and in capitals: everyNameFolds).
void nameRows()
{
    const QString none;
    row("name", {u"Abigél"_qs}, 0, u"február 9.\n"_qs);
    row("name, lower case", {u"zoltán"_qs}, 0, u"Zoltán: március 8. június 23.\n"_qs);
    row("full months", {u"Mária"_qs}, 0,
        u"augusztus 15. szeptember 8. szeptember 12. december 8.\n"_qs);
    row("Lőrinc", {u"lorinc"_qs}, 0, u"Lőrinc: augusztus 10. szeptember 5.\n"_qs);
    row("no such name", {u"Nincsilyen"_qs}, 1, none,
        u"Nincsilyen nem szerepel a névnaptárban.\n"_qs);
}
} // namespace

class TestNevnap : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Month names are read whole or from their third letter on, in Hungarian or English,
    // accents and case aside; anything shorter names no month ("ma" is today, not március).
    void monthNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("month");
        QTest::newRow("ma") << u"ma"_qs << 0;
        QTest::newRow("m") << u"m"_qs << 0;
        QTest::newRow("ju") << u"ju"_qs << 0;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("már") << u"már"_qs << 3;
        QTest::newRow("mar, no accent") << u"mar"_qs << 3;
        QTest::newRow("máj") << u"máj"_qs << 5;
        QTest::newRow("jún") << u"jún"_qs << 6;
        QTest::newRow("Jul") << u"Jul"_qs << 7;
        QTest::newRow("szept.") << u"szept."_qs << 9;
        QTest::newRow("Sept") << u"Sept"_qs << 9;
        QTest::newRow("DECEMBER") << u"DECEMBER"_qs << 12;
        QTest::newRow("a letter too many") << u"decemberx"_qs << 0;
    }
    void monthNames()
    {
        QFETCH(QString, typed);
        QFETCH(int, month);
        QCOMPARE(nevnap::monthNumber(typed), month);
    }

    // What people type: the first line of the answer holds the main names or days.
    void forms_data()
    {
        answerColumns();
        const QString kristof = u"Kristóf\n"_qs;
        const QString none;
        // Days, as people write them.
        row("hungarian", {u"március"_qs, u"15"_qs}, 0, kristof);
        row("one argument", {u"március 15"_qs}, 0, kristof);
        row("day first", {u"15"_qs, u"március"_qs}, 0, kristof);
        row("day with stop", {u"15. március"_qs}, 0, kristof);
        row("stop after the day", {u"március"_qs, u"15."_qs}, 0, kristof);
        row("english", {u"March"_qs, u"15"_qs}, 0, kristof);
        row("iso", {u"2026-03-15"_qs}, 0, kristof);
        row("month-day", {u"03-15"_qs}, 0, kristof);
        row("hungarian numbers", {u"2026.03.15."_qs}, 0, kristof);
        row("hungarian numbers, blanks", {u"2026. 03. 15."_qs}, 0, kristof);
        row("month.day.", {u"03.15."_qs}, 0, kristof);
        row("leading zero", {u"december"_qs, u"07"_qs}, 0, u"Ambrus\n"_qs);
        row("two names", {u"december 2"_qs}, 0, u"Melinda, Vivien\n"_qs);
        // What is still wrong keeps its message.
        row("no such month", {u"Hónap"_qs, u"1"_qs}, 1, none, u"Ilyen hónap nem létezik!\n"_qs);
        row("month 13", {u"2026-13-01"_qs}, 1, none, u"Ilyen hónap nem létezik!\n"_qs);
        row("31 April", {u"április"_qs, u"31"_qs}, 1, none, u"Ilyen nap nem létezik!\n"_qs);
        row("letters as day", {u"május"_qs, u"abc"_qs}, 1, none, u"Ilyen nap nem létezik!\n"_qs);
        row("no 29 February in 2026", {u"2026-02-29"_qs}, 1, none, u"Ilyen nap nem létezik!\n"_qs);
        nameRows();
        // As a new user types: short month names, a month alone, a near miss, a whole name.
        row("dec 24", {u"dec 24"_qs}, 0, u"Ádám, Éva\n"_qs);
        row("szept. 27.", {u"szept. 27."_qs}, 0, u"Adalbert\n"_qs);
        row("a month alone", {u"március"_qs}, 1, none,
            u"Melyik napja? Például: nevnap március 15\n"_qs);
        row("near miss", {u"Lorincz"_qs}, 1, none,
            u"Lorincz nem szerepel a névnaptárban. Talán: Lőrinc?\n"_qs);
        row("three letters off: no guess", {u"Zoltanxyz"_qs}, 1, none,
            u"Zoltanxyz nem szerepel a névnaptárban.\n"_qs);
        row("a beginning", {u"Zolt"_qs}, 1, none,
            u"Zolt nem szerepel a névnaptárban. Talán: Zoltán, Zoltána?\n"_qs);
        row("family name first", {u"Kovács Mária"_qs}, 0,
            u"Mária: augusztus 15. szeptember 8. szeptember 12. december 8.\n"_qs);
        row("given name first", {u"Anna"_qs, u"Kovács"_qs}, 0, u"Anna: július 26.\n"_qs);
        // Options, read strictly: a wrong one is one line with a pointer to the help.
        row("mistyped option", {u"--tomorow"_qs}, 2, none,
            u"nevnap: ismeretlen kapcsoló: --tomorow (talán: --tomorrow?); a használat: nevnap "
            "--help\n"_qs);
        row("control characters echoed safely", {u"--x\x1b[2J"_qs}, 2, none,
            u"nevnap: ismeretlen kapcsoló: --x\\x1b[2J; a használat: nevnap --help\n"_qs);
        row("--ical takes no option as its file", {u"--ical"_qs, u"--het"_qs}, 2, none,
            u"nevnap: a --ical mellé csak egy fájlnév adható meg; a használat: nevnap --help\n"_qs);
        // Options.
        row("version", {u"--version"_qs}, 0, u"nevnap (Quillomat) 1.5.0\n"_qs);
    }
    void forms()
    {
        QFETCH(QDate, today);
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const nevnap::Answer r = nevnap::answer(args, today);
        QCOMPARE(r.exitCode, code);
        // The main names or days on the first line; the other ones, labelled, on a second.
        const QStringList lines = r.out.split(u'\n');
        QCOMPARE(r.out.isEmpty() ? QString() : lines.first() + u'\n', out);
        QVERIFY(lines.size() <= 3);
        if (lines.size() == 3)
            QVERIFY2(lines[1].startsWith(u"Egyéb névnap"_qs), qPrintable(r.out));
        QCOMPARE(r.err, err);
    }

    // Days and names by the tradition, on a given day: the leap day without a name, the names
    // of 24-28 February a day later in a leap year; the other names apart; names of the extended
    // list alone; names of no list told as missing from the calendar.
    void tradition_data()
    {
        answerColumns();
        const QDate leap(2028, 2, 10), common = anyDay;
        const QString mathias = u"Mátyás\nEgyéb névnapok: Darinka, Edömér, Etel, Hedda, Hedvig, "
                                "János, Jázmin\n"_qs;
        const QString elemer = u"Elemér\nEgyéb névnapok: Antónia, Antonietta, Hédi, Hedvig, "
                               "Ilmár, Neszta, Osszián, Oszvald, Oszvalda, Román\n"_qs;
        const QString leapDay = u"február 24.: szökőnap, nincs névnap\n"_qs;
        row("leap day", leap, {u"2028-02-24"_qs}, 0, leapDay);
        row("leap day, this year's", leap, {u"február 24"_qs}, 0, leapDay);
        row("2028-02-25", leap, {u"2028-02-25"_qs}, 0, mathias);
        row("2028-02-29", common, {u"2028-02-29"_qs}, 0, elemer);
        row("29 February, common year", common, {u"február"_qs, u"29"_qs}, 0,
            u"február 29.: nincs névnap (szökőévben: Elemér)\n"_qs);
        row("02-29, leap year", leap, {u"02-29"_qs}, 0, elemer);
        row("ma, leap day", QDate(2028, 2, 24), {u"ma"_qs}, 0, leapDay);
        row("today, leap day", QDate(2028, 2, 24), {}, 0, leapDay);
        row("holnap, leap day", QDate(2028, 2, 24), {u"holnap"_qs}, 0, mathias);
        row("tegnap, 1 March", QDate(2028, 3, 1), {u"tegnap"_qs}, 0, elemer);
        row("holnapután", QDate(2028, 2, 22), {u"holnapután"_qs}, 0, leapDay);
        row("1 March", leap, {u"március 1"_qs}, 0,
            u"Albin\nEgyéb névnapok: Albina, Cseperke, Dávid, Eudoxia, Félix, Gyopárka, "
            "Leontina, Szecső, Tóbia, Veszta, Zotmund, Zulejka\n"_qs);
        row("week over the leap day", QDate(2028, 2, 23), {u"--het"_qs}, 0,
            u"2028. február 23. szerda: Alfréd\n"
            "2028. február 24. csütörtök: szökőnap, nincs névnap\n"
            "2028. február 25. péntek: Mátyás\n2028. február 26. szombat: Géza\n"
            "2028. február 27. vasárnap: Edina\n2028. február 28. hétfő: Ákos, Bátor\n"
            "2028. február 29. kedd: Elemér\n"_qs);
        const QString commonWeek =
            u"2027. február 23. kedd: Alfréd\n2027. február 24. szerda: Mátyás\n"
            "2027. február 25. csütörtök: Géza\n2027. február 26. péntek: Edina\n"
            "2027. február 27. szombat: Ákos, Bátor\n2027. február 28. vasárnap: Elemér\n"
            "2027. március 1. hétfő: Albin\n"_qs;
        row("week, common year", QDate(2027, 2, 23), {u"--het"_qs}, 0, commonWeek);
        row("--week", QDate(2027, 2, 23), {u"--week"_qs}, 0, commonWeek);
        row("--tomorrow, leap day", QDate(2028, 2, 24), {u"--tomorrow"_qs}, 0, mathias);
        row("a main name with a leap-year day", leap, {u"Mátyás"_qs}, 0,
            u"február 24. (szökőévben február 25.)\nEgyéb névnapjai: május 14. december 8.\n"_qs);
        row("extended list only", common, {u"Hanna"_qs}, 0,
            u"Egyéb névnapjai: május 20. május 24. május 30.\n"_qs);
        row("extended list only, lower case", common, {u"hanna"_qs}, 0,
            u"Hanna: egyéb névnapjai: május 20. május 24. május 30.\n"_qs);
        row("extended list only, full name", common, {u"Kovács Jázmin"_qs}, 0,
            u"Jázmin: egyéb névnapjai: február 24. (szökőévben február 25.) május 10. július 12.\n"_qs);
        row("no list: Dominik", common, {u"Dominik"_qs}, 1, QString(),
            u"Dominik nem szerepel a névnaptárban. Talán: Dominika?\n"_qs);
        row("no list: Szofia", common, {u"Szofia"_qs}, 1, QString(),
            u"Szofia nem szerepel a névnaptárban. Talán: Szófia?\n"_qs);
        row("no list: Benett", common, {u"Benett"_qs}, 1, QString(),
            u"Benett nem szerepel a névnaptárban. Talán: Anett, Babett, Benáta?\n"_qs);
    }
    void tradition()
    {
        QFETCH(QDate, today);
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const nevnap::Answer a = nevnap::answer(args, today);
        QCOMPARE(a.exitCode, code);
        QCOMPARE(a.out, out);
        QCOMPARE(a.err, err);
    }

    // The command as it runs: the computer's today, as the answer for that day.
    void runOnToday()
    {
        const QString before = nevnap::answer({}, QDate::currentDate()).out;
        const Run r = runNevnap({});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out == before || r.out == nevnap::answer({}, QDate::currentDate()).out);
    }

    // The people of an address book who celebrate on a day, that day's week, the settings'
    // source when no path is given, and what cannot be answered told.
    void contacts()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"névjegyek.vcf"_qs);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Kov\xc3\xa1"
                "cs \xc3\x81"
                "d\xc3\xa1m\r\n"
                "N:Kov\xc3\xa1"
                "cs;\xc3\x81"
                "d\xc3\xa1m;;;\r\nBDAY:1975-12-24\r\nEND:VCARD\r\n"
                "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Nagy;\xc3\x89va;;;\r\nBDAY:--1223\r\n"
                "END:VCARD\r\nBEGIN:VCARD\r\nN:T\xc3\xb6r\xc3\xb6tt;K\xc3\xa1rtya;;;\r\n");
        f.close();
        const QDate today(2026, 12, 23);
        const nevnap::Answer day = nevnap::answer({u"--contacts"_qs, path, u"holnap"_qs}, today);
        QCOMPARE(day.exitCode, 0);
        QCOMPARE(day.out, u"Kovács Ádám: névnap (Ádám)\nNagy Éva: névnap (Éva)\n"
                          "Kovács Ádám: 51. születésnap\n"_qs);
        QVERIFY(day.err.contains(u"1 névjegy kihagyva"_qs));
        const nevnap::Answer week = nevnap::answer({u"--ismerosok"_qs, path, u"--het"_qs}, today);
        QCOMPARE(week.out.count(u'\n'), 4);
        QVERIFY(week.out.startsWith(u"2026. december 23.: Nagy Éva: születésnap\n"_qs));
        const nevnap::Answer fromSettings = nevnap::answer(
            {u"--contacts"_qs, u"december"_qs, u"23"_qs}, today, {}, nullptr, {path, false});
        QCOMPARE(fromSettings.out, u"Nagy Éva: születésnap\n"_qs);
        QCOMPARE(nevnap::answer({u"--contacts"_qs}, today).exitCode, 1);
        QCOMPARE(nevnap::answer({u"--contacts"_qs, path, u"február"_qs, u"30"_qs}, today).err,
                 u"Ilyen nap nem létezik!\n"_qs);
        QCOMPARE(nevnap::answer({u"--contacts"_qs, dir.filePath(u"x"_qs) + u"/"_qs}, today, {},
                                nullptr, {})
                     .exitCode,
                 1);
    }

    // Help that lists every form.
    void helpListsEveryForm()
    {
        const Run help = runNevnap({u"--help"_qs});
        QCOMPARE(help.code, 0);
        for (const QString &form :
             {u"holnap"_qs, u"--tomorrow"_qs, u"--het"_qs, u"--week"_qs, u"2026-03-15"_qs,
              u"03.15."_qs, u"--ical"_qs, u"--force"_qs, u"--version"_qs, u"márc"_qs,
              u"--contacts"_qs, u"--ismerosok"_qs})
            QVERIFY2(help.out.contains(form), qPrintable(form));
    }

    // Nothing is lost without a word: output that cannot be written (a full disk, /dev/full)
    // fails; a file is never overwritten unasked; a file name is used byte for byte.
    void writeErrorsAndFiles()
    {
        for (const QStringList &args : {QStringList{}, QStringList{u"--ical"_qs}}) {
            QProcess p;
            p.setStandardOutputFile(u"/dev/full"_qs);
            p.start(QStringLiteral(NEVNAP_PATH), args);
            QVERIFY(p.waitForFinished(30000));
            QCOMPARE(p.exitCode(), 1);
            QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(u"betelt a lemez"_qs));
        }
        QTemporaryDir dir;
        const QString ics = dir.filePath(u"naptar.ics"_qs);
        QFile keep(ics);
        QVERIFY(keep.open(QIODevice::WriteOnly) && keep.write("mine") == 4);
        keep.close();
        Run r = runNevnap({u"--ical"_qs, ics});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains(u"--force"_qs));
        QVERIFY(keep.open(QIODevice::ReadOnly) && keep.readAll() == "mine");
        keep.close();
        QCOMPARE(runNevnap({u"--ical"_qs, u"--force"_qs, ics}).code, 0);
        QVERIFY(keep.open(QIODevice::ReadOnly) && keep.readAll().startsWith("BEGIN:VCALENDAR"));
        QProcess raw;
        raw.setWorkingDirectory(dir.path());
        raw.start(u"bash"_qs,
                  {u"-c"_qs, u"exec \"$0\" --ical $'n\\xe9v.ics'"_qs, QStringLiteral(NEVNAP_PATH)});
        QVERIFY(raw.waitForFinished(30000));
        QCOMPARE(raw.exitCode(), 0);
        QCOMPARE(
            ::access(QByteArray(QFile::encodeName(dir.path()) + "/n\xe9v.ics").constData(), F_OK),
            0);
    }

    // No two names fold to one spelling, and each name's folded spelling finds that name.
    void everyNameFolds()
    {
        QSet<QString> folded;
        for (const QString &name : FirstNameList()) {
            QVERIFY2(!folded.contains(foldedForMatching(name)), qPrintable(name));
            folded.insert(foldedForMatching(name));
            QCOMPARE(nevnap::findName(foldedForMatching(name)), std::optional<QString>(name));
            QCOMPARE(nevnap::findName(name.toUpper()), std::optional<QString>(name));
            QVERIFY(!nevnap::fullDates(name).isEmpty());
        }
        QCOMPARE(folded.size(), 436);
    }

    // The calendar as an iCalendar file: structure, line ends, folding.
    void ical()
    {
        QProcess p;
        p.start(QStringLiteral(NEVNAP_PATH), {u"--ical"_qs});
        QVERIFY(p.waitForFinished(30000));
        const QByteArray ics = p.readAllStandardOutput();
        QVERIFY(ics.startsWith("BEGIN:VCALENDAR\r\n"));
        QVERIFY(ics.endsWith("END:VCALENDAR\r\n"));
        for (const QByteArray &l : ics.split('\n')) {
            if (l.isEmpty())
                continue;
            QVERIFY2(l.endsWith('\r'), l.constData());
            QVERIFY2(l.size() - 1 <= 75, l.constData());
        }
        QCOMPARE(ics.count("BEGIN:VEVENT\r\n"), 365);
        // 24-28 February counted from the month's end (tst_occasions' nameDayRules pins the rules).
        QCOMPARE(ics.count("RRULE:FREQ=YEARLY\r\n"), 360);
        QVERIFY(!ics.contains("0229\r\n"));
        const QString text = QString::fromUtf8(QByteArray(ics).replace("\r\n ", ""));
        QVERIFY(text.contains(u"DTSTART;VALUE=DATE:20011206\r\nDTEND;VALUE=DATE:20011207"_qs));
        QVERIFY(text.contains(u"SUMMARY:Melinda\\, Vivien névnapja\r\n"_qs));
    }
};

QTEST_GUILESS_MAIN(TestNevnap)
#include "tst_nevnap.moc"
