#include "remote/KeyingServer.h"

namespace ditdahl {

KeyingServer::KeyingServer(StationState& state, TransmissionJobs& jobs, Complaints::Say say)
    : state_(state), jobs_(jobs), complaints_(*state.clock, std::move(say)) {}

KeyingServer::~KeyingServer() { stop(); }

void KeyingServer::start(std::unique_ptr<DatagramSocket> socket) {
    stop();
    socket_ = std::move(socket);
    handler_ = std::make_unique<RequestHandler>(state_, jobs_, socket_);
    stopping_ = false;
    handled_ = 0;
    thread_ = std::thread([this] { receiveLoop(); });
}

void KeyingServer::stop() {
    if (!thread_.joinable()) return;
    stopping_ = true;
    thread_.join();
    handler_->end();
    handler_.reset();
    socket_.reset();
}

void KeyingServer::releasePtt() {
    if (handler_) handler_->releasePtt();
}

void KeyingServer::receiveLoop() {
    while (!stopping_) {
        if (const auto datagram = socket_->receive()) handle(*datagram);
        // Text that waited for another job goes once that job has ended.
        jobs_.startQueuedTransmission();
    }
}

void KeyingServer::handle(const Datagram& datagram) {
    const Request request = parseRequest(datagram.bytes);
    std::string problem = request.problem;
    if (problem.empty()) problem = handler_->handle(request, datagram.peer);
    if (!problem.empty()) complaints_.complain("Keying server ignored " + problem + " from " + datagram.peer);
    ++handled_;
}

}  // namespace ditdahl
