#include "band/BandLines.h"

#include <algorithm>
#include <cmath>

namespace ditdahl::band {
namespace {
// The decoder writes a character up to a second and a half after its end,
// and text over buffered audio in one piece: no text for 3 s is about 2 s
// of quiet on the air.
constexpr double quietMs = 3000.0;
constexpr std::size_t longLine = 60;

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}
}  // namespace

void BandLines::channelStarted(const ChannelReport& channel) { open_[channel.id].appearedMs = channel.atMs; }

void BandLines::text(const ChannelReport& channel, std::string_view decoded) {
    Open& open = open_[channel.id];
    open.stretch.toneHz = channel.toneHz;
    open.stretch.wpm = channel.wpm;
    open.stretch.snrDb = channel.snrDb;
    open.lastTextMs = nowMs_;
    for (char c : decoded) {
        if (c == ' ' && open.stretch.text.size() >= longLine) end(open);
        // A stretch neither starts with a blank nor is made of them.
        if (c == ' ' && open.stretch.text.empty()) continue;
        if (open.stretch.text.empty())
            open.stretch.startMs = open.appearedMs >= 0.0 ? std::min(open.appearedMs, channel.atMs) : channel.atMs;
        open.stretch.text += c;
    }
}

void BandLines::channelEnded(const ChannelReport& channel) {
    const auto found = open_.find(channel.id);
    if (found == open_.end()) return;
    end(found->second);
    open_.erase(found);
}

void BandLines::tick(double nowMs) {
    nowMs_ = nowMs;
    for (auto& [id, open] : open_)
        if (!open.stretch.text.empty() && nowMs - open.lastTextMs >= quietMs) end(open);
}

void BandLines::finish() {
    for (auto& [id, open] : open_) end(open);
    open_.clear();
}

void BandLines::end(Open& open) {
    open.stretch.text = trimmed(open.stretch.text);
    if (!open.stretch.text.empty()) done_(open.stretch);
    open.stretch.text.clear();
    open.appearedMs = -1.0;
}

}  // namespace ditdahl::band
