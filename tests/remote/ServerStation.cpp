#include "ServerStation.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "shell/Settings.h"
#include "station/ControlIds.h"

namespace ditdahl::testing {

namespace {

// The real loopback socket, noting on the station's clock when it replies.
class StampedSocket final : public DatagramSocket {
public:
    StampedSocket(std::unique_ptr<DatagramSocket> socket, ServerStation& station)
        : socket_(std::move(socket)), station_(station) {}
    std::optional<Datagram> receive() override { return socket_->receive(); }
    void send(std::string_view peer, std::string_view bytes) override {
        station_.replySentMs = station_.clock.tickCount() - station_.startTick;
        socket_->send(peer, bytes);
    }
    int localPort() const override { return socket_->localPort(); }

private:
    std::unique_ptr<DatagramSocket> socket_;
    ServerStation& station_;
};

std::unique_ptr<DatagramSocket> loopback() {
    std::string error;
    auto socket = openDatagramSocket("127.0.0.1", 0, error);
    if (!socket) throw std::runtime_error("no loopback socket: " + error);
    return socket;
}

}  // namespace

ServerStation::ServerStation()
    : startTick(clock.tickCount()),
      line(std::make_shared<RecordingKeyLine>(clock)),
      server(state, jobs, [this](std::string_view said) {
          std::lock_guard lock(saidLock);
          saidLines.emplace_back(said);
      }) {
    fillSpeedList(state);
    window.select(ids::txSpeedList, 10);
    state.txSpeedWpm = 20;
    state.pttOnDtr = true;
    state.pttPort.set(line);
    auto socket = std::make_unique<StampedSocket>(loopback(), *this);
    serverPeer = "127.0.0.1:" + std::to_string(socket->localPort());
    server.start(std::move(socket));
    client = loopback();
}

ServerStation::~ServerStation() {
    server.stop();
    jobs.waitForJob();
}

void ServerStation::send(std::string_view bytes) { client->send(serverPeer, bytes); }

std::optional<std::string> ServerStation::reply(int waits) {
    for (int wait = 0; wait < waits; ++wait) {
        if (auto datagram = client->receive()) return datagram->bytes;
    }
    return std::nullopt;
}

void ServerStation::waitHandled(std::uint64_t count) {
    ASSERT_TRUE(eventually([&] { return server.datagramsHandled() >= count; }));
}

std::vector<Change> ServerStation::changes() const {
    std::vector<Change> relative;
    for (const LineChange& c : line->changes()) relative.push_back({c.tick - startTick, c.line, c.raised});
    return relative;
}

std::vector<std::string> ServerStation::traffic() const {
    std::vector<std::string> entries = window.entries(ids::trafficList);
    for (std::string& entry : entries) entry.erase(0, 18);
    return entries;
}

std::vector<std::string> ServerStation::said() const {
    std::lock_guard lock(saidLock);
    return saidLines;
}

}  // namespace ditdahl::testing
