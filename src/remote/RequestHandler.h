// What the keying server does with each request of a logging program: text
// joins the queue that one transmission job sends, as typed text is sent;
// speed, abort, reset, PTT and echo act on the station at once; the requests
// that concern sound, band outputs or the daemon itself change nothing.
// Runs on the server's thread, except end.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "remote/Request.h"
#include "station/DatagramSocket.h"
#include "station/StationState.h"
#include "transmit/TextQueue.h"
#include "transmit/TransmissionJobs.h"

namespace ditdahl {

class RequestHandler {
public:
    // A reset goes back to the sending speed chosen now.
    RequestHandler(StationState& state, TransmissionJobs& jobs, std::shared_ptr<DatagramSocket> socket);

    // Why the request could not be carried out; empty when it was.
    std::string handle(const Request& request, const std::string& peer);
    // Starts the job for text that waits, unless another job runs; it is
    // tried again at the next call.
    void startWaitingText();
    // The logging program's sending stops, what waits is dropped and the PTT
    // line it raised is released. After the server's thread has ended.
    void end();

private:
    std::string queueText(const Request& request, const std::string& peer);
    void setSpeed(int wpm);
    void abort();
    void setPtt(bool on);

    StationState& state_;
    TransmissionJobs& jobs_;
    std::shared_ptr<DatagramSocket> socket_;
    std::shared_ptr<TextQueue> queue_ = std::make_shared<TextQueue>();
    const int resetWpm_;
    // The reply that the next text earns, to whom.
    std::optional<std::pair<std::string, std::string>> echo_;
    std::optional<Line> pttRaised_;
};

}  // namespace ditdahl
