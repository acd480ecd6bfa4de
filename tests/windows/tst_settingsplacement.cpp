// Beállítások on a 1600×900 screen, at 1× and (run again with QT_SCALE_FACTOR=2) at 2×: opened
// beside the strip, within the screen, and nothing on any of its pages cut off.

#include "support/testsupport.h"
#include "windows/placement.h"
#include "windows/settingswindow.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionFrame>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace quill;
using namespace quill::test;

namespace {
// The width a line edit paints its text in (its grey hint is elided to it): the style's contents
// rectangle less the text margins and the edit's own two-pixel margin on each side.
int textWidth(const QLineEdit *edit)
{
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->hasFrame()
                           ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit)
                           : 0;
    const QRect contents =
        edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    const QMargins margins = edit->textMargins();
    return contents.width() - margins.left() - margins.right() - 2 * 2;
}
QString rectText(const QRect &r)
{
    return u"%1,%2 %3×%4"_qs.arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// How far each page's group stands off the page's edge.
QList<int> groupInsets(QTabWidget *pages)
{
    QList<int> insets;
    for (int i = 0; i < pages->count(); ++i) {
        QWidget *page = qobject_cast<QScrollArea *>(pages->widget(i))->widget();
        auto *group = qobject_cast<QGroupBox *>(page); // the page itself
        if (!group)
            group = page->findChild<QGroupBox *>();
        insets << (!group || group == page ? 0 : group->mapTo(page, QPoint()).x());
    }
    return insets;
}

} // namespace

class TestSettingsPlacement : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void placedBesideTheStrip_data()
    {
        QTest::addColumn<QRect>("strip");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("placed");
        const QSize window(500, 400);
        QTest::newRow("room on the right")
            << QRect(0, 0, 600, 60) << window << QRect(600, 0, 500, 400);
        QTest::newRow("the strip at the right edge")
            << QRect(1000, 0, 600, 60) << window << QRect(500, 0, 500, 400);
        QTest::newRow("the strip across the screen")
            << QRect(0, 0, 1600, 60) << window << QRect(0, 60, 500, 400);
        QTest::newRow("the strip across the screen's foot")
            << QRect(0, 840, 1600, 60) << window << QRect(0, 440, 500, 400);
        QTest::newRow("the strip in the middle, no room beside")
            << QRect(300, 400, 1000, 60) << QSize(700, 400) << QRect(300, 460, 700, 400);
        QTest::newRow("a window larger than the screen")
            << QRect(0, 0, 1600, 60) << QSize(2000, 1200) << QRect(0, 60, 1600, 840);
        QTest::newRow("a tall window: shorter, below the strip")
            << QRect(400, 0, 800, 60) << QSize(500, 900) << QRect(400, 60, 500, 840);
        QTest::newRow("the strip low on the screen: shorter, above it")
            << QRect(400, 500, 800, 60) << QSize(500, 600) << QRect(400, 0, 500, 500);
    }
    void placedBesideTheStrip()
    {
        QFETCH(QRect, strip);
        QFETCH(QSize, size);
        QFETCH(QRect, placed);
        QCOMPARE(placedBeside(strip, size, QRect(0, 0, 1600, 900)), placed);
    }

    void besideTheStripAndWhole()
    {
        Harness h(at(2026, 12, 7, 7, 59, 50));
        h.window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.window()));
        SettingsWindow *settings = openSettings(h);
        QVERIFY(settings);
        QVERIFY(QTest::qWaitForWindowExposed(settings));
        const QRect screen = settings->screen()->availableGeometry();
        const QRect frame = settings->frameGeometry();
        QVERIFY2(screen.contains(frame), qPrintable(rectText(frame)));
        const QRect strip = h.window().frameGeometry();
        QVERIFY2(!frame.intersects(strip),
                 qPrintable(u"strip "_qs + rectText(strip) + u", window "_qs + rectText(frame)));
        auto *pages = settings->findChild<QTabWidget *>(u"lapok"_qs);
        const QList<int> insets = groupInsets(pages); // the same on every page
        QVERIFY2(insets.count(insets.first()) == insets.size() && insets.first() > 0,
                 qPrintable(u"%1, %2, %3"_qs.arg(insets[0]).arg(insets[1]).arg(insets[2])));
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            QCoreApplication::processEvents();
            auto *area = qobject_cast<QScrollArea *>(pages->widget(i));
            QVERIFY(area);
            QWidget *page = area->widget();
            // Nothing wider than the page shows (it scrolls only downwards), and it scrolls only
            // where the screen has no more room below: else the window is as tall as the page.
            QVERIFY2(page->width() <= area->viewport()->width(), qPrintable(pages->tabText(i)));
            QVERIFY2(area->verticalScrollBar()->maximum() == 0 ||
                         frame.bottom() >= screen.bottom() - 40,
                     qPrintable(u"%1 scrolls in a window %2 high"_qs.arg(pages->tabText(i))
                                    .arg(frame.height())));
            for (QWidget *w : page->findChildren<QWidget *>()) {
                if (!w->isVisibleTo(page))
                    continue;
                const QRect inPage(w->mapTo(page, QPoint()), w->size());
                QVERIFY2(inPage.right() <= page->width(), qPrintable(w->objectName()));
                if (auto *label = qobject_cast<QLabel *>(w); label && label->wordWrap())
                    QVERIFY2(label->height() >= label->heightForWidth(label->width()),
                             qPrintable(label->text()));
                // A spin box's text is cut at its start when the box is narrower than it.
                if (auto *spin = qobject_cast<QAbstractSpinBox *>(w))
                    QVERIFY2(spin->width() >= spin->sizeHint().width(),
                             qPrintable(spin->objectName()));
                // A grey hint wider than its field is cut off ("…").
                if (auto *edit = qobject_cast<QLineEdit *>(w); edit && edit->text().isEmpty())
                    QVERIFY2(edit->fontMetrics().horizontalAdvance(edit->placeholderText()) <=
                                 textWidth(edit),
                             qPrintable(edit->placeholderText()));
            }
        }
        delete settings;
    }
};

// The tests' own screen: 1600×900, as a laptop's; QT_SCALE_FACTOR may make it 2×.
int main(int argc, char **argv)
{
    QTemporaryDir dir;
    const QString config = dir.filePath(u"screen.json"_qs);
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1600,
                  "height": 900, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    QApplication app(argc, argv);
    TestSettingsPlacement test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsplacement.moc"
