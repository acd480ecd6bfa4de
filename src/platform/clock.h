#pragma once

#include <QDateTime>

namespace quill {

/// The current date and time. Windows ask this, never the system directly, so tests can set it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
};

/// A clock that stands still until it is set; for tests and benchmarks.
class ManualClock final : public Clock {
public:
    explicit ManualClock(QDateTime start)
        : m_now(std::move(start))
    {
    }
    QDateTime now() const override { return m_now; }
    void set(const QDateTime &t) { m_now = t; }

private:
    QDateTime m_now;
};

} // namespace quill
