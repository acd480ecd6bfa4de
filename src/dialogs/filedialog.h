#pragma once

#include <QString>
#include <memory>
#include <optional>

class QFileDialog;
class QWidget;

namespace quill {

/// Qt's own Hungarian texts for its dialogs, loaded once, the first time a file dialog opens; the
/// few texts Qt's translation lacks (the kind of a file in the list) are the program's own.
void loadQtTranslation();

/// A file dialog that shows only Hungarian texts and gives its list's columns the width their
/// headers and the entries of the folder need, within the screen.
std::unique_ptr<QFileDialog> makeFileDialog(QWidget *parent, const QString &title,
                                            const QString &suggested, const QString &filter,
                                            bool saving);

/// A file to save to (`saving`) or to open, of the kind `filter` names, starting at `suggested`;
/// none when the user cancels.
std::optional<QString> chooseFileName(QWidget *parent, const QString &title,
                                      const QString &suggested, const QString &filter, bool saving);

} // namespace quill
