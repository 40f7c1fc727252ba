#include "remote/RequestHandler.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "decoder/SpeedTiming.h"
#include "remote/LoggerText.h"

namespace ditdahl {

namespace {

// Replies end as the protocol's clients read them: with a line break.
constexpr std::string_view replyEnd = "\r\n";

// As a choice in the TX speed list: the receive timing follows it too. From
// the server's thread, or the job's for a step within the text.
void chooseSendingSpeed(StationState& state, int wpm) {
    state.txSpeedWpm = wpm;
    state.displays.speed->showSendingSpeed(wpm);
    applyTxSpeedToReceive(state);
}

}  // namespace

std::string RequestHandler::handle(const Request& request, const std::string& peer) {
    switch (request.kind) {
        case RequestKind::Text:
            return queueText(request, peer);
        case RequestKind::Speed:
            if (!operatorWpm_) operatorWpm_ = state_.txSpeedWpm.load();
            chooseSendingSpeed(state_, request.value);
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

// The replies are sent from the job's thread once the text is keyed, and
// the speed steps taken there; the pieces hold the socket, and nothing of the
// handler, since they may outlive it.
std::string RequestHandler::queueText(const Request& request, const std::string& peer) {
    std::vector<std::pair<std::string, std::string>> replies;
    if (echo_) replies.push_back(std::move(*echo_));
    echo_.reset();
    if (request.echo) replies.emplace_back(peer, request.text + std::string(replyEnd));
    std::vector<QueuedText> message;
    for (LoggerTextPiece& piece : splitLoggerText(request.text)) {
        QueuedText queued{std::move(piece.text), {}, {}};
        if (const int step = piece.speedStepWpm) {
            if (!operatorWpm_) operatorWpm_ = state_.txSpeedWpm.load();
            queued.beforeSent = [&state = state_, step] {
                chooseSendingSpeed(state, std::clamp(state.txSpeedWpm + step, slowestRemoteWpm, fastestRemoteWpm));
            };
        }
        message.push_back(std::move(queued));
    }
    if (message.empty() && replies.empty()) return {};
    // A reply is earned even by text with nothing to key.
    if (message.empty()) message.emplace_back();
    if (!replies.empty()) {
        message.back().afterSent = [socket = socket_, replies = std::move(replies)] {
            for (const auto& [to, reply] : replies) socket->send(to, reply);
        };
    }
    if (!jobs_.queueText(std::move(message))) {
        return "text while " + std::to_string(TextQueue::capacity) + " bytes wait to be sent";
    }
    jobs_.startQueuedTransmission();
    return {};
}

// Back to the operator's keying; what is being sent goes on.
void RequestHandler::reset() {
    if (operatorWpm_) chooseSendingSpeed(state_, *operatorWpm_);
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
    std::lock_guard lock(pttLock_);
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
