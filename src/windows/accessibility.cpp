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
const char *const summaryKey = "quillSummary";

// A window of ours: the window role, named by its title without the padding and the maker's
// name that the title bar shows ("Emlékeztetők     ...     Zelmarin©" is read "Emlékeztetők").
class WindowAccessible final : public QAccessibleWidget {
public:
    explicit WindowAccessible(QWidget *window)
        : QAccessibleWidget(window, QAccessible::Window)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Description) {
            const QString summary = widget()->property(summaryKey).toString();
            return summary.isEmpty() ? QAccessibleWidget::text(t) : summary;
        }
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        QString title = widget()->windowTitle();
        title.remove(QStringLiteral("Zelmarin©"));
        return title.simplified();
    }
};

const char *const announcerMark = "quillAnnouncer";

// The announcer: a notification whose name is what was just shown. Screen readers speak a
// notification when it appears, without it taking the focus.
class AnnouncerAccessible final : public QAccessibleWidget {
public:
    explicit AnnouncerAccessible(QWidget *w)
        : QAccessibleWidget(w, QAccessible::Notification)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? widget()->accessibleName() : QString();
    }
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (className == u"QComboBox") {
        if (auto *combo = qobject_cast<QComboBox *>(object))
            return new PickerAccessible(combo);
    }
    // Our windows are windows, named by their titles, not anonymous panes.
    if (object->isWidgetType() && object->property(announcerMark).toBool())
        return new AnnouncerAccessible(static_cast<QWidget *>(object));
    if (object->isWidgetType() && object->property(windowMark).toBool())
        return new WindowAccessible(static_cast<QWidget *>(object));
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

void setWindowSummary(QWidget *window, const QString &summary)
{
    // A property, not the accessible description: changing that would send an event, and a
    // screen reader would speak every minute's new time.
    window->setProperty(summaryKey, summary);
}

void announce(QWidget *window, const QString &text)
{
    window = window->window();
    QWidget *announcer =
        window->findChild<QWidget *>(QStringLiteral("quillAnnouncer"), Qt::FindDirectChildrenOnly);
    if (!announcer) {
        announcer = new QWidget(window);
        announcer->setObjectName(QStringLiteral("quillAnnouncer"));
        announcer->setProperty(announcerMark, true);
        announcer->setAttribute(Qt::WA_TransparentForMouseEvents);
        announcer->setFocusPolicy(Qt::NoFocus);
        announcer->setGeometry(0, 0, 1, 1);
    }
    // It appears anew for every text, so the same answer twice is spoken twice.
    announcer->hide();
    announcer->setAccessibleName(text);
    if (!text.isEmpty() && window->isVisible())
        announcer->show();
}

void describeLabel(QLabel *label, const QString &role)
{
    label->setAccessibleName(QString());
    label->setAccessibleDescription(role);
}

} // namespace quill
