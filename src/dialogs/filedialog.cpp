#include "dialogs/filedialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHash>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>

namespace quill {

namespace {

/// The few texts of the file dialog that Qt's Hungarian translation lacks.
class MissingQtTexts final : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        static const QHash<QString, QString> texts = {
            {u"QFileSystemModel/Computer"_qs, u"Számítógép"_qs},
            {u"QAbstractFileIconProvider/Folder"_qs, u"Mappa"_qs},
            {u"QAbstractFileIconProvider/Drive"_qs, u"Meghajtó"_qs},
            {u"QAbstractFileIconProvider/Shortcut"_qs, u"Parancsikon"_qs},
            {u"QAbstractFileIconProvider/File"_qs, u"Fájl"_qs},
        };
        return texts.value(QLatin1StringView(context) + u'/' + QLatin1StringView(source));
    }
};

QString hungarianSize(qint64 bytes)
{
    const QLocale hungarian(QLocale::Hungarian, QLocale::Hungary);
    if (bytes < 1024)
        return u"%1 bájt"_qs.arg(bytes);
    static const char *const units[] = {"kB", "MB", "GB", "TB"};
    double value = double(bytes) / 1024;
    int unit = 0;
    for (; value >= 1024 && unit < 3; ++unit)
        value /= 1024;
    return hungarian.toString(value, 'f', value < 10 ? 1 : 0) + u' ' +
           QLatin1StringView(units[unit]);
}

QString hungarianKind(const QFileInfo &info)
{
    if (info.isDir())
        return u"Mappa"_qs;
    const QString suffix = info.suffix();
    return suffix.isEmpty() ? u"Fájl"_qs : suffix.toUpper() + u"-fájl"_qs;
}

/// The list's size, kind and date columns, as a Hungarian reads them, whatever the system's
/// language: "12 bájt", "TXT-fájl", "2026. 12. 08. 21:56".
class HungarianFileColumns final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex &index, int role) const override
    {
        auto *files = qobject_cast<QFileSystemModel *>(sourceModel());
        if (!files || index.column() == 0 ||
            (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
            return QIdentityProxyModel::data(index, role);
        const QFileInfo info = files->fileInfo(mapToSource(index));
        switch (index.column()) {
        case 1:
            return info.isDir() ? QString() : hungarianSize(info.size());
        case 2:
            return hungarianKind(info);
        case 3:
            return info.lastModified().toString(u"yyyy. MM. dd. HH:mm"_qs);
        default:
            return QIdentityProxyModel::data(index, role);
        }
    }
};

/// Every column as wide as its header and its widest entry; the dialog widened to show them all,
/// within its screen.
void fitColumns(QFileDialog &dialog)
{
    auto *tree = dialog.findChild<QTreeView *>(u"treeView"_qs);
    if (!tree || !tree->model())
        return;
    QHeaderView *header = tree->header();
    for (int column = 0; column < header->count(); ++column)
        if (!header->isSectionHidden(column))
            tree->resizeColumnToContents(column);
    int needed = 0;
    for (int column = 0; column < header->count(); ++column)
        if (!header->isSectionHidden(column))
            needed += header->sectionSize(column);
    const int missing = needed - tree->viewport()->width();
    if (missing <= 0)
        return;
    const QRect screen = dialog.screen()->availableGeometry();
    const int frame = dialog.frameGeometry().width() - dialog.width();
    const int width = std::min(dialog.width() + missing, screen.width() - frame);
    dialog.resize(width, dialog.height());
    const int x = std::clamp(dialog.x(), screen.left(), screen.right() + 1 - width - frame);
    dialog.move(x, dialog.y());
}

} // namespace

void loadQtTranslation()
{
    static bool loaded = false;
    if (std::exchange(loaded, true))
        return;
    QCoreApplication *app = QCoreApplication::instance();
    // The program may have loaded it already, for the buttons of its message boxes.
    if (QCoreApplication::translate("QFileDialog", "Folder") == u"Folder"_qs) {
        auto *translator = new QTranslator(app);
        if (translator->load(u"qtbase_hu"_qs, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(translator);
    }
    QCoreApplication::installTranslator(new MissingQtTexts(app));
}

std::unique_ptr<QFileDialog> makeFileDialog(QWidget *parent, const QString &title,
                                            const QString &suggested, const QString &filter,
                                            bool saving)
{
    loadQtTranslation(); // before the dialog names its places
    auto made = std::make_unique<QFileDialog>(parent, title, suggested, filter);
    QFileDialog &dialog = *made;
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.setProxyModel(new HungarianFileColumns(&dialog));
    auto *files = dialog.findChild<QFileSystemModel *>();
    if (!files)
        return made;
    QPointer<QFileDialog> guarded(&dialog);
    QObject::connect(files, &QFileSystemModel::directoryLoaded, &dialog, [guarded] {
        // After the view has taken in the rows just loaded.
        QTimer::singleShot(0, guarded, [guarded] { fitColumns(*guarded); });
    });
    return made;
}

std::optional<QString> chooseFileName(QWidget *parent, const QString &title,
                                      const QString &suggested, const QString &filter, bool saving)
{
    const std::unique_ptr<QFileDialog> dialog =
        makeFileDialog(parent, title, suggested, filter, saving);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return dialog->selectedFiles().constFirst();
}

} // namespace quill
