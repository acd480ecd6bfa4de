#include "files/writequeue.h"
#include "support/filebytes.h"
#include "support/testsupport.h"
#include "windows/settingswindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

using namespace quill;
using namespace quill::test;

namespace {

QString settingsFile(Harness &h)
{
    const QString path = h.path(u"config/Zelmarin/Quillomat/beallitasok.conf"_qs);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return path;
}

void typeAndLeave(QWidget *window, const QString &name, const QString &text)
{
    auto *edit = window->findChild<QLineEdit *>(name);
    QVERIFY2(edit, qPrintable(name));
    edit->setText(text);
    Q_EMIT edit->editingFinished();
}

// A second program writes the file: the shell, in a process of its own, by a rename.
void writeFromAnotherProcess(const QString &path, const QByteArray &bytes)
{
    QProcess sh;
    sh.start(u"sh"_qs, {u"-c"_qs, u"cat > \"$0.uj\" && mv \"$0.uj\" \"$0\""_qs, path});
    QVERIFY(sh.waitForStarted());
    sh.write(bytes);
    sh.closeWriteChannel();
    QVERIFY(sh.waitForFinished());
}

} // namespace

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
            writeFromAnotherProcess(path, hand);
            QTRY_COMPARE(settings->findChild<QLineEdit *>(u"caldavcim"_qs)->text(),
                         u"https://kez.example/naptar/"_qs);
        }
        settings->findChild<QSpinBox *>(u"nevnapelott"_qs)->setValue(3);
        files::waitForWrites(); // as the end of the program does
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

    // Before name days and birthdays there is one notice, for the reminders and the address book
    // alike; a settings file of an earlier version, which kept it apart for each, is read with
    // the largest, shown on both pages, and the first change writes the one key.
    void oneNoticeFromAnOldFile()
    {
        Harness h(at(2026, 12, 7, 7, 59, 50));
        h.window().show();
        const QString path = settingsFile(h);
        SettingsWindow *settings = openSettings(h);
        QVERIFY(settings);
        QTest::qWait(50); // the program's start-up is over: the file is watched
        writeFromAnotherProcess(path, "nevnap_elott_nap=0\nszuletesnap_elott_nap=1\n"
                                      "ismerosok_elott_nap=2\n");
        auto *days = settings->findChild<QSpinBox *>(u"nevnapelott"_qs);
        QTRY_COMPARE(days->value(), 2);
        QVERIFY(!settings->findChild<QSpinBox *>(u"szuletesnapelott"_qs));
        QCOMPARE(settings->findChild<QLabel *>(u"ismeroselott"_qs)->text(),
                 u"2 nappal előbb (a Jelzések lapon állítható, mindenkinek)"_qs);
        // A person's own notice is an exception to it, and says what it departs from.
        QCOMPARE(settings->findChild<QSpinBox *>(u"sajatelott"_qs)->specialValueText(),
                 u"mint mindenkinek: 2 nappal előbb"_qs);
        days->setValue(3);
        files::waitForWrites();
        QCOMPARE(readAll(path), QByteArray("nevnap_elott_nap=3\n"));
        QCOMPARE(settings->findChild<QLabel *>(u"ismeroselott"_qs)->text(),
                 u"3 nappal előbb (a Jelzések lapon állítható, mindenkinek)"_qs);
        delete settings;
    }

    // The password goes into the keyring, never into a file; it moves with the account to
    // another user and leaves the keyring with the account. Where no keyring runs, the user is
    // told so, and of the command instead.
    void passwordInTheKeyring_data()
    {
        QTest::addColumn<bool>("running");
        QTest::newRow("a keyring") << true;
        QTest::newRow("no keyring") << false;
    }
    void passwordInTheKeyring()
    {
        QFETCH(bool, running);
        Harness h(at(2026, 12, 7, 7, 59, 50));
        h.keyring.running = running;
        h.window().show();
        SettingsWindow *settings = openSettings(h);
        QVERIFY(settings);
        typeAndLeave(settings, u"caldavcim"_qs, u"naptar.example"_qs);
        typeAndLeave(settings, u"caldavfelhasznalo"_qs, u"anna"_qs);
        typeAndLeave(settings, u"caldavjelszo"_qs, u"titok 1"_qs);
        auto *state = settings->findChild<QLabel *>(u"jelszoallapot"_qs);
        const QString path = settingsFile(h);
        if (!running) {
            QTRY_VERIFY(state->text().contains(u"nem fut kulcstartó"_qs));
            QVERIFY(state->text().contains(u"parancsot"_qs));
            QVERIFY(h.keyring.entries.isEmpty());
            files::waitForWrites();
            QVERIFY(!readAll(path).contains("titok"));
            delete settings;
            return;
        }
        const QHash<QString, QString> kept{{u"anna@naptar.example"_qs, u"titok 1"_qs}};
        QTRY_VERIFY(state->text().contains(u"kulcstartójában"_qs));
        QCOMPARE(h.keyring.entries, kept);
        QCOMPARE(settings->findChild<QLineEdit *>(u"caldavjelszo"_qs)->text(), QString());
        files::waitForWrites();
        QVERIFY(readAll(path).contains("caldav_felhasznalo=anna\n"));
        QVERIFY(!readAll(path).contains("titok"));
        typeAndLeave(settings, u"caldavfelhasznalo"_qs, u"anna.kiss"_qs);
        const QHash<QString, QString> moved{{u"anna.kiss@naptar.example"_qs, u"titok 1"_qs}};
        QTRY_COMPARE(h.keyring.entries, moved);
        typeAndLeave(settings, u"caldavcim"_qs, QString()); // the account removed
        QTRY_VERIFY(h.keyring.entries.isEmpty());
        delete settings;
    }

    // F1 opens the help at the page of the window it is pressed in; in Beállítások, at the
    // page of the page shown.
    void helpPageOfEachWindow_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("page");
        QTest::newRow("the strip") << u"Form1"_qs << -1 << u"foablak.html"_qs;
        QTest::newRow("the editor") << u"emlek"_qs << -1 << u"emlekeztetok.html"_qs;
        QTest::newRow("the list") << u"lista"_qs << -1 << u"lista.html"_qs;
        QTest::newRow("Beállítások, Jelzések")
            << u"beallitasok"_qs << 0 << u"beallitasok-jelzesek.html"_qs;
        QTest::newRow("Beállítások, Ismerősök")
            << u"beallitasok"_qs << 1 << u"beallitasok-ismerosok.html"_qs;
        QTest::newRow("Beállítások, Naptár")
            << u"beallitasok"_qs << 2 << u"beallitasok-naptar.html"_qs;
    }
    void helpPageOfEachWindow()
    {
        QFETCH(QString, window);
        QFETCH(int, tab);
        QFETCH(QString, page);
        Harness h(at(2026, 12, 7, 7, 59, 50));
        h.window().show();
        QWidget *target = &h.window();
        if (window == u"emlek" || window == u"lista")
            trigger(h, u"remember"_qs);
        if (window == u"lista") {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->objectName() == u"emlek")
                    QTest::mouseClick(w->findChild<QPushButton *>(u"Command4"_qs), Qt::LeftButton);
        }
        if (tab >= 0) {
            SettingsWindow *settings = openSettings(h);
            QVERIFY(settings);
            settings->findChild<QTabWidget *>(u"lapok"_qs)->setCurrentIndex(tab);
        }
        if (window != u"Form1") {
            target = nullptr;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->objectName() == window && w->isVisible())
                    target = w;
        }
        QVERIFY(target);
        QApplication::setActiveWindow(target);
        QTest::keyClick(target, Qt::Key_F1);
        QCOMPARE(h.help.pages, QStringList{page});
        // The page is in the help, and on its start page's list.
        const QString help = QStringLiteral(QUILL_HELP_DIR);
        QVERIFY(QFileInfo::exists(help + u'/' + page));
        QVERIFY(readAll(help + u"/index.html"_qs)
                    .contains(QByteArray("href=\"" + page.toUtf8() + '"')));
        QVERIFY(readAll(help + u"/tartalom.qhp"_qs)
                    .contains(QByteArray("ref=\"" + page.toUtf8() + '"')));
        if (tab >= 0)
            delete target;
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "tst_settingswindow.moc"
