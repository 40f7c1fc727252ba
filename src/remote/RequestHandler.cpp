#include "remote/RequestHandler.h"

#include <functional>
#include <vector>

#include "decoder/SpeedTiming.h"

namespace ditdahl {

namespace {
// Replies end as the protocol's clients read them: with a line break.
constexpr std::string_view replyEnd = "\r\n";
}  // namespace

std::string RequestHandler::handle(const Request& request, const std::string& peer) {
    switch (request.kind) {
        case RequestKind::Text:
            return queueText(request, peer);
        case RequestKind::Speed:
            if (!operatorWpm_) operatorWpm_ = state_.txSpeedWpm.load();
            setSpeed(request.value);
            return {};
        case RequestKind::Weight:
            state_.txWeightPercent = request.value;
            return {};
        case RequestKind::Abort:
            abort();
            return {};
        case RequestKind::Reset:
            reset();
            return {};
        case RequestKind::Ptt:
            setPtt(request.value != 0);
            return {};
        case RequestKind::Echo:
            echo_.emplace(peer, request.text + std::string(replyEnd));
            return {};
        case RequestKind::Ignored:
        case RequestKind::Unsupported:
            return {};
    }
    return {};
}

// The replies are sent from the job's thread once the text is keyed; the
// piece keeps the socket alive for them even when the server stops first.
std::string RequestHandler::queueText(const Request& request, const std::string& peer) {
    std::vector<std::pair<std::string, std::string>> replies;
    if (echo_) replies.push_back(std::move(*echo_));
    echo_.reset();
    if (request.echo) replies.emplace_back(peer, request.text + std::string(replyEnd));
    std::function<void()> afterSent;
    if (!replies.empty()) {
        afterSent = [socket = socket_, replies = std::move(replies)] {
            for (const auto& [to, reply] : replies) socket->send(to, reply);
        };
    }
    if (!jobs_.queueText({request.text, std::move(afterSent)})) {
        return "text while " + std::to_string(TextQueue::capacity) + " bytes wait to be sent";
    }
    jobs_.startQueuedTransmission();
    return {};
}

// As a choice in the TX speed list: the receive timing follows it too.
void RequestHandler::setSpeed(int wpm) {
    state_.txSpeedWpm = wpm;
    state_.displays.speed->showSendingSpeed(wpm);
    applyTxSpeedToReceive(state_);
}

// Back to the operator's keying; what is being sent goes on.
void RequestHandler::reset() {
    if (operatorWpm_) setSpeed(*operatorWpm_);
    operatorWpm_.reset();
    state_.txWeightPercent = 0;
    setPtt(false);
    echo_.reset();
}

// The transmitter is left unkeyed: the PTT line too.
void RequestHandler::abort() {
    jobs_.abortQueuedText();
    setPtt(false);
}

// PTT is the line the keyer does not key with; without an open port there
// is nothing to raise.
void RequestHandler::setPtt(bool on) {
    if (on) {
        const Line line = state_.pttOnDtr ? Line::Rts : Line::Dtr;
        if (state_.pttPort.use([line](KeyLine& port) { port.raise(line); })) pttRaised_ = line;
        return;
    }
    if (!pttRaised_) return;
    const Line line = *pttRaised_;
    state_.pttPort.use([line](KeyLine& port) { port.release(line); });
    pttRaised_.reset();
}

void RequestHandler::end() {
    abort();
    state_.txWeightPercent = 0;
}

}  // namespace ditdahl
