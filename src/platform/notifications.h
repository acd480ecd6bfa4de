#pragma once

#include <QString>
#include <memory>

namespace quill {

/// The desktop's notification list: where an alert is also shown, so it is not missed on another
/// workspace or behind a locked screen.
class Notifier {
public:
    virtual ~Notifier() = default;
    virtual void notify(const QString &title, const QString &text) = 0;
};

/// org.freedesktop.Notifications on the session bus. Reached only when an alert comes, never
/// waited for; with no bus or no service, nothing happens and nothing is printed.
class DesktopNotifier final : public Notifier {
public:
    DesktopNotifier();
    ~DesktopNotifier() override;
    void notify(const QString &title, const QString &text) override;

private:
    struct Bus;
    std::unique_ptr<Bus> m_bus;
    bool m_tried = false;
};

} // namespace quill
