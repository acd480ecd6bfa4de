#include "keyring.h"
#include "pluginentry.h"

#include <QMetaObject>
#include <QPointer>
#include <QUrl>

namespace quill {

QString keyringKey(const QString &url, const QString &user)
{
    const QString address = url.trimmed();
    if (address.isEmpty())
        return {};
    QUrl server = QUrl::fromUserInput(address);
    QString host = server.host();
    if (server.port() > 0)
        host += u':' + QString::number(server.port());
    if (host.isEmpty())
        host = address;
    const QString name = user.trimmed();
    return name.isEmpty() ? host : name + u'@' + host;
}

LazyKeyring::LazyKeyring(QString plugin)
    : m_plugin(std::move(plugin))
{
}

LazyKeyring::~LazyKeyring() = default;

Keyring *LazyKeyring::real(QObject *context, const Done &done)
{
    if (!m_tried) {
        m_tried = true;
        if (const auto create =
                reinterpret_cast<CreateKeyring>(pluginEntry(m_plugin, createKeyringSymbol)))
            m_keyring.reset(create(QStringLiteral("Quillomat")));
    }
    if (!m_keyring) {
        // Answered later, as a keyring would.
        QMetaObject::invokeMethod(
            context,
            [done] {
                done({KeyringAnswer::Status::NoKeyring,
                      {},
                      QStringLiteral("a program kulcstartó-bővítménye "
                                     "(libquillomat-keyring.so) hiányzik")});
            },
            Qt::QueuedConnection);
    }
    return m_keyring.get();
}

void LazyKeyring::read(const QString &key, QObject *context, Done done)
{
    if (Keyring *k = real(context, done))
        k->read(key, context, std::move(done));
}

void LazyKeyring::write(const QString &key, const QString &password, QObject *context, Done done)
{
    if (Keyring *k = real(context, done))
        k->write(key, password, context, std::move(done));
}

void LazyKeyring::remove(const QString &key, QObject *context, Done done)
{
    if (Keyring *k = real(context, done))
        k->remove(key, context, std::move(done));
}

} // namespace quill
