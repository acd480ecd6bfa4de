#include "reminders/listmodel.h"
#include "support/testsupport.h"
#include "windows/alertdesk.h"
#include "windows/remindereditor.h"
#include "windows/reminderlist.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStringEncoder>

using namespace quill;
using namespace quill::test;
using list::Column;

namespace {
QByteArray line(char kind, int n, const QString &day = u"*"_qs, const QString &month = u"*"_qs,
                const QString &year = u"*"_qs)
{
    const QString text = QChar(char16_t(kind)) + u"|Név"_qs + QString::number(n) + u"|Kereszt|"_qs +
                         year + u'|' + month + u'|' + day + u"|*|00| | |1|"_qs +
                         QString::number(n) + u"|\r\n"_qs;
    return QStringEncoder("windows-1250").encode(text);
}

struct ListFixture {
    explicit ListFixture(const QByteArray &file)
        : h(QDateTime(QDate(2026, 12, 6), QTime(10, 0)), QLocale(QLocale::English), &file)
        , list(h.window().reminderList())
    {
        list->show();
        QApplication::setActiveWindow(list);
    }
    QListView *column(Column c) { return list->findChild<QListView *>(u"List1_%1"_qs.arg(int(c))); }
    int count(Column c) { return column(c)->model()->rowCount(); }
    QString text(Column c, int position)
    {
        return column(c)->model()->index(position, int(c)).data().toString();
    }
    QRect cell(Column c, int position)
    {
        return column(c)->visualRect(column(c)->model()->index(position, int(c)));
    }
    QCheckBox *box(int i) { return list->findChild<QCheckBox *>(u"Check1_%1"_qs.arg(i)); }
    int visibleBoxes()
    {
        int n = 0;
        for (int i = 0; i < 10; ++i)
            n += box(i)->isHidden() ? 0 : 1;
        return n;
    }
    void click(Column c, int position)
    {
        QTest::mouseClick(column(c)->viewport(), Qt::LeftButton, {}, cell(c, position).center());
    }
    QLineEdit *edit(Column c, int position)
    {
        click(c, position);
        QTest::mouseDClick(column(c)->viewport(), Qt::LeftButton, {}, cell(c, position).center());
        return list->findChild<QLineEdit *>(u"Text1"_qs);
    }
    Harness h;
    ReminderList *list;
};

// Rows 0, 2 and 5 are name days; others are birthdays.
QByteArray scattered()
{
    return line('n', 0) + line('s', 1) + line('n', 2) + line('s', 3) + line('s', 4) + line('n', 5);
}
} // namespace

class TestReminderList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fillPerKind()
    {
        ListFixture f(scattered());
        QCOMPARE(f.count(Column::Text1), 3);
        QCOMPARE(f.text(Column::RowKey, 1), u"2"_qs);
        QCOMPARE(f.text(Column::RowKey, 2), u"5"_qs);
        QCOMPARE(f.text(Column::Text1, 2), u"Név5"_qs);
        QCOMPARE(f.visibleBoxes(), 3);
        QVERIFY(f.box(0)->isChecked());
        QVERIFY(f.column(Column::KindLetter)->isHidden() && f.column(Column::RowKey)->isHidden() &&
                f.column(Column::FreeText)->isHidden());

        QTest::mouseClick(f.list->findChild<QRadioButton *>(u"Option1_4"_qs), Qt::LeftButton);
        QCOMPARE(f.list->kind(), ReminderKind::Other);
        QCOMPARE(f.count(Column::AlertYear), 0);
        QCOMPARE(f.visibleBoxes(), 0);
        QVERIFY(!f.column(Column::FreeText)->isHidden() && f.column(Column::Text1)->isHidden());
        QVERIFY(f.list->findChild<QLabel *>(u"Label3_1"_qs)->isHidden());

        QTest::mouseClick(f.list->findChild<QRadioButton *>(u"Option1_1"_qs), Qt::LeftButton);
        QCOMPARE(f.text(Column::RowKey, 0), u"1"_qs);
        QCOMPARE(f.visibleBoxes(), 3);
    }

    // One rule for the active flag: a row from a short line (no flag at all) alerts, so its box
    // is ticked; the model is the one place that maps a shown row to a table row.
    void shortLineIsActive()
    {
        ListFixture f(QByteArray("n|Kiss|Anna|*|*|*|*|00|") + "\r\n" + line('n', 1));
        QVERIFY(f.h.session().table().isActive(0));
        QVERIFY(f.box(0)->isChecked());
        QCOMPARE(f.list->model()->tableRow(1), 1);
        QCOMPARE(f.list->model()->tableRow(2), -1);
    }

    void selectionAndActiveFlag()
    {
        ListFixture f(scattered());
        f.click(Column::Text2, 1);
        QCOMPARE(f.list->selectedPosition(), 1);
        for (int c = 0; c <= 10; ++c)
            QVERIFY(f.column(Column(c))->selectionModel()->isRowSelected(1, {}));
        QTest::mouseClick(f.box(1), Qt::LeftButton);
        f.column(Column::Text1)->setFocus();
        QCOMPARE(f.h.session().table().field(2, Field::Active), u"0"_qs);
        QCOMPARE(f.h.session().table().field(0, Field::Active), u"1"_qs);
        QVERIFY(f.h.session().isModified());
    }

    void deleteEntry()
    {
        ListFixture f(scattered());
        f.list->findChild<QCheckBox *>(u"Check1_2"_qs)->click(); // row 5 off
        QTest::mouseClick(f.list->findChild<QPushButton *>(u"Command2"_qs), Qt::LeftButton);
        QCOMPARE(f.h.session().table().field(0, Field::Kind),
                 u"n"_qs); // nothing selected: nothing gone
        f.click(Column::Text1, 1);
        QTest::mouseClick(f.list->findChild<QPushButton *>(u"Command2"_qs), Qt::LeftButton);
        QVERIFY(f.h.session().table().field(2, Field::Kind).isEmpty());
        QVERIFY(!f.h.session().table().inUse(2));
        QCOMPARE(f.count(Column::Text1), 2);
        QCOMPARE(f.visibleBoxes(), 2);
        QVERIFY(f.box(0)->isChecked());
        QVERIFY(!f.box(1)->isChecked());
        QCOMPARE(f.text(Column::RowKey, 1), u"5"_qs);
        // A double-click with nothing selected opens nothing.
        QVERIFY(f.list->findChild<QLineEdit *>(u"Text1"_qs)->isHidden());
    }

    void inPlaceEdit()
    {
        ListFixture f(line('n', 0, u"31"_qs, u"április"_qs, u"2026"_qs) +
                      line('n', 1, u"5"_qs, u"február"_qs, u"2024"_qs));
        QLineEdit *edit = f.edit(Column::AlertDay, 0);
        QVERIFY(!edit->isHidden());
        QVERIFY(edit->hasFocus());
        typeText(edit, u"31"_qs);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(f.h.boxes.texts(), QStringList{u"Helytelen kifejezést adott meg!"_qs});
        QCOMPARE(f.h.boxes.shown[0].icon, MsgIcon::Critical);
        QCOMPARE(f.h.boxes.shown[0].title, u"Emlékeztető"_qs);
        QCOMPARE(f.h.boxes.shown[0].helpPage, u"lista.html"_qs); // F1's page
        QVERIFY(edit->isHidden());
        QCOMPARE(f.h.session().table().field(0, Field::Day), u"31"_qs);
        QVERIFY(!f.h.session().isModified());

        edit = f.edit(Column::AlertDay, 1);
        typeText(edit, u"29"_qs);
        QTest::keyClick(edit, Qt::Key_Return);
        f.column(Column::Text1)->setFocus(); // and the focus goes: applied once only
        QCOMPARE(f.h.boxes.shown.size(), 1);
        QCOMPARE(f.h.session().table().field(1, Field::Day), u"29"_qs);
        QCOMPARE(f.text(Column::AlertDay, 1), u"29"_qs);
        QVERIFY(f.h.session().isModified());

        edit = f.edit(Column::AlertHour, 0);
        typeText(edit, u"07"_qs);
        f.column(Column::Text1)->setFocus(); // focus loss applies too
        QCOMPARE(f.h.session().table().field(0, Field::Hour), u"07"_qs);
        QVERIFY(edit->isHidden());
        QVERIFY(edit->text().isEmpty());

        // Columns that are not the alert time open no edit box.
        f.edit(Column::Text1, 0);
        QVERIFY(f.list->findChild<QLineEdit *>(u"Text1"_qs)->isHidden());
    }

    // Another window taking over (here an alert box at its minute) neither applies nor drops a
    // half-typed entry; ending it inside the list applies it.
    void editSurvivesAnAlert()
    {
        ListFixture f(line('n', 0, u"30"_qs, u"április"_qs, u"2026"_qs) +
                      QByteArray("e| | |*|*|*|*|01| |x|1|1|\r\n"));
        QLineEdit *edit = f.edit(Column::AlertDay, 0);
        typeText(edit, u"2"_qs);
        QWidget box;
        f.h.boxes.whileOpen = [&] {
            box.show();
            QApplication::setActiveWindow(&box);
            QCoreApplication::processEvents();
        };
        f.h.clock.set(at(2026, 12, 6, 10, 1));
        f.h.window().alertDesk()->tick();
        QCOMPARE(f.h.boxes.texts(), QStringList{u"EGYÉB!!     x"_qs});
        QCOMPARE(f.h.session().table().field(0, Field::Day), u"30"_qs);
        QCOMPARE(f.text(Column::AlertDay, 0), u"30"_qs);
        QVERIFY(!edit->isHidden());
        box.hide();
        QApplication::setActiveWindow(f.list);
        edit->setFocus();
        typeText(edit, u"8"_qs);
        QTest::keyClick(edit, Qt::Key_Tab);
        QCOMPARE(f.h.session().table().field(0, Field::Day), u"28"_qs);
        QVERIFY(edit->isHidden());
    }

    // "Mentés" saves at once: the user asked for it, no question follows.
    void saveSaves()
    {
        ListFixture f(scattered());
        f.box(0)->click();
        QTest::mouseClick(f.list->findChild<QPushButton *>(u"Command3"_qs), Qt::LeftButton);
        QVERIFY(f.h.boxes.shown.isEmpty());
        QVERIFY(!f.h.session().isModified());
        QVERIFY(f.h.fileBytes().startsWith("n|N\xe9v0|Kereszt|*|*|*|*|00| | |0|0|\r\n"));
    }

    // More than ten of a kind: the boxes follow the rows scrolled into view.
    void moreThanTen()
    {
        QByteArray file;
        for (int i = 0; i < 14; ++i)
            file += line('e', i);
        ListFixture f(file);
        QTest::mouseClick(f.list->findChild<QRadioButton *>(u"Option1_4"_qs), Qt::LeftButton);
        QCOMPARE(f.count(Column::FreeText), 14);
        QCOMPARE(f.visibleBoxes(), 10);
        auto *scroll = f.list->findChild<QScrollBar *>(u"gorgeto"_qs);
        scroll->setValue(4);
        for (Column c : {Column::AlertYear, Column::AlertMonth, Column::FreeText})
            QCOMPARE(f.column(c)->verticalScrollBar()->value(), 4);
        QCOMPARE(f.visibleBoxes(), 10);
        QVERIFY(f.box(9)->isChecked());
        f.box(9)->click();
        QCOMPARE(f.h.session().table().field(13, Field::Active), u"0"_qs);
        // Scrolling one column scrolls them all.
        f.column(Column::AlertMonth)->verticalScrollBar()->setValue(1);
        QCOMPARE(scroll->value(), 1);
        QCOMPARE(f.column(Column::FreeText)->verticalScrollBar()->value(), 1);
        QVERIFY(f.box(9)->isChecked()); // now row 10's box
        scroll->setValue(4);
        QVERIFY(!f.box(9)->isChecked()); // row 13 again
    }
};

QTEST_MAIN(TestReminderList)
#include "tst_reminderlist.moc"
