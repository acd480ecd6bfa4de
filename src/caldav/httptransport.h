#pragma once

#include "transport.h"

#include <QNetworkAccessManager>

#include <memory>

class QNetworkReply;

namespace quill::caldav {

/// The transport on Qt Network: HTTP Basic and Digest answered with the account's user and
/// password (once: refused credentials are the 401, not a loop); TLS with the system's
/// certificates, an untrusted one refused before anything is sent; redirects followed by hand,
/// never to a less safe address; a silent server, an answer too slow or too large cut off.
class HttpTransport final : public DavTransport {
public:
    explicit HttpTransport(QObject *parent);
    ~HttpTransport() override;

    void setCredentials(const QString &user, const QString &password) override;
    void send(const DavRequest &request, const ClientLimits &limits,
              std::function<void(const DavAnswer &)> done) override;

    struct Pending;

private:
    void sendTo(const std::shared_ptr<Pending> &pending);
    void finished(QNetworkReply *reply, const std::shared_ptr<Pending> &pending);
    /// After the reply's checks: the redirect followed, or the answer given.
    void redirectOrAnswer(QNetworkReply *reply, const std::shared_ptr<Pending> &pending,
                          DavAnswer answer);

    QNetworkAccessManager m_network;
    QString m_user;
    QString m_password;
};

} // namespace quill::caldav
