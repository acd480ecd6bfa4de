#include "calendar/calendar.h"
#include "support/testsupport.h"
#include "windows/widgets.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace quill;
using namespace quill::test;

class TestSearchPanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The names wait for their option; the day list starts with January's days.
    void startingState()
    {
        Harness h(at(2026, 12, 6, 7, 5));
        auto *names = h.find<QComboBox>(u"Combo2"_qs);
        QCOMPARE(h.find<QComboBox>(u"Combo1_1"_qs)->currentText(), u" 1"_qs); // a number's blank
        QCOMPARE(names->count(), 436);
        QVERIFY(!names->isEnabled());
        QVERIFY(h.find<QRadioButton>(u"Option1"_qs)->isChecked());
    }

    // Each kind of answer as the window gives it (which texts are days and months is the
    // lookup's table): names, a day or a month that does not exist, no day at all.
    void searchByDate_data()
    {
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("monthAfter");
        QTest::addColumn<QString>("dayAfter");
        QTest::newRow("picked") << u"december"_qs << u" 2"_qs << u"Melinda, Vivien"_qs << QString()
                                << u"december"_qs << u" 2"_qs;
        QTest::newRow("07") << u"december"_qs << u"07"_qs << u"Ambrus"_qs << QString()
                            << u"december"_qs << u"07"_qs;
        QTest::newRow("English month")
            << u"March"_qs << u"15"_qs << u"Kristóf"_qs << QString() << u"March"_qs << u"15"_qs;
        QTest::newRow("31 February") << u"február"_qs << u"31"_qs << QString()
                                     << u"Ilyen nap nem létezik!"_qs << u"február"_qs << QString();
        QTest::newRow("capital") << u"Február"_qs << u"3"_qs << QString()
                                 << u"Ilyen hónap nem létezik!"_qs << QString() << u"3"_qs;
        QTest::newRow("empty day") << u"május"_qs << QString() << QString()
                                   << u"Állíts be egy dátumot!"_qs << u"május"_qs << QString();
    }

    void searchByDate()
    {
        QFETCH(QString, month);
        QFETCH(QString, day);
        QFETCH(QString, result);
        QFETCH(QString, message);
        QFETCH(QString, monthAfter);
        QFETCH(QString, dayAfter);
        Harness h(at(2026, 12, 6, 7, 5));
        auto *months = h.find<QComboBox>(u"Combo1_0"_qs);
        auto *days = h.find<QComboBox>(u"Combo1_1"_qs);
        auto *result2 = h.find<QLabel>(u"Label2"_qs);
        result2->setText(u"régi"_qs);
        months->lineEdit()->clear();
        typeText(months->lineEdit(), month);
        days->lineEdit()->clear();
        typeText(days->lineEdit(), day);
        QTest::mouseClick(h.find<QPushButton>(u"Command1"_qs), Qt::LeftButton);
        QCOMPARE(result2->text(), message.isEmpty() ? result : QString());
        QCOMPARE(h.boxes.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty())
            QCOMPARE(h.boxes.shown.first().helpPage, u"kereses.html"_qs); // F1's page
        QCOMPARE(months->currentText(), monthAfter);
        QCOMPARE(days->currentText(), dayAfter);
    }

    void searchByName()
    {
        Harness h(at(2026, 12, 6, 7, 5));
        auto *names = h.find<QComboBox>(u"Combo2"_qs);
        auto *result = h.find<QLabel>(u"Label3"_qs);
        auto *search = h.find<QPushButton>(u"Command1"_qs);
        QTest::mouseClick(h.find<QRadioButton>(u"Option2"_qs), Qt::LeftButton);
        QVERIFY(names->isEnabled());
        QVERIFY(!h.find<QComboBox>(u"Combo1_0"_qs)->isEnabled());
        QVERIFY(h.find<QComboBox>(u"Combo1_0"_qs)->currentText().isEmpty());

        QTest::mouseClick(search, Qt::LeftButton);
        QCOMPARE(h.boxes.texts(), QStringList{u"Válassz nevet a listából!"_qs});
        QVERIFY(result->text().isEmpty());

        names->setCurrentIndex(names->findText(u"Mária"_qs));
        QTest::mouseClick(search, Qt::LeftButton);
        QCOMPARE(result->text(), u" aug 15. szept 8. szept 12. dec 8."_qs);

        // Typing is compared exactly: nothing rewrites the case behind the user's back.
        names->lineEdit()->clear();
        typeText(names->lineEdit(), u"abigél"_qs);
        QCOMPARE(names->currentText(), u"abigél"_qs);
        QTest::mouseClick(search, Qt::LeftButton);
        QCOMPARE(h.boxes.texts().last(), u"Ilyen név nem létezik!"_qs);
        QVERIFY(names->currentText().isEmpty());
        QVERIFY(result->text().isEmpty());

        names->lineEdit()->clear();
        typeText(names->lineEdit(), u"Ábel"_qs);
        QTest::mouseClick(search, Qt::LeftButton);
        QCOMPARE(result->text(), u"január 2."_qs);

        QTest::mouseClick(h.find<QRadioButton>(u"Option1"_qs), Qt::LeftButton);
        QVERIFY(!names->isEnabled());
        QVERIFY(result->text().isEmpty());
        QVERIFY(names->currentText().isEmpty());
    }

    // The suggestions ignore accents, and what they offer is what the search finds: "lorinc",
    // "Lőrinc" chosen, Enter.
    void chosenSuggestionIsFound()
    {
        Harness h(at(2026, 12, 6, 7, 5));
        h.window().show();
        QTest::mouseClick(h.find<QRadioButton>(u"Option2"_qs), Qt::LeftButton);
        auto *names = h.find<QComboBox>(u"Combo2"_qs);
        QApplication::setActiveWindow(&h.window());
        names->setFocus();
        typeText(names->lineEdit(), u"lorinc"_qs);
        QAbstractItemView *popup = names->completer()->popup();
        QTRY_VERIFY(popup->isVisible());
        QTest::mouseClick(popup->viewport(), Qt::LeftButton, {},
                          popup->visualRect(popup->model()->index(0, 0)).center());
        QTRY_VERIFY(!popup->isVisible());
        QCOMPARE(names->currentText(), u"Lőrinc"_qs);
        QTest::keyClick(names->lineEdit(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY2(h.boxes.texts().isEmpty(), qPrintable(h.boxes.texts().join(u'|')));
        QCOMPARE(h.find<QLabel>(u"Label3"_qs)->text(), u" augusztus 10. szeptember 5."_qs);
    }

    void dayListFollowsMonth_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("february");
        QTest::newRow("common year") << 2026 << 28;
        QTest::newRow("leap year") << 2028 << 29;
    }

    void dayListFollowsMonth()
    {
        QFETCH(int, year);
        QFETCH(int, february);
        Harness h(at(year, 5, 10, 12, 0));
        h.window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.window()));
        auto *months = h.find<QComboBox>(u"Combo1_0"_qs);
        auto *days = h.find<QComboBox>(u"Combo1_1"_qs);
        months->setCurrentIndex(1);
        QCOMPARE(days->count(), 31); // choosing alone changes nothing
        leave(months, days);
        QCOMPARE(days->count(), february);
        QCOMPARE(days->itemText(february - 1), u" %1"_qs.arg(february));
        months->setCurrentIndex(2);
        leave(months, days);
        QCOMPARE(days->count(), 31);
        QCOMPARE(days->itemText(30), u"31"_qs);
        // The English name is found by the search but not known to the day list.
        months->setEditText(u"February"_qs);
        leave(months, days);
        QCOMPARE(days->count(), 31);
    }
};

QTEST_MAIN(TestSearchPanel)
#include "tst_searchpanel.moc"
