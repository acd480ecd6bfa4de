// The settings' list of people whose names are in no calendar: shown only with someone in it,
// read by a screen reader as it shows, and a way to give them a day.

#include "contacts/people.h"
#include "windows/unnamedpeople.h"

#include <QAccessible>
#include <QComboBox>
#include <QSignalSpy>
#include <QTest>

using namespace quill;

class TestUnnamedPeople : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Who has no name day is the address book's (its tests pin main and extended names): here
    // one person listed, and no one, which hides the list.
    void listAndChoice_data()
    {
        QTest::addColumn<QByteArray>("cards");
        QTest::addColumn<QStringList>("unnamed");
        QTest::newRow("a name of no list")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:T\xc3\xb3th;Dominik;;;\r\n"
                          "FN:T\xc3\xb3th Dominik\r\nEND:VCARD\r\n")
            << QStringList{u"Tóth Dominik"_qs};
        QTest::newRow("a main name") << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Kiss;M\xc3\xa1"
                                                   "ty\xc3\xa1s;;;\r\nFN:Kiss M\xc3\xa1"
                                                   "ty\xc3\xa1s\r\nEND:VCARD\r\n")
                                     << QStringList();
    }
    void listAndChoice()
    {
        QFETCH(QByteArray, cards);
        QFETCH(QStringList, unnamed);
        const contacts::ContactBook book(contacts::readCards(cards).cards);
        QCOMPARE(book.withoutNameDay(), unnamed);
        QWidget window;
        auto *list = new UnnamedPeopleList(&window);
        window.show();
        list->showPeople(book.withoutNameDay());
        QCOMPARE(list->isVisible(), !unnamed.isEmpty());
        if (unnamed.isEmpty())
            return;
        QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(list);
        QCOMPARE(reader->text(QAccessible::Name), u"Nincs naptári névnapja"_qs);
        QCOMPARE(list->item(0)->text(), unnamed.first() + u" – nincs naptári névnapja"_qs);
        QSignalSpy chosen(list, &UnnamedPeopleList::personChosen);
        list->setFocus();
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.first().first().toString(), unnamed.first());
        // Given a name or a day, they stay listed, with what they were given.
        list->showPeople(book.withoutNameDay(), {{unnamed.first(), u"március 5."_qs}});
        QCOMPARE(list->item(0)->text(),
                 unnamed.first() + u" – nincs naptári névnapja; megadva: március 5."_qs);
        QCOMPARE(list->item(0)->data(Qt::UserRole).toString(), unnamed.first());
    }

    // A day to give: every day of the tables once, 29 February (no names) left out.
    void everyDay()
    {
        QComboBox days;
        UnnamedPeopleList::addEveryDay(&days);
        QCOMPARE(days.count(), 365);
        QCOMPARE(days.itemText(0), u"január 1."_qs);
        QCOMPARE(days.itemText(54), u"február 24."_qs);
        QCOMPARE(days.itemText(59), u"március 1."_qs);
        QCOMPARE(days.itemData(59).toDate(), QDate(2000, 3, 1));
    }
};

QTEST_MAIN(TestUnnamedPeople)
#include "tst_unnamedpeople.moc"
