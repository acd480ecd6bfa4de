#include "platform/appfolder.h"
#include "platform/helpviewer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
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

    void realHelpFile()
    {
        const QString qch = qEnvironmentVariable("QUILL_BIN_DIR") + u"/tartalom.qch"_qs;
        QTemporaryDir cache;
        QtHelpViewer viewer(qch, cache.path());
        QVERIFY(viewer.show(HelpView::Search));
        QVERIFY(viewer.window()->isVisible());
        QtHelpViewer missing(cache.path() + u"/nincs.qch"_qs, cache.path());
        QVERIFY(!missing.show(HelpView::Contents));
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
