#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace quill {

/// What the keyring answered: the password read, or why nothing was read or kept.
struct KeyringAnswer {
    enum class Status {
        Done,      ///< done; a password read is in `password`
        NotFound,  ///< no password kept under that name
        NoKeyring, ///< no keyring runs on this desktop (or the program cannot reach it)
        Failed,    ///< the keyring refused (locked, access denied...)
    };
    Status status = Status::Done;
    QString password;
    QString reason; ///< in Hungarian, when not done
};

/// The desktop's keyring (Secret Service, KWallet): the password of the calendar account is kept
/// there and in no file. Every call answers once, later, through `done`, on the caller's thread;
/// the answer is dropped when `context` is gone first.
class Keyring {
public:
    using Done = std::function<void(const KeyringAnswer &)>;
    virtual ~Keyring() = default;
    virtual void read(const QString &key, QObject *context, Done done) = 0;
    virtual void write(const QString &key, const QString &password, QObject *context,
                       Done done) = 0;
    virtual void remove(const QString &key, QObject *context, Done done) = 0;
};

/// The name an account's password is kept under: the user and the server ("anna@example.org").
/// Empty when there is no account (no address).
QString keyringKey(const QString &url, const QString &user);

/// The keyring through a plugin of the program's own (`libquillomat-keyring.so`, QtKeychain),
/// loaded at the first call, so nothing of it is loaded before the account is used.
class LazyKeyring final : public Keyring {
public:
    explicit LazyKeyring(QString plugin);
    ~LazyKeyring() override;
    void read(const QString &key, QObject *context, Done done) override;
    void write(const QString &key, const QString &password, QObject *context, Done done) override;
    void remove(const QString &key, QObject *context, Done done) override;

private:
    Keyring *real(QObject *context, const Done &done);
    QString m_plugin;
    std::unique_ptr<Keyring> m_keyring;
    bool m_tried = false;
};

/// What the plugin offers: the system's keyring, its entries kept under `service`.
using CreateKeyring = Keyring *(*)(const QString &service);
inline constexpr char createKeyringSymbol[] = "quillomatCreateKeyring";

} // namespace quill
