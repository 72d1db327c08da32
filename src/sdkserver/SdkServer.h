// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "sdkserver/SdkProtocol.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace zephyl {

class SdkBackend;

struct SdkServerOptions {
    /// Only this machine's own programs unless the user names another address.
    std::string address = "127.0.0.1";
    /// 0 lets the system choose (tests); Port() tells which.
    std::uint16_t port = kSdkDefaultPort;
    size_t maxClients = 16;
    /// A connection that has not sent one whole packet by then is closed: it holds a place
    /// without speaking the protocol (a port scan, a stuck or hostile program).
    std::chrono::milliseconds greetingTimeout{5000};
    /// With every place taken, a newcomer gets the place of the client that has been silent
    /// longest once that silence passes this. Clients that wait quietly (for a device list
    /// notice, for their user) are not cut off while nobody else needs the place.
    std::chrono::milliseconds idleTimeout{std::chrono::minutes(2)};
};

/// The SDK server: listens on one TCP address and serves each client on its own thread-less
/// session, all on one thread of its own. A client that breaks the protocol, stops reading
/// its answers or leaves mid-packet is closed; the others go on. Connections that never speak
/// the protocol are closed after a short greeting time, and give up their place sooner still
/// when the server is full and someone else connects.
class SdkServer {
public:
    explicit SdkServer(std::shared_ptr<SdkBackend> backend);
    ~SdkServer();
    SdkServer(const SdkServer&) = delete;
    SdkServer& operator=(const SdkServer&) = delete;

    /// Binds and starts serving; false with the reason when the address cannot be used.
    bool Start(const SdkServerOptions& options, std::string& error);
    /// Closes every client and the listening socket and joins the thread.
    void Stop();
    bool Running() const { return m_running.load(); }
    std::uint16_t Port() const { return m_port.load(); }
    size_t ClientCount() const { return m_clients.load(); }
    /// Clients dropped for breaking the protocol or leaving mid-packet, since Start.
    size_t DroppedCount() const { return m_dropped.load(); }

private:
    void Serve(int listener, int wake, SdkServerOptions options);

    std::shared_ptr<SdkBackend> m_backend;
    std::mutex m_startMutex;
    std::thread m_thread;
    int m_wakeWrite = -1;
    std::atomic<bool> m_running{false};
    std::atomic<std::uint16_t> m_port{0};
    std::atomic<size_t> m_clients{0};
    std::atomic<size_t> m_dropped{0};
};

}  // namespace zephyl
