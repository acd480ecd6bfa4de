#include "support/realfaults.h"
#include "support/testsupport.h"
#include "views/viewrules.h"
#include "windows/remindereditor.h"

#include <QAction>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTranslator>

using namespace quill;
using namespace quill::test;

namespace {
QDateTime at(int y, int mo, int d, int h, int mi)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi));
}
QAction *action(Harness &h, const QString &name)
{
    return h.window().popupMenu()->findChild<QAction *>(name);
}
void trigger(Harness &h, const QString &name)
{
    QAction *a = action(h, name);
    QVERIFY2(a && a->isEnabled(), qPrintable(name));
    a->trigger();
}
const QByteArray oneReminder = "e| | |*|*|*|*|00| |x|1|0|\r\n";
} // namespace

class TestViews : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menuItems()
    {
        Harness h(at(2026, 12, 6, 7, 5));
        QMenu *menu = h.window().popupMenu();
        QStringList names;
        for (QAction *a : menu->actions())
            names << a->objectName();
        QCOMPARE(names, (QStringList{u"cimsor"_qs, u"mini"_qs, u"teljes"_qs, u"remember"_qs,
                                     u"sep1"_qs, u"sugo"_qs, u"nevjegy"_qs, u"kilep"_qs}));
        QCOMPARE(menu->defaultAction(), action(h, u"mini"_qs));
        QVERIFY(action(h, u"mini"_qs)->isChecked());
        QCOMPARE(action(h, u"cimsor"_qs)->text(), u"Csak címsor"_qs);
        QCOMPARE(action(h, u"teljes"_qs)->text(), u"Keresés"_qs);
        QCOMPARE(action(h, u"sugo"_qs)->text(), u"Súgó"_qs);
        QCOMPARE(action(h, u"sugo"_qs)->menu()->actions().size(), 3);
        // Right button only, over the window and over the today panel.
        h.window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.window()));
        QTest::mouseClick(h.find<QLabel>(u"Label1_3"_qs), Qt::LeftButton);
        QVERIFY(!menu->isVisible());
        QTest::mousePress(h.find<QLabel>(u"Label1_3"_qs), Qt::RightButton);
        QVERIFY(menu->isVisible());
        menu->hide();
        QTest::mousePress(&h.window(), Qt::MiddleButton, {}, QPoint(5, 5));
        QVERIFY(!menu->isVisible());
        QTest::mousePress(&h.window(), Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(menu->isVisible());
        menu->hide();
    }

    void views()
    {
        Harness h(at(2026, 12, 6, 7, 5));
        h.window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.window()));
        trigger(h, u"teljes"_qs);
        QCOMPARE(h.window().view(), views::View::Full);
        QCOMPARE(h.window().frameGeometry().height(), 300);
        QCOMPARE(h.window().windowTitle(), views::fullTitle());
        QCOMPARE(h.window().windowTitle(), u"Névnapok"_qs + QString(39, u' ') + u"Zelmarin©"_qs);
        QVERIFY(action(h, u"teljes"_qs)->isChecked() && !action(h, u"mini"_qs)->isChecked());
        // The full view takes any size; the normal view brings it back.
        h.window().resize(700, 400);
        QCOMPARE(h.window().size(), QSize(700, 400));
        trigger(h, u"mini"_qs);
        QCOMPARE(h.window().frameGeometry().size(), QSize(400, 60));
        QCOMPARE(h.window().frameGeometry().top(), 0);
        QCOMPARE(h.window().windowTitle(), views::normalTitle());
        h.window().resize(400, 61); // 915 twips
        QCOMPARE(h.window().frameGeometry().height(), 60);

        trigger(h, u"cimsor"_qs);
        QCOMPARE(h.window().view(), views::View::TitleBar);
        QVERIFY(action(h, u"cimsor"_qs)->isChecked());
        QCOMPARE(h.window().windowTitle(), h.window().titleBarLine());
        QCOMPARE(h.window().titleBarLine(), u"2026.  december   6.  Vasárnap  07:05  Miklós"_qs);
        h.clock.set(at(2026, 12, 6, 7, 6));
        h.window().clockTick();
        QVERIFY(h.window().windowTitle().contains(u"07:06"_qs));
        // Pulled open below the title bar: back to the normal view.
        h.window().resize(400, 28);
        QCOMPARE(h.window().view(), views::View::Normal);
        QVERIFY(action(h, u"mini"_qs)->isChecked());
        QCOMPARE(h.window().windowTitle(), views::normalTitle());
        QCOMPARE(h.window().frameGeometry().size(), QSize(400, 60));
    }

    void help()
    {
        Harness h(at(2026, 12, 6, 7, 5));
        trigger(h, u"tart"_qs);
        trigger(h, u"targy"_qs);
        trigger(h, u"keress"_qs);
        QCOMPARE(h.help.opened,
                 (QList<HelpView>{HelpView::Contents, HelpView::Index, HelpView::Search}));
        QVERIFY(h.boxes.shown.isEmpty());
        h.help.available = false;
        trigger(h, u"tart"_qs);
        QCOMPARE(h.boxes.shown.size(), 1);
        QVERIFY(h.boxes.shown[0].text.contains(u"súgó"_qs));
    }

    void exitPaths_data()
    {
        QTest::addColumn<QString>("path"); // "button", "menu", "close"
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("saved");
        const int yes = int(MsgAnswer::Yes), no = int(MsgAnswer::No);
        QTest::newRow("button, unchanged, No") << u"button"_qs << false << no << true << false;
        QTest::newRow("button, unchanged, Yes") << u"button"_qs << false << yes << true << true;
        QTest::newRow("button, changed, No") << u"button"_qs << true << no << true << false;
        QTest::newRow("menu, unchanged") << u"menu"_qs << false << yes << false << false;
        QTest::newRow("menu, changed, Yes") << u"menu"_qs << true << yes << true << true;
        QTest::newRow("menu, changed, No") << u"menu"_qs << true << no << true << false;
        QTest::newRow("title bar, changed, Yes") << u"close"_qs << true << yes << true << true;
        QTest::newRow("title bar, unchanged") << u"close"_qs << false << yes << false << false;
    }
    void exitPaths()
    {
        QFETCH(QString, path);
        QFETCH(bool, changed);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QFETCH(bool, saved);
        Harness h(at(2026, 12, 6, 7, 5), QLocale(QLocale::English), &oneReminder);
        h.window().show();
        QSignalSpy ended(&h.window(), &MainWindow::programEnded);
        if (changed) {
            h.session().setField(0, Field::FreeText, u"új"_qs);
        }
        h.window().reminderEditor()->show();
        h.boxes.answers << MsgAnswer(answer);
        if (path == u"button")
            QTest::mouseClick(h.find<QPushButton>(u"Command2"_qs), Qt::LeftButton);
        else if (path == u"menu")
            trigger(h, u"kilep"_qs);
        else
            h.window().close();
        QCOMPARE(ended.size(), 1);
        QVERIFY(!h.window().reminderEditor()->isVisible());
        QCOMPARE(h.boxes.shown.size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(h.boxes.shown[0].text, u"Mentsem a módosításokat?"_qs);
            QCOMPARE(h.boxes.shown[0].title, path == u"button" ? u"Naptár"_qs : u"Quillomat"_qs);
            QCOMPARE(h.boxes.shown[0].icon, MsgIcon::Question);
            QCOMPARE(h.boxes.shown[0].buttons, MsgButtons::YesNo);
        }
        const QByteArray expected =
            saved && changed ? QByteArray("e| | |*|*|*|*|00| |\xfaj|1|0|\r\n") : oneReminder;
        QCOMPARE(h.fileBytes(), expected);
    }

    void failedSaveKeepsTheProgramOpen()
    {
        Harness h(at(2026, 12, 6, 7, 5));
        QVERIFY(QDir().mkpath(h.path(u"remembers.txt/x"_qs))); // cannot be replaced
        h.window().show();
        QSignalSpy ended(&h.window(), &MainWindow::programEnded);
        h.session().setField(0, Field::FreeText, u"új"_qs);
        h.boxes.answers << MsgAnswer::Yes;
        trigger(h, u"kilep"_qs);
        QCOMPARE(ended.size(), 0);
        QCOMPARE(h.boxes.shown.size(), 2);
        QCOMPARE(h.boxes.shown[1].icon, MsgIcon::Critical);
        QVERIFY(h.session().isModified());
        QVERIFY(h.window().isVisible());
    }

    // A real full disk when the user saves on the way out: told why, nothing lost, still open.
    void fullDiskOnExit()
    {
        QTemporaryDir data;
        SmallDisk disk(data.filePath(u"disk"_qs));
        if (!disk.mounted())
            QSKIP("mounting a small tmpfs needs root");
        const QByteArray original = oneReminder.repeated(3);
        Harness h(at(2026, 12, 6, 7, 5), QLocale(QLocale::English), &original, true,
                  data.filePath(u"disk"_qs));
        h.window().show();
        QVERIFY(disk.fill());
        QSignalSpy ended(&h.window(), &MainWindow::programEnded);
        QCOMPARE(h.session().store({u"e"_qs, u" "_qs, u" "_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs,
                                    u"00"_qs, u" "_qs, u"új"_qs}),
                 StoreResult::Stored);
        h.boxes.answers << MsgAnswer::Yes;
        QTest::mouseClick(h.find<QPushButton>(u"Command2"_qs), Qt::LeftButton);
        QCOMPARE(ended.size(), 0);
        QCOMPARE(h.boxes.shown.size(), 2);
        QCOMPARE(h.boxes.shown[1].icon, MsgIcon::Critical);
        QVERIFY(h.boxes.shown[1].text.contains(u"betelt a lemez"_qs));
        QVERIFY(h.session().isModified());
        QVERIFY(h.window().isVisible());
        QCOMPARE(h.fileBytes(), original);
        // Stopped from outside with the disk still full: the old file is still whole.
        QVERIFY(!h.window().stopFromOutside());
        QCOMPARE(h.fileBytes(), original);
    }

    // Stopped from outside (a signal, or a session that may not ask): saved without a question;
    // a session that may ask asks, and a "No" is not overruled by the session's end.
    void endingFromOutside()
    {
        {
            Harness h(at(2026, 12, 6, 7, 5), QLocale(QLocale::English), &oneReminder);
            h.session().setField(0, Field::FreeText, u"új"_qs);
            QSignalSpy ended(&h.window(), &MainWindow::programEnded);
            QVERIFY(h.window().stopFromOutside());
            QCOMPARE(ended.size(), 1);
            QVERIFY(h.boxes.shown.isEmpty());
            QCOMPARE(h.fileBytes(), QByteArray("e| | |*|*|*|*|00| |\xfaj|1|0|\r\n"));
        }
        {
            Harness h(at(2026, 12, 6, 7, 5), QLocale(QLocale::English), &oneReminder);
            h.session().setField(0, Field::FreeText, u"más"_qs);
            QVERIFY(h.window().commitSession(false));
            QVERIFY(h.boxes.shown.isEmpty());
            QVERIFY(h.fileBytes().contains("m\xe1s"));
        }
        {
            Harness h(at(2026, 12, 6, 7, 5), QLocale(QLocale::English), &oneReminder);
            h.window().show();
            h.session().setField(0, Field::FreeText, u"más"_qs);
            h.boxes.answers << MsgAnswer::No;
            QVERIFY(h.window().commitSession(true));
            QCOMPARE(h.boxes.texts(), QStringList{u"Mentsem a módosításokat?"_qs});
            h.window().close(); // the session ends: no second question, nothing saved
            QVERIFY(h.window().stopFromOutside());
            QCOMPARE(h.boxes.shown.size(), 1);
            QCOMPARE(h.fileBytes(), oneReminder);
        }
    }

    void aboutBox()
    {
        Harness h(at(2026, 12, 6, 7, 5));
        h.window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.window()));
        trigger(h, u"nevjegy"_qs);
        QWidget *about = h.window().aboutBox();
        QVERIFY(about && about->isVisible());
        trigger(h, u"nevjegy"_qs);
        QCOMPARE(h.window().aboutBox(), about);
        QCOMPARE(h.window().findChildren<QWidget *>(u"about"_qs).size(), 1);
        QCOMPARE(about->findChild<QLabel *>(u"termeknev"_qs)->text(), u"Quillomat"_qs);
        QCOMPARE(about->findChild<QLabel *>(u"verzioszam"_qs)->text(), u"Version 1.5.0"_qs);
        QVERIFY(about->findChild<QLabel *>(u"jogok"_qs)->text().isEmpty());
        QVERIFY(about->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(about->size(), QSize(312, 207));
        QCOMPARE(about->pos(), h.window().frameGeometry().topLeft() + QPoint(44, 43));
        QPointer<QWidget> guard(about);
        QTest::mouseClick(about->findChild<QLabel *>(u"verzioszam"_qs), Qt::LeftButton);
        QTRY_VERIFY(!guard);
    }

    // The alert timer: one box per due row, ticks skipped while a box is open.
    void alertBoxes()
    {
        const QByteArray file = "e| | |*|*|*|*|10| |els\xf5|1|0|\r\n"
                                "s|Kiss|Anna|*|december|6|09|10|december 7.| |0|1|\r\n";
        Harness h(at(2026, 12, 6, 9, 9), QLocale(QLocale::English), &file);
        h.window().alertTick();
        QVERIFY(h.boxes.shown.isEmpty());
        h.clock.set(at(2026, 12, 6, 9, 10));
        int nested = 0;
        h.boxes.whileOpen = [&] {
            ++nested;
            h.boxes.whileOpen = nullptr;
            h.window().alertTick(); // a tick while the box is open
        };
        h.window().alertTick();
        QCOMPARE(h.boxes.texts(), (QStringList{u"EGYÉB!!     első"_qs,
                                               u"SZÜLETÉSNAP!!     Kiss Anna december 7."_qs}));
        QCOMPARE(nested, 1);
        QCOMPARE(h.boxes.shown[0].title, u"Emlékeztető (Az ablak 1 perc múlva bezárható)"_qs);
        QCOMPARE(h.boxes.shown[0].icon, MsgIcon::Exclamation);
        // Closed within the minute: back again.
        h.window().alertTick();
        QCOMPARE(h.boxes.shown.size(), 4);
        h.clock.set(at(2026, 12, 6, 9, 11));
        h.window().alertTick();
        QCOMPARE(h.boxes.shown.size(), 4);
    }

    void hungarianDialogButtons()
    {
        QTranslator qt;
        QVERIFY(qt.load(u"qtbase_hu"_qs, QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        QCOMPARE(qt.translate("QPlatformTheme", "&Yes"), u"&Igen"_qs);
        QCOMPARE(qt.translate("QPlatformTheme", "&No"), u"&Nem"_qs);
    }

    void tooManyLinesAreReported()
    {
        const QByteArray file = oneReminder.repeated(60);
        Harness h(at(2026, 12, 6, 9, 9), QLocale(QLocale::English), &file);
        QCOMPARE(h.session().rowsHandedOut(), 51);
        QCOMPARE(h.boxes.shown.size(), 1);
        QVERIFY(h.boxes.shown[0].text.contains(u"9 bejegyzés"_qs));
        QVERIFY(!h.session().isModified());
    }
};

QTEST_MAIN(TestViews)
#include "tst_views.moc"
