// SPDX-License-Identifier: GPL-2.0-or-later
#include "sdkserver/SdkServer.h"

#include "sdkserver/SdkSession.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <algorithm>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <optional>
#include <vector>

namespace zephyl {
namespace {

/// A client that lets this much of our answers pile up unread is not reading them.
constexpr size_t kMaxUnsentBytes = 1024 * 1024;
/// How often the controller list is compared with what clients were told.
constexpr int kListCheckMs = 250;
/// Connections taken from the listening queue before the clients are served again.
constexpr size_t kAcceptsPerRound = 128;

using Clock = std::chrono::steady_clock;

struct Client {
    int fd = -1;
    std::unique_ptr<SdkSession> session;
    std::vector<std::uint8_t> unsent;
    Clock::time_point connected;
    Clock::time_point lastHeard;  ///< the last bytes received
};

/// Which client gives its place to a newcomer when every place is taken: the oldest one that
/// has not spoken yet, else the one silent longest past `idleTimeout`; none (the newcomer is
/// turned away) when all are busy.
std::optional<size_t> ClientToMakeRoom(const std::vector<Client>& clients, Clock::time_point now,
                                       std::chrono::milliseconds idleTimeout) {
    std::optional<size_t> silent;
    std::optional<size_t> idle;
    for (size_t i = 0; i < clients.size(); ++i) {
        const Client& client = clients[i];
        if (!client.session->Greeted()) {
            if (!silent || client.connected < clients[*silent].connected) {
                silent = i;
            }
        } else if (now - client.lastHeard >= idleTimeout &&
                   (!idle || client.lastHeard < clients[*idle].lastHeard)) {
            idle = i;
        }
    }
    return silent ? silent : idle;
}

bool SetNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL, 0);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

/// Sends what the socket takes now; false when the client is gone.
bool Flush(Client& client) {
    while (!client.unsent.empty()) {
        const ssize_t sent =
            send(client.fd, client.unsent.data(), client.unsent.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        }
        client.unsent.erase(client.unsent.begin(), client.unsent.begin() + sent);
    }
    return true;
}

}  // namespace

SdkServer::SdkServer(std::shared_ptr<SdkBackend> backend) : m_backend(std::move(backend)) {}

SdkServer::~SdkServer() {
    Stop();
}

bool SdkServer::Start(const SdkServerOptions& options, std::string& error) {
    std::lock_guard lock(m_startMutex);
    if (m_running.load()) {
        return true;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(options.port);
    if (inet_pton(AF_INET, options.address.c_str(), &address.sin_addr) != 1) {
        error = "not an IPv4 address: " + options.address;
        return false;
    }
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) {
        error = std::string("cannot open a socket: ") + std::strerror(errno);
        return false;
    }
    const int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, SOMAXCONN) != 0 || !SetNonBlocking(listener)) {
        error = "cannot listen on " + options.address + ":" + std::to_string(options.port) + ": " +
                std::strerror(errno);
        close(listener);
        return false;
    }
    sockaddr_in bound{};
    socklen_t boundLength = sizeof bound;
    getsockname(listener, reinterpret_cast<sockaddr*>(&bound), &boundLength);
    int wake[2];
    if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("cannot create a pipe: ") + std::strerror(errno);
        close(listener);
        return false;
    }
    m_wakeWrite = wake[1];
    m_port = ntohs(bound.sin_port);
    m_dropped = 0;
    m_running = true;
    m_thread = std::thread(&SdkServer::Serve, this, listener, wake[0], options);
    return true;
}

void SdkServer::Stop() {
    std::lock_guard lock(m_startMutex);
    if (!m_thread.joinable()) {
        return;
    }
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = write(m_wakeWrite, &byte, 1);
    m_thread.join();
    close(m_wakeWrite);
    m_wakeWrite = -1;
    m_running = false;
    m_clients = 0;
}

void SdkServer::Serve(int listener, int wake, SdkServerOptions options) {
    std::vector<Client> clients;
    std::vector<pollfd> fds;
    std::uint32_t knownCount = m_backend->ControllerCount();
    const auto drop = [this, &clients](size_t index, bool fault) {
        close(clients[index].fd);
        clients.erase(clients.begin() + static_cast<std::ptrdiff_t>(index));
        if (fault) {
            ++m_dropped;
        }
        m_clients = clients.size();
    };
    for (;;) {
        fds.clear();
        fds.push_back({wake, POLLIN, 0});
        fds.push_back({listener, POLLIN, 0});
        for (const Client& client : clients) {
            fds.push_back({client.fd, short(POLLIN | (client.unsent.empty() ? 0 : POLLOUT)), 0});
        }
        const int waitMs = static_cast<int>(std::min<std::chrono::milliseconds::rep>(
            kListCheckMs, options.greetingTimeout.count()));
        const int ready = poll(fds.data(), fds.size(), std::max(waitMs, 1));
        if (ready < 0 && errno != EINTR) {
            break;
        }
        if (fds[0].revents != 0) {
            break;
        }
        // Clients are served in the order of the poll set, from the end, so a dropped one
        // does not shift those still to serve.
        for (size_t i = clients.size(); i-- > 0;) {
            Client& client = clients[i];
            const short events = fds[i + 2].revents;
            if (events & (POLLIN | POLLHUP | POLLERR)) {
                std::uint8_t buffer[4096];
                const ssize_t received = recv(client.fd, buffer, sizeof buffer, 0);
                if (received == 0 || (received < 0 && errno != EAGAIN && errno != EINTR)) {
                    // Leaving between packets is the normal goodbye; leaving inside one is not.
                    drop(i, client.session->MidPacket());
                    continue;
                }
                if (received > 0) {
                    client.lastHeard = Clock::now();
                    if (!client.session->Receive({buffer, size_t(received)}, client.unsent)) {
                        drop(i, true);
                        continue;
                    }
                }
            }
            if (!Flush(client) || client.unsent.size() > kMaxUnsentBytes) {
                drop(i, true);
            }
        }
        const Clock::time_point now = Clock::now();
        for (size_t i = clients.size(); i-- > 0;) {
            if (!clients[i].session->Greeted() &&
                now - clients[i].connected >= options.greetingTimeout) {
                drop(i, true);
            }
        }
        if (fds[1].revents & POLLIN) {
            // What waits is taken in large rounds, so a crowd of silent connections cannot keep
            // a real client in the queue behind them; bounded, so a flood of them cannot keep
            // the clients already here from being served.
            int fd = -1;
            for (size_t round = 0;
                 round < kAcceptsPerRound &&
                 (fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0;
                 ++round) {
                if (clients.size() >= options.maxClients) {
                    const std::optional<size_t> room =
                        ClientToMakeRoom(clients, now, options.idleTimeout);
                    if (!room) {
                        close(fd);
                        continue;
                    }
                    drop(*room, !clients[*room].session->Greeted());
                }
                Client client;
                client.fd = fd;
                client.session = std::make_unique<SdkSession>(*m_backend);
                client.connected = now;
                client.lastHeard = now;
                clients.push_back(std::move(client));
                m_clients = clients.size();
            }
        }
        // A keyboard plugged in or out: clients that understand the notice are told to read
        // the list again (version 0 clients do not know it).
        const std::uint32_t count = m_backend->ControllerCount();
        if (count != knownCount) {
            knownCount = count;
            const std::vector<std::uint8_t> notice = EncodeSdkPacket(0, kSdkDeviceListUpdated, {});
            for (Client& client : clients) {
                if (client.session->Version() >= 1) {
                    client.unsent.insert(client.unsent.end(), notice.begin(), notice.end());
                }
            }
        }
    }
    for (const Client& client : clients) {
        close(client.fd);
    }
    close(listener);
    close(wake);
}

}  // namespace zephyl
