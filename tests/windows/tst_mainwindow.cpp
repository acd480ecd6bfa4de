#include "calendar/tradition.h"
#include "files/safefile.h"
#include "files/writequeue.h"
#include "support/testsupport.h"
#include "windows/alertdesk.h"

#include "windows/contactsdesk.h"
#include "windows/settingswindow.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>

#include <cerrno>

using namespace quill;
using namespace quill::test;

namespace {
QString label(Harness &h, int i)
{
    return h.find<QLabel>(QStringLiteral("Label1_%1").arg(i))->text();
}
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The strip as it starts, in the system's language: the names only in Hungarian or English
    // (a Hungarian system's own names pass unchanged, as the calendar's translation table pins).
    void startUpState_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QStringList>("labels"); // month, weekday, names
        QTest::newRow("English") << QLocale(QLocale::English)
                                 << QStringList{u"december"_qs, u"Vasárnap"_qs, u"Miklós napja"_qs};
        QTest::newRow("German") << QLocale(QLocale::German)
                                << QStringList{u"Dezember"_qs, u"Sonntag"_qs, u" napja"_qs};
    }
    void startUpState()
    {
        QFETCH(QLocale, locale);
        QFETCH(QStringList, labels);
        Harness h(at(2026, 12, 6, 7, 5), locale);
        QCOMPARE((QStringList{label(h, 0), label(h, 1), label(h, 3)}), labels);
        QCOMPARE(label(h, 4) + label(h, 5) + u' ' + label(h, 2), u"2026.  6. 07:05"_qs);
        QCOMPARE(h.window().view(), viewmodes::View::Normal);
        QVERIFY(h.window().windowTitle().startsWith(u"A mai nap adatai"_qs));
        QVERIFY(!h.session().isModified());
        QCOMPARE(h.boxes.shown.size(), 0);
    }

    // Tomorrow's names are a hover away, beside the day's other names; the leap day and the day
    // before it say what the leap day is (which names fall on which day of a leap week is the
    // tradition's table), on the strip and in what a screen reader hears.
    void tomorrowOnHover_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("tomorrow");
        QTest::addColumn<QString>("otherToday");
        const auto row = [](const char *tag, const QDateTime &now, const QString &names,
                            const QString &tomorrow, const QString &other) {
            QTest::newRow(tag) << now << names << tomorrow << other;
        };
        row("common day", at(2026, 12, 6, 7, 5), u"Miklós napja"_qs, u"Holnap: Ambrus"_qs,
            u"Azálea"_qs);
        row("before the leap day", at(2028, 2, 23, 23, 59), u"Alfréd napja"_qs,
            u"Holnap szökőnap, nincs névnap."_qs, u"Mirtill"_qs);
        row("the leap day", at(2028, 2, 24, 12, 0), u"Szökőnap"_qs, u"Holnap: Mátyás"_qs,
            QString());
    }
    void tomorrowOnHover()
    {
        QFETCH(QDateTime, now);
        QFETCH(QString, names);
        QFETCH(QString, tomorrow);
        QFETCH(QString, otherToday);
        Harness h(now);
        QCOMPARE(label(h, 3), names);
        QCOMPARE(label(h, 5), u' ' + QString::number(now.date().day()) + u'.');
        h.window().clockTick();
        const QString heard =
            QAccessible::queryAccessibleInterface(&h.window())->text(QAccessible::Description);
        QVERIFY2(heard.contains(u", "_qs + names), qPrintable(heard));
        const QStringList lines = h.find<QLabel>(u"Label1_3"_qs)->toolTip().split(u'\n');
        QCOMPARE(lines.first(), tomorrow);
        if (isLeapDay(now.date())) {
            QCOMPARE(lines.size(), 1);
            return;
        }
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[1].startsWith(u"Egyéb névnapok ma: "_qs));
        if (!otherToday.isEmpty())
            QVERIFY2(lines[1].contains(otherToday), qPrintable(lines[1]));
    }

    // Start at login: the menu item shows the entry's state and changes it; a failure is told.
    void startAtLoginItem()
    {
        Harness h(at(2026, 12, 6, 7, 5));
        auto *item = h.window().popupMenu()->findChild<QAction *>(u"inditas"_qs);
        trigger(h, u"inditas"_qs);
        QVERIFY(h.autostart.on);
        QVERIFY(item->isChecked());
        h.autostart.failWith = files::systemError(EACCES);
        trigger(h, u"inditas"_qs);
        QVERIFY(h.autostart.on);
        QVERIFY(item->isChecked());
        QCOMPARE(h.boxes.texts().size(), 1);
        QVERIFY(h.boxes.texts()[0].contains(u"nincs hozzá jogosultság"_qs));
    }

    void midnightAndNewYear()
    {
        Harness h(at(2026, 12, 31, 23, 59));
        QCOMPARE(label(h, 3), u"Szilveszter napja"_qs);
        h.clock.set(at(2027, 1, 1, 0, 0));
        h.window().clockTick();
        QCOMPARE(label(h, 4), u"2027. "_qs);
        QCOMPARE(label(h, 0), u"január"_qs);
        QCOMPARE(label(h, 5), u" 1."_qs);
        QCOMPARE(label(h, 1), u"Péntek"_qs);
        QCOMPARE(label(h, 2), u"00:00"_qs);
        QCOMPARE(label(h, 3), u"Fruzsina napja"_qs);
        // A sleep through midnight: the day still turns at the first tick after waking.
        h.clock.set(at(2027, 1, 3, 9, 30));
        h.window().clockTick();
        QCOMPARE(label(h, 3), u"Genovéva, Benjámin napja"_qs);
        QCOMPARE(label(h, 1), u"Vasárnap"_qs);
    }

    // A click sets the signature moving (in a dimmer colour), a second click puts it back.
    void signatureCycle()
    {
        Harness h(at(2026, 12, 6, 7, 5));
        auto *sig = h.find<QLabel>(u"Label4"_qs);
        QCOMPARE(sig->text(), u"   Zelmarin ™   "_qs);
        QTest::mouseClick(sig, Qt::LeftButton);
        QVERIFY(h.window().signatureMoving());
        QStringList captions;
        for (int i = 0; i < 26; ++i) {
            h.window().signatureTick();
            captions << sig->text();
        }
        QCOMPARE(captions.mid(13, 13), captions.mid(0, 13)); // round and round
        QVERIFY(!captions.contains(u"   Zelmarin ™   "_qs));
        QVERIFY(sig->palette().color(QPalette::WindowText) != QColor(0, 0, 255));
        QTest::mouseClick(sig, Qt::LeftButton);
        h.window().signatureTick();
        QCOMPARE(sig->text(), u"   Zelmarin ™   "_qs);
        QCOMPARE(sig->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    }

    // The alert timer: one box per due row, ticks skipped while a box is open.
    void alertBoxes()
    {
        const QByteArray file = "e| | |*|*|*|*|10| |els\xf5|1|0|\r\n"
                                "s|Kiss|Anna|*|december|6|09|10|december 7.| |1|1|\r\n"
                                "e| | |*|*|*|*|10| |kikapcsolt|0|2|\r\n";
        Harness h(at(2026, 12, 6, 9, 9), QLocale(QLocale::English), &file);
        QSignalSpy recorded(h.window().alertDesk(), &AlertDesk::alertsAnnounced);
        h.window().alertDesk()->tick();
        QVERIFY(h.boxes.shown.isEmpty());
        h.clock.set(at(2026, 12, 6, 9, 10));
        int nested = 0;
        h.boxes.whileOpen = [&] {
            ++nested;
            h.boxes.whileOpen = nullptr;
            h.window().alertDesk()->tick(); // a tick while the box is open
        };
        h.window().alertDesk()->tick();
        QCOMPARE(h.boxes.texts(), (QStringList{u"EGYÉB!!     első"_qs,
                                               u"SZÜLETÉSNAP!!     Kiss Anna december 7."_qs}));
        QCOMPARE(nested, 1);
        // The desktop's notification list hears of each once, however often the box comes.
        QCOMPARE(h.notifier.sent.size(), 2);
        QVERIFY(
            h.notifier.sent[0].startsWith(u"Emlékeztető (Az ablak 1 perc múlva bezárható)|"_qs));
        QCOMPARE(h.boxes.shown[0].title, u"Emlékeztető (Az ablak 1 perc múlva bezárható)"_qs);
        QCOMPARE(h.boxes.shown[0].icon, MsgIcon::Exclamation);
        // Closed within the minute: back again.
        h.window().alertDesk()->tick();
        QCOMPARE(h.boxes.shown.size(), 4);
        QCOMPARE(h.notifier.sent.size(), 2);
        // The run record is written at the announcement and at each alert's first answer, not
        // at every return of its box.
        QCOMPARE(recorded.size(), 3);
        h.clock.set(at(2026, 12, 6, 9, 11));
        h.window().alertDesk()->tick();
        QCOMPARE(h.boxes.shown.size(), 4);
    }

    // "Később": put off to tomorrow, the alert does not come back within its minute, survives a
    // restart and comes back once, marked, at the same time the next day; the last choice is
    // offered first next time. The notification list hears of each showing once.
    void snoozeToTomorrow()
    {
        QTemporaryDir data;
        QTemporaryDir state;
        const QByteArray file = "t|Fogorvos| |2026|december|6|09|10| | |1|0|\r\n";
        {
            Harness h(at(2026, 12, 6, 9, 10, 5), QLocale(QLocale::English), &file, false,
                      data.path(), state.path());
            h.boxes.choices = {0, 2}; // "Később", then the third offer, "Holnap ugyanekkor"
            h.window().alertDesk()->tick();
            QCOMPARE(h.boxes.shown.size(), 2);
            QCOMPARE(h.boxes.shown[1].title, u"Később"_qs);
            h.clock.set(at(2026, 12, 6, 9, 10, 30));
            h.window().alertDesk()->tick();
            QCOMPARE(h.boxes.shown.size(), 2); // put off: not back within the minute
            QCOMPARE(h.notifier.sent.size(), 1);
            files::waitForWrites();
            QFile settings(h.path(u"config/Zelmarin/Quillomat/beallitasok.conf"_qs));
            QVERIFY(settings.open(QIODevice::ReadOnly));
            QVERIFY(settings.readAll().contains("halasztas=holnap"));
        }
        Harness h(at(2026, 12, 7, 9, 9, 59), QLocale(QLocale::English), &file, false, data.path(),
                  state.path());
        h.window().alertDesk()->tick();
        QVERIFY(h.boxes.shown.isEmpty());
        h.clock.set(at(2026, 12, 7, 9, 10, 0));
        h.window().alertDesk()->tick();
        QCOMPARE(h.boxes.shown.size(), 1);
        QVERIFY(h.boxes.shown[0].text.startsWith(u"TALÁLKOZÓ!!     Fogorvos"_qs));
        QVERIFY(h.boxes.shown[0].text.endsWith(u"\n\n(Elhalasztott jelzés.)"_qs));
        QCOMPARE(h.notifier.sent.size(), 1);
        h.clock.set(at(2026, 12, 7, 9, 10, 20));
        h.window().alertDesk()->tick();
        QCOMPARE(h.boxes.shown.size(), 1);
    }

    // The notification and the box are one alert: "Később" in the notification closes the box
    // and puts the alert off by the last choice; "Rendben" for one whose box has not come yet
    // keeps that box away; an answer in the box takes the notification off the list.
    void notificationActions()
    {
        const QByteArray file = "t|Fogorvos| |2026|december|6|09|10| | |1|0|\r\n"
                                "e| | |*|*|*|*|10| |teend\xf5|1|0|\r\n";
        Harness h(at(2026, 12, 6, 9, 10, 5), QLocale(QLocale::English), &file);
        h.boxes.whileOpen = [&] {
            h.boxes.whileOpen = nullptr;
            QCOMPARE(h.notifier.tokens.size(), 2); // both listed before the first box
            h.notifier.onAction(h.notifier.tokens[0], u"later"_qs);
            h.notifier.onAction(h.notifier.tokens[1], u"ok"_qs);
        };
        h.window().alertDesk()->tick();
        QCOMPARE(h.boxes.closed, 1);
        QCOMPARE(h.boxes.shown.size(), 1); // no question, and the second box never came
        QVERIFY(h.notifier.withdrawn.isEmpty());
        h.clock.set(at(2026, 12, 6, 9, 10, 40));
        h.window().alertDesk()->tick();
        QCOMPARE(h.boxes.shown.size(), 2); // the second, closed in its notification, comes back
        h.clock.set(at(2026, 12, 6, 9, 20, 0));
        h.window().alertDesk()->tick();
        QCOMPARE(h.boxes.shown.size(), 3);
        QVERIFY(h.boxes.shown[2].text.startsWith(u"TALÁLKOZÓ!!     Fogorvos"_qs));
        QCOMPARE(h.notifier.withdrawn, QList<quint64>{h.notifier.tokens.last()});
    }

    // The settings window: the notice ahead counts at once, and a snooze can be taken back.
    void settingsWindow()
    {
        const QByteArray file = "n|Kiss|\xc1"
                                "bel|*|janu\xe1r|2|08|00|janu\xe1r 2.| |1|0|\r\n";
        Harness h(at(2026, 12, 30, 7, 59, 50), QLocale(QLocale::English), &file);
        SettingsWindow *window = openSettings(h);
        QVERIFY(window);
        auto *days = window->findChild<QSpinBox *>(u"nevnapelott"_qs);
        days->setValue(3);
        h.clock.set(at(2026, 12, 30, 8, 0, 1));
        h.boxes.choices = {0, 0}; // "Később", "10 perc múlva"
        h.window().alertDesk()->tick();
        QCOMPARE(h.boxes.shown[0].text,
                 u"3 nap múlva, január 2.: NÉVNAP!!     Kiss Ábel január 2."_qs);
        auto *list = window->findChild<QListWidget *>(u"halasztasok"_qs);
        QCOMPARE(list->count(), 1);
        QVERIFY(list->item(0)->text().startsWith(u"2026. 12. 30. 08:10 – 3 nap múlva"_qs));
        QTest::mouseClick(window->findChild<QPushButton *>(u"visszavonas"_qs), Qt::LeftButton);
        QCOMPARE(list->item(0)->text(), u"Nincs elhalasztott jelzés."_qs);
        h.clock.set(at(2026, 12, 30, 8, 10, 1));
        h.window().alertDesk()->tick();
        QCOMPARE(h.boxes.shown.size(), 2); // taken back: nothing comes
        window->close();
        delete window;
    }

    // The address book named in the settings: read in the background, today's people on the
    // strip (tomorrow's a hover away), and one announcement at the chosen time for today and the
    // days of notice, once a day, kept across a restart.
    void contactsOnTheStrip()
    {
        QTemporaryDir book, state;
        const QString path = book.filePath(u"ismerosok.vcf"_qs);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Kiss;Ambrus;;;\r\nFN:Kiss Ambrus\r\n"
                "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nFN:Nagy Ella\r\n"
                "N:Nagy;Ella;;;\r\nBDAY:1990-12-09\r\nEND:VCARD\r\n");
        f.close();
        {
            Harness h(at(2026, 12, 7, 7, 59, 50), QLocale(QLocale::English), nullptr, false, {},
                      state.path());
            h.window().show();
            QWidget *settings = openSettings(h);
            QVERIFY(settings);
            auto *source = settings->findChild<QLineEdit *>(u"ismerosforras"_qs);
            source->setText(path);
            Q_EMIT source->editingFinished();
            h.window().contactsDesk()->waitForReading();
            // No notice for everyone, two days for Ella.
            auto *person = settings->findChild<QComboBox *>(u"ismerosvalaszto"_qs);
            person->setCurrentIndex(person->findText(u"Nagy Ella"_qs));
            settings->findChild<QSpinBox *>(u"sajatelott"_qs)->setValue(2);
            auto *strip = h.find<QLabel>(u"ismerosok"_qs);
            QVERIFY(strip->isVisible());
            QCOMPARE(strip->text(), u"Ma ünnepel: Kiss Ambrus (névnap)"_qs);
            QCOMPARE(strip->toolTip(), u"Holnap nem ünnepel senki az ismerősök közül."_qs);
            h.window().clockTick();
            QVERIFY(QAccessible::queryAccessibleInterface(&h.window())
                        ->text(QAccessible::Description)
                        .endsWith(u"Ambrus napja. Ma ünnepel: Kiss Ambrus (névnap)"_qs));
            QVERIFY(settings->findChild<QLabel *>(u"ismerosallapot"_qs)
                        ->text()
                        .startsWith(u"2 névjegy beolvasva, 0 kihagyva"_qs));
            h.window().alertDesk()->tick();
            QVERIFY(h.boxes.shown.isEmpty()); // 07:59
            h.clock.set(at(2026, 12, 7, 8, 0, 1));
            h.window().alertDesk()->tick();
            QCOMPARE(h.boxes.texts(), QStringList{u"ISMERŐSÖK ÜNNEPE!!\n\nMa: Kiss Ambrus "
                                                  "(névnap)\n2 nap múlva, december 9.: Nagy Ella "
                                                  "(36. születésnap)"_qs});
            QCOMPARE(h.notifier.sent.size(), 1);
            h.clock.set(at(2026, 12, 7, 8, 0, 30));
            h.window().alertDesk()->tick();
            QCOMPARE(h.boxes.shown.size(), 1);
            // Ambrus has one name day; a change on disk is read again while the program runs.
            QVERIFY(!settings->findChild<QComboBox *>(u"sajatnevnap"_qs)->isEnabled());
            QVERIFY(f.open(QIODevice::Append));
            f.write("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Új;Ambrus;;;\r\nEND:VCARD\r\n");
            f.close();
            QTRY_COMPARE_WITH_TIMEOUT(
                strip->text(), u"Ma ünnepel: Kiss Ambrus (névnap), Új Ambrus (névnap)"_qs, 10000);
            delete settings;
        }
        Harness again(at(2026, 12, 7, 9, 0), QLocale(QLocale::English), nullptr, false, {},
                      state.path());
        again.window().alertDesk()->tick();
        QVERIFY(again.boxes.shown.isEmpty()); // announced today already
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

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
