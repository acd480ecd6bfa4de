#pragma once

#include <QObject>

class QSocketNotifier;

namespace quill {

/// Turns the signals that end a desktop program from outside (SIGTERM at logout and shutdown,
/// SIGHUP when its terminal goes, SIGINT for Ctrl+C) into a Qt signal on the event loop, where
/// the program can still save. While an instance lives, those signals no longer kill at once.
class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void received(int signalNumber);

private:
    void readPending();

    QSocketNotifier *m_notifier = nullptr;
};

} // namespace quill
