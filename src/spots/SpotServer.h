// The spot server: telnet clients (logging programs' cluster windows,
// cluster clients) connect as to a DX cluster node, log in with any call and
// get a spot line for each call the band decoder finds. publish may be called
// from any thread and never waits for a client: spots queue, and the
// server's own thread takes them to every logged-in client within
// streamWaitMs, accepting and dropping clients as it goes. Constructed
// listening, stopped by the destructor.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "spots/Spot.h"
#include "spots/SpotLine.h"
#include "station/StreamListener.h"

namespace ditdahl {

// Where cluster clients look for a node of this kind first.
inline constexpr int defaultSpotPort = 7300;

class SpotServer {
public:
    // Listens on a numeric address and a port (0: any free one); when it
    // cannot, listening() is false and error says why.
    SpotServer(const std::string& address, int port, std::string& error);
    ~SpotServer();
    SpotServer(const SpotServer&) = delete;
    SpotServer& operator=(const SpotServer&) = delete;

    bool listening() const { return thread_.joinable(); }
    int port() const { return listener_ ? listener_->localPort() : 0; }
    // The dial and sideband the spots' frequencies are taken from, and the
    // spotter they name: from the next spot on.
    void setSettings(const SpotSettings& settings);
    void publish(const Spot& spot);
    // Clients connected, logged in or not.
    std::size_t clients() const { return clientCount_; }

private:
    void serve();
    std::vector<std::string> takeQueued();

    std::unique_ptr<StreamListener> listener_;
    std::mutex lock_;  // settings_ and queued_
    SpotSettings settings_;
    std::vector<std::string> queued_;
    std::atomic<bool> stopping_{false};
    std::atomic<std::size_t> clientCount_{0};
    std::thread thread_;
};

}  // namespace ditdahl
