#include "viewmodes/viewrules.h"

#include <QTest>

using namespace quill;

Q_DECLARE_METATYPE(quill::viewmodes::View)

class TestViewRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void resizeRule_data()
    {
        QTest::addColumn<viewmodes::View>("view");
        QTest::addColumn<QSize>("in");
        QTest::addColumn<QSize>("out");
        QTest::addColumn<bool>("leaves");
        QTest::newRow("mini 905 stays")
            << viewmodes::View::Normal << QSize(6000, 905) << QSize(6000, 905) << false;
        QTest::newRow("mini 911 back")
            << viewmodes::View::Normal << QSize(6000, 911) << QSize(6000, 900) << false;
        QTest::newRow("mini 889 back")
            << viewmodes::View::Normal << QSize(6000, 889) << QSize(6000, 900) << false;
        QTest::newRow("mini wide")
            << viewmodes::View::Normal << QSize(7000, 900) << QSize(6000, 900) << false;
        QTest::newRow("cimsor 410 stays")
            << viewmodes::View::TitleBar << QSize(6000, 410) << QSize(6000, 410) << false;
        QTest::newRow("cimsor taller")
            << viewmodes::View::TitleBar << QSize(6000, 411) << QSize(6000, 900) << true;
        QTest::newRow("cimsor wider")
            << viewmodes::View::TitleBar << QSize(6011, 300) << QSize(6000, 900) << true;
        QTest::newRow("teljes free")
            << viewmodes::View::Full << QSize(9000, 7000) << QSize(9000, 7000) << false;
    }
    void resizeRule()
    {
        QFETCH(viewmodes::View, view);
        QFETCH(QSize, in);
        QFETCH(QSize, out);
        QFETCH(bool, leaves);
        const auto r = viewmodes::resizeRule(view, in);
        QCOMPARE(r.size, out);
        QCOMPARE(r.leavesTitleBarView, leaves);
    }
};

QTEST_GUILESS_MAIN(TestViewRules)
#include "tst_viewrules.moc"
