// The people of the address book at the edges of their rules: which names a card is celebrated
// by, and a chosen day the names no longer have.

#include "contacts/people.h"
#include "contacts/vcard.h"

#include <QDate>
#include <QTest>

using namespace quill::contacts;

namespace {
QByteArray card(const QByteArray &version, const QByteArray &body)
{
    return "BEGIN:VCARD\r\nVERSION:" + version + "\r\n" + body + "END:VCARD\r\n";
}
} // namespace

class TestPeopleEdges : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The names a card is celebrated by, at the edges of the rule: a single word of FN is the
    // given name, nicknames only where the given names say nothing.
    void namesAtTheEdges_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("FN alone, one word")
            << QByteArray("FN:J\xc3\xb3zsi\r\n") << QStringList{u"József"_qs};
        QTest::newRow("FN alone, family name first")
            << QByteArray("FN:Kiss J\xc3\xb3zsi\r\n") << QStringList{u"József"_qs};
        QTest::newRow("given name matched: nickname not read")
            << QByteArray("FN:Kiss Anna\r\nN:Kiss;Anna;;;\r\nNICKNAME:Juci\r\n")
            << QStringList{u"Anna"_qs};
        QTest::newRow("given name of no calendar: nickname read")
            << QByteArray("FN:Kiss Xyz\r\nN:Kiss;Xyz;;;\r\nNICKNAME:Juci\r\n")
            << QStringList{u"Judit"_qs};
    }
    void namesAtTheEdges()
    {
        QFETCH(QByteArray, body);
        QFETCH(QStringList, names);
        const CardReading r = readCards(card("3.0", body));
        QCOMPARE(r.cards.size(), 1);
        QCOMPARE(namesOf(r.cards.first()), names);
    }

    // A day chosen for a person that their names no longer have (the card changed since): they
    // keep every day of their names, never none.
    void chosenDayNoLongerTheirs_data()
    {
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<QList<QDate>>("celebrated"); // of 2026's Mária days
        const QList<QDate> every{QDate(2026, 8, 15), QDate(2026, 9, 12)};
        QTest::newRow("a day of the name") << 9 << 12 << QList<QDate>{QDate(2026, 9, 12)};
        QTest::newRow("a day the name does not have") << 1 << 1 << every;
        QTest::newRow("no day chosen") << 0 << 0 << every;
    }
    void chosenDayNoLongerTheirs()
    {
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(QList<QDate>, celebrated);
        ContactBook book(
            readCards(card("3.0", "FN:Nagy M\xc3\xa1ria\r\nN:Nagy;M\xc3\xa1ria;;;\r\n")).cards);
        book.choose({{u"Nagy Mária"_qs, -1, month, day, QString()}});
        QList<QDate> got;
        for (const QDate &d : {QDate(2026, 8, 15), QDate(2026, 9, 12)}) {
            if (!book.on(d).isEmpty())
                got << d;
        }
        QCOMPARE(got, celebrated);
        QVERIFY(book.on(QDate(2026, 1, 1)).isEmpty());
    }

    // A card with a birthday of its own and Android's birthday event: the first one read stays.
    void firstBirthdayStays()
    {
        const CardReading r = readCards(
            card("3.0", "FN:Kiss Anna\r\nBDAY:1980-05-01\r\nX-ANDROID-CUSTOM:vnd.android.cursor."
                        "item/contact_event;1981-06-02;3;;;;;;;;;;;;;\r\n"));
        QCOMPARE(r.cards.size(), 1);
        QCOMPARE(r.cards.first().birthday, (CardDate{1980, 5, 1}));
    }
};

QTEST_GUILESS_MAIN(TestPeopleEdges)
#include "tst_peopleedges.moc"
