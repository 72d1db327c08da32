// SPDX-License-Identifier: GPL-2.0-or-later
// The socket server with real clients on the loopback: clients that break the protocol or
// leave mid-packet are dropped, the others go on being served.
#include "sdkserver/SdkServer.h"
#include "sdkserver/SdkSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace zephyl {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

/// One controller of four LEDs that records the colours clients set.
class RecordingBackend : public SdkBackend {
public:
    std::uint32_t ControllerCount() override { return 1; }
    std::optional<SdkController> Describe(std::uint32_t index) override {
        if (index != 0) {
            return std::nullopt;
        }
        SdkController controller;
        controller.name = "Test";
        controller.leds = {{"A", 0}, {"B", 1}, {"C", 2}, {"D", 3}};
        controller.colours = Colours();
        return controller;
    }
    std::optional<std::uint32_t> ZoneFirstLed(std::uint32_t, std::uint32_t zone) override {
        return zone == 0 ? std::optional<std::uint32_t>(0) : std::nullopt;
    }
    void SetColours(std::uint32_t, std::uint32_t first,
                    std::span<const SdkColour> colours) override {
        std::lock_guard lock(m_mutex);
        for (size_t i = 0; i < colours.size() && first + i < m_colours.size(); ++i) {
            m_colours[first + i] = colours[i];
        }
    }
    void SetCustomMode(std::uint32_t) override {}
    void UpdateMode(std::uint32_t, std::int32_t, const SdkMode&, std::uint32_t) override {}
    std::vector<SdkColour> Colours() {
        std::lock_guard lock(m_mutex);
        return m_colours;
    }

private:
    std::mutex m_mutex;
    std::vector<SdkColour> m_colours = std::vector<SdkColour>(4, 0);
};

class Connection {
public:
    explicit Connection(std::uint16_t port) {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~Connection() { Close(); }
    bool Connected() const { return m_connected; }
    void Send(const Bytes& bytes) {
        ASSERT_EQ(send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
    }
    /// Bytes until `count` came, the peer closed, or two seconds passed.
    Bytes Receive(size_t count) {
        Bytes bytes;
        const auto deadline = std::chrono::steady_clock::now() + 2s;
        while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd fd{m_fd, POLLIN, 0};
            if (poll(&fd, 1, 50) <= 0) {
                continue;
            }
            std::uint8_t buffer[4096];
            const ssize_t got = recv(m_fd, buffer, sizeof buffer, 0);
            if (got <= 0) {
                m_closedByPeer = true;
                break;
            }
            bytes.insert(bytes.end(), buffer, buffer + got);
        }
        return bytes;
    }
    /// Whether the server closed this connection (within two seconds).
    bool ClosedByServer() {
        Receive(SIZE_MAX);
        return m_closedByPeer;
    }
    void Close() {
        if (m_fd >= 0) {
            close(m_fd);
            m_fd = -1;
        }
    }

private:
    int m_fd = -1;
    bool m_connected = false;
    bool m_closedByPeer = false;
};

Bytes Packet(std::uint32_t id, const Bytes& body, std::uint32_t device = 0) {
    return EncodeSdkPacket(device, id, body);
}

Bytes UpdateLeds(std::vector<SdkColour> colours) {
    Bytes body;
    const std::uint32_t size = 6 + 4 * std::uint32_t(colours.size());
    for (int shift = 0; shift < 32; shift += 8) {
        body.push_back(std::uint8_t(size >> shift));
    }
    body.push_back(std::uint8_t(colours.size()));
    body.push_back(0);
    for (SdkColour colour : colours) {
        for (int shift = 0; shift < 32; shift += 8) {
            body.push_back(std::uint8_t(colour >> shift));
        }
    }
    return Packet(kSdkUpdateLeds, body);
}

template <typename Condition>
bool Eventually(Condition condition) {
    for (int i = 0; i < 200 && !condition(); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    return condition();
}

class SdkServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        SdkServerOptions options;
        options.port = 0;
        std::string error;
        ASSERT_TRUE(m_server.Start(options, error)) << error;
        ASSERT_NE(m_server.Port(), 0);
    }

    std::shared_ptr<RecordingBackend> m_backend = std::make_shared<RecordingBackend>();
    SdkServer m_server{m_backend};
};

TEST_F(SdkServerTest, ClientsThatBreakTheProtocolAreDroppedAndOthersServed) {
    Connection good(m_server.Port());
    ASSERT_TRUE(good.Connected());
    Bytes oversized = Packet(kSdkUpdateLeds, {});
    std::fill(oversized.begin() + 12, oversized.end(), 0xFF);  // a body of 4 GiB announced
    Bytes malformed = UpdateLeds({1, 2});
    malformed[16] = 99;  // the size field disagrees with the body
    Bytes partHeader = Packet(kSdkRequestControllerCount, {});
    partHeader.resize(9);
    Bytes partBody = UpdateLeds({1, 2, 3});
    partBody.resize(partBody.size() - 3);
    struct Case {
        const char* what;
        Bytes bytes;
        bool leaves;  ///< the client closes after sending
    };
    const Case cases[] = {
        {"text instead of packets",
         Bytes{'G', 'E', 'T', ' ', '/', ' ', 'H', 'T', 'T', 'P', '/', '1', '.', '1', '\r', '\n'},
         false},
        {"oversized body", oversized, false},
        {"malformed colour update", malformed, false},
        {"leaves inside a header", partHeader, true},
        {"leaves inside a body", partBody, true},
    };
    size_t dropped = 0;
    for (const Case& c : cases) {
        Connection bad(m_server.Port());
        ASSERT_TRUE(bad.Connected()) << c.what;
        bad.Send(c.bytes);
        if (c.leaves) {
            bad.Close();
        } else {
            EXPECT_TRUE(bad.ClosedByServer()) << c.what;
        }
        ++dropped;
        EXPECT_TRUE(Eventually([&] { return m_server.DroppedCount() == dropped; })) << c.what;

        // The well-behaved client is served between every fault.
        good.Send(Packet(kSdkRequestControllerCount, {}));
        EXPECT_EQ(good.Receive(20), Packet(kSdkRequestControllerCount, {1, 0, 0, 0})) << c.what;
    }
    good.Send(UpdateLeds({0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF}));
    EXPECT_TRUE(Eventually([&] {
        return m_backend->Colours() ==
               std::vector<SdkColour>{0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF};
    }));
    EXPECT_TRUE(Eventually([&] { return m_server.ClientCount() == 1; }));
}

TEST_F(SdkServerTest, PacketsSplitAnywhereAreReassembled) {
    Connection client(m_server.Port());
    ASSERT_TRUE(client.Connected());
    Bytes stream = Packet(kSdkRequestProtocolVersion, {9, 0, 0, 0});
    const Bytes update = UpdateLeds({0x123456, 0x654321});
    stream.insert(stream.end(), update.begin(), update.end());
    // One byte at a time: every boundary of header and body is crossed.
    for (std::uint8_t byte : stream) {
        client.Send({byte});
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(client.Receive(20), Packet(kSdkRequestProtocolVersion, {4, 0, 0, 0}))
        << "the server offers version 4 to a client of a later one";
    EXPECT_TRUE(Eventually([&] {
        return m_backend->Colours() == std::vector<SdkColour>{0x123456, 0x654321, 0, 0};
    }));
    EXPECT_EQ(m_server.DroppedCount(), 0u);
}

TEST_F(SdkServerTest, StopClosesClientsAndTheListener) {
    Connection client(m_server.Port());
    ASSERT_TRUE(client.Connected());
    ASSERT_TRUE(Eventually([&] { return m_server.ClientCount() == 1; }));
    const std::uint16_t port = m_server.Port();
    m_server.Stop();
    EXPECT_FALSE(m_server.Running());
    EXPECT_TRUE(client.ClosedByServer());
    Connection late(port);
    EXPECT_FALSE(late.Connected());

    std::string error;
    SdkServerOptions elsewhere;
    elsewhere.address = "not an address";
    SdkServer other(m_backend);
    EXPECT_FALSE(other.Start(elsewhere, error));
    EXPECT_NE(error.find("not an address"), std::string::npos);
}

/// Asks for the controller count; whether the answer (one controller) came.
bool Served(Connection& client) {
    client.Send(Packet(kSdkRequestControllerCount, {}));
    return client.Receive(kSdkHeaderLength + 4) ==
           Packet(kSdkRequestControllerCount, EncodeSdkUint32(1));
}

TEST(SdkServerCrowdTest, SilentConnectionsNeverLockOutAClientThatSpeaks) {
    auto backend = std::make_shared<RecordingBackend>();
    SdkServer server(backend);
    SdkServerOptions options;
    options.port = 0;
    options.greetingTimeout = 300ms;
    std::string error;
    ASSERT_TRUE(server.Start(options, error)) << error;

    std::vector<std::unique_ptr<Connection>> silent;
    for (int i = 0; i < 100; ++i) {
        silent.push_back(std::make_unique<Connection>(server.Port()));
    }
    Connection client(server.Port());
    ASSERT_TRUE(client.Connected());
    EXPECT_TRUE(Served(client));
    // Every silent one is let go, and the client that spoke stays past the greeting time.
    for (auto& connection : silent) {
        EXPECT_TRUE(connection->ClosedByServer());
    }
    EXPECT_TRUE(Eventually([&] { return server.ClientCount() == 1; }));
    EXPECT_TRUE(Served(client));
}

TEST(SdkServerCrowdTest, AFullServerGivesTheLongestSilentPlaceToANewcomer) {
    auto backend = std::make_shared<RecordingBackend>();
    SdkServer server(backend);
    SdkServerOptions options;
    options.port = 0;
    options.maxClients = 2;
    options.idleTimeout = 100ms;
    std::string error;
    ASSERT_TRUE(server.Start(options, error)) << error;

    Connection first(server.Port());
    ASSERT_TRUE(Served(first));
    Connection second(server.Port());
    ASSERT_TRUE(Served(second));
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(Served(second));  // heard from again: now the first is the longest silent

    Connection third(server.Port());
    EXPECT_TRUE(Served(third));
    EXPECT_TRUE(first.ClosedByServer());
    EXPECT_TRUE(Served(second));
    EXPECT_EQ(server.ClientCount(), 2u);
}

}  // namespace
}  // namespace zephyl
