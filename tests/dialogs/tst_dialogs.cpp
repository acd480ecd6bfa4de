// The seams that are windows, for real: message boxes and the help viewer.

#include "dialogs/helpviewer.h"
#include "dialogs/messagebox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWidget>

#include <algorithm>

using namespace quill;

namespace {

/// Stands in for the help window: the pages asked for.
class PagesAsked final : public HelpViewer {
public:
    bool show(HelpView) override { return available; }
    bool showPage(const QString &page) override
    {
        pages << page;
        return available;
    }
    QStringList pages;
    bool available = true;
};

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A very long alert text: the box stays on the screen and comes at once; the whole text is
    // reachable under its details.
    void longTextsFitTheScreen_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("6000 characters") << 6000;
        QTest::newRow("1 MB") << 1024 * 1024;
    }
    void longTextsFitTheScreen()
    {
        QFETCH(int, length);
        QString text;
        while (text.size() < length)
            text += u"Hosszú szöveg, "_qs;
        text.truncate(length);
        SystemMessageBoxes boxes;
        QRect shownAt;
        QString detailed, shown;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            shownAt = box->frameGeometry();
            detailed = box->detailedText();
            shown = box->text();
            box->accept();
        });
        QElapsedTimer timer;
        timer.start();
        boxes.show(nullptr, MsgIcon::Exclamation, u"Emlékeztető"_qs, text, MsgButtons::Ok);
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(shownAt));
        QCOMPARE(detailed, text);
        QVERIFY(shown.size() < 1000);
    }

    // The exit question in a real box: Esc and the close button answer "Mégse", never "Nem".
    void realQuestionBox_data()
    {
        QTest::addColumn<QString>("action"); // "esc", "close", "yes", "no"
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("answer");
        const int three = int(MsgButtons::YesNoCancel), two = int(MsgButtons::YesNo);
        QTest::newRow("Esc") << u"esc"_qs << three << int(MsgAnswer::Cancel);
        QTest::newRow("closed") << u"close"_qs << three << int(MsgAnswer::Cancel);
        QTest::newRow("Igen") << u"yes"_qs << three << int(MsgAnswer::Yes);
        QTest::newRow("Nem") << u"no"_qs << three << int(MsgAnswer::No);
        QTest::newRow("two buttons, Esc") << u"esc"_qs << two << int(MsgAnswer::No);
    }
    void realQuestionBox()
    {
        QFETCH(QString, action);
        QFETCH(int, buttons);
        QFETCH(int, answer);
        SystemMessageBoxes boxes;
        QStringList labels;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            for (QAbstractButton *button : box->buttons())
                labels << button->text();
            if (action == u"esc")
                QTest::keyClick(box, Qt::Key_Escape);
            else if (action == u"close")
                box->close();
            else
                box->button(action == u"yes" ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        const MsgAnswer got = boxes.show(nullptr, MsgIcon::Question, u"Quillomat"_qs,
                                         u"Mentsem a módosításokat?"_qs, MsgButtons(buttons));
        QCOMPARE(int(got), answer);
        QCOMPARE(labels.contains(u"Mégse"_qs), buttons == int(MsgButtons::YesNoCancel));
    }

    // F1 in a box opens the help page its window names (an alert, an import's question, a save's
    // failure), one that the help has; a box that names none opens nothing, whatever its title,
    // and a help that cannot be opened is told over the box, which stays open for its answer.
    void f1InABox_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("question");
        QTest::addColumn<bool>("available");
        const auto row = [](const char *tag, const QString &title, const QString &page,
                            bool question, bool available = true) {
            QTest::newRow(tag) << title << page << question << available;
        };
        row("an alert", u"Emlékeztető"_qs, u"jelzes.html"_qs, true);
        row("an alert, the help missing", u"Emlékeztető"_qs, u"jelzes.html"_qs, true, false);
        row("the import's question", u"Naptárfájl beolvasása"_qs, u"naptar.html"_qs, true);
        row("a subject's title alone opens nothing", u"Naptár"_qs, QString(), false);
        row("a save's failure", u"Quillomat"_qs, u"adatfajl.html"_qs, false);
        row("the save question", u"Quillomat"_qs, u"kilepes.html"_qs, true);
    }
    void f1InABox()
    {
        QFETCH(QString, title);
        QFETCH(QString, page);
        QFETCH(bool, question);
        QFETCH(bool, available);
        PagesAsked help;
        help.available = available;
        SystemMessageBoxes boxes;
        boxes.setHelp(&help);
        QString warning;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            box->activateWindow();
            QTRY_VERIFY(box->isActiveWindow());
            QTimer::singleShot(0, [&warning, box] {
                auto *inner = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                if (inner && inner != box) {
                    warning = inner->text();
                    inner->accept();
                }
            });
            QTest::keyClick(box, Qt::Key_F1);
            QTRY_VERIFY(QApplication::activeModalWidget() == box);
            box->buttons().constFirst()->click();
        });
        if (question)
            boxes.choose(nullptr, MsgIcon::Question, title, u"Hozzáadja?"_qs,
                         {u"Hozzáadás"_qs, u"Mégse"_qs}, 0, page);
        else
            boxes.show(nullptr, MsgIcon::Exclamation, title, u"Nem sikerült."_qs, MsgButtons::Ok,
                       page);
        QCOMPARE(help.pages, page.isEmpty() ? QStringList() : QStringList{page});
        QCOMPARE(warning.contains(u"súgó"_qs), !available);
        if (!page.isEmpty())
            QVERIFY2(QFile::exists(QStringLiteral(QUILL_HELP_DIR "/") + page), qPrintable(page));
    }

    void realHelpFile()
    {
        const QString qch = qEnvironmentVariable("QUILL_BIN_DIR") + u"/tartalom.qch"_qs;
        QTemporaryDir cache;
        const QString plugin = qEnvironmentVariable("QUILL_BIN_DIR") + u"/libquillomat-help.so"_qs;
        LazyHelpViewer viewer(plugin, qch, cache.path());
        QVERIFY(!viewer.loaded()); // nothing of Qt Help before the first request
        QVERIFY(viewer.show(HelpView::Search));
        QVERIFY(viewer.loaded());
        const auto windows = QApplication::topLevelWidgets();
        QVERIFY(std::any_of(windows.cbegin(), windows.cend(), [](QWidget *w) {
            return w->objectName() == u"sugoablak" && w->isVisible();
        }));
        LazyHelpViewer missing(plugin, cache.path() + u"/nincs.qch"_qs, cache.path());
        QVERIFY(!missing.show(HelpView::Contents));
        LazyHelpViewer noPlugin(cache.path() + u"/nincs.so"_qs, qch, cache.path());
        QVERIFY(!noPlugin.show(HelpView::Contents));
    }

    // The help window fits the screen, its title bar too, and its contents show each chapter's
    // whole title (a long one is scrolled to, not cut short with "…").
    void helpWindowFitsAndShowsWholeTitles()
    {
        const QString bin = qEnvironmentVariable("QUILL_BIN_DIR");
        QTemporaryDir cache;
        LazyHelpViewer viewer(bin + u"/libquillomat-help.so"_qs, bin + u"/tartalom.qch"_qs,
                              cache.path());
        QVERIFY(viewer.show(HelpView::Contents));
        QWidget *window = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == u"sugoablak")
                window = w;
        }
        QVERIFY(window);
        QTRY_VERIFY(window->isVisible());
        const QRect area = window->screen()->availableGeometry();
        QVERIFY2(area.contains(window->frameGeometry()),
                 qPrintable(u"%1x%2 on %3x%4"_qs.arg(window->frameGeometry().width())
                                .arg(window->frameGeometry().height())
                                .arg(area.width())
                                .arg(area.height())));
        auto *contents = window->findChild<QTreeView *>();
        QVERIFY(contents);
        QTRY_VERIFY(contents->model()->rowCount() > 0);
        QTRY_VERIFY(contents->isExpanded(contents->model()->index(0, 0)));
        QStringList cut;
        QList<QModelIndex> todo{contents->model()->index(0, 0)};
        while (!todo.isEmpty()) {
            const QModelIndex at = todo.takeLast();
            const QString title = at.data().toString();
            if (contents->visualRect(at).width() < contents->fontMetrics().horizontalAdvance(title))
                cut << title;
            for (int r = 0; r < contents->model()->rowCount(at); ++r)
                todo << contents->model()->index(r, 0, at);
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u", "_qs)));
        QTRY_COMPARE(contents->horizontalScrollBar()->maximum(), 0); // seen without scrolling
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
