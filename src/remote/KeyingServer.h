// The keying server: logging programs send text and requests as UDP
// datagrams in the keying protocol of Linux's contest loggers (default port
// 6789), and the station sends that text as it sends typed text. Its own
// thread receives; it never waits for the window thread and ends within
// datagramWaitMs of stop. Ignored datagrams are said in one line each, at
// most one a second. start and stop: one thread (the window's, or a tool's).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "remote/Complaints.h"
#include "remote/RequestHandler.h"
#include "station/DatagramSocket.h"
#include "station/StationState.h"
#include "transmit/TransmissionJobs.h"

namespace ditdahl {

class KeyingServer {
public:
    // jobs must outlive the server.
    KeyingServer(StationState& state, TransmissionJobs& jobs, Complaints::Say say);
    ~KeyingServer();
    KeyingServer(const KeyingServer&) = delete;
    KeyingServer& operator=(const KeyingServer&) = delete;

    // Listens on the socket, stopping first what listened before.
    void start(std::unique_ptr<DatagramSocket> socket);
    // Stops listening; the logging program's sending stops within its
    // character, what waits is dropped and the PTT line it raised released.
    void stop();
    bool listening() const { return thread_.joinable(); }
    // Lowers the PTT line a logging program raised, as the operator's Stop
    // does; the server listens on.
    void releasePtt();
    // Datagrams taken in since the start, however they were judged.
    std::uint64_t datagramsHandled() const { return handled_; }

private:
    void receiveLoop();
    void handle(const Datagram& datagram);

    StationState& state_;
    TransmissionJobs& jobs_;
    Complaints complaints_;
    std::shared_ptr<DatagramSocket> socket_;
    std::unique_ptr<RequestHandler> handler_;
    std::atomic<bool> stopping_{false};
    std::atomic<std::uint64_t> handled_{0};
    std::thread thread_;
};

}  // namespace ditdahl
