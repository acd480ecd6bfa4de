// The keyring plugin: QtKeychain (Secret Service, KWallet), loaded only when an account's
// password is first read or kept.

#include "keyring.h"

#include <qt6keychain/keychain.h>

namespace quill {

namespace {

KeyringAnswer answerOf(const QKeychain::Job &job)
{
    using S = KeyringAnswer::Status;
    switch (job.error()) {
    case QKeychain::NoError:
        return {S::Done, {}, {}};
    case QKeychain::EntryNotFound:
        return {S::NotFound, {}, QStringLiteral("a kulcstartóban nincs jelszó ehhez a fiókhoz")};
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        return {S::NoKeyring,
                {},
                QStringLiteral("ezen az asztalon nem fut kulcstartó (Secret Service vagy "
                               "KWallet)")};
    case QKeychain::AccessDeniedByUser:
    case QKeychain::AccessDenied:
        return {S::Failed,
                {},
                QStringLiteral("a kulcstartó nem engedte (zárolva van, vagy a hozzáférést "
                               "elutasították)")};
    case QKeychain::CouldNotDeleteEntry:
    case QKeychain::OtherError:
        break;
    }
    // Without a session bus, or with no service behind the name, QtKeychain says "other".
    const QString detail = job.errorString();
    if (detail.contains(QStringLiteral("org.freedesktop.secrets")) ||
        detail.contains(QStringLiteral("D-Bus"), Qt::CaseInsensitive) ||
        detail.contains(QStringLiteral("DBus"), Qt::CaseInsensitive))
        return {S::NoKeyring,
                {},
                QStringLiteral("ezen az asztalon nem fut kulcstartó (Secret Service vagy "
                               "KWallet)")};
    return {S::Failed, {}, QStringLiteral("a kulcstartó hibát jelzett: %1").arg(detail)};
}

class SystemKeyring final : public Keyring {
public:
    explicit SystemKeyring(QString service)
        : m_service(std::move(service))
    {
    }
    void read(const QString &key, QObject *context, Done done) override
    {
        auto *job = new QKeychain::ReadPasswordJob(m_service);
        job->setKey(key);
        run(job, context, [job, done](KeyringAnswer a) {
            if (a.status == KeyringAnswer::Status::Done)
                a.password = job->textData();
            done(a);
        });
    }
    void write(const QString &key, const QString &password, QObject *context, Done done) override
    {
        auto *job = new QKeychain::WritePasswordJob(m_service);
        job->setKey(key);
        job->setTextData(password);
        run(job, context, [done](const KeyringAnswer &a) { done(a); });
    }
    void remove(const QString &key, QObject *context, Done done) override
    {
        auto *job = new QKeychain::DeletePasswordJob(m_service);
        job->setKey(key);
        run(job, context, [done](KeyringAnswer a) {
            if (a.status == KeyringAnswer::Status::NotFound)
                a = {}; // nothing to remove is removed
            done(a);
        });
    }

private:
    void run(QKeychain::Job *job, QObject *context, std::function<void(KeyringAnswer)> then)
    {
        job->setAutoDelete(true);
        job->setInsecureFallback(false); // never a file
        QObject::connect(job, &QKeychain::Job::finished, context,
                         [then](QKeychain::Job *finished) { then(answerOf(*finished)); });
        job->start();
    }
    QString m_service;
};

} // namespace

} // namespace quill

extern "C" Q_DECL_EXPORT quill::Keyring *quillomatCreateKeyring(const QString &service)
{
    return new quill::SystemKeyring(service);
}
