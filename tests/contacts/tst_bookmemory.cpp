// What a large address book costs once it is read: the memory its people hold, counted by the
// allocator, for a program that keeps the book all day.

#include "contacts/people.h"

#include <QTest>

#include <cstdlib> // says whether the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

using namespace quill::contacts;

namespace {

// The bytes the allocator has handed out and not had back.
qint64 inUse()
{
#if defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
#else
    return -1;
#endif
}

QList<Card> cardsOf(int people, const QStringList &given, bool ownDays)
{
    QList<Card> cards;
    cards.reserve(people);
    for (int i = 0; i < people; ++i) {
        Card c;
        c.family = u"Család%1"_qs.arg(i);
        c.given = given[i % given.size()].split(u' ');
        c.displayName = c.family + u' ' + given[i % given.size()];
        c.birthday = CardDate{1940 + i % 70, 1 + i % 12, 1 + i % 28};
        if (ownDays && i % 3 == 0)
            c.nameDays = {CardDate{0, 1 + i % 12, 2 + i % 20}};
        cards << c;
    }
    return cards;
}

} // namespace

class TestBookMemory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // 5,000 people: each costs the book their name and a few numbers, however many days their
    // names have; people of the same names do not each keep a copy of the same days.
    void peopleCostFewBytes_data()
    {
        QTest::addColumn<QStringList>("given");
        QTest::addColumn<bool>("ownDays");
        QTest::newRow("names of many days")
            << QStringList{u"Anna Mária"_qs, u"Mária"_qs, u"József"_qs, u"Ádám"_qs,   u"Éva"_qs,
                           u"Józsi"_qs,      u"Kati"_qs,  u"Péter"_qs,  u"Lőrinc"_qs, u"Xyz"_qs}
            << false;
        QTest::newRow("name days on the cards")
            << QStringList{u"Anna Mária"_qs, u"Zoltán"_qs, u"Xyz"_qs} << true;
    }
    void peopleCostFewBytes()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the sanitizer's allocator counts its own way");
#endif
        QFETCH(QStringList, given);
        QFETCH(bool, ownDays);
        if (inUse() < 0)
            QSKIP("the allocator cannot be asked here");
        constexpr int people = 5000;
        // The calendar's own tables are made once, before anything is counted.
        ContactBook(cardsOf(given.size(), given, ownDays)).on(QDate(2026, 1, 1));
        const qint64 before = inUse();
        QList<Card> cards = cardsOf(people, given, ownDays);
        ContactBook book(cards);
        cards = {};
        book.compact();
        const qint64 held = inUse() - before;
        QCOMPARE(book.size(), people);
        QVERIFY2(held < people * 100,
                 qPrintable(u"%1 bytes a person"_qs.arg(double(held) / people, 0, 'f', 1)));
    }
};

QTEST_GUILESS_MAIN(TestBookMemory)
#include "tst_bookmemory.moc"
