// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/desktop/SingleInstance.h"

#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "platform/Paths.h"

#include <QLocalSocket>

namespace zephyl {
namespace {

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
    if (m_server) {
        m_server->close();
    }
}

bool SingleInstance::TryAcquire() {
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // Only a live process holds the lock: a lock left by a crashed run is taken over.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0) && !TakeOverUnreadableLock()) {
        m_lock.reset();
        return false;
    }
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(m_socketPath);  // a socket file left by a crashed run
    if (!m_server->listen(m_socketPath)) {
        Log(kLogWarning, "single instance: cannot listen on %s: %s",
            m_socketPath.toUtf8().constData(), m_server->errorString().toUtf8().constData());
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
    return true;
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
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto drain = [this, socket] {
            while (socket->canReadLine()) {
                const QString message = QString::fromUtf8(socket->readLine()).trimmed();
                if (!message.isEmpty()) {
                    emit MessageReceived(message);
                }
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, drain);
        drain();  // what arrived before the connection was taken
    }
}

bool SingleInstance::SendToRunning(const QString& message, int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    socket.write(message.toUtf8() + '\n');
    const bool written = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(timeoutMs);
    }
    return written;
}

}  // namespace zephyl
