// The file dialogs, as a screen reader and the eye meet them: every text Hungarian, every column
// of the list as wide as its header and the names in the folder, the dialog within the screen.
// Run at 1× and again (QT_SCALE_FACTOR=2) at 2×.

#include "dialogs/filedialog.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using namespace quill;

namespace {

// The dialog keeps its last state in the user's Qt settings: here in a folder of the test's own,
// beside the tests' own screen, 1600×900 as a laptop's.
QTemporaryDir *configHome = nullptr;

void collectTexts(QAccessibleInterface *node, QStringList &texts, int depth = 0)
{
    if (!node || depth > 30)
        return;
    if (!node->state().invisible) {
        for (QAccessible::Text kind : {QAccessible::Name, QAccessible::Description})
            if (const QString text = node->text(kind); !text.isEmpty())
                texts << text;
    }
    for (int i = 0; i < node->childCount(); ++i)
        collectTexts(node->child(i), texts, depth + 1);
}

QStringList englishIn(const QStringList &texts)
{
    // English words of the toolkit's own texts: none of them may show.
    static const QStringList words =
        u"Folder|Name|Size|Date Modified|Look in|File name|Files of type|Cancel|Open|Save|"
        u"File|Type|Kind|Back|Forward|Parent Directory|Create New Folder|List View|"
        u"Detail View|Sidebar|Computer|Drive|Shortcut|Files|All Files|Directory|Choose|"
        u"bytes|document|calendar|card|Dec"_qs.split(u'|');
    QStringList found;
    for (const QString &text : texts) {
        const QString plain = QString(text).remove(u'&');
        for (const QString &word : words) {
            const QRegularExpression whole(u"\\b%1\\b"_qs.arg(QRegularExpression::escape(word)));
            if (whole.match(plain).hasMatch())
                found << u"%1 (in \"%2\")"_qs.arg(word, text);
        }
    }
    return found;
}

} // namespace

class TestFileDialog : public QObject {
    Q_OBJECT
public:
    static void initMain()
    {
        configHome = new QTemporaryDir;
        qputenv("XDG_CONFIG_HOME", configHome->path().toLocal8Bit());
        QFile screen(configHome->filePath(u"screen.json"_qs));
        if (!screen.open(QIODevice::WriteOnly))
            qFatal("no screen file");
        screen.write(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1600,
                        "height": 900, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        screen.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screen.fileName().toLocal8Bit());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        QDir(m_folder.path()).mkdir(u"elemek"_qs);
        for (const QString &name :
             {u"emlékeztetők-a-család-születésnapjairól-és-névnapjairól.txt"_qs,
              u"névjegyek.vcf"_qs, u"naptár.ics"_qs, u"jegyzet"_qs}) {
            QFile file(m_folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("x");
        }
        QAccessible::setActive(true);
    }
    void cleanupTestCase() { delete std::exchange(configHome, nullptr); }

    void hungarianAndWhole_data()
    {
        QTest::addColumn<bool>("saving");
        QTest::addColumn<QString>("filter");
        QTest::newRow("opening the book") << false << u"Emlékeztetők (*.txt);;Minden fájl (*)"_qs;
        QTest::newRow("saving the calendar") << true << u"Naptár (*.ics)"_qs;
        QTest::newRow("opening the address book") << false << u"Névjegyek (*.vcf *.vcard)"_qs;
    }
    void hungarianAndWhole()
    {
        QFETCH(bool, saving);
        QFETCH(QString, filter);
        const auto made = makeFileDialog(nullptr, u"Fájl"_qs, m_folder.path(), filter, saving);
        QFileDialog &dialog = *made;
        dialog.setNameFilter(u"Minden fájl (*)"_qs);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *tree = dialog.findChild<QTreeView *>(u"treeView"_qs);
        QVERIFY(tree);
        QVERIFY(tree->isVisible());
        QTRY_COMPARE(tree->model()->rowCount(tree->rootIndex()), 5);
        QTest::qWait(200); // the kinds of the files come in from the model's own thread

        QStringList texts;
        collectTexts(QAccessible::queryAccessibleInterface(&dialog), texts);
        QVERIFY(texts.size() > 20);
        const QStringList english = englishIn(texts);
        QVERIFY2(english.isEmpty(), qPrintable(english.join(u", "_qs)));

        QHeaderView *header = tree->header();
        for (int column = 0; column < header->count(); ++column) {
            if (header->isSectionHidden(column))
                continue;
            const int width = header->sectionSize(column);
            const int needed =
                std::max(header->sectionSizeHint(column),
                         static_cast<QAbstractItemView *>(tree)->sizeHintForColumn(column));
            QVERIFY2(
                width >= needed,
                qPrintable(u"column \"%1\": %2 of %3"_qs
                               .arg(tree->model()->headerData(column, Qt::Horizontal).toString())
                               .arg(width)
                               .arg(needed)));
        }
        const int shown = header->length() - header->offset();
        QVERIFY2(
            header->offset() == 0 && shown <= tree->viewport()->width(),
            qPrintable(
                u"columns %1 wide in %2"_qs.arg(header->length()).arg(tree->viewport()->width())));
        const QRect screen = dialog.screen()->availableGeometry();
        QVERIFY(screen.contains(dialog.frameGeometry()));
    }

private:
    QTemporaryDir m_folder;
};

QTEST_MAIN(TestFileDialog)
#include "tst_filedialog.moc"
