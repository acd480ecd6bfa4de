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
    QStringList actions;
    QList<uint> closed;
    QStringList capabilities{u"body"_qs, u"actions"_qs};

Q_SIGNALS:
    void ActionInvoked(uint id, const QString &key);

public Q_SLOTS:
    QStringList GetCapabilities() { return capabilities; }
    void CloseNotification(uint id) { closed << id; }
    uint Notify(const QString &app, uint replaces, const QString &icon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hintMap,
                int timeout)
    {
        Q_UNUSED(replaces)
        Q_UNUSED(timeout)
        this->actions = actions;
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
    // An alert reaches the service as the program's own, with "Később" and "Rendben" where the
    // service shows actions; the user's pick comes back with the alert's token, and a withdrawn
    // one is closed.
    void actions()
    {
        // The service on a connection of its own, as a real one would be.
        QDBusConnection bus =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"service"_qs);
        if (!bus.isConnected())
            QSKIP("no session bus: the suite runs this test under dbus-run-session");
        NotificationService service;
        QVERIFY(bus.registerObject(u"/org/freedesktop/Notifications"_qs, &service,
                                   QDBusConnection::ExportAllSlots |
                                       QDBusConnection::ExportAllSignals));
        QVERIFY(bus.registerService(u"org.freedesktop.Notifications"_qs));
        DesktopNotifier notifier;
        QList<QPair<quint64, QString>> picked;
        notifier.onAction = [&](quint64 token, const QString &key) { picked.append({token, key}); };
        notifier.notify(u"Emlékeztető (Az ablak 1 perc múlva bezárható)"_qs,
                        u"NÉVNAP!!     Kovács Zoltán március 8."_qs, 7);
        notifier.notify(u"cím"_qs, u"második"_qs, 9);
        QTRY_COMPARE(service.calls.size(), 2);
        QCOMPARE(service.calls[0], u"Quillomat|hu.zelmarin.Quillomat|Emlékeztető (Az ablak 1 perc "
                                   "múlva bezárható)|NÉVNAP!!     Kovács Zoltán március 8."_qs);
        QCOMPARE(service.hints.value(u"desktop-entry"_qs).toString(), u"hu.zelmarin.Quillomat"_qs);
        QCOMPARE(service.actions,
                 (QStringList{u"later"_qs, u"Később"_qs, u"ok"_qs, u"Rendben"_qs}));
        QTest::qWait(100); // the ids come back
        Q_EMIT service.ActionInvoked(1, u"later"_qs);
        Q_EMIT service.ActionInvoked(2, u"ok"_qs);
        Q_EMIT service.ActionInvoked(3, u"ok"_qs); // not ours
        QTRY_COMPARE(picked.size(), 2);
        QCOMPARE(picked[0], (QPair<quint64, QString>{7, u"later"_qs}));
        QCOMPARE(picked[1], (QPair<quint64, QString>{9, u"ok"_qs}));
        notifier.withdraw(9);
        QTRY_COMPARE(service.closed, QList<uint>{2});
        // Answered in its box before the service gave the notification's id: closed all the same.
        notifier.notify(u"cím"_qs, u"gyorsan megválaszolt"_qs, 10);
        notifier.withdraw(10);
        QTRY_COMPARE(service.closed, (QList<uint>{2, 3}));
        // A service without actions gets none.
        service.capabilities = {u"body"_qs};
        DesktopNotifier plain;
        plain.notify(u"cím"_qs, u"harmadik"_qs, 11);
        QTest::qWait(100);
        plain.notify(u"cím"_qs, u"negyedik"_qs, 12);
        QTRY_COMPARE(service.calls.size(), 5);
        QCOMPARE(service.actions, QStringList());
        bus.unregisterService(u"org.freedesktop.Notifications"_qs);
        bus.unregisterObject(u"/org/freedesktop/Notifications"_qs);
        QDBusConnection::disconnectFromBus(u"service"_qs);
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
