#include "qthelpviewer.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace quill {

namespace {

// The width the contents tree needs to show each title whole: its text after its indentation.
int widestTitle(const QTreeView *tree)
{
    const QAbstractItemModel *model = tree->model();
    QList<std::pair<QModelIndex, int>> todo{{QModelIndex(), 0}};
    int widest = 0;
    while (!todo.isEmpty()) {
        const auto [parent, depth] = todo.takeLast();
        for (int r = 0; r < model->rowCount(parent); ++r) {
            const QModelIndex at = model->index(r, 0, parent);
            widest =
                std::max(widest, (depth + 1) * tree->indentation() +
                                     tree->fontMetrics().horizontalAdvance(at.data().toString()));
            todo.append({at, depth + 1});
        }
    }
    return widest;
}

// A browser that reads its pages out of the help engine.
class HelpBrowser final : public QTextBrowser {
public:
    HelpBrowser(QHelpEngine *engine, QWidget *parent)
        : QTextBrowser(parent)
        , m_engine(engine)
    {
    }

    QVariant loadResource(int type, const QUrl &name) override
    {
        if (name.scheme() == u"qthelp")
            return m_engine->fileData(name);
        return QTextBrowser::loadResource(type, name);
    }

private:
    QHelpEngine *m_engine;
};

// The search page's buttons that show only an arrow get names a screen reader can read: the
// ones with a tool tip take it, the four page buttons under the results (first, previous, next,
// last, in that order) their purpose.
void nameButtons(QWidget *page)
{
    const QStringList pages = {
        QStringLiteral("Első találati oldal"), QStringLiteral("Előző találati oldal"),
        QStringLiteral("Következő találati oldal"), QStringLiteral("Utolsó találati oldal")};
    qsizetype next = 0;
    for (QToolButton *b : page->findChildren<QToolButton *>()) {
        if (!b->accessibleName().isEmpty() || !b->text().isEmpty() ||
            b->inherits("QLineEditIconButton"))
            continue;
        if (!b->toolTip().isEmpty())
            b->setAccessibleName(b->toolTip());
        else if (next < pages.size())
            b->setAccessibleName(pages[next++]);
    }
}

} // namespace

QtHelpViewer::QtHelpViewer(QString helpFile, QString cacheDir)
    : m_helpFile(std::move(helpFile))
    , m_cacheDir(std::move(cacheDir))
{
}

QtHelpViewer::~QtHelpViewer()
{
    delete m_window;
}

QWidget *QtHelpViewer::window() const
{
    return m_window;
}

bool QtHelpViewer::ensureEngine()
{
    if (m_engine)
        return true;
    const QFileInfo help(m_helpFile);
    if (!help.isFile() || !help.isReadable())
        return false;
    if (!QDir().mkpath(m_cacheDir))
        return false;
    auto engine =
        std::make_unique<QHelpEngine>(QDir(m_cacheDir).filePath(QStringLiteral("tartalom.qhc")));
    // The collection is our own cache file; it has to be writable to register the help in it.
    engine->setReadOnly(false);
    if (!engine->setupData())
        return false;
    const QString ns = QHelpEngineCore::namespaceName(help.absoluteFilePath());
    if (ns.isEmpty())
        return false;
    if (engine->documentationFileName(ns) != help.absoluteFilePath()) {
        engine->unregisterDocumentation(ns);
        if (!engine->registerDocumentation(help.absoluteFilePath()))
            return false;
    }
    m_engine = std::move(engine);
    return true;
}

void QtHelpViewer::buildWindow()
{
    auto *window = new QWidget(nullptr, Qt::Window);
    window->setObjectName(QStringLiteral("sugoablak"));
    window->setWindowTitle(QStringLiteral("Quillomat súgó"));
    window->setAttribute(Qt::WA_DeleteOnClose, false);

    auto *splitter = new QSplitter(window);
    m_tabs = new QTabWidget(splitter);
    m_tabs->setObjectName(QStringLiteral("sugolapok"));
    m_browser = new HelpBrowser(m_engine.get(), splitter);
    m_browser->setObjectName(QStringLiteral("sugooldal"));
    splitter->setStretchFactor(1, 3);

    createTabs();
    // Once the contents are read, their pane is as wide as its longest title (up to half the
    // window), so no title needs the pane scrolled sideways.
    QHelpContentWidget *contents = m_engine->contentWidget();
    QObject::connect(m_engine->contentModel(), &QHelpContentModel::contentsCreated, splitter,
                     [splitter, contents] {
                         const int need = widestTitle(contents) +
                                          contents->verticalScrollBar()->sizeHint().width() +
                                          4 * contents->frameWidth() + 16;
                         const int total = splitter->width();
                         const int left = std::min(need, total / 2);
                         splitter->setSizes({left, total - left});
                     });
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    m_window = window;
    // As large as it was made, but never larger than the screen (at 2× a 1600×900 screen has
    // room for 800×450), its frame and title bar included.
    QSize size(820, 560);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        size = size.boundedTo(area.size() * 9 / 10);
        window->resize(size);
        window->move(area.center() - window->rect().center());
    } else {
        window->resize(size);
    }
    showStartPage();
}

void QtHelpViewer::createTabs()
{
    QHelpContentWidget *contents = m_engine->contentWidget();
    m_tabs->addTab(contents, QStringLiteral("Tartalom"));
    // Each chapter's whole title, scrolled sideways where the pane is narrow, never cut short.
    contents->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    contents->header()->setStretchLastSection(false);
    QObject::connect(m_engine->contentModel(), &QHelpContentModel::contentsCreated, contents,
                     &QTreeView::expandAll);
    QObject::connect(contents, &QHelpContentWidget::linkActivated, m_browser,
                     [this](const QUrl &url) { m_browser->setSource(url); });

    QHelpIndexWidget *index = m_engine->indexWidget();
    m_tabs->addTab(index, QStringLiteral("Tárgymutató"));
    QObject::connect(
        index, &QHelpIndexWidget::documentActivated, m_browser,
        [this](const QHelpLink &link, const QString &) { m_browser->setSource(link.url); });
    QObject::connect(index, &QHelpIndexWidget::documentsActivated, m_browser,
                     [this](const QList<QHelpLink> &links, const QString &) {
                         if (!links.isEmpty())
                             m_browser->setSource(links.first().url);
                     });

    QHelpSearchEngine *search = m_engine->searchEngine();
    auto *searchPage = new QWidget;
    auto *searchLayout = new QVBoxLayout(searchPage);
    searchLayout->addWidget(search->queryWidget());
    searchLayout->addWidget(search->resultWidget(), 1);
    m_tabs->addTab(searchPage, QStringLiteral("Keresés"));
    nameButtons(searchPage);
    QObject::connect(search->queryWidget(), &QHelpSearchQueryWidget::search, search,
                     [search] { search->search(search->queryWidget()->searchInput()); });
    QObject::connect(search->resultWidget(), &QHelpSearchResultWidget::requestShowLink, m_browser,
                     [this](const QUrl &url) { m_browser->setSource(url); });
    search->reindexDocumentation();
}

bool QtHelpViewer::showFile(const QString &name)
{
    const auto files = m_engine->files(QHelpEngineCore::namespaceName(m_helpFile), QString(),
                                       QStringLiteral("html"));
    for (const QUrl &url : files) {
        if (url.fileName() == name) {
            m_browser->setSource(url);
            return true;
        }
    }
    return false;
}

void QtHelpViewer::showStartPage()
{
    if (showFile(QStringLiteral("index.html")))
        return;
    const auto files = m_engine->files(QHelpEngineCore::namespaceName(m_helpFile), QString(),
                                       QStringLiteral("html"));
    if (!files.isEmpty())
        m_browser->setSource(files.first());
}

bool QtHelpViewer::show(HelpView view)
{
    if (!ensureEngine())
        return false;
    if (!m_window)
        buildWindow();
    m_tabs->setCurrentIndex(view == HelpView::Search ? 2 : 0);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    return true;
}

bool QtHelpViewer::showPage(const QString &page)
{
    if (!show(HelpView::Contents))
        return false;
    if (!showFile(page))
        showStartPage(); // a page this help has not: its contents
    return true;
}

} // namespace quill

// The plugin's one entry: the host loads this file only when help is first asked for.
extern "C" Q_DECL_EXPORT quill::HelpViewer *quillomatCreateHelpViewer(const QString &helpFile,
                                                                      const QString &cacheDir)
{
    return new quill::QtHelpViewer(helpFile, cacheDir);
}
