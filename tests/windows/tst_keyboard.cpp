#include "support/testsupport.h"
#include "windows/remindereditor.h"
#include "windows/reminderlist.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

using namespace quill;
using namespace quill::test;

namespace {

// Keys go where a keyboard sends them: the open popup, else the widget with the focus.
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *target = QApplication::activePopupWidget();
    QWidget *focus = QApplication::focusWidget();
    if (!target || (focus && target->isAncestorOf(focus)))
        target = focus;
    if (!target)
        target = QApplication::activeWindow();
    QVERIFY(target);
    QTest::keyClick(target, Qt::Key(key), modifiers);
    QCoreApplication::processEvents();
}

void type(const QString &text)
{
    QWidget *target = QApplication::focusWidget();
    QVERIFY(target);
    typeText(target, text);
}

// Tab until the named control has the focus, as a user would.
bool tabTo(const QString &objectName, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    for (int i = 0; i < 40; ++i) {
        const QWidget *focus = QApplication::focusWidget();
        for (const QWidget *w = focus; w; w = w->parentWidget()) {
            if (w->objectName() == objectName && !w->isWindow())
                return true;
            if (w->isWindow())
                break;
        }
        press(Qt::Key_Tab, modifiers);
    }
    return false;
}

void menu(const QList<int> &keys)
{
    press(Qt::Key_Menu);
    QVERIFY(QApplication::activePopupWidget());
    for (int key : keys)
        press(key);
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Everything a user does, with the keyboard alone: both searches, a name-day reminder
    // stored, the list opened, a flag changed, an entry deleted, saved, and out.
    void wholeWalk()
    {
        const QByteArray empty;
        Harness h(at(2026, 12, 6, 7, 5), QLocale(QLocale::English), &empty);
        MainWindow &window = h.window();
        window.show();
        QApplication::setActiveWindow(&window);
        window.setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        searchWithKeys(h);
        if (QTest::currentTestFailed())
            return;
        storeWithKeys(h);
        if (QTest::currentTestFailed())
            return;
        listWithKeys(h);
        if (QTest::currentTestFailed())
            return;
        ReminderEditor *editor = window.reminderEditor();
        ReminderList *list = window.reminderList();
        press(Qt::Key_Escape);
        QVERIFY(!list->isVisible());
        QApplication::setActiveWindow(editor);
        editor->setFocus();
        press(Qt::Key_Escape);
        QVERIFY(!editor->isVisible());
        QApplication::setActiveWindow(&window);
        window.setFocus();
        QSignalSpy ended(&window, &MainWindow::programEnded);
        menu({Qt::Key_Up, Qt::Key_Return}); // Kilépés, the last item
        QCOMPARE(ended.size(), 1);
        QCOMPARE(h.fileBytes(),
                 QByteArray("n|Kov\xe1"
                            "cs|Zolt\xe1n|2027|m\xe1rcius|7|*|00|m\xe1rcius 8.| |0|0|\r\n"));
    }

private:
    // Both searches of the full view.
    void searchWithKeys(Harness &h)
    {
        MainWindow &window = h.window();
        // The search view, from the popup menu: Csak címsor, Normál, Keresés.
        menu({Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
        QCOMPARE(window.view(), viewmodes::View::Full);
        QVERIFY(tabTo(u"Combo1_0"_qs));
        press(Qt::Key_A, Qt::ControlModifier);
        type(u"március"_qs);
        press(Qt::Key_Tab);
        press(Qt::Key_A, Qt::ControlModifier);
        type(u"15"_qs);
        press(Qt::Key_Return);
        QCOMPARE(h.find<QLabel>(u"Label2"_qs)->text(), u"Kristóf"_qs);

        QVERIFY(tabTo(u"Option1"_qs)); // the two options: one stop, arrows between them
        press(Qt::Key_Down);
        QVERIFY(h.find<QRadioButton>(u"Option2"_qs)->isChecked());
        QVERIFY(tabTo(u"Combo2"_qs));
        type(u"Zoltán"_qs);
        press(Qt::Key_Return);
        QCOMPARE(h.find<QLabel>(u"Label3"_qs)->text(), u" március 8. június 23."_qs);
    }

    // A name-day reminder stored in the editor, and a second one to delete later.
    void storeWithKeys(Harness &h)
    {
        MainWindow &window = h.window();
        // The editor: Emlékeztetők is the fourth item.
        menu({Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
        ReminderEditor *editor = window.reminderEditor();
        QVERIFY(editor->isVisible());
        QApplication::setActiveWindow(editor);
        QVERIFY(tabTo(u"Text1"_qs));
        type(u"Kovács"_qs);
        press(Qt::Key_Tab); // the first name: picked from its list
        QVERIFY(tabTo(u"kernev"_qs));
        press(Qt::Key_Down, Qt::AltModifier);
        type(u"Zoltán"_qs);
        press(Qt::Key_Return);
        press(Qt::Key_Tab); // to the name day's dates
        QVERIFY(tabTo(u"List1"_qs));
        press(Qt::Key_Space);                                // the date is picked
        QVERIFY(tabTo(u"Command2"_qs));                      // Rögzítés
        h.boxes.answers << MsgAnswer::Yes << MsgAnswer::Yes; // every hour: yes, so meant
        press(Qt::Key_Space);
        press(Qt::Key_Space); // a second one, to delete later
        QCOMPARE(h.session().rowsHandedOut(), 2);
        QCOMPARE(h.session().table().field(0, Field::When), u"március 8."_qs);
        QCOMPARE(h.session().table().field(0, Field::Day), u"7"_qs);
    }

    // The list: a flag changed, an entry deleted, saved without a question.
    void listWithKeys(Harness &h)
    {
        QVERIFY(tabTo(u"Command4"_qs)); // Lista
        press(Qt::Key_Space);
        ReminderList *list = h.window().reminderList();
        QVERIFY(list->isVisible());
        QApplication::setActiveWindow(list);
        list->activateWindow();
        QVERIFY(tabTo(u"Check1_0"_qs));
        press(Qt::Key_Space);
        QCOMPARE(h.session().table().field(0, Field::Active), u"0"_qs);
        QVERIFY(tabTo(u"List1_1"_qs));
        press(Qt::Key_Down);
        press(Qt::Key_Down);
        QCOMPARE(list->selectedPosition(), 1);
        QVERIFY(tabTo(u"Command2"_qs)); // Törlés
        press(Qt::Key_Space);
        QVERIFY(!h.session().table().inUse(1));
        const qsizetype asked = h.boxes.shown.size();
        QVERIFY(tabTo(u"Command3"_qs)); // Mentés: saved, no question
        press(Qt::Key_Space);
        QCOMPARE(h.boxes.shown.size(), asked);
        QVERIFY(!h.session().isModified());
    }

private Q_SLOTS:
    void keysOfTheWindows()
    {
        Harness h(at(2026, 12, 6, 7, 5));
        MainWindow &window = h.window();
        window.show();
        QApplication::setActiveWindow(&window);
        window.setFocus();
        // Shift+F10 opens the menu in the title-bar view too.
        menu({Qt::Key_Down, Qt::Key_Return});
        QCOMPARE(window.view(), viewmodes::View::TitleBar);
        press(Qt::Key_F10, Qt::ShiftModifier);
        QVERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
        press(Qt::Key_Escape);
        press(Qt::Key_F1);
        QCOMPARE(h.help.pages, QStringList{u"foablak.html"_qs});
        // The about box closes on Esc.
        menu({Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Return}); // Névjegy
        QPointer<QWidget> about = window.aboutBox();
        QVERIFY(about && about->isVisible());
        QApplication::setActiveWindow(about);
        about->setFocus();
        press(Qt::Key_Escape);
        QTRY_VERIFY(!about);
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
