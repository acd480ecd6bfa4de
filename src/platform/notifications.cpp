#include "notifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QFileInfo>
#include <QVariantMap>

namespace quill {

namespace {
const QString service = QStringLiteral("org.freedesktop.Notifications");

// A session bus that is really there: without one, libdbus would go and start a bus of its own.
bool sessionBusExists()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(runtime + QStringLiteral("/bus")).exists();
}
} // namespace

struct DesktopNotifier::Bus {
    QDBusConnection connection = QDBusConnection::sessionBus();
};

DesktopNotifier::DesktopNotifier() = default;
DesktopNotifier::~DesktopNotifier() = default;

void DesktopNotifier::notify(const QString &title, const QString &text)
{
    if (!m_tried) {
        m_tried = true;
        if (!sessionBusExists())
            return;
        auto bus = std::make_unique<Bus>();
        if (!bus->connection.isConnected())
            return;
        m_bus = std::move(bus);
    }
    if (!m_bus)
        return;
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QStringLiteral("hu.zelmarin.Quillomat")},
        {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))},
        {QStringLiteral("category"), QStringLiteral("x-quillomat.reminder")}};
    // Sent, never waited for: a slow, stuck or missing service (the bus answers with an error
    // then) never holds the program up. A service the bus can start is started.
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/Notifications"),
                                       service, QStringLiteral("Notify"));
    // A notification is a glance: a very long text is cut short there (the box shows it whole).
    const QString body = text.size() > 1000 ? text.left(1000) + QStringLiteral(" …") : text;
    call << QStringLiteral("Quillomat") << 0u << QStringLiteral("hu.zelmarin.Quillomat") << title
         << body << QStringList() << hints << -1;
    m_bus->connection.asyncCall(call);
}

} // namespace quill
