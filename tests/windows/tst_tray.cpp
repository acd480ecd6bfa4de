// The tray icon against a StatusNotifierWatcher of the test's own (on a private session bus, in
// a thread of its own, as a desktop's would be another process), and without any tray. Runs on a
// real X display: each case in a process of its own (Qt asks the desktop for a tray only once).

#include "support/testsupport.h"
#include "windows/settingswindow.h"
#include "windows/trayicon.h"

#include <QCheckBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QMenu>
#include <QMutex>
#include <QThread>

using namespace quill;
using namespace quill::test;

namespace {

class Watcher final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
public:
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const
    {
        QMutexLocker lock(&m_mutex);
        return m_items;
    }
    void serve()
    {
        QDBusConnection bus =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"watcher"_qs);
        bus.registerObject(u"/StatusNotifierWatcher"_qs, this,
                           QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
        m_serving = bus.registerService(u"org.kde.StatusNotifierWatcher"_qs);
    }
    // Clicks the icon, as the tray host does.
    void click(const QString &item)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            item, u"/StatusNotifierItem"_qs, u"org.kde.StatusNotifierItem"_qs, u"Activate"_qs);
        call << 0 << 0;
        QDBusConnection(u"watcher"_qs).call(call);
    }
    bool m_serving = false;

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString &service)
    {
        QMutexLocker lock(&m_mutex);
        m_items << service;
    }
    void RegisterStatusNotifierHost(const QString &) {}

private:
    mutable QMutex m_mutex;
    QStringList m_items;
};

} // namespace

class TestTray : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void withAWatcher()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus");
        QThread thread;
        Watcher watcher;
        watcher.moveToThread(&thread);
        thread.start();
        QMetaObject::invokeMethod(&watcher, &Watcher::serve, Qt::BlockingQueuedConnection);
        QVERIFY(watcher.m_serving);

        const QByteArray file = "e| | |*|*|*|*|30| |Kaj\xe1ra m\xe9rni|1|0|\r\n"
                                "t|Fogorvos| |2026|december|8|09|10| | |1|0|\r\n";
        {
            Harness h(at(2026, 12, 7, 7, 5), QLocale(QLocale::English), &file);
            h.window().show();
            TrayIcon *tray = h.window().trayIcon();
            QVERIFY(tray);
            QTRY_COMPARE(watcher.items().size(), 1);
            QCOMPARE(tray->toolTip(), u"2026. december 7., Hétfő\nAmbrus napja\nMa:\n"
                                      "EGYÉB!! Kajára mérni"_qs);
            // Tomorrow's meeting is in tomorrow's tip.
            h.clock.set(at(2026, 12, 8, 0, 0));
            h.window().clockTick();
            QVERIFY(tray->toolTip().contains(u"TALÁLKOZÓ!! Fogorvos"_qs));
            // A click hides the strip, the next one brings it back.
            h.window().activateWindow();
            QTRY_VERIFY(h.window().isActiveWindow());
            const QString item = watcher.items().first();
            QMetaObject::invokeMethod(&watcher, [&] { watcher.click(item); });
            QTRY_VERIFY(!h.window().isVisible());
            QMetaObject::invokeMethod(&watcher, [&] { watcher.click(item); });
            QTRY_VERIFY(h.window().isVisible());
            // Only the tray icon: the strip goes, and stays away at the next start.
            SettingsWindow *settings = openSettings(h);
            QVERIFY(settings);
            settings->findChild<QCheckBox *>(u"csaktalca"_qs)->setChecked(true);
            QVERIFY(!h.window().isVisible());
            delete settings;
        }
        thread.quit();
        thread.wait();
    }

    // No tray on the desktop: no icon, and the strip is shown even when only the icon was asked
    // for, so nothing is lost.
    void withoutATray()
    {
        Harness h(at(2026, 12, 7, 7, 5));
        QVERIFY(!h.window().trayIcon());
        h.window().show();
        SettingsWindow *settings = openSettings(h);
        QVERIFY(settings);
        settings->findChild<QCheckBox *>(u"csaktalca"_qs)->setChecked(true);
        QVERIFY(h.window().isVisible());
        h.window().hide();
        h.window().showAtStart();
        QVERIFY(h.window().isVisible());
        delete settings;
    }
};

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
