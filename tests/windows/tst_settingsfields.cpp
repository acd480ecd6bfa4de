// Every field of Beállítások, on every page, walked as a screen reader and the keyboard meet it:
// each line edit, spin box, combo box and check box is read by the words of its visible label,
// and Tab reaches each one that can be used, in the order they are read.

#include "support/testsupport.h"
#include "windows/contactsdesk.h"
#include "windows/settingswindow.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace quill;
using namespace quill::test;

namespace {

// The fields of a page as the user meets them: a spin box's or combo box's own line edit is a
// part of it, not a field of its own.
QList<QWidget *> fieldsOf(QWidget *page)
{
    QList<QWidget *> fields;
    for (QWidget *w : page->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(page))
            continue;
        const bool part = qobject_cast<QAbstractSpinBox *>(w->parentWidget()) ||
                          qobject_cast<QComboBox *>(w->parentWidget());
        if (!part && (qobject_cast<QLineEdit *>(w) || qobject_cast<QAbstractSpinBox *>(w) ||
                      qobject_cast<QComboBox *>(w) || qobject_cast<QCheckBox *>(w)))
            fields << w;
    }
    return fields;
}

// The words on screen that name `field`: a check box's own text, else the label it is the buddy
// of, else its label in a form; without the mnemonic's "&" and the closing colon.
QString visibleLabel(QWidget *page, QWidget *field)
{
    QString text;
    if (auto *box = qobject_cast<QCheckBox *>(field))
        text = box->text();
    for (QLabel *label : page->findChildren<QLabel *>()) {
        if (label->buddy() == field && label->isVisibleTo(page))
            text = label->text();
    }
    if (text.isEmpty()) {
        for (QFormLayout *form : page->findChildren<QFormLayout *>()) {
            if (auto *label = qobject_cast<QLabel *>(form->labelForField(field)))
                text = label->text();
        }
    }
    text.remove(u'&');
    if (text.endsWith(u':'))
        text.chop(1);
    return text.trimmed();
}

// Reading order: the rows from the top, within a row from the left.
bool readBefore(const QRect &a, const QRect &b)
{
    const auto across = [](const QRect &r, int y) { return r.top() <= y && y <= r.bottom(); };
    if (across(a, b.center().y()) || across(b, a.center().y()))
        return a.left() < b.left();
    return a.top() < b.top();
}

// The widgets that take the focus as Tab is pressed, from the page's tab until it comes round.
QList<QWidget *> tabbedThrough(SettingsWindow *settings)
{
    auto *pages = settings->findChild<QTabWidget *>(u"lapok"_qs);
    QWidget *start = pages->tabBar();
    start->setFocus(Qt::TabFocusReason);
    QList<QWidget *> reached;
    for (int i = 0; i < 100; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *now = QApplication::focusWidget();
        if (!reached.isEmpty() && now == reached.last())
            continue; // a time edit's Tab goes from the hours to the minutes first
        if (!now || now == start || reached.contains(now))
            break;
        reached << now;
    }
    return reached;
}

// Chooses a book of two people as the address book, as typing its path does.
void chooseBook(SettingsWindow *settings, const QString &path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Kov\xc3\xa1"
            "cs;M\xc3\xa1ria;;;\r\n"
            "FN:Kov\xc3\xa1"
            "cs M\xc3\xa1ria\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\n"
            "N:Nagy;Ella;;;\r\nFN:Nagy Ella\r\nBDAY:1990-12-09\r\nEND:VCARD\r\n");
    f.close();
    auto *source = settings->findChild<QLineEdit *>(u"ismerosforras"_qs);
    source->setText(path);
    Q_EMIT source->editingFinished();
}

} // namespace

class TestSettingsFields : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyFieldReadAndReached_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("bookChosen");
        QTest::newRow("Jelzések") << 0 << false;
        QTest::newRow("Ismerősök") << 1 << false;
        // A person chosen enables her own notice and, as Mária has many, her day.
        QTest::newRow("Ismerősök, an address book chosen") << 1 << true;
        QTest::newRow("Naptár") << 2 << false;
    }
    void everyFieldReadAndReached()
    {
        QFETCH(int, page);
        QFETCH(bool, bookChosen);
        Harness h(at(2026, 12, 7, 7, 59, 50));
        h.window().show();
        SettingsWindow *settings = openSettings(h);
        QVERIFY(settings);
        QTemporaryDir book;
        if (bookChosen) {
            chooseBook(settings, book.filePath(u"ismerosok.vcf"_qs));
            h.window().contactsDesk()->waitForReading();
            auto *person = settings->findChild<QComboBox *>(u"ismerosvalaszto"_qs);
            person->setCurrentIndex(person->findText(u"Kovács Mária"_qs));
            QVERIFY(settings->findChild<QWidget *>(u"sajatelott"_qs)->isEnabled());
            QVERIFY(settings->findChild<QWidget *>(u"sajatnevnap"_qs)->isEnabled());
        }
        settings->activateWindow();
        QTRY_VERIFY(settings->isActiveWindow());
        auto *pages = settings->findChild<QTabWidget *>(u"lapok"_qs);
        pages->setCurrentIndex(page);
        QWidget *inside = qobject_cast<QScrollArea *>(pages->currentWidget())->widget();
        QList<QWidget *> fields = fieldsOf(inside);
        QVERIFY(fields.size() >= 3);
        for (QWidget *field : std::as_const(fields)) {
            const QString label = visibleLabel(inside, field);
            QVERIFY2(!label.isEmpty(), qPrintable(field->objectName() + u" has no label"_qs));
            QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(field);
            QVERIFY(reader);
            QCOMPARE(reader->text(QAccessible::Name), label);
        }
        // What Tab reaches, of the fields that can be used now, and in what order.
        fields.removeIf([](const QWidget *w) { return !w->isEnabled(); });
        const auto where = [inside](const QWidget *w) {
            return QRect(w->mapTo(inside, QPoint()), w->size());
        };
        std::stable_sort(fields.begin(), fields.end(), [&](const QWidget *a, const QWidget *b) {
            return readBefore(where(a), where(b));
        });
        QList<QWidget *> reached = tabbedThrough(settings);
        // Tab stops nowhere that reads as nothing (an empty line of text).
        for (QWidget *w : std::as_const(reached)) {
            QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(w);
            QVERIFY2(reader && !reader->text(QAccessible::Name).trimmed().isEmpty(),
                     qPrintable(w->objectName() + u' ' +
                                QString::fromLatin1(w->metaObject()->className()) +
                                u" is reached but reads as nothing"_qs));
        }
        reached.removeIf([&fields](QWidget *w) { return !fields.contains(w); });
        QStringList expected, got;
        for (const QWidget *w : std::as_const(fields))
            expected << w->objectName();
        for (const QWidget *w : std::as_const(reached))
            got << w->objectName();
        QCOMPARE(got, expected);
        delete settings;
    }
};

QTEST_MAIN(TestSettingsFields)
#include "tst_settingsfields.moc"
