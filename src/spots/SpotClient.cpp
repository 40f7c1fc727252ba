#include "spots/SpotClient.h"

namespace ditdahl {

namespace {

// Cluster nodes ask so; logging programs answer it with the operator's call.
constexpr std::string_view loginPrompt = "login: ";

std::string trimmedCapitals(const std::string& line) {
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const std::size_t last = line.find_last_not_of(" \t");
    std::string call = line.substr(first, last - first + 1);
    for (char& c : call) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return call;
}

}  // namespace

SpotClient::SpotClient(std::unique_ptr<StreamConnection> connection) : connection_(std::move(connection)) {
    send(loginPrompt);
}

bool SpotClient::serve() {
    const std::optional<std::string> bytes = connection_->receiveNow();
    if (!bytes) return false;
    // What a client types after logging in (cluster commands) asks for
    // nothing this server has.
    for (const std::string& line : lines_.take(*bytes)) {
        if (call_.empty()) logIn(line);
    }
    while (!waiting_.empty()) {
        const std::optional<std::size_t> sent = connection_->sendNow(waiting_);
        if (!sent) return false;
        if (*sent == 0) break;
        waiting_.erase(0, *sent);
    }
    return waiting_.size() <= mostWaiting;
}

void SpotClient::sendSpot(std::string_view line) {
    if (call_.empty()) return;
    send(line);
    send("\r\n");
}

void SpotClient::logIn(const std::string& line) {
    call_ = trimmedCapitals(line);
    if (call_.empty()) {
        send(loginPrompt);
        return;
    }
    send("Hello " + call_ + ", this is Ditdahl: the CW calls it copies follow as spots.\r\n");
}

}  // namespace ditdahl
