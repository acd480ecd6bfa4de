#include "support/testsupport.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>

using namespace quill;
using namespace quill::test;

namespace {
QAction *action(Harness &h, const QString &name)
{
    return h.window().popupMenu()->findChild<QAction *>(name);
}
} // namespace

class TestViews : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The three views are one of three (radio items); the menu opens on the right button only,
    // over the window and over the today panel.
    void menuItems()
    {
        Harness h(at(2026, 12, 6, 7, 5));
        QMenu *menu = h.window().popupMenu();
        QCOMPARE(menu->defaultAction(), action(h, u"mini"_qs));
        QVERIFY(action(h, u"mini"_qs)->actionGroup() &&
                action(h, u"mini"_qs)->actionGroup()->isExclusive() &&
                action(h, u"mini"_qs)->actionGroup() == action(h, u"cimsor"_qs)->actionGroup());
        QVERIFY(action(h, u"mini"_qs)->isChecked());
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
        QCOMPARE(h.window().view(), viewmodes::View::Full);
        QCOMPARE(h.window().windowTitle(), viewmodes::fullTitle());
        QVERIFY(action(h, u"teljes"_qs)->isChecked() && !action(h, u"mini"_qs)->isChecked());
        // The full view takes any size; the normal view brings it back and keeps it.
        h.window().resize(700, 400);
        QCOMPARE(h.window().size(), QSize(700, 400));
        trigger(h, u"mini"_qs);
        QCOMPARE(h.window().size(), QSize(400, 60));
        QCOMPARE(h.window().windowTitle(), viewmodes::normalTitle());
        h.window().resize(400, 61);
        QCOMPARE(h.window().height(), 60);

        trigger(h, u"cimsor"_qs);
        QCOMPARE(h.window().view(), viewmodes::View::TitleBar);
        QCOMPARE(h.window().windowTitle(), u"2026.  december   6.  Vasárnap  07:05  Miklós"_qs);
        h.clock.set(at(2026, 12, 6, 7, 6));
        h.window().clockTick();
        QVERIFY(h.window().windowTitle().contains(u"07:06"_qs));
        // Pulled open below the title bar: back to the normal view.
        h.window().resize(400, 28);
        QCOMPARE(h.window().view(), viewmodes::View::Normal);
        QVERIFY(action(h, u"mini"_qs)->isChecked());
        QCOMPARE(h.window().size(), QSize(400, 60));
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

    // The about box is one window however often it is asked for; a click closes it.
    void aboutBox()
    {
        Harness h(at(2026, 12, 6, 7, 5));
        h.window().show();
        trigger(h, u"nevjegy"_qs);
        QWidget *about = h.window().aboutBox();
        QVERIFY(about && about->isVisible());
        trigger(h, u"nevjegy"_qs);
        QCOMPARE(h.window().aboutBox(), about);
        QCOMPARE(h.window().findChildren<QWidget *>(u"about"_qs).size(), 1);
        QPointer<QWidget> guard(about);
        QTest::mouseClick(about->findChild<QLabel *>(u"verzioszam"_qs), Qt::LeftButton);
        QTRY_VERIFY(!guard);
    }
};

QTEST_MAIN(TestViews)
#include "tst_views.moc"
