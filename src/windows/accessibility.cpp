#include "accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace quill {

namespace {

// A picker as a screen reader should meet it: named by its caption, its value the text it holds.
// (Qt names an editable combo box on Linux by its current text.)
class PickerAccessible final : public QAccessibleWidget {
public:
    explicit PickerAccessible(QComboBox *combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox)
    {
        addControllingSignal(QStringLiteral("currentIndexChanged(int)"));
    }
    QComboBox *combo() const { return static_cast<QComboBox *>(widget()); }
    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return combo()->accessibleName().isEmpty() ? combo()->currentText()
                                                       : combo()->accessibleName();
        case QAccessible::Value:
            return combo()->currentText();
        default:
            return QAccessibleWidget::text(t);
        }
    }
    QStringList actionNames() const override
    {
        return QAccessibleWidget::actionNames() << showMenuAction();
    }
    void doAction(const QString &action) override
    {
        if (action == showMenuAction() || action == pressAction())
            combo()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }
};

const char *const windowMark = "quillWindow";

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (className == u"QComboBox") {
        if (auto *combo = qobject_cast<QComboBox *>(object))
            return new PickerAccessible(combo);
    }
    // Our windows are windows, named by their titles, not anonymous panes.
    if (object->isWidgetType() && object->property(windowMark).toBool())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

void installAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(factory);
}

void announceAsWindow(QWidget *window)
{
    window->setProperty(windowMark, true);
}

void describeLabel(QLabel *label, const QString &role)
{
    label->setAccessibleName(QString());
    label->setAccessibleDescription(role);
}

} // namespace quill
