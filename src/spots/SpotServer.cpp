#include "spots/SpotServer.h"

#include <utility>

#include "spots/SpotClient.h"

namespace ditdahl {

SpotServer::SpotServer(const std::string& address, int port, std::string& error)
    : listener_(openStreamListener(address, port, error)) {
    if (listener_) thread_ = std::thread([this] { serve(); });
}

SpotServer::~SpotServer() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
}

void SpotServer::setSettings(const SpotSettings& settings) {
    std::lock_guard guard(lock_);
    settings_ = settings;
}

void SpotServer::publish(const Spot& spot) {
    // Nobody would ever take them.
    if (!listening()) return;
    std::lock_guard guard(lock_);
    // Formatted now, so that the frequency is the dial's when it was heard.
    queued_.push_back(spotLine(spot, settings_));
}

std::vector<std::string> SpotServer::takeQueued() {
    std::lock_guard guard(lock_);
    return std::exchange(queued_, {});
}

void SpotServer::serve() {
    std::vector<std::unique_ptr<SpotClient>> clients;
    while (!stopping_) {
        if (auto connection = listener_->accept()) {
            clients.push_back(std::make_unique<SpotClient>(std::move(connection)));
        }
        const std::vector<std::string> lines = takeQueued();
        for (const auto& client : clients) {
            for (const std::string& line : lines) client->sendSpot(line);
        }
        std::erase_if(clients, [](const auto& client) { return !client->serve(); });
        clientCount_ = clients.size();
    }
}

}  // namespace ditdahl
