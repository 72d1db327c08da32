// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/desktop/SingleInstance.h"

#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "platform/Paths.h"

#include <QDeadlineTimer>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace zephyl {
namespace {

/// A message longer than this is no message of ours: the client is dropped.
constexpr int kLongestMessage = 4096;

/// The socket address of `path`; false when the path does not fit one.
bool SocketAddress(const QString& path, sockaddr_un& address) {
    const QByteArray bytes = path.toLocal8Bit();
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (bytes.isEmpty() || std::size_t(bytes.size()) >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, bytes.constData(), std::size_t(bytes.size()));
    return true;
}

/// Waits until `fd` is ready for `events` or the deadline passes.
bool WaitFor(int fd, short events, const QDeadlineTimer& deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int result = poll(&entry, 1, int(std::max<qint64>(deadline.remainingTime(), 0)));
        if (result > 0) {
            return (entry.revents & events) != 0;
        }
        if (result == 0 || errno != EINTR) {
            return false;
        }
    }
}

QString InstanceFolder(const QString& softwareName) {
    std::string folder = UserRuntimeDir();
    if (folder.empty()) {
        folder = UserDataHome() + "/" + SafeFileComponent(softwareName.toStdString()) + " Files";
        CreateDirectoryPath(folder);
    }
    return QString::fromStdString(folder);
}

QString InstanceBaseName(const QString& softwareName) {
    const std::string safe = SafeFileComponent(softwareName.toStdString());
    return QString::fromStdString(safe.empty() ? std::string("zephyl-keyboard-driver") : safe);
}

}  // namespace

SingleInstance::SingleInstance(const QString& softwareName, QObject* parent) : QObject(parent) {
    const QString base = InstanceFolder(softwareName) + "/" + InstanceBaseName(softwareName);
    m_lockPath = base + ".lock";
    m_socketPath = base + ".socket";
}

SingleInstance::~SingleInstance() {
    StopListening();
}

bool SingleInstance::TryAcquire() {
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // Only a live process holds the lock: a lock left by a crashed run is taken over.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0) && !TakeOverUnreadableLock()) {
        m_lock.reset();
        return false;
    }
    if (!Listen()) {
        Log(kLogWarning, "single instance: cannot listen on %s: %s",
            m_socketPath.toUtf8().constData(), std::strerror(errno));
    }
    return true;
}

bool SingleInstance::Listen() {
    sockaddr_un address;
    if (!SocketAddress(m_socketPath, address)) {
        errno = ENAMETOOLONG;
        return false;
    }
    m_serverFd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_serverFd < 0) {
        return false;
    }
    // We hold the lock: a socket file still there was left by a crashed run.
    unlink(address.sun_path);
    // Only this user may talk to the program (the folder is normally the user's own already).
    if (bind(m_serverFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || listen(m_serverFd, SOMAXCONN) != 0) {
        const int error = errno;
        close(m_serverFd);
        m_serverFd = -1;
        errno = error;
        return false;
    }
    m_serverNotifier = new QSocketNotifier(m_serverFd, QSocketNotifier::Read, this);
    connect(m_serverNotifier, &QSocketNotifier::activated, this, [this] { OnNewConnection(); });
    return true;
}

void SingleInstance::StopListening() {
    while (!m_clients.empty()) {
        CloseClient(m_clients.begin()->first);
    }
    if (m_serverFd >= 0) {
        delete m_serverNotifier;
        m_serverNotifier = nullptr;
        close(m_serverFd);
        m_serverFd = -1;
        unlink(m_socketPath.toLocal8Bit().constData());
    }
}

bool SingleInstance::TakeOverUnreadableLock() {
    // A lock file that names no process (empty, garbled) is never found stale by the lock
    // itself. When nobody answers on the socket either, no instance runs: the file is left over.
    qint64 pid = 0;
    QString host;
    QString application;
    if (m_lock->getLockInfo(&pid, &host, &application) || SendToRunning(QString(), 200)) {
        return false;
    }
    Log(kLogWarning, "single instance: taking over the unreadable lock %s",
        m_lockPath.toUtf8().constData());
    return m_lock->removeStaleLockFile() && m_lock->tryLock(0);
}

void SingleInstance::OnNewConnection() {
    for (;;) {
        const int fd = accept4(m_serverFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            return;  // none left (EAGAIN), or a connection that went before it was taken
        }
        Client& client = m_clients[fd];
        client.notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(client.notifier, &QSocketNotifier::activated, this,
                [this, fd] { OnClientReadable(fd); });
        OnClientReadable(fd);  // what arrived before the connection was taken
    }
}

void SingleInstance::OnClientReadable(int fd) {
    const auto found = m_clients.find(fd);
    if (found == m_clients.end()) {
        return;
    }
    QByteArray& pending = found->second.pending;
    bool ended = false;
    // Copy the lines out first: a receiver may end the program's loop, or this object.
    QStringList messages;
    char buffer[512];
    while (!ended) {
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            ended = count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
            break;
        }
        pending.append(buffer, count);
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QString message = QString::fromUtf8(pending.left(end)).trimmed();
            pending.remove(0, end + 1);
            if (end > kLongestMessage) {
                ended = true;  // no message of ours: the client is dropped with what it sent
                break;
            }
            if (!message.isEmpty()) {
                messages << message;
            }
        }
        ended = ended || pending.size() > kLongestMessage;
    }
    if (ended) {
        CloseClient(fd);
    }
    for (const QString& message : messages) {
        emit MessageReceived(message);
    }
}

void SingleInstance::CloseClient(int fd) {
    const auto found = m_clients.find(fd);
    if (found == m_clients.end()) {
        return;
    }
    found->second.notifier->setEnabled(false);
    found->second.notifier->deleteLater();
    m_clients.erase(found);
    close(fd);
}

bool SingleInstance::SendToRunning(const QString& message, int timeoutMs) const {
    sockaddr_un address;
    if (!SocketAddress(m_socketPath, address)) {
        return false;
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs);
    bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!connected && (errno == EINPROGRESS || errno == EAGAIN)) {
        int error = 0;
        socklen_t length = sizeof error;
        connected = WaitFor(fd, POLLOUT, deadline) &&
                    getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
    const QByteArray line = message.toUtf8() + '\n';
    qsizetype written = 0;
    while (connected && written < line.size()) {
        const ssize_t count =
            send(fd, line.constData() + written, std::size_t(line.size() - written), MSG_NOSIGNAL);
        if (count > 0) {
            written += count;
        } else if (count < 0 && errno != EINTR &&
                   ((errno != EAGAIN && errno != EWOULDBLOCK) || !WaitFor(fd, POLLOUT, deadline))) {
            break;
        }
    }
    close(fd);
    return connected && written == line.size();
}

}  // namespace zephyl
