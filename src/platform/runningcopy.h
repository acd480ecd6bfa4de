#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;

namespace quill {

/// One running copy per data file, brought forward instead of a second: the copy that holds the
/// file listens on a local socket named after it, and a later start hands its arguments over.
class RunningCopy final : public QObject {
    Q_OBJECT
public:
    /// `dataFile` is the resolved data file; the socket's name is made from it and the user.
    explicit RunningCopy(const QString &dataFile, QObject *parent = nullptr);
    ~RunningCopy() override;

    /// Asks the copy that holds the file to come forward; true when it answered.
    bool handOver(const QStringList &arguments) const;
    /// Starts listening for later starts; false when the name cannot be taken.
    bool listen();

Q_SIGNALS:
    /// A later start asked this copy to come forward.
    void comeForward(const QStringList &arguments);

private:
    void answer();

    QString m_name;
    QLocalServer *m_server = nullptr;
};

} // namespace quill
