#include "support/testsupport.h"

#include <QLabel>

using namespace quill;
using namespace quill::test;

class TestAboutBox : public QObject {
    Q_OBJECT
private Q_SLOTS:
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
        QCOMPARE(about->findChild<QLabel *>(u"verzioszam"_qs)->text(), u"Változat 1.5.0"_qs);
        QVERIFY(about->findChild<QLabel *>(u"jogok"_qs)->text().isEmpty());
        QVERIFY(about->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(about->pos(), h.window().frameGeometry().topLeft() + QPoint(44, 43));
        QPointer<QWidget> guard(about);
        QTest::mouseClick(about->findChild<QLabel *>(u"verzioszam"_qs), Qt::LeftButton);
        QTRY_VERIFY(!guard);
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
