#include "contacts/people.h"
#include "contacts/source.h"
#include "contacts/vcard.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace quill::contacts;

namespace {
QByteArray card(const QByteArray &version, const QByteArray &body)
{
    return "BEGIN:VCARD\r\nVERSION:" + version + "\r\n" + body + "END:VCARD\r\n";
}
// The process's peak resident memory, in KB, and its reset (the kernel's "clear_refs" 5).
qint64 peakKb()
{
    QFile status(u"/proc/self/status"_qs);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}
bool resetPeak()
{
    QFile refs(u"/proc/self/clear_refs"_qs);
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}
// A photo as exports fold it: base64 in lines of 75 characters.
QByteArray foldedPhoto(const QByteArray &property, qsizetype size)
{
    QByteArray out = property + ":";
    const QByteArray chunk = QByteArray("QUJD").repeated(18) + "AB\r\n ";
    out.reserve(size + 100);
    while (out.size() < size)
        out += chunk;
    return out + "QUJD\r\n";
}
// A photo of lines of every length, some ending in a bare line feed, whose value measures
// `length` bytes unfolded.
QByteArray unevenPhoto(qsizetype length)
{
    QByteArray out = "PHOTO:\r\n";
    for (qsizetype n = 0, measured = 6; measured < length; n = (n + 7) % 131) {
        const qsizetype part = std::min(n, length - measured);
        out += " " + QByteArray(part, 'A') + (n % 2 ? "\r\n" : "\n");
        measured += part;
    }
    return out;
}
QString names(const CardReading &r)
{
    QStringList out;
    for (const Card &c : r.cards)
        out << c.displayName + u'=' + c.given.join(u'+') + u'/' + c.nicknames.join(u'+');
    return out.join(u'|');
}
} // namespace

Q_DECLARE_METATYPE(quill::contacts::CardDate)

class TestContacts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Names as real exports write them.
    void namesOnCards_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("read"); // FN=given/nicknames
        QTest::newRow("3.0, folded, escaped") << card("3.0", "FN:Kov\xc3\xa1"
                                                             "cs \r\n \xc3\x81"
                                                             "d\xc3\xa1m\r\nN:Kov\xc3\xa1"
                                                             "cs;\xc3\x81"
                                                             "d\xc3\xa1m;;;\r\nNICKNAME:\xc3\x81"
                                                             "di\\, a fiam,Dodi\r\n")
                                              << u"Kovács Ádám=Ádám/Ádi, a fiam+Dodi"_qs;
        QTest::newRow("two given names")
            << card("4.0", "FN:Nagy Anna M\xc3\xa1ria\r\nN:Nagy;Anna M\xc3\xa1ria;;;\r\n")
            << u"Nagy Anna Mária=Anna+Mária/"_qs;
        QTest::newRow("2.1, quoted-printable with soft breaks")
            << card(
                   "2.1",
                   "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Kov=C3=A1cs;=C3=81d=\r\n"
                   "=C3=A1m;;;\r\nFN;CHARSET=UTF-8;QUOTED-PRINTABLE:Kov=C3=A1cs =C3=81d=C3=A1m\r\n")
            << u"Kovács Ádám=Ádám/"_qs;
        QTest::newRow("2.1, ISO-8859-2")
            << card("2.1", "N;CHARSET=ISO-8859-2:T\xf3th;L\xf5rinc;;;\r\n")
            << u"Tóth Lőrinc=Lőrinc/"_qs;
        QTest::newRow("no charset, Windows-1250 bytes")
            << card("2.1", "N:T\xf3th;L\xf5rinc;;;\r\n") << u"Tóth Lőrinc=Lőrinc/"_qs;
        QTest::newRow("Android nickname line")
            << card("2.1",
                    "N:Szab\xc3\xb3;J\xc3\xb3zsef;;;\r\nX-ANDROID-CUSTOM:vnd.android.cursor.item/"
                    "nickname;J\xc3\xb3zsi;1;;;;;;;;;;;;;\r\n")
            << u"Szabó József=József/Józsi"_qs;
        QTest::newRow("properties not used, with parameters, groups and quotes")
            << card("3.0", "item2.TEL;TYPE=CELL:+36 1\r\nEMAIL;TYPE=\"a:b\":x@y\r\n"
                           "n;x-a=1;x-a=2:Kiss;\xc3\x89va;;;\r\nORG;CHARSET=UTF-8:C\r\n")
            << u"Kiss Éva=Éva/"_qs;
        QTest::newRow("LF only, lower case names, a group")
            << QByteArray("begin:vcard\nversion:3.0\nitem1.fn:Kiss \xc3\x89va\nend:vcard\n")
            << u"Kiss Éva=/"_qs;
    }
    void namesOnCards()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, read);
        const CardReading r = readCards(bytes);
        QCOMPARE(r.skipped.size(), 0);
        QCOMPARE(names(r), read);
    }

    void dates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("omitted");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<CardDate>("date");
        QTest::newRow("ISO") << u"1985-04-15"_qs << 1604 << true << CardDate{1985, 4, 15};
        QTest::newRow("basic") << u"19850415"_qs << 1604 << true << CardDate{1985, 4, 15};
        QTest::newRow("date-time")
            << u"1985-04-15T00:00:00Z"_qs << 1604 << true << CardDate{1985, 4, 15};
        QTest::newRow("no year") << u"--0415"_qs << 1604 << true << CardDate{0, 4, 15};
        QTest::newRow("no year, dashed") << u"--04-15"_qs << 1604 << true << CardDate{0, 4, 15};
        QTest::newRow("29 February, no year") << u"--0229"_qs << 1604 << true << CardDate{0, 2, 29};
        QTest::newRow("Apple's omitted year")
            << u"1604-11-30"_qs << 1604 << true << CardDate{0, 11, 30};
        QTest::newRow("another omitted year")
            << u"1900-11-30"_qs << 1900 << true << CardDate{0, 11, 30};
        QTest::newRow("29 February of a common year")
            << u"2001-02-29"_qs << 1604 << false << CardDate{};
        QTest::newRow("month 13") << u"--1301"_qs << 1604 << false << CardDate{};
        QTest::newRow("words") << u"április 15"_qs << 1604 << false << CardDate{};
    }
    void dates()
    {
        QFETCH(QString, text);
        QFETCH(int, omitted);
        QFETCH(bool, valid);
        QFETCH(CardDate, date);
        const auto got = parseCardDate(text, omitted);
        QCOMPARE(got.has_value(), valid);
        if (valid)
            QCOMPARE(*got, date);
    }

    // Birthdays and name days from where cards keep them.
    void eventsOnCards()
    {
        const QByteArray bytes =
            card("3.0", "FN:A\r\nN:A;Anna;;;\r\nBDAY;X-APPLE-OMIT-YEAR=1604:1604-11-30\r\n"
                        "item1.X-ABDATE;type=pref:2000-07-26\r\nitem1.X-ABLABEL:N\xc3\xa9vnap\r\n"
                        "item2.X-ABDATE:2010-05-05\r\nitem2.X-ABLABEL:_$!<Anniversary>!$_\r\n"
                        "ANNIVERSARY:20100505\r\n") +
            card("2.1", "N:B;Bea;;;\r\nX-ANDROID-CUSTOM:vnd.android.cursor.item/contact_event;"
                        "1990-03-02;3;;;;;;;;;;;;;\r\nX-ANDROID-CUSTOM:vnd.android.cursor.item/"
                        "contact_event;--0216;0;n\xc3\xa9vnap;;;;;;;;;;;;\r\n") +
            card("4.0", "FN:C\r\nN:C;Csaba;;;\r\nX-NEVNAP:--1231\r\nBDAY:--0229\r\n");
        const CardReading r = readCards(bytes);
        QCOMPARE(r.skipped.size(), 0);
        QCOMPARE(r.cards.size(), 3);
        QCOMPARE(r.cards[0].birthday, (CardDate{0, 11, 30}));
        QCOMPARE(r.cards[0].nameDays, QList<CardDate>{(CardDate{2000, 7, 26})});
        QCOMPARE(r.cards[1].birthday, (CardDate{1990, 3, 2}));
        QCOMPARE(r.cards[1].nameDays, QList<CardDate>{(CardDate{0, 2, 16})});
        QCOMPARE(r.cards[2].nameDays, QList<CardDate>{(CardDate{0, 12, 31})});
        QCOMPARE(r.cards[2].birthday, (CardDate{0, 2, 29}));
    }

    // A broken card is skipped with its reason; the rest are read. (A property over 4 MB is
    // photosInPieces' "large photo".)
    void brokenCards()
    {
        const QByteArray good = card("3.0", "N:J\xc3\xb3;J\xc3\xb3zsef;;;\r\n");
        const QByteArray bytes = good + card("3.0", "N:X;Y;;;\r\nBDAY:1985-13-45\r\n") +
                                 card("2.1", "N;CHARSET=KLINGON:X;Y;;;\r\n") +
                                 card("3.0", "N:X;Y;;;\r\n\x01\x02\xff junk\r\n") +
                                 card("3.0", "N:X;Y;;;\r\nitem3.TEL;TYPE=CELL\r\n") +
                                 "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Z;V\r\n" + good +
                                 "\x00\x01 trailing junk" + "BEGIN:VCARD\r\nN:E;F;;;\r\n";
        const CardReading r = readCards(bytes);
        QCOMPARE(r.cards.size(), 2);
        QStringList reasons;
        for (const SkippedCard &s : r.skipped)
            reasons << QString::number(s.number) + u' ' + s.reason;
        QCOMPARE(reasons,
                 (QStringList{u"2 hibás születésnap: 1985-13-45"_qs,
                              u"3 ismeretlen karakterkészlet: KLINGON"_qs,
                              u"4 olvashatatlan sor"_qs, u"5 olvashatatlan sor"_qs,
                              u"6 hiányzik az END:VCARD"_qs, u"8 hiányzik az END:VCARD"_qs}));
    }

    void calendarNames_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("name"); // empty: none
        QTest::newRow("itself") << u"Ádám"_qs << u"Ádám"_qs;
        QTest::newRow("another case") << u"ÁDÁM"_qs << u"Ádám"_qs;
        QTest::newRow("accents optional where one name matches") << u"Peter"_qs << u"Péter"_qs;
        QTest::newRow("nickname") << u"Józsi"_qs << u"József"_qs;
        QTest::newRow("nickname without accents") << u"jozsi"_qs << u"József"_qs;
        QTest::newRow("diminutive") << u"Marika"_qs << u"Mária"_qs;
        QTest::newRow("married name") << u"Józsefné"_qs << QString();
        QTest::newRow("family name") << u"Kovács"_qs << QString();
        QTest::newRow("extended list") << u"Hanna"_qs << u"Hanna"_qs;
        QTest::newRow("extended list, another case") << u"JÁZMIN"_qs << u"Jázmin"_qs;
        QTest::newRow("extended list, not without accents") << u"Szofia"_qs << QString();
        QTest::newRow("no list") << u"Dominik"_qs << QString();
    }
    void calendarNames()
    {
        QFETCH(QString, word);
        QFETCH(QString, name);
        QCOMPARE(calendarName(word).value_or(QString()), name);
    }

    // Every nickname of the table stands for a name the calendar knows.
    void nicknamesLeadToNames()
    {
        for (const char *nick : {"Kati", "Peti", "Laci", "Zsuzsi", "Pista", "Bandi", "Juci"})
            QVERIFY2(calendarName(QString::fromLatin1(nick)), nick);
    }

    // Who celebrates when: each given name on each of its days, the card's own date first and
    // alone, a married name never, a nickname where the given name says nothing, ages where the
    // year is known, 29 February on the 28th (or 1 March) in common years.
    void celebrations()
    {
        const QByteArray bytes =
            card("3.0", "FN:Kov\xc3\xa1"
                        "cs \xc3\x81"
                        "d\xc3\xa1m\r\nN:Kov\xc3\xa1"
                        "cs;\xc3\x81"
                        "d\xc3\xa1m;;;\r\nBDAY:1975-12-24\r\n") +
            card("3.0", "FN:Nagy Anna M\xc3\xa1ria\r\nN:Nagy;Anna M\xc3\xa1ria;;;\r\n") +
            card("3.0", "FN:Szab\xc3\xb3 J\xc3\xb3zsefn\xc3\xa9\r\nN:Szab\xc3\xb3;J\xc3\xb3zsefn"
                        "\xc3\xa9;;;\r\nNICKNAME:Marika\r\n") +
            card("3.0", "FN:Kis P\xc3\xa9ter\r\nN:Kis;P\xc3\xa9ter;;;\r\nX-NEVNAP:--0629\r\n") +
            card("3.0", "FN:Sz\xc3\xb6k\xc5\x91 Ugr\xc3\xb3\r\nN:Sz\xc3\xb6k\xc5\x91;Xyz;;;\r\n"
                        "BDAY:--0229\r\n");
        const ContactBook book(readCards(bytes).cards);
        const auto on = [&](int y, int m, int d, LeapDayRule rule = LeapDayRule::February28) {
            QStringList out;
            for (const Celebration &c : book.on(QDate(y, m, d), rule))
                out << describe(c);
            return out;
        };
        QCOMPARE(on(2026, 12, 24), (QStringList{u"Kovács Ádám: névnap (Ádám)"_qs,
                                                u"Kovács Ádám: 51. születésnap"_qs}));
        QCOMPARE(on(2026, 7, 26), (QStringList{u"Nagy Anna Mária: névnap (Anna)"_qs}));
        QVERIFY(on(2026, 9, 12).contains(u"Nagy Anna Mária: névnap (Mária)"_qs));
        QVERIFY(on(2026, 9, 12).contains(u"Szabó Józsefné: névnap (Mária)"_qs));
        QCOMPARE(on(2026, 3, 19), QStringList()); // József: not the wife's day
        QCOMPARE(on(2026, 6, 29), (QStringList{u"Kis Péter: névnap (Péter)"_qs}));
        QCOMPARE(on(2026, 2, 22), QStringList()); // Péter's calendar day: the card's date wins
        QCOMPARE(on(2026, 2, 28), (QStringList{u"Szökő Ugró: születésnap"_qs}));
        QCOMPARE(on(2026, 3, 1, LeapDayRule::March1), (QStringList{u"Szökő Ugró: születésnap"_qs}));
        QCOMPARE(on(2026, 2, 28, LeapDayRule::March1), QStringList());
        QCOMPARE(on(2028, 2, 29), (QStringList{u"Szökő Ugró: születésnap"_qs}));
        QCOMPARE(on(2028, 2, 28), QStringList());
    }

    // What the user chose for one person: a name where the card gives none (a married name),
    // one day of a name that has several (that day alone: tst_peopleedges'
    // chosenDayNoLongerTheirs).
    void choices()
    {
        ContactBook book(
            readCards(card("3.0", "FN:Kov\xc3\xa1"
                                  "cs J\xc3\xb3zsefn\xc3\xa9\r\n") +
                      card("3.0", "FN:Nagy M\xc3\xa1ria\r\nN:Nagy;M\xc3\xa1ria;;;\r\n"))
                .cards);
        QCOMPARE(book.size(), 1);
        QCOMPARE(book.on(QDate(2026, 9, 12)).size(), 1);
        book.choose({{u"Kovács Józsefné"_qs, -1, 0, 0, u"Mária"_qs},
                     {u"Nagy Mária"_qs, 3, 9, 12, QString()}});
        QCOMPARE(book.size(), 2);
        QCOMPARE(book.on(QDate(2026, 9, 12)).size(), 2);
        book.choose({});
        QCOMPARE(book.size(), 1);
    }

    // An export's photos are megabytes of folded lines the reader never uses: they are passed
    // over where they lie, never gathered into one line, and the file is read a piece at a time.
    void photosAreNotCopied_data()
    {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<bool>("fromFile");
        QTest::newRow("photo, from a file") << QByteArray("PHOTO;ENCODING=b;TYPE=JPEG") << true;
        QTest::newRow("grouped key, in memory") << QByteArray("item1.KEY") << false;
    }
    void photosAreNotCopied()
    {
        QFETCH(QByteArray, property);
        QFETCH(bool, fromFile);
        QByteArray book;
        for (int i = 0; i < 6; ++i)
            book += card("3.0", "FN:Kiss \xc3\x89va " + QByteArray::number(i) + "\r\n" +
                                    foldedPhoto(property, 2 * 1024 * 1024) +
                                    "N:Kiss;\xc3\x89va;;;\r\n");
        QTemporaryDir dir;
        const QString path = dir.filePath(u"book.vcf"_qs);
        if (fromFile) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QCOMPARE(f.write(book), book.size());
            f.close();
            book = QByteArray();
        }
        if (!resetPeak())
            QSKIP("the peak resident memory cannot be measured here");
        const qint64 before = peakKb();
        const CardReading r = fromFile ? readSource(path).reading : readCards(book);
        const qint64 grown = peakKb() - before;
        QCOMPARE(r.cards.size(), 6);
        QVERIFY(r.skipped.isEmpty());
        QCOMPARE(r.cards[5].displayName, u"Kiss \u00c9va 5"_qs);
        QCOMPARE(r.cards[5].given, QStringList{u"\u00c9va"_qs});
        QVERIFY2(grown < 2 * 1024, qPrintable(QStringLiteral("%1 KB more").arg(grown)));
    }

    // Passed over or not, a property over 4 MB still skips its card, and bytes handed in any
    // pieces read as the whole.
    void photosInPieces_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("read");
        const QByteArray small = foldedPhoto("PHOTO;ENCODING=b", 4000);
        QTest::newRow("large photo")
            << card("3.0", "FN:A\r\n" + foldedPhoto("PHOTO;ENCODING=b", 5 * 1024 * 1024))
            << u"|1: t\u00fal nagy adat (5 MB)"_qs;
        QTest::newRow("folded name after a photo")
            << card("2.1", small + "N:Kiss;\r\n \xc3\x89va;;;\r\n") << u"Kiss \u00c9va|"_qs;
        QTest::newRow("quoted-printable photo")
            << card("2.1", "PHOTO;ENCODING=QUOTED-PRINTABLE:AB=\r\nCD\r\nFN:B\r\n") << u"B|"_qs;
        QTest::newRow("bare line feeds")
            << QByteArray("BEGIN:VCARD\nPHOTO:AA\n BB\n\tCC\nFN:C\nEND:VCARD") << u"C|"_qs;
        QTest::newRow("quoted colon")
            << card("3.0", "PHOTO;X=\"a:b\":AA\r\n BB\r\nFN:D\r\n") << u"D|"_qs;
        QTest::newRow("no end") << QByteArray("BEGIN:VCARD\r\nFN:E\r\n") + small
                                << u"|1: hi\u00e1nyzik az END:VCARD"_qs;
        QTest::newRow("uneven photo lines")
            << card("3.0", "FN:F\r\n" + unevenPhoto(300000) + "N:Kiss;;;;\r\n") << u"F|"_qs;
        QTest::newRow("photo of 4 MB")
            << card("3.0", "FN:G\r\n" + unevenPhoto(4 << 20)) << u"G|"_qs;
        QTest::newRow("photo a byte over 4 MB")
            << card("3.0", "FN:H\r\n" + unevenPhoto((4 << 20) + 1))
            << u"|1: t\u00fal nagy adat (4 MB)"_qs;
    }
    void photosInPieces()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, read);
        const auto shown = [](const CardReading &r) -> QString {
            QStringList cards, skipped;
            for (const Card &c : r.cards)
                cards << c.displayName;
            for (const SkippedCard &s : r.skipped)
                skipped << QString::number(s.number) + u": " + s.reason;
            return cards.join(u',') + u'|' + skipped.join(u',');
        };
        QCOMPARE(shown(readCards(bytes)), read);
        for (const qsizetype piece : {1, 2, 3, 7, 64, 100, 65536}) {
            CardReader reader;
            for (qsizetype at = 0; at < bytes.size(); at += piece)
                reader.feed(QByteArrayView(bytes).sliced(at, std::min(piece, bytes.size() - at)));
            QCOMPARE(shown(reader.finish()), read);
        }
    }

    // A book read again only when it changed: its names, sizes, times and bytes are compared.
    void unchangedBookIsNotReadAgain()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"book.vcf"_qs);
        const auto put = [&](const QByteArray &bytes) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(bytes);
        };
        put(card("3.0", "FN:Kiss Anna\r\n"));
        const SourceReading first = readSource(path);
        QCOMPARE(first.reading.cards.size(), 1);
        QVERIFY(!first.unchanged);
        const SourceReading again = readSource(path, first.stamp);
        QVERIFY(again.unchanged);
        QVERIFY(again.reading.cards.isEmpty());
        QCOMPARE(again.stamp, first.stamp);
        // The same size and time, other bytes: read again.
        const QDateTime time = QFileInfo(path).lastModified();
        put(card("3.0", "FN:Kiss Rita\r\n"));
        QFile touched(path);
        QVERIFY(touched.open(QIODevice::ReadWrite));
        QVERIFY(touched.setFileTime(time, QFileDevice::FileModificationTime));
        touched.close();
        const SourceReading changed = readSource(path, first.stamp);
        QVERIFY(!changed.unchanged);
        QCOMPARE(changed.reading.cards.value(0).displayName, u"Kiss Rita"_qs);
        QVERIFY(readSource(path, changed.stamp).unchanged);
        QFile::remove(path);
        const SourceReading gone = readSource(path, changed.stamp);
        QVERIFY(!gone.unchanged);
        QCOMPARE(gone.problems.size(), 1);
    }

    // A person of each kind by the tradition: a main name (Mátyás) a day later from 24 February
    // of a leap year, a name of the extended list alone on each of its days, a name of no list
    // never, until the user gives them a day.
    void kindsOfPeople_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QStringList>("celebrating");
        const auto row = [](const char *tag, QDate d, const QStringList &who) {
            QTest::newRow(tag) << d << who;
        };
        row("leap day", {2028, 2, 24}, {});
        const QStringList mathias{u"Kiss Mátyás: névnap (Mátyás)"_qs,
                                  u"Nagy Jázmin: névnap (Jázmin)"_qs};
        row("Mátyás and Jázmin, leap year", {2028, 2, 25}, mathias);
        row("Mátyás and Jázmin, common year", {2027, 2, 24}, mathias);
        row("not the day after, common year", {2027, 2, 25}, {});
        row("Jázmin's other day", {2026, 7, 12}, {u"Nagy Jázmin: névnap (Jázmin)"_qs});
        row("Hanna", {2026, 5, 20}, {u"Szabó Hanna: névnap (Hanna)"_qs});
        row("Mátyás's other day", {2026, 5, 14}, {});
        row("the day given to Dominik", {2026, 8, 4}, {u"Tóth Dominik: névnap (Dominik)"_qs});
    }
    void kindsOfPeople()
    {
        QFETCH(QDate, date);
        QFETCH(QStringList, celebrating);
        ContactBook book(
            readCards(
                card("3.0", "FN:Kiss M\xc3\xa1ty\xc3\xa1s\r\nN:Kiss;M\xc3\xa1ty\xc3\xa1s;;;\r\n") +
                card("3.0", "FN:Nagy J\xc3\xa1zmin\r\nN:Nagy;J\xc3\xa1zmin;;;\r\n") +
                card("3.0", "FN:Szab\xc3\xb3 Hanna\r\nN:Szab\xc3\xb3;Hanna;;;\r\n") +
                card("3.0", "FN:T\xc3\xb3th Dominik\r\nN:T\xc3\xb3th;Dominik;;;\r\n"))
                .cards);
        QCOMPARE(book.withoutNameDay(), QStringList{u"Tóth Dominik"_qs});
        QStringList out;
        for (const Celebration &c : book.on(date))
            out << describe(c);
        QVERIFY(!out.contains(u"Tóth Dominik: névnap (Dominik)"_qs));
        book.choose({{u"Tóth Dominik"_qs, -1, 8, 4, u"Dominik"_qs}});
        QCOMPARE(book.withoutNameDay(), QStringList{u"Tóth Dominik"_qs}); // still no calendar name
        out.clear();
        for (const Celebration &c : book.on(date))
            out << describe(c);
        QCOMPARE(out, celebrating);
    }

    // A folder as a sync tool keeps it: one card a file, named by the tool, one folder an
    // address book; other files are left alone.
    void folderOfCards()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(u"contacts/default"_qs);
        const auto put = [&](const QString &name, const QByteArray &bytes) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        };
        put(u"contacts/default/4f2a-9c.vcf"_qs, card("3.0", "N:Kiss;\xc3\x89va;;;\r\n"));
        put(u"contacts/default/77b1.vcf"_qs, card("3.0", "N:Nagy;Zolt\xc3\xa1n;;;\r\n"));
        put(u"contacts/default/.status"_qs, "not a card");
        put(u"contacts/default/broken.vcf"_qs, "BEGIN:VCARD\r\nN:X;Y;;;\r\n");
        const SourceReading r = readSource(dir.filePath(u"contacts"_qs));
        QCOMPARE(r.reading.cards.size(), 2);
        QCOMPARE(r.reading.skipped.size(), 1);
        QCOMPARE(r.reading.skipped[0].name, u"X Y (broken.vcf)"_qs);
        QVERIFY(r.problems.isEmpty());
        QCOMPARE(readSource(dir.filePath(u"nincs.vcf"_qs)).problems.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestContacts)
#include "tst_contacts.moc"
