#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

namespace quill {

/// One running copy per data file, brought forward instead of a second: the copy that holds the
/// file listens on local sockets named after it (in the user's private runtime folder, so no
/// other user can take the names), and a later start hands its arguments over. Both ends check
/// that the other is a process of the same user.
class RunningCopy final : public QObject {
    Q_OBJECT
public:
    /// `keys` identify the data file (its path, its device and inode); one socket each.
    explicit RunningCopy(QStringList keys, QObject *parent = nullptr);
    ~RunningCopy() override;

    /// Asks the copy that holds the file to come forward; true when it answered.
    bool handOver(const QStringList &arguments) const;
    /// Starts listening for later starts; false when no name could be taken.
    bool listen();

Q_SIGNALS:
    /// A later start asked this copy to come forward.
    void comeForward(const QStringList &arguments);

private:
    class Caller;
    struct Listener {
        int fd;
        QByteArray path; ///< empty for a name in the abstract namespace
    };
    void accept(int listener);

    QStringList m_keys;
    QList<Listener> m_listeners;
};

} // namespace quill
