// What the keying server does with each request of a logging program: text
// joins the queue that one transmission job sends, as typed text is sent;
// speed, weight, abort, reset, PTT and echo act on the station at once; the
// requests that concern sound, band outputs or the daemon itself change
// nothing. Runs on the server's thread, except end.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "remote/Request.h"
#include "station/DatagramSocket.h"
#include "station/StationState.h"
#include "transmit/TextQueue.h"
#include "transmit/TransmissionJobs.h"

namespace ditdahl {

class RequestHandler {
public:
    RequestHandler(StationState& state, TransmissionJobs& jobs, std::shared_ptr<DatagramSocket> socket)
        : state_(state), jobs_(jobs), socket_(std::move(socket)) {}

    // Why the request could not be carried out; empty when it was.
    std::string handle(const Request& request, const std::string& peer);
    // The PTT line the logging program raised goes down. Any thread: the
    // operator's Stop quiets the transmitter, whatever the program asked.
    void releasePtt() { setPtt(false); }
    // The logging program's sending stops, what waits is dropped, the PTT
    // line it raised is released and its weight undone (the window has no
    // control to undo it). After the server's thread has ended.
    void end();

private:
    std::string queueText(const Request& request, const std::string& peer);
    void reset();
    void abort();
    void setPtt(bool on);

    StationState& state_;
    TransmissionJobs& jobs_;
    std::shared_ptr<DatagramSocket> socket_;
    // The speed the operator chose before the logging program changed it:
    // what a reset goes back to.
    std::optional<int> operatorWpm_;
    // The reply that the next text earns, to whom.
    std::optional<std::pair<std::string, std::string>> echo_;
    std::mutex pttLock_;
    std::optional<Line> pttRaised_;
};

}  // namespace ditdahl
