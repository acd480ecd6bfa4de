#pragma once

#include "helpviewer.h"

#include <QPointer>
#include <memory>

class QHelpEngine;
class QTabWidget;
class QTextBrowser;
class QWidget;

namespace quill {

/// The help as a compressed Qt help file (`tartalom.qch` beside the program), shown in a window
/// with its contents, index and full-text search. The collection and the search index are kept
/// in a writable cache folder, so a read-only install works.
class QtHelpViewer final : public HelpViewer {
public:
    QtHelpViewer(QString helpFile, QString cacheDir);
    ~QtHelpViewer() override;
    bool show(HelpView view) override;
    bool showPage(const QString &page) override;
    QWidget *window() const;

private:
    bool ensureEngine();
    void buildWindow();
    void createTabs();
    void showStartPage();
    bool showFile(const QString &name);

    QString m_helpFile;
    QString m_cacheDir;
    std::unique_ptr<QHelpEngine> m_engine;
    QPointer<QWidget> m_window;
    QTabWidget *m_tabs = nullptr;
    QTextBrowser *m_browser = nullptr;
};

} // namespace quill
