// The settings' calendar page against real CalDAV servers, Radicale (with a password) and
// Xandikos, started here on 127.0.0.1: from a server's address to a calendar of the account, a
// new one made for the book; what is wrong told in Hungarian.

#include "caldav/davclient.h"
#include "caldav/realservers.h"
#include "files/writequeue.h"
#include "support/filebytes.h"
#include "support/testsupport.h"
#include "windows/calendarsettings.h"
#include "windows/settingswindow.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>

using namespace quill;
using namespace quill::test;
using Kind = caldav::DavError::Kind;

namespace {

void typeAndLeave(QWidget *window, const QString &name, const QString &text)
{
    auto *edit = window->findChild<QLineEdit *>(name);
    QVERIFY2(edit, qPrintable(name));
    edit->setText(text);
    Q_EMIT edit->editingFinished();
}

// "Kapcsolat ellenőrzése" with what the fields hold; what it then says.
QString check(SettingsWindow *settings)
{
    auto *button = settings->findChild<QPushButton *>(u"kapcsolat"_qs);
    auto *state = settings->findChild<QLabel *>(u"kapcsolatallapot"_qs);
    button->click();
    if (!QTest::qWaitFor([button] { return button->isEnabled(); }, 30000))
        return u"the test waited in vain"_qs;
    return state->text();
}

// No three words in a row come twice: nothing is said over again.
bool saidOnce(const QString &text)
{
    static const QRegularExpression notWord(u"[^\\w]+"_qs);
    const QStringList words = text.toLower().split(notWord, Qt::SkipEmptyParts);
    QSet<QString> seen;
    for (qsizetype i = 0; i + 2 < words.size(); ++i) {
        const QString three = words.mid(i, 3).join(u' ');
        if (seen.contains(three))
            return false;
        seen.insert(three);
    }
    return true;
}

} // namespace

class TestCalendarSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each kind of failure, with the reason the client gives it, is told once: the reason is not
    // repeated by the words around it.
    void whatIsWrongIsTold_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("told");
        QTest::newRow("no server")
            << int(Kind::Network)
            << u"a(z) 127.0.0.1 gép nem fogadja a kapcsolatot (nem fut ott naptárkiszolgáló, "
               u"vagy rossz a port)"_qs
            << u"nem fogadja a kapcsolatot"_qs;
        QTest::newRow("silent server")
            << int(Kind::Timeout) << u"a kiszolgáló 30 másodpercig nem válaszolt"_qs
            << u"nem válaszol"_qs;
        QTest::newRow("wrong password") << int(Kind::Auth) << caldav::statusError(401).reason
                                        << u"felhasználónevet vagy a jelszót"_qs;
        QTest::newRow("untrusted certificate")
            << int(Kind::Tls)
            << u"a kiszolgáló tanúsítványa nem megbízható, mert lejárt; ezért a program nem "
               u"kapcsolódott hozzá, és a jelszót sem küldte el neki"_qs
            << u"tanúsítvány"_qs;
        QTest::newRow("wrong address")
            << int(Kind::NotFound) << caldav::statusError(404).reason << u"Nézze meg a címet"_qs;
        QTest::newRow("no account there")
            << int(Kind::NoCalendar)
            << u"a címen nem található naptárfiók (a kiszolgáló nem nevezte meg a felhasználó "
               u"naptárainak helyét)"_qs
            << u"naptárfiók"_qs;
        QTest::newRow("server error")
            << int(Kind::Server) << caldav::statusError(500).reason << u"hibát jelzett"_qs;
    }
    void whatIsWrongIsTold()
    {
        QFETCH(int, kind);
        QFETCH(QString, reason);
        QFETCH(QString, told);
        const QString text = checkFailureText(caldav::DavError::make(Kind(kind), reason, 500));
        QVERIFY2(text.count(told) == 1, qPrintable(text));
        QVERIFY2(saidOnce(text), qPrintable(text));
        QVERIFY2(text.at(0).isUpper() && text.endsWith(u'.'), qPrintable(text));
    }

    void serverAddress_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QUrl>("asked");
        QTest::newRow("a host") << u" naptar.example "_qs << QUrl(u"https://naptar.example"_qs);
        QTest::newRow("a host and port")
            << u"naptar.example:8443"_qs << QUrl(u"https://naptar.example:8443"_qs);
        QTest::newRow("plain http, typed")
            << u"http://127.0.0.1:5232/"_qs << QUrl(u"http://127.0.0.1:5232/"_qs);
    }
    void serverAddress()
    {
        QFETCH(QString, typed);
        QFETCH(QUrl, asked);
        QCOMPARE(serverUrl(typed), asked);
    }

    void fromAddressToCalendar_data()
    {
        QTest::addColumn<QString>("server");
        QTest::newRow("radicale") << u"radicale"_qs;
        QTest::newRow("xandikos") << u"xandikos"_qs;
    }
    void fromAddressToCalendar()
    {
        QFETCH(QString, server);
        const bool withPassword = server == u"radicale";
        Server running;
        QVERIFY2(running.start(server, withPassword ? QByteArray("anna:titok\n") : QByteArray()),
                 qPrintable(server + u" did not start"_qs));
        Harness h(at(2026, 12, 7, 7, 59, 50));
        h.window().show();
        SettingsWindow *settings = openSettings(h);
        QVERIFY(settings);
        settings->findChild<QTabWidget *>(u"lapok"_qs)->setCurrentIndex(2);
        // Nothing listens there.
        typeAndLeave(settings, u"caldavcim"_qs, u"http://127.0.0.1:%1/"_qs.arg(freePort()));
        typeAndLeave(settings, u"caldavfelhasznalo"_qs, u"anna"_qs);
        QVERIFY(check(settings).contains(u"nem fogadja a kapcsolatot"_qs));
        const QString address = running.url().toString() + u'/';
        typeAndLeave(settings, u"caldavcim"_qs, address);
        if (withPassword) {
            typeAndLeave(settings, u"caldavjelszo"_qs, u"rossz"_qs);
            QTRY_COMPARE(h.keyring.entries.value(u"anna@127.0.0.1:%1"_qs.arg(running.port)),
                         u"rossz"_qs);
            const QString told = check(settings);
            QVERIFY2(told.contains(u"nem fogadta el a felhasználónevet vagy a jelszót"_qs),
                     qPrintable(told));
        }
        typeAndLeave(settings, u"caldavjelszo"_qs, u"titok"_qs);
        QTRY_COMPARE(h.keyring.entries.value(u"anna@127.0.0.1:%1"_qs.arg(running.port)),
                     u"titok"_qs);
        // The password field is empty now: the check takes it from the keyring.
        const QString found = check(settings);
        QVERIFY2(found.startsWith(u"A kapcsolat jó"_qs), qPrintable(found));
        auto *calendars = settings->findChild<QComboBox *>(u"naptarak"_qs);
        QVERIFY(calendars->isVisible());
        const int fresh = calendars->findText(u"Új naptár: Emlékeztetők"_qs);
        QCOMPARE(fresh, calendars->count() - 1);
        calendars->setCurrentIndex(fresh);
        settings->findChild<QPushButton *>(u"naptarvalasztas"_qs)->click();
        auto *url = settings->findChild<QLineEdit *>(u"caldavcim"_qs);
        QTRY_VERIFY_WITH_TIMEOUT(url->text().endsWith(u"/emlekeztetok/"_qs), 30000);
        QVERIFY(settings->findChild<QLabel *>(u"kapcsolatallapot"_qs)
                    ->text()
                    .contains(u"Emlékeztetők"_qs));
        files::waitForWrites();
        const QByteArray file = readAll(h.path(u"config/Zelmarin/Quillomat/beallitasok.conf"_qs));
        QVERIFY2(file.contains(QByteArray("caldav_cim=" + url->text().toUtf8() + '\n')),
                 file.constData());
        QVERIFY(!file.contains("titok"));
        // The calendar is there, under its name; a second check lists it among the others.
        caldav::CalDavClient client;
        client.setCredentials(u"anna"_qs, u"titok"_qs);
        std::optional<caldav::DavResult<caldav::CollectionState>> state;
        client.state(QUrl(url->text()), [&state](const auto &r) { state = r; });
        QTRY_VERIFY_WITH_TIMEOUT(state.has_value(), 30000);
        QVERIFY2(state->ok(), qPrintable(state->error.reason));
        QCOMPARE(state->value.displayName, u"Emlékeztetők"_qs);
        QVERIFY(check(settings).startsWith(u"A kapcsolat jó"_qs));
        QCOMPARE(calendars->currentText(), u"Emlékeztetők"_qs);
        delete settings;
    }

    // Radicale over https with a certificate of its own making: the check says the certificate is
    // not trusted, and no request, let alone the password, reaches the server.
    void untrustedCertificate()
    {
        Server running;
        running.tls = true;
        QVERIFY2(running.start(u"radicale"_qs, "anna:titok\n"), "radicale did not start");
        Harness h(at(2026, 12, 7, 7, 59, 50));
        h.window().show();
        SettingsWindow *settings = openSettings(h);
        QVERIFY(settings);
        settings->findChild<QTabWidget *>(u"lapok"_qs)->setCurrentIndex(2);
        typeAndLeave(settings, u"caldavcim"_qs, u"127.0.0.1:%1"_qs.arg(running.port));
        typeAndLeave(settings, u"caldavfelhasznalo"_qs, u"anna"_qs);
        typeAndLeave(settings, u"caldavjelszo"_qs, u"titok"_qs);
        QTRY_VERIFY(h.keyring.entries.contains(u"anna@127.0.0.1:%1"_qs.arg(running.port)));
        const QString told = check(settings);
        QVERIFY2(told.count(u"tanúsítvány"_qs) == 1, qPrintable(told));
        QVERIFY2(told.count(u"saját aláírású"_qs) == 1, qPrintable(told));
        QVERIFY2(saidOnce(told), qPrintable(told));
        QVERIFY(running.knock());
        QTest::qWait(300); // anything logged late is counted too
        QVERIFY2(running.requests() == 1 && running.received.count("HTTP_AUTHORIZATION") == 1,
                 running.received.constData());
        delete settings;
    }
};

QTEST_MAIN(TestCalendarSettings)
#include "tst_calendarsettings.moc"
