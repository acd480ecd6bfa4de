#include "helpkeys.h"

#include "services.h"

#include <QShortcut>
#include <QWidget>

namespace quill {

void openHelpPage(Services &services, QWidget *parent, const QString &page)
{
    if (services.help.showPage(page))
        return;
    services.boxes.show(parent, MsgIcon::Exclamation, QStringLiteral("Quillomat"),
                        helpUnavailableText());
}

void helpOnF1(QWidget *window, Services &services, std::function<QString()> page)
{
    auto *key = new QShortcut(QKeySequence(Qt::Key_F1), window);
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, window,
                     [window, &services, page] { openHelpPage(services, window, page()); });
}

} // namespace quill
