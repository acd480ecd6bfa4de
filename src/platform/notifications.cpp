#include "notifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QVariantMap>

namespace quill {

namespace {
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");

} // namespace

bool sessionBusExists()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(runtime + QStringLiteral("/bus")).exists();
}

// The connection, and what the service says back: the ids it gave our notifications, the
// actions the user took on them.
class NotificationListener final : public QObject {
    Q_OBJECT
public:
    explicit NotificationListener(Notifier &owner)
        : m_owner(owner)
    {
    }
    QDBusConnection connection = QDBusConnection::sessionBus();
    QHash<uint, quint64> tokens; ///< notification id -> alert token
    QSet<quint64> pending;       ///< sent, the service's id not come yet
    QSet<quint64> withdrawn;     ///< withdrawn before the service gave their id
    bool actions = true;         ///< whether the service shows actions (until it says otherwise)

public Q_SLOTS:
    void actionInvoked(uint id, const QString &key)
    {
        const quint64 token = tokens.value(id);
        if (token && m_owner.onAction && (key == u"later" || key == u"ok"))
            m_owner.onAction(token, key);
    }
    void closed(uint id, uint) { tokens.remove(id); }

public:
    void close(uint id)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(service, path, service,
                                                           QStringLiteral("CloseNotification"));
        call << id;
        connection.asyncCall(call);
    }

private:
    Notifier &m_owner;
};

struct DesktopNotifier::Bus {
    explicit Bus(Notifier &owner)
        : listener(owner)
    {
    }
    NotificationListener listener;
};

DesktopNotifier::DesktopNotifier() = default;
DesktopNotifier::~DesktopNotifier() = default;

bool DesktopNotifier::connectOnce()
{
    if (!m_tried) {
        m_tried = true;
        if (!sessionBusExists())
            return false;
        auto bus = std::make_unique<Bus>(*this);
        QDBusConnection &c = bus->listener.connection;
        if (!c.isConnected())
            return false;
        // From whoever owns the service now (it may be started, or replaced, after this).
        c.connect(QString(), path, service, QStringLiteral("ActionInvoked"), &bus->listener,
                  SLOT(actionInvoked(uint, QString)));
        c.connect(QString(), path, service, QStringLiteral("NotificationClosed"), &bus->listener,
                  SLOT(closed(uint, uint)));
        // Actions only where the service shows them; asked once, never waited for.
        auto *caps = new QDBusPendingCallWatcher(
            c.asyncCall(QDBusMessage::createMethodCall(service, path, service,
                                                       QStringLiteral("GetCapabilities"))),
            &bus->listener);
        NotificationListener *listener = &bus->listener;
        QObject::connect(caps, &QDBusPendingCallWatcher::finished, listener,
                         [listener](QDBusPendingCallWatcher *w) {
                             const QDBusPendingReply<QStringList> reply = *w;
                             if (reply.isValid())
                                 listener->actions = reply.value().contains(u"actions"_qs);
                             w->deleteLater();
                         });
        m_bus = std::move(bus);
    }
    return m_bus != nullptr;
}

void DesktopNotifier::notify(const QString &title, const QString &text, quint64 token)
{
    if (!connectOnce())
        return;
    NotificationListener &l = m_bus->listener;
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QStringLiteral("hu.zelmarin.Quillomat")},
        {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))},
        {QStringLiteral("category"), QStringLiteral("x-quillomat.reminder")}};
    QStringList actions;
    if (token && l.actions)
        actions = {QStringLiteral("later"), QStringLiteral("Később"), QStringLiteral("ok"),
                   QStringLiteral("Rendben")};
    // Sent, never waited for: a slow, stuck or missing service (the bus answers with an error
    // then) never holds the program up. A service the bus can start is started.
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, path, service, QStringLiteral("Notify"));
    // A notification is a glance: a very long text is cut short there (the box shows it whole).
    const QString body = text.size() > 1000 ? text.left(1000) + QStringLiteral(" …") : text;
    call << QStringLiteral("Quillomat") << 0u << QStringLiteral("hu.zelmarin.Quillomat") << title
         << body << actions << hints << -1;
    if (!token) {
        l.connection.asyncCall(call);
        return;
    }
    l.pending.insert(token);
    auto *sent = new QDBusPendingCallWatcher(l.connection.asyncCall(call), &l);
    QObject::connect(sent, &QDBusPendingCallWatcher::finished, &l,
                     [&l, token](QDBusPendingCallWatcher *w) {
                         const QDBusPendingReply<uint> reply = *w;
                         l.pending.remove(token);
                         if (l.withdrawn.remove(token)) {
                             if (reply.isValid())
                                 l.close(reply.value());
                         } else if (reply.isValid()) {
                             l.tokens.insert(reply.value(), token);
                         }
                         w->deleteLater();
                     });
}

void DesktopNotifier::withdraw(quint64 token)
{
    if (!m_bus)
        return;
    NotificationListener &l = m_bus->listener;
    for (auto it = l.tokens.begin(); it != l.tokens.end(); ++it) {
        if (it.value() != token)
            continue;
        l.close(it.key());
        l.tokens.erase(it);
        return;
    }
    // Answered before the service said which notification it is: closed when it does.
    if (l.pending.contains(token))
        l.withdrawn.insert(token);
}

} // namespace quill

#include "notifications.moc"
