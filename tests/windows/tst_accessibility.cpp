#include "support/testsupport.h"
#include "windows/remindereditor.h"
#include "windows/reminderlist.h"
#include "windows/widgets.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStringEncoder>

using namespace quill;
using namespace quill::test;

namespace {
QAccessibleInterface *reader(QObject *o)
{
    QAccessibleInterface *i = QAccessible::queryAccessibleInterface(o);
    if (!i)
        qWarning("no accessible interface");
    return i;
}
QString name(QObject *o)
{
    return reader(o)->text(QAccessible::Name);
}

// What a screen reader is told unasked: the names of the notifications as they appear.
class Heard final : public QObject {
public:
    Heard() { qApp->installEventFilter(this); }
    QStringList announced;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Show && o->isWidgetType()) {
            QAccessibleInterface *i = QAccessible::queryAccessibleInterface(o);
            if (i && i->role() == QAccessible::Notification)
                announced << i->text(QAccessible::Name);
        }
        return false;
    }
};
} // namespace

// What a screen reader reads is what the screen shows.
class TestAccessibility : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void todayPanel_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::newRow("Miklós") << at(2026, 12, 6, 7, 5);
        QTest::newRow("29 February") << at(2028, 2, 29, 0, 0);
    }
    void todayPanel()
    {
        QFETCH(QDateTime, now);
        Harness h(now);
        for (int i = 0; i < 6; ++i) {
            auto *label = h.find<QLabel>(u"Label1_%1"_qs.arg(i));
            QVERIFY(!label->text().isEmpty());
            QCOMPARE(name(label), label->text());
        }
        QCOMPARE(reader(h.find<QLabel>(u"Label1_2"_qs))->text(QAccessible::Description), u"Idő"_qs);
        h.clock.set(now.addSecs(60));
        h.window().clockTick();
        QCOMPARE(name(h.find<QLabel>(u"Label1_2"_qs)), now.addSecs(60).toString(u"HH:mm"_qs));
        QCOMPARE(name(h.find<QLabel>(u"Label4"_qs)), u"   Zelmarin ™   "_qs);
        QCOMPARE(reader(&h.window())->role(), QAccessible::Window);
        // Read without the title's padding and the maker's name.
        QCOMPARE(name(&h.window()), u"A mai nap adatai"_qs);
        // The window comes forward with the day in one sentence, as the panel shows it ...
        const auto sentence = [&](const QDateTime &t) {
            return u"%1. %2 %3., %4, %5, %6"_qs.arg(t.date().year())
                .arg(h.find<QLabel>(u"Label1_0"_qs)->text())
                .arg(t.date().day())
                .arg(h.find<QLabel>(u"Label1_1"_qs)->text(), t.toString(u"H:mm"_qs),
                     h.find<QLabel>(u"Label1_3"_qs)->text());
        };
        QCOMPARE(reader(&h.window())->text(QAccessible::Description), sentence(now.addSecs(60)));
        h.clock.set(now.addSecs(120));
        h.window().clockTick();
        QCOMPARE(reader(&h.window())->text(QAccessible::Description), sentence(now.addSecs(120)));
    }

    void searches_data()
    {
        QTest::addColumn<bool>("byName");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("answer");
        QTest::newRow("15 March") << false << u"március 15"_qs << u"Kristóf"_qs;
        QTest::newRow("29 February") << false << u"február 29"_qs << QString();
        QTest::newRow("Zoltán") << true << u"Zoltán"_qs << u" március 8. június 23."_qs;
    }
    void searches()
    {
        QFETCH(bool, byName);
        QFETCH(QString, asked);
        QFETCH(QString, answer);
        Harness h(at(2026, 12, 6, 7, 5));
        h.window().show();
        h.window().completeStartUp();
        auto *month = h.find<QComboBox>(u"Combo1_0"_qs);
        QCOMPARE(name(month), u"Hónap"_qs);
        QCOMPARE(reader(month)->text(QAccessible::Value), u"január"_qs);
        auto *result = h.find<QLabel>(byName ? u"Label3"_qs : u"Label2"_qs);
        if (byName) {
            QTest::mouseClick(h.find<QRadioButton>(u"Option2"_qs), Qt::LeftButton);
            h.find<QComboBox>(u"Combo2"_qs)->setEditText(asked);
            QCOMPARE(name(h.find<QComboBox>(u"Combo2"_qs)), u"Keresztnév"_qs);
            QCOMPARE(reader(h.find<QComboBox>(u"Combo2"_qs))->text(QAccessible::Value), asked);
        } else {
            month->setEditText(asked.section(u' ', 0, 0));
            h.find<QComboBox>(u"Combo1_1"_qs)->setEditText(asked.section(u' ', 1));
        }
        Heard heard;
        QTest::mouseClick(h.find<QPushButton>(u"Command1"_qs), Qt::LeftButton);
        QCOMPARE(result->text(), answer);
        QCOMPARE(name(result), answer);
        QVERIFY(!reader(result)->text(QAccessible::Description).isEmpty());
        // The answer is spoken as it appears, the same answer again too; a search that ends in
        // a message says nothing besides the message.
        QTest::mouseClick(h.find<QPushButton>(u"Command1"_qs), Qt::LeftButton);
        if (answer.isEmpty())
            QCOMPARE(heard.announced, QStringList());
        else
            QCOMPARE(heard.announced, QStringList(2, answer.simplified()));
    }

    // Coloured texts stay readable: the design's colours on a light palette, lighter tints of
    // them on a dark one (4.5:1 at least), also for the moving signature.
    void coloursOnLightAndDarkPalettes()
    {
        const QPalette original = QApplication::palette();
        Harness h(at(2026, 12, 6, 7, 5));
        QLabel *signature = h.find<QLabel>(u"Label4"_qs);
        const QList<QPair<QLabel *, QColor>> coloured = {
            {h.find<QLabel>(u"Label1_3"_qs), QColor(255, 0, 0)},
            {h.find<QLabel>(u"Label2"_qs), QColor(0, 0, 255)},
            {h.find<QLabel>(u"Label3"_qs), QColor(0, 0, 255)},
            {signature, QColor(0, 0, 255)}};
        const auto text = [](QLabel *l) { return l->palette().color(QPalette::WindowText); };
        const auto ground = [](QLabel *l) { return l->palette().color(l->backgroundRole()); };

        QPalette dark(QColor(0x2b, 0x2b, 0x2b), QColor(0x35, 0x35, 0x35));
        dark.setColor(QPalette::WindowText, Qt::white);
        QApplication::setPalette(dark);
        QCoreApplication::processEvents(); // a new palette reaches the windows as an event
        for (const auto &[label, wanted] : coloured) {
            QVERIFY2(contrastRatio(text(label), ground(label)) >= 4.5,
                     qPrintable(label->objectName()));
            QCOMPARE(text(label).hue(), wanted.hue()); // the same hue, lighter
        }
        QTest::mouseClick(signature, Qt::LeftButton);
        for (int i = 0; i < 26; ++i) {
            h.window().signatureTick();
            QVERIFY(contrastRatio(text(signature), ground(signature)) >= 4.5);
        }
        QTest::mouseClick(signature, Qt::LeftButton);
        h.window().signatureTick();

        QApplication::setPalette(original);
        QCoreApplication::processEvents();
        QVERIFY(ground(signature).lightness() >= 128);
        for (const auto &[label, wanted] : coloured)
            QCOMPARE(text(label), wanted);
    }

    void editorAndList()
    {
        const QString line =
            u"n|Kovács|Zoltán|*|március|7|*|00|március 8. június 23.| |1|0|\r\n"_qs;
        const QByteArray file = QStringEncoder("windows-1250").encode(line);
        Harness h(at(2026, 12, 6, 7, 5), QLocale(QLocale::English), &file);
        ReminderEditor *editor = h.window().reminderEditor();
        editor->show();
        QCOMPARE(reader(editor)->role(), QAccessible::Window);
        QCOMPARE(name(editor), u"Emlékeztetők"_qs);
        QTest::mouseClick(h.find<QPushButton>(u"Command1_2"_qs, editor), Qt::LeftButton);
        for (int k = 0; k < 5; ++k) {
            QAccessibleInterface *kind =
                reader(h.find<QPushButton>(u"Command1_%1"_qs.arg(k), editor));
            QCOMPARE(kind->state().checked, k == 2);
        }
        QCOMPARE(name(h.find<QLabel>(u"Label1_0"_qs, editor)), u"Megnevezés:"_qs);
        auto *alertYear = h.find<QComboBox>(u"ev"_qs, editor);
        QCOMPARE(name(alertYear), u"év"_qs);
        QCOMPARE(reader(alertYear)->text(QAccessible::Value), u"*"_qs);
        QCOMPARE(name(h.find<QComboBox>(u"perc"_qs, editor)), u"perc"_qs);
        // Storing is confirmed on the screen and to the screen reader alike.
        Heard heard;
        h.boxes.answers = {MsgAnswer::Yes}; // an alert every hour: yes, meant so
        h.find<QLineEdit>(u"Text1"_qs, editor)->setText(u"Fogorvos"_qs);
        QTest::mouseClick(h.find<QPushButton>(u"Command2"_qs, editor), Qt::LeftButton);
        const QString stored = h.find<QLabel>(u"allapot"_qs, editor)->text();
        QCOMPARE(stored, u"Eltárolva: 2. sor"_qs);
        QCOMPARE(heard.announced, QStringList{stored});

        ReminderList *list = h.window().reminderList();
        list->show();
        QCOMPARE(name(list), u"Emlékeztető bejegyzések listája"_qs);
        QCOMPARE(name(h.find<QListView>(u"List1_1"_qs, list)), u"Vezetéknév"_qs);
        QCOMPARE(name(h.find<QListView>(u"List1_3"_qs, list)), u"Névnap(ok)"_qs);
        QCOMPARE(name(h.find<QListView>(u"List1_6"_qs, list)), u"Nap"_qs);
        QCOMPARE(name(h.find<QCheckBox>(u"Check1_0"_qs, list)), u"Aktív: Kovács Zoltán"_qs);
        // The list's actions that change nothing else on the screen are spoken.
        QTest::mouseClick(h.find<QPushButton>(u"Command3"_qs, list), Qt::LeftButton);
        QCOMPARE(heard.announced.last(), u"Mentve."_qs);
        auto *surnames = h.find<QListView>(u"List1_1"_qs, list);
        QTest::mouseClick(surnames->viewport(), Qt::LeftButton, {},
                          surnames->visualRect(surnames->model()->index(0, 1)).center());
        QTest::mouseClick(h.find<QPushButton>(u"Command2"_qs, list), Qt::LeftButton);
        QCOMPARE(heard.announced.last(), u"Törölve."_qs);
        QTest::mouseClick(h.find<QRadioButton>(u"Option1_4"_qs, list), Qt::LeftButton);
        QCOMPARE(name(h.find<QListView>(u"List1_9"_qs, list)), u"Emlékeztető szöveg"_qs);
        QCOMPARE(h.boxes.shown.size(), 1); // only the question before the store
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
