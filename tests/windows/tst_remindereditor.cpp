#include "support/testsupport.h"
#include "windows/remindereditor.h"
#include "windows/reminderlist.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

using namespace quill;
using namespace quill::test;

namespace {
QDateTime at(int y, int mo, int d)
{
    return QDateTime(QDate(y, mo, d), QTime(10, 0));
}

struct Editor {
    explicit Editor(const QDateTime &now, bool pictures = true)
        : h(now, QLocale(QLocale::English), nullptr, pictures)
        , e(h.window().reminderEditor())
    {
        e->show();
        QApplication::setActiveWindow(e);
    }
    template <typename T> T *w(const QString &name) { return h.find<T>(name, e); }
    QComboBox *c(const QString &name) { return w<QComboBox>(name); }
    void kind(int k)
    {
        QTest::mouseClick(w<QPushButton>(u"Command1_%1"_qs.arg(k)), Qt::LeftButton);
    }
    /// "Rögzítés"; a reminder of every hour is confirmed when the editor asks.
    void store()
    {
        if (c(u"ora"_qs)->currentText() == u"*")
            h.boxes.answers << MsgAnswer::Yes;
        QTest::mouseClick(w<QPushButton>(u"Command2"_qs), Qt::LeftButton);
    }
    void pickName(const QString &name)
    {
        QComboBox *k = c(u"kernev"_qs);
        k->setCurrentIndex(k->findText(name));
        Q_EMIT k->activated(k->currentIndex());
        leave(k, w<QLineEdit>(u"Text1"_qs));
    }
    void pickDate(int which = 0)
    {
        auto *list = w<QListWidget>(u"List1"_qs);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(which)).center());
        leave(list, c(u"ora"_qs));
    }
    QString row(int r)
    {
        QString s;
        for (int f = 0; f < ReminderFields; ++f)
            s += h.session().table().field(r, Field(f)) + u'|';
        return s;
    }
    QStringList alert()
    {
        QStringList v;
        for (const char16_t *n : {u"ev", u"honap", u"nap", u"ora", u"perc"})
            v << c(QString::fromUtf16(n))->currentText();
        return v;
    }
    Harness h;
    ReminderEditor *e;
};
} // namespace

class TestReminderEditor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The window shows what the kind's layout names (its rows are pinned in the editor's rules):
    // the meeting's, the layout with the most fields, and its button marked as chosen. Another
    // kind empties the texts and keeps the pickers.
    void layoutAppliedPickersKept()
    {
        Editor ed(at(2026, 12, 6));
        typeText(ed.w<QLineEdit>(u"Text1"_qs), u"Kiss"_qs);
        ed.c(u"kernev"_qs)->setCurrentIndex(3);
        ed.c(u"perc"_qs)->setCurrentIndex(30);
        ed.kind(2);
        QCOMPARE(ed.e->kind(), ReminderKind::Meeting);
        const QStringList shown{u"Text1"_qs, u"Text2"_qs, u"szhonap"_qs, u"sznap"_qs,
                                u"tev"_qs,   u"tora"_qs,  u"tperc"_qs};
        for (const QString &name : QStringList{u"kernev"_qs, u"Text3"_qs, u"List1"_qs} + shown)
            QVERIFY2(ed.e->findChild<QWidget *>(name)->isHidden() != shown.contains(name),
                     qPrintable(name));
        QCOMPARE(ed.w<QLabel>(u"Label1_2"_qs)->text(), u"Időpont:"_qs);
        QCOMPARE(ed.w<QPushButton>(u"Command1_2"_qs)->palette().color(QPalette::Button),
                 ed.e->palette().color(QPalette::Dark));
        ed.kind(0);
        QVERIFY(ed.w<QLineEdit>(u"Text1"_qs)->text().isEmpty());
        QCOMPARE(ed.c(u"kernev"_qs)->currentIndex(), 3);
        QCOMPARE(ed.c(u"perc"_qs)->currentText(), u"30"_qs);
    }

    void nameDayRow()
    {
        Editor ed(at(2026, 6, 1));
        typeText(ed.w<QLineEdit>(u"Text1"_qs), u"Kovács"_qs);
        ed.pickName(u"Mária"_qs);
        auto *list = ed.w<QListWidget>(u"List1"_qs);
        QVERIFY(!list->isHidden());
        QVERIFY(!ed.w<QLabel>(u"Picture1"_qs)->isHidden());
        // Each date of the name is a choice of its own.
        QCOMPARE(list->count(), 4);
        QCOMPARE(list->item(0)->text(), u"aug 15."_qs);
        QCOMPARE(list->item(3)->text(), u"dec 8."_qs);
        ed.pickDate(3);
        QCOMPARE(ed.alert(), (QStringList{u"2026"_qs, u"december"_qs, u"7"_qs, u"*"_qs, u"00"_qs}));
        ed.pickDate();
        QVERIFY(ed.w<QLabel>(u"Picture1"_qs)->isHidden());
        QCOMPARE(ed.alert(),
                 (QStringList{u"2026"_qs, u"augusztus"_qs, u"14"_qs, u"*"_qs, u"00"_qs}));
        ed.store();
        QCOMPARE(ed.row(0), u"n|Kovács|Mária|2026|augusztus|14|*|00|aug 15.| |1|0|"_qs);
        QVERIFY(ed.h.session().isModified());
        ed.store();
        QCOMPARE(ed.h.session().table().field(1, Field::RowNumber), u"1"_qs);
        QCOMPARE(ed.w<QLabel>(u"allapot"_qs)->text(), u"Eltárolva: 2. sor"_qs);
        QCOMPARE(ed.h.session().rowsHandedOut(), 2);
        // Another kind hides the date row.
        ed.kind(1);
        QVERIFY(list->isHidden());
        leave(ed.c(u"kernev"_qs), ed.w<QLineEdit>(u"Text1"_qs)); // refills the hidden list
        QVERIFY(ed.w<QLabel>(u"Picture1"_qs)->isHidden());
        ed.kind(0);
        QVERIFY(!list->isHidden()); // the name is still picked
    }

    void emptyListPrefillDoesNotFail()
    {
        Editor ed(at(2026, 6, 1));
        ed.c(u"kernev"_qs)->setEditText(u"Nincsilyen"_qs);
        leave(ed.c(u"kernev"_qs), ed.w<QLineEdit>(u"Text1"_qs));
        QCOMPARE(ed.w<QListWidget>(u"List1"_qs)->count(), 0);
        ed.w<QListWidget>(u"List1"_qs)->show();
        leave(ed.w<QListWidget>(u"List1"_qs), ed.c(u"ora"_qs));
        // No date: the month stays "*", the year steps as for any month before the current one.
        QCOMPARE(ed.alert(), (QStringList{u"2027"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"00"_qs}));
        ed.store();
        QCOMPARE(ed.h.session().table().field(0, Field::When), QString());
    }

    void birthdayAndMeeting()
    {
        Editor ed(at(2026, 12, 6));
        ed.kind(1);
        typeText(ed.w<QLineEdit>(u"Text1"_qs), u"Kiss"_qs);
        ed.c(u"kernev"_qs)->setEditText(u"Anna"_qs);
        ed.c(u"szhonap"_qs)->setCurrentIndex(2);
        leave(ed.c(u"szhonap"_qs), ed.c(u"sznap"_qs));
        ed.c(u"sznap"_qs)->setCurrentIndex(14);
        leave(ed.c(u"sznap"_qs), ed.c(u"ora"_qs));
        QCOMPARE(ed.alert(), (QStringList{u"*"_qs, u"március"_qs, u"14"_qs, u"*"_qs, u"00"_qs}));
        ed.store();
        QCOMPARE(ed.row(0), u"s|Kiss|Anna|*|március|14|*|00|március 15.| |1|0|"_qs);

        ed.kind(2);
        typeText(ed.w<QLineEdit>(u"Text1"_qs), u"Ebéd"_qs);
        typeText(ed.w<QLineEdit>(u"Text2"_qs), u"Budapest"_qs);
        ed.c(u"tev"_qs)->setCurrentIndex(1);
        leave(ed.c(u"tev"_qs), ed.c(u"szhonap"_qs));
        QCOMPARE(ed.c(u"ev"_qs)->currentText(), u"2027"_qs);
        ed.c(u"tora"_qs)->setCurrentIndex(14);
        ed.c(u"tperc"_qs)->setCurrentIndex(30);
        ed.store();
        QCOMPARE(ed.row(1),
                 u"t|Ebéd|Budapest|2027|március|14|*|00|2027. március 15. 14:30| |1|1|"_qs);

        // The 1st: the last day of the month before.
        ed.c(u"sznap"_qs)->setCurrentIndex(0);
        leave(ed.c(u"sznap"_qs), ed.c(u"ora"_qs));
        QCOMPARE(ed.alert().mid(1, 2), (QStringList{u"február"_qs, u"28"_qs}));
    }

    void meterAndOther()
    {
        Editor ed(at(2026, 12, 6));
        ed.kind(3);
        typeText(ed.w<QLineEdit>(u"Text1"_qs), u"Gáz"_qs);
        typeText(ed.w<QLineEdit>(u"Text2"_qs), u"12-345"_qs);
        ed.store();
        QCOMPARE(ed.row(0), u"m|Gáz|12-345|*|*|*|*|00| | |1|0|"_qs);
        ed.kind(4);
        ed.w<QPlainTextEdit>(u"Text3"_qs)->setPlainText(u"Fizetés"_qs);
        ed.store();
        QCOMPARE(ed.row(1), u"e| | |*|*|*|*|00| |Fizetés|1|1|"_qs);
        ed.w<QPlainTextEdit>(u"Text3"_qs)->setPlainText(u"a|b"_qs);
        ed.store();
        QCOMPARE(ed.h.session().rowsHandedOut(), 2);
        QCOMPARE(ed.h.boxes.shown.last().icon, MsgIcon::Exclamation);
        QVERIFY(ed.h.boxes.shown.last().text.contains(u"| jelet"_qs));
    }

    void alertDayFollowsMonthAndYear()
    {
        Editor ed(at(2026, 12, 6));
        ed.c(u"honap"_qs)->setCurrentIndex(2);
        leave(ed.c(u"honap"_qs), ed.c(u"nap"_qs));
        QCOMPARE(ed.c(u"nap"_qs)->count(), 30); // "*" and 29 days
        ed.c(u"ev"_qs)->setCurrentIndex(1);
        leave(ed.c(u"ev"_qs), ed.c(u"nap"_qs));
        QCOMPARE(ed.c(u"nap"_qs)->count(), 29);
    }

    // The editor as it opens; "Törlés" brings its alert and name back to that, the meeting's
    // year staying.
    void loadedStateAndTorles()
    {
        Editor ed(at(2026, 12, 6));
        QCOMPARE(ed.alert(), (QStringList{u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"00"_qs}));
        QCOMPARE(ed.c(u"tev"_qs)->currentText(), u"2026"_qs);
        QCOMPARE(ed.c(u"szhonap"_qs)->currentIndex(), -1); // "január" shown, none picked
        QVERIFY(ed.w<QListWidget>(u"List1"_qs)->isHidden());
        ed.pickName(u"Abigél"_qs);
        ed.pickDate();
        ed.c(u"tev"_qs)->setCurrentIndex(3);
        ed.c(u"ora"_qs)->setCurrentIndex(5);
        QTest::mouseClick(ed.w<QPushButton>(u"Command3"_qs), Qt::LeftButton);
        QCOMPARE(ed.alert(), (QStringList{u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"00"_qs}));
        QCOMPARE(ed.c(u"kernev"_qs)->currentIndex(), -1);
        QVERIFY(ed.w<QListWidget>(u"List1"_qs)->isHidden());
        QCOMPARE(ed.w<QListWidget>(u"List1"_qs)->count(), 0);
        QCOMPARE(ed.c(u"tev"_qs)->currentIndex(), 3);
        QCOMPARE(ed.e->kind(), ReminderKind::NameDay);
        QCOMPARE(ed.h.session().rowsHandedOut(), 0);
    }

    void closeKeepsState()
    {
        Editor ed(at(2026, 12, 6));
        ed.kind(2);
        typeText(ed.w<QLineEdit>(u"Text1"_qs), u"Ebéd"_qs);
        QTest::mouseClick(ed.w<QPushButton>(u"Command5"_qs), Qt::LeftButton);
        QVERIFY(!ed.e->isVisible());
        QCOMPARE(ed.h.window().reminderEditor(), ed.e);
        QCOMPARE(ed.w<QLineEdit>(u"Text1"_qs)->text(), u"Ebéd"_qs);
    }

    // The picture moves only while the name day's dates show; without the pictures nothing
    // moves and the window still stores.
    void animation_data()
    {
        QTest::addColumn<bool>("pictures");
        QTest::newRow("pictures") << true;
        QTest::newRow("no pictures") << false;
    }
    void animation()
    {
        QFETCH(bool, pictures);
        Editor ed(at(2026, 12, 6), pictures);
        auto *pic = ed.w<QLabel>(u"Picture1"_qs);
        const qint64 initial = pic->pixmap().cacheKey();
        for (int i = 0; i < 30; ++i)
            ed.e->animationTick();
        QCOMPARE(pic->pixmap().cacheKey(), initial); // hidden: never changes
        ed.pickName(u"Abigél"_qs);
        for (int i = 0; i < 6; ++i)
            ed.e->animationTick();
        const qint64 frame4 = pic->pixmap().cacheKey();
        QCOMPARE(frame4 != initial, pictures);
        for (int i = 0; i < 4; ++i)
            ed.e->animationTick();
        QCOMPARE(pic->pixmap().cacheKey() != frame4, pictures);
        ed.store();
        QCOMPARE(ed.h.session().rowsHandedOut(), 1);
    }

    void kindSyncWithList()
    {
        Editor ed(at(2026, 12, 6));
        ed.kind(2);
        QTest::mouseClick(ed.w<QPushButton>(u"Command4"_qs), Qt::LeftButton);
        ReminderList *list = ed.h.window().reminderList();
        QVERIFY(list->isVisible());
        QVERIFY(list->findChild<QRadioButton *>(u"Option1_2"_qs)->isChecked());
        QCOMPARE(list->kind(), ReminderKind::Meeting);
        ed.kind(3);
        QVERIFY(list->findChild<QRadioButton *>(u"Option1_3"_qs)->isChecked());
        QCOMPARE(list->kind(), ReminderKind::MeterReading);
        typeText(ed.w<QLineEdit>(u"Text1"_qs), u"Víz"_qs);
        QTest::mouseClick(list->findChild<QRadioButton *>(u"Option1_4"_qs), Qt::LeftButton);
        QCOMPARE(ed.e->kind(), ReminderKind::Other);
        QCOMPARE(list->kind(), ReminderKind::Other);
        QVERIFY(!ed.w<QPlainTextEdit>(u"Text3"_qs)->isHidden());
        QVERIFY(ed.w<QLineEdit>(u"Text1"_qs)->text().isEmpty());
        // Choosing again the kind the list shows changes nothing in the editor.
        ed.w<QPlainTextEdit>(u"Text3"_qs)->setPlainText(u"Fizetés"_qs);
        QTest::mouseClick(list->findChild<QRadioButton *>(u"Option1_4"_qs), Qt::LeftButton);
        QCOMPARE(ed.w<QPlainTextEdit>(u"Text3"_qs)->toPlainText(), u"Fizetés"_qs);
        // A store refreshes the list.
        ed.store();
        QCOMPARE(list->findChild<QListView *>(u"List1_9"_qs)->model()->rowCount(), 1);
    }

    // The line under the alert pickers says what the reminder will do, as it changes, to the eye
    // and to a screen reader; "Minden évben" makes the year "*"; a reminder of every hour is
    // stored only when the user says so.
    void summaryAndIntent()
    {
        Editor ed(at(2026, 6, 1));
        auto *summary = ed.w<QLabel>(u"osszegzes"_qs);
        ed.pickName(u"Mária"_qs);
        ed.pickDate();
        QCOMPARE(summary->text(),
                 u"Jelzés: 2026. augusztus 14-én, egész nap minden órában :00-kor"_qs);
        QCOMPARE(QAccessible::queryAccessibleInterface(summary)->text(QAccessible::Name),
                 summary->text());
        auto *everyYear = ed.w<QCheckBox>(u"mindenev"_qs);
        QVERIFY(!everyYear->isChecked());
        QTest::mouseClick(everyYear, Qt::LeftButton);
        QCOMPARE(ed.c(u"ev"_qs)->currentText(), u"*"_qs);
        ed.c(u"ora"_qs)->setCurrentIndex(9); // 08
        QCOMPARE(summary->text(), u"Jelzés: minden évben augusztus 14-én 8:00-kor"_qs);
        ed.c(u"ora"_qs)->setCurrentIndex(0); // "*" again: asked, and "No" stores nothing
        typeText(ed.w<QLineEdit>(u"Text1"_qs), u"Kovács"_qs);
        ed.h.boxes.answers << MsgAnswer::No;
        QTest::mouseClick(ed.w<QPushButton>(u"Command2"_qs), Qt::LeftButton);
        QVERIFY(ed.h.boxes.texts().last().contains(u"naponta 24-szer"_qs));
        QCOMPARE(ed.h.session().rowsHandedOut(), 0);
    }

    // Esc with the suggestions open closes the suggestions, not the editor; the editor opens
    // wholly on the main window's screen, even when there is no room below the main window.
    void escapeAndPlace()
    {
        Editor ed(at(2026, 6, 1));
        QComboBox *name = ed.c(u"kernev"_qs);
        name->setFocus();
        typeText(name->lineEdit(), u"lo"_qs);
        QAbstractItemView *popup = name->completer()->popup();
        QTRY_VERIFY(popup->isVisible());
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!popup->isVisible());
        QVERIFY(ed.e->isVisible());
        ed.e->hide();
        ed.h.window().show();
        trigger(ed.h, u"teljes"_qs); // 300 px high: the editor does not fit below on 800 by 600
        trigger(ed.h, u"remember"_qs);
        const QRect area = ed.e->screen()->availableGeometry();
        QVERIFY2(area.contains(ed.e->frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(ed.e->frameGeometry().x())
                                .arg(ed.e->frameGeometry().y())
                                .arg(ed.e->frameGeometry().width())
                                .arg(ed.e->frameGeometry().height())));
    }

    // A date typed into the pickers pre-fills the alert as a date chosen from the list does.
    void typedDatesPrefill()
    {
        Editor ed(at(2026, 6, 1));
        ed.kind(1);
        QComboBox *month = ed.c(u"szhonap"_qs), *day = ed.c(u"sznap"_qs);
        month->lineEdit()->clear();
        typeText(month->lineEdit(), u"december"_qs);
        leave(month, day);
        day->lineEdit()->clear();
        typeText(day->lineEdit(), u"9"_qs);
        leave(day, ed.c(u"ora"_qs));
        QCOMPARE(ed.alert().mid(1, 2), (QStringList{u"december"_qs, u"8"_qs}));
    }

    // A reminder of nothing, or of a time that can never come, is not stored.
    void refusedStores()
    {
        Editor ed(at(2026, 12, 6));
        ed.store();
        QCOMPARE(ed.h.session().rowsHandedOut(), 0);
        QCOMPARE(ed.h.boxes.texts(),
                 QStringList{u"Üres emlékeztetőt nem lehet rögzíteni: adjon meg nevet vagy "
                             "szöveget!"_qs});
        typeText(ed.w<QLineEdit>(u"Text1"_qs), u"Kiss"_qs);
        ed.c(u"ev"_qs)->setEditText(u"2030x"_qs);
        ed.store();
        QCOMPARE(ed.h.session().rowsHandedOut(), 0);
        QCOMPARE(ed.h.boxes.texts().last(), u"Helytelen kifejezést adott meg!"_qs);
        QVERIFY(ed.c(u"ev"_qs)->hasFocus());
        ed.c(u"ev"_qs)->setEditText(u"2030"_qs);
        ed.store();
        QCOMPARE(ed.h.session().table().field(0, Field::Year), u"2030"_qs);
    }
};

QTEST_MAIN(TestReminderEditor)
#include "tst_remindereditor.moc"
