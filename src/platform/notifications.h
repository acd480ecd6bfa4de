#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace quill {

/// Whether a session bus is really there: without one, asking for it would make libdbus start a
/// bus of its own.
bool sessionBusExists();

/// The desktop's notification list: where an alert is also shown, so it is not missed on another
/// workspace or behind a locked screen.
class Notifier {
public:
    virtual ~Notifier() = default;
    /// Shows a notification; one with a `token` (not 0) carries the actions "Később" and
    /// "Rendben", and what the user picks there comes to `onAction` with that token.
    virtual void notify(const QString &title, const QString &text, quint64 token = 0) = 0;
    /// Takes the notification of `token` off the list (the alert was dealt with in its box).
    virtual void withdraw(quint64 token) = 0;
    /// The action keys: "later" or "ok".
    std::function<void(quint64 token, const QString &action)> onAction;
};

/// org.freedesktop.Notifications on the session bus. Reached only when an alert comes, never
/// waited for; with no bus or no service, nothing happens and nothing is printed.
class DesktopNotifier final : public Notifier {
public:
    DesktopNotifier();
    ~DesktopNotifier() override;
    void notify(const QString &title, const QString &text, quint64 token = 0) override;
    void withdraw(quint64 token) override;

private:
    bool connectOnce();
    struct Bus;
    std::unique_ptr<Bus> m_bus;
    bool m_tried = false;
};

} // namespace quill
