// The desktop's notification service, played by this test on a private session bus (the suite
// runs it under dbus-run-session).

#include "platform/notifications.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTest>
#include <QVariantMap>

using namespace quill;

namespace {

class NotificationService final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList calls;
    QVariantMap hints;

public Q_SLOTS:
    uint Notify(const QString &app, uint replaces, const QString &icon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hintMap,
                int timeout)
    {
        Q_UNUSED(replaces)
        Q_UNUSED(actions)
        Q_UNUSED(timeout)
        calls << QStringList{app, icon, summary, body}.join(u'|');
        hints = hintMap;
        return uint(calls.size());
    }
};

QStringList printed;
void record(QtMsgType, const QMessageLogContext &, const QString &text)
{
    printed << text;
}

} // namespace

class TestNotifications : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void alertReachesTheService()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            QSKIP("no session bus: the suite runs this test under dbus-run-session");
        NotificationService service;
        QVERIFY(bus.registerObject(u"/org/freedesktop/Notifications"_qs, &service,
                                   QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService(u"org.freedesktop.Notifications"_qs));
        DesktopNotifier notifier;
        notifier.notify(u"Emlékeztető (Az ablak 1 perc múlva bezárható)"_qs,
                        u"NÉVNAP!!     Kovács Zoltán március 8."_qs);
        QTRY_COMPARE(service.calls.size(), 1);
        QCOMPARE(service.calls[0], u"Quillomat|hu.zelmarin.Quillomat|Emlékeztető (Az ablak 1 perc "
                                   "múlva bezárható)|NÉVNAP!!     Kovács Zoltán március 8."_qs);
        QCOMPARE(service.hints.value(u"desktop-entry"_qs).toString(), u"hu.zelmarin.Quillomat"_qs);
        bus.unregisterService(u"org.freedesktop.Notifications"_qs);
        bus.unregisterObject(u"/org/freedesktop/Notifications"_qs);
    }

    // No service on the bus, or no bus at all: nothing happens, nothing is printed.
    void nobodyListening()
    {
        printed.clear();
        const QtMessageHandler previous = qInstallMessageHandler(record);
        {
            DesktopNotifier notifier;
            notifier.notify(u"cím"_qs, u"szöveg"_qs);
            notifier.notify(u"cím"_qs, u"szöveg"_qs);
            QTest::qWait(200);
        }
        const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qputenv("XDG_RUNTIME_DIR", "/nonexistent");
        {
            DesktopNotifier notifier;
            notifier.notify(u"cím"_qs, u"szöveg"_qs);
        }
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        qInstallMessageHandler(previous);
        QCOMPARE(printed, QStringList());
    }
};

QTEST_GUILESS_MAIN(TestNotifications)
#include "tst_notifications.moc"
