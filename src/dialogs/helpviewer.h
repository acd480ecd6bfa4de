#pragma once

#include <QString>
#include <memory>

namespace quill {

/// What the user is told when the help cannot be opened.
inline QString helpUnavailableText()
{
    return QStringLiteral("A súgó nem nyitható meg: a súgófájl (tartalom.qch) hiányzik a program "
                          "mappájából, vagy sérült.");
}

/// Which part of the help the user asked for: its contents, its index or its search.
enum class HelpView { Contents, Index, Search };

/// Shows the program's help file.
class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    /// False when the help file cannot be opened; the caller tells the user.
    virtual bool show(HelpView view) = 0;
    /// Shows the help at one of its pages, by its file name ("foablak.html").
    virtual bool showPage(const QString &page) = 0;
};

/// The help viewer kept in a plugin of the program's own (`libquillomat-help.so` beside the
/// program), loaded on the first request: Qt Help and its database are never loaded at start-up,
/// only when the user first asks for help.
class LazyHelpViewer final : public HelpViewer {
public:
    /// `plugin`: the plugin's path; `helpFile`, `cacheDir`: as the viewer takes them.
    LazyHelpViewer(QString plugin, QString helpFile, QString cacheDir);
    ~LazyHelpViewer() override;
    bool show(HelpView view) override;
    bool showPage(const QString &page) override;
    /// Whether the plugin has been loaded; for tests and benchmarks.
    bool loaded() const { return m_viewer != nullptr; }

private:
    HelpViewer *viewer();
    QString m_plugin, m_helpFile, m_cacheDir;
    std::unique_ptr<HelpViewer> m_viewer;
    bool m_tried = false;
};

/// What the plugin offers: a viewer for a help file, its collection kept in a cache folder.
using CreateHelpViewer = HelpViewer *(*)(const QString &helpFile, const QString &cacheDir);
inline constexpr char createHelpViewerSymbol[] = "quillomatCreateHelpViewer";

} // namespace quill
