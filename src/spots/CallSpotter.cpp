#include "spots/CallSpotter.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "spots/CallShape.h"

namespace ditdahl {

namespace {

// A CQ makes the call that follows a CQ's for this many words: "CQ CQ CQ DE
// K1ABC" still is, a reply far into the exchange is not.
constexpr int cqReachWords = 6;
// Longer than any call: a run without blanks is kept no further.
constexpr std::size_t longestWord = 20;

// What ends an over; after it, the channel's CQ is over too.
bool endsOver(std::string_view word) {
    static constexpr std::array<std::string_view, 5> words = {"K", "KN", "BK", "AR", "SK"};
    return std::find(words.begin(), words.end(), word) != words.end();
}

bool isBlank(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

long long millisecondsSinceEpoch(const UtcTime& t) {
    const long long seconds = daysFromCivil(t.year, t.month, t.day) * 86400LL + t.hour * 3600LL + t.minute * 60LL +
                              static_cast<long long>(t.second);
    return seconds * 1000 + t.millisecond;
}

}  // namespace

std::vector<Spot> CallSpotter::hear(const DecodedText& text) {
    Channel& c = channels_[text.channel];
    c.time = text.time;
    c.toneHz = text.toneHz;
    c.wpm = text.wpm;
    c.snrDb = text.snrDb;
    std::vector<Spot> spots;
    for (const char ch : text.text) {
        if (isBlank(ch)) {
            if (!c.word.empty()) endWord(text.channel, c, spots);
        } else if (c.word.size() < longestWord) {
            c.word += (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
        }
    }
    return spots;
}

std::vector<Spot> CallSpotter::channelEnded(int channel) {
    std::vector<Spot> spots;
    const auto found = channels_.find(channel);
    if (found == channels_.end()) return spots;
    if (!found->second.word.empty()) endWord(channel, found->second, spots);
    channels_.erase(found);
    std::erase_if(spotted_, [channel](const Spotted& s) { return s.channel == channel; });
    return spots;
}

void CallSpotter::endWord(int channel, Channel& c, std::vector<Spot>& spots) {
    const std::string& word = c.word;
    const bool cqOpen = c.wordsSinceCq >= 0 && c.wordsSinceCq < cqReachWords;
    if (looksLikeCallsign(word)) {
        if ((c.last == "DE" || c.last == "TEST") && cqOpen) {
            spot(channel, c, word, true, spots);
        } else if (word == c.last) {
            spot(channel, c, word, cqOpen, spots);
        }
    }
    if (word == "TEST" && looksLikeCallsign(c.last)) spot(channel, c, c.last, true, spots);
    if (endsOver(word) && c.before == "DE" && looksLikeCallsign(c.last)) spot(channel, c, c.last, cqOpen, spots);

    if (word == "CQ") {
        c.wordsSinceCq = 0;
    } else if (endsOver(word)) {
        c.wordsSinceCq = -1;
    } else if (c.wordsSinceCq >= 0) {
        ++c.wordsSinceCq;
    }
    c.before = std::move(c.last);
    c.last = std::move(c.word);
    c.word.clear();
}

void CallSpotter::spot(int channel, const Channel& c, const std::string& call, bool cq, std::vector<Spot>& spots) {
    const long long atMs = millisecondsSinceEpoch(c.time);
    if (spottedBefore(channel, call, c.toneHz, atMs)) return;
    spotted_.push_back({call, channel, c.toneHz, atMs});
    spots.push_back({call, c.toneHz, c.wpm, c.snrDb, c.time, cq});
}

bool CallSpotter::spottedBefore(int channel, const std::string& call, double toneHz, long long atMs) {
    std::erase_if(spotted_, [atMs](const Spotted& s) { return atMs - s.atMs >= respotMs; });
    const auto found = std::find_if(spotted_.begin(), spotted_.end(), [&](const Spotted& s) {
        return s.call == call && std::abs(s.toneHz - toneHz) <= sameToneHz;
    });
    if (found == spotted_.end()) return false;
    // The decoder may have lost the signal and found it again as a new
    // channel: the occupancy now ends with that one.
    found->channel = channel;
    return true;
}

}  // namespace ditdahl
