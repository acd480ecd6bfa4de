#include "dialogs/helpviewer.h"
#include "dialogs/messagebox.h"
#include "files/writequeue.h"
#include "platform/appfolder.h"
#include "platform/desktop.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

using namespace quill;

class TestPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The user's data folder, unless the user's file already lies beside the program, whatever
    // it is (a portable copy, a file from the old program, a link).
    void dataFileLocation()
    {
        QTemporaryDir dir;
        const AppFolder folder(dir.path());
        QCOMPARE(folder.reminderFile(u"/data"_qs), u"/data/remembers.txt"_qs);
        QVERIFY(QFile::link(u"/nowhere/remembers.txt"_qs, dir.filePath(u"remembers.txt"_qs)));
        QCOMPARE(folder.reminderFile(u"/data"_qs), dir.path() + u"/remembers.txt"_qs);
    }

    // The XDG autostart entry: written where the desktop looks, valid, and removed again.
    void startAtLogin()
    {
        QTemporaryDir config;
        XdgAutostart autostart(u"/opt/Quillomat 1/quillomat"_qs, config.path());
        QVERIFY(!autostart.enabled());
        QVERIFY(!autostart.setEnabled(true));
        QVERIFY(autostart.enabled());
        QCOMPARE(autostart.entryPath(),
                 config.path() + u"/autostart/hu.zelmarin.Quillomat.desktop"_qs);
        QFile entry(autostart.entryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QByteArray text = entry.readAll();
        QVERIFY(text.contains("Exec=\"/opt/Quillomat 1/quillomat\"\n"));
        QProcess validate;
        validate.start(u"desktop-file-validate"_qs, {autostart.entryPath()});
        if (validate.waitForFinished(20000))
            QVERIFY2(validate.exitCode() == 0, validate.readAllStandardOutput().constData());
        QVERIFY(!autostart.setEnabled(false));
        QVERIFY(!QFile::exists(autostart.entryPath()));
        QVERIFY(!autostart.setEnabled(false));
    }

    void runRecordKeepsTheEnd()
    {
        QTemporaryDir state;
        const RunRecord record(u"/home/a/remembers.txt"_qs, state.path());
        QVERIFY(!record.lastEnd().isValid());
        const QDateTime end(QDate(2026, 10, 25), QTime(2, 30));
        record.recordEnd(end);
        files::waitForWrites();
        QCOMPARE(record.lastEnd(), end);
        QVERIFY(record.answered().isEmpty());
        // The alerts answered after that moment, one a line, read back as they were written.
        const QStringList answered{u"3 0 2026-10-25T02:45"_qs, u"7 4320 2026-10-25T03:00"_qs};
        record.recordEnd(end, answered);
        files::waitForWrites();
        QCOMPARE(record.lastEnd(), end);
        QCOMPARE(record.answered(), answered);
        QVERIFY(record.path().startsWith(state.path() + u"/Zelmarin/Quillomat/"_qs));
        QVERIFY(RunRecord(u"/other/remembers.txt"_qs, state.path()).path() != record.path());
    }

    // A state folder an older version left open to others (0755) is its owner's alone once the
    // record is written into it.
    void runRecordMakesItsFolderPrivate()
    {
        QTemporaryDir state;
        const QString folder = state.filePath(u"Zelmarin/Quillomat"_qs);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::setPermissions(
            folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
        const RunRecord record(u"/home/a/remembers.txt"_qs, state.path());
        record.recordEnd(QDateTime(QDate(2026, 10, 25), QTime(2, 30)));
        files::waitForWrites();
        QVERIFY(QFile::exists(record.path()));
        QCOMPARE(QFileInfo(folder).permissions() &
                     (QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup),
                 QFile::Permissions());
    }

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
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
