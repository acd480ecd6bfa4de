#include "support/filebytes.h"
#include "support/testsupport.h"
#include "windows/settingswindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QSpinBox>

using namespace quill;
using namespace quill::test;

class TestSettingsWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The settings file while the program runs: lines a second program writes are followed by the
    // window and survive a change made in it; a file too large to read is put aside, byte for
    // byte, and named, never replaced.
    void settingsFileChangedOutside_data()
    {
        QTest::addColumn<bool>("tooLarge");
        QTest::newRow("lines written by a second program") << false;
        QTest::newRow("a file over the read limit") << true;
    }
    void settingsFileChangedOutside()
    {
        QFETCH(bool, tooLarge);
        Harness h(at(2026, 12, 7, 7, 59, 50));
        h.window().show();
        const QString path = h.path(u"config/Zelmarin/Quillomat/beallitasok.conf"_qs);
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        const QByteArray hand = "caldav_cim=https://kez.example/naptar/\n"
                                "ismeros=Nagy Ella\t2\t-\t\nsajat_kulcs=igen\n";
        QByteArray original = hand;
        if (tooLarge)
            original += QByteArray("# megjegyzés\n").repeated(6000);
        if (tooLarge)
            writeAll(path, original);
        SettingsWindow *settings = openSettings(h);
        QVERIFY(settings);
        QTest::qWait(50); // the program's start-up is over: the file is watched
        if (!tooLarge) {
            QProcess sh;
            sh.start(u"sh"_qs, {u"-c"_qs, u"cat > \"$0.uj\" && mv \"$0.uj\" \"$0\""_qs, path});
            QVERIFY(sh.waitForStarted());
            sh.write(hand);
            sh.closeWriteChannel();
            QVERIFY(sh.waitForFinished());
            QTRY_COMPARE(settings->findChild<QLineEdit *>(u"caldavcim"_qs)->text(),
                         u"https://kez.example/naptar/"_qs);
        }
        settings->findChild<QSpinBox *>(u"nevnapelott"_qs)->setValue(3);
        const QByteArray now = readAll(path);
        QVERIFY(now.contains("nevnap_elott_nap=3\n"));
        if (!tooLarge) {
            QVERIFY2(now.startsWith(hand), now.constData());
        } else {
            QCOMPARE(readAll(path + u".olvashatatlan"_qs), original);
            QTRY_VERIFY(h.boxes.texts().join(u'\n').contains(path + u".olvashatatlan"_qs));
        }
        settings->close();
        delete settings;
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "tst_settingswindow.moc"
