// A station with the keying server listening on a free loopback port, and a
// logging program's socket to talk to it: 20 wpm on DTR, a manual clock that
// moves as the sending sleeps, a keying line that records, and the lines the
// server says.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "doubles/RecordingKeyLine.h"
#include "remote/KeyingServer.h"
#include "support/Eventually.h"
#include "support/Station.h"
#include "transmit/TransmissionJobs.h"

namespace ditdahl::testing {

// Changes of the line, in ms from the station's start.
struct Change {
    std::uint32_t ms;
    Line line;
    bool raised;
    friend bool operator==(const Change&, const Change&) = default;
};

struct ServerStation : TestStation {
    ServerStation();
    ~ServerStation();

    void send(std::string_view bytes);
    // The next reply to the logging program; nothing within waits of
    // datagramWaitMs.
    std::optional<std::string> reply(int waits = 100);
    // Waits until the server has taken in count datagrams.
    void waitHandled(std::uint64_t count);
    // Runs action when the clock is ms after the start.
    void at(std::uint32_t ms, std::function<void()> action) { clock.at(startTick + ms, std::move(action)); }
    std::vector<Change> changes() const;
    std::vector<std::string> traffic() const;  // without timestamps
    std::vector<std::string> said() const;

    std::uint32_t startTick;
    std::shared_ptr<RecordingKeyLine> line;
    // When the last reply was sent, in ms from the start.
    std::atomic<std::uint32_t> replySentMs{0};
    TransmissionJobs jobs{state};
    mutable std::mutex saidLock;
    std::vector<std::string> saidLines;
    KeyingServer server;
    std::unique_ptr<DatagramSocket> client;
    std::string serverPeer;
};

}  // namespace ditdahl::testing
