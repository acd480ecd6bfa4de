#include "helpviewer.h"

#include "platform/pluginentry.h"

namespace quill {

LazyHelpViewer::LazyHelpViewer(QString plugin, QString helpFile, QString cacheDir)
    : m_plugin(std::move(plugin))
    , m_helpFile(std::move(helpFile))
    , m_cacheDir(std::move(cacheDir))
{
}

// The viewer's windows go before the plugin's code could; the plugin itself stays loaded.
LazyHelpViewer::~LazyHelpViewer() = default;

HelpViewer *LazyHelpViewer::viewer()
{
    if (!m_tried) {
        m_tried = true;
        if (const auto create =
                reinterpret_cast<CreateHelpViewer>(pluginEntry(m_plugin, createHelpViewerSymbol)))
            m_viewer.reset(create(m_helpFile, m_cacheDir));
    }
    return m_viewer.get();
}

bool LazyHelpViewer::show(HelpView view)
{
    HelpViewer *v = viewer();
    return v && v->show(view);
}

bool LazyHelpViewer::showPage(const QString &page)
{
    HelpViewer *v = viewer();
    return v && v->showPage(page);
}

} // namespace quill
