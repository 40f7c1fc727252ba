#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "spots/SpotClient.h"
#include "spots/SpotServer.h"
#include "support/Eventually.h"

namespace ditdahl {
namespace {

using testing::eventually;

// A logging program's cluster window on the loopback address.
struct Client {
    explicit Client(int port) {
        std::string error;
        connection = connectStream("127.0.0.1", port, error);
        EXPECT_TRUE(connection) << error;
    }
    void type(std::string_view line) { ASSERT_EQ(connection->sendNow(line), line.size()); }
    // Waits until what came, from the start, ends with text.
    bool receivedUpTo(const std::string& text) {
        return eventually([&] {
            if (const auto bytes = connection->receiveNow()) received += *bytes;
            return received.size() >= text.size() && received.ends_with(text);
        });
    }
    std::unique_ptr<StreamConnection> connection;
    std::string received;
};

const std::string greeting = "Hello N0CALL, this is Ditdahl: the CW calls it copies follow as spots.\r\n";

TEST(SpotServer, SendsEachSpotToEveryLoggedInClientAndDropsThoseThatLeave) {
    std::string error;
    SpotServer server("127.0.0.1", 0, error);
    ASSERT_TRUE(server.listening()) << error;
    server.setSettings({14000.0, true, "DL1XYZ"});

    Client staying(server.port());
    Client leaving(server.port());
    ASSERT_TRUE(staying.receivedUpTo("login: "));
    ASSERT_TRUE(leaving.receivedUpTo("login: "));
    // An empty line asks again; a telnet program's negotiation is no part of the call.
    staying.type("\r\n\xff\xfd\x01 n0call \r\n");
    leaving.type("N0CALL\n");
    ASSERT_TRUE(staying.receivedUpTo("login: login: " + greeting));
    ASSERT_TRUE(leaving.receivedUpTo("login: " + greeting));

    const UtcTime at{2026, 12, 8, 1, 2};
    server.publish({"K1ABC", 700, 24, 12, at, true});
    const std::string first = "DX de DL1XYZ-#:  14000.7  K1ABC        CW  12 dB  24 WPM  CQ          0102Z\r\n";
    EXPECT_TRUE(staying.receivedUpTo("login: login: " + greeting + first));
    EXPECT_TRUE(leaving.receivedUpTo("login: " + greeting + first));

    leaving.connection.reset();
    EXPECT_TRUE(eventually([&] { return server.clients() == 1; }));
    server.publish({"9A2XY", 1500, 30, 3, at, false});
    EXPECT_TRUE(staying.receivedUpTo(
        first + "DX de DL1XYZ-#:  14001.5  9A2XY        CW   3 dB  30 WPM              0102Z\r\n"));
}

// A client that has stopped reading: the system takes its bytes until its
// buffer is full, then none.
class StalledConnection final : public StreamConnection {
public:
    explicit StalledConnection(std::size_t room) : room_(room) {}
    std::optional<std::string> receiveNow() override { return std::exchange(typed_, ""); }
    std::optional<std::size_t> sendNow(std::string_view bytes) override {
        const std::size_t taken = std::min(room_, bytes.size());
        room_ -= taken;
        return taken;
    }

private:
    std::size_t room_;
    std::string typed_ = "N0CALL\r\n";
};

TEST(SpotServer, DropsAClientThatStopsReading) {
    const std::string line(75, 'x');
    SpotClient client(std::make_unique<StalledConnection>(1000));
    std::size_t sent = 0;
    while (client.serve()) {
        client.sendSpot(line);
        sent += line.size() + 2;
        ASSERT_LE(sent, 1000 + SpotClient::mostWaiting + line.size() + 2);
    }
    EXPECT_GT(sent, SpotClient::mostWaiting);
}

TEST(SpotServer, SaysWhyItCannotListen) {
    std::string error;
    const SpotServer server("localhost", 0, error);
    EXPECT_FALSE(server.listening());
    EXPECT_EQ(error, "not a numeric IP address");
}

}  // namespace
}  // namespace ditdahl
