// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <map>
#include <memory>

class QSocketNotifier;

namespace zephyl {

/// One running program per user and software name: an exclusive lock file plus a local socket
/// of the same name through which later starts talk to the first one, a line per message.
/// The socket is a plain Unix socket watched by the event loop: a network library (and all it
/// maps into memory) is not worth one line of text between two local processes.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    /// Sent by a second start: bring the window forward.
    static constexpr const char* kShowMessage = "show";
    /// Sent by `--quit`: end the running program at once.
    static constexpr const char* kExitMessage = "exit 610";

    explicit SingleInstance(const QString& softwareName, QObject* parent = nullptr);
    ~SingleInstance() override;

    /// Takes the lock and starts listening; false when another instance holds it.
    bool TryAcquire();

    /// Hands a message to the running instance; false when none answers.
    bool SendToRunning(const QString& message, int timeoutMs = 2000) const;

    QString LockPath() const { return m_lockPath; }
    QString SocketPath() const { return m_socketPath; }

signals:
    void MessageReceived(const QString& message);

private:
    struct Client {
        QSocketNotifier* notifier = nullptr;
        QByteArray pending;  ///< read, up to an unfinished line
    };

    bool Listen();
    void StopListening();
    void OnNewConnection();
    void OnClientReadable(int fd);
    void CloseClient(int fd);

    bool TakeOverUnreadableLock();

    QString m_lockPath;
    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    int m_serverFd = -1;
    QSocketNotifier* m_serverNotifier = nullptr;
    std::map<int, Client> m_clients;
};

}  // namespace zephyl
