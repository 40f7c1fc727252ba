#include "spots/TelnetLines.h"

namespace ditdahl {

namespace {

constexpr unsigned char interpretAsCommand = 255;
constexpr unsigned char subnegotiationBegin = 250;
constexpr unsigned char subnegotiationEnd = 240;
// WILL, WONT, DO and DONT: each names one option in the byte after it.
constexpr unsigned char firstOptionVerb = 251;

}  // namespace

std::vector<std::string> TelnetLines::take(std::string_view bytes) {
    std::vector<std::string> lines;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (state_) {
            case State::Text:
                if (byte == interpretAsCommand) {
                    state_ = State::Command;
                } else {
                    takeText(c, lines);
                }
                break;
            case State::Command:
                if (byte == interpretAsCommand) {
                    // A doubled IAC is the byte itself, which no call has.
                    state_ = State::Text;
                } else if (byte == subnegotiationBegin) {
                    state_ = State::Subnegotiation;
                } else {
                    state_ = byte >= firstOptionVerb ? State::Option : State::Text;
                }
                break;
            case State::Option:
                state_ = State::Text;
                break;
            case State::Subnegotiation:
                if (byte == interpretAsCommand) state_ = State::SubnegotiationCommand;
                break;
            case State::SubnegotiationCommand:
                state_ = byte == subnegotiationEnd ? State::Text : State::Subnegotiation;
                break;
        }
    }
    return lines;
}

void TelnetLines::takeText(char c, std::vector<std::string>& lines) {
    // "\r\n" ends one line, not two.
    const bool lineFeedOfCr = c == '\n' && afterCr_;
    afterCr_ = c == '\r';
    if (lineFeedOfCr || c == '\0') return;
    if (c == '\r' || c == '\n') {
        lines.push_back(line_);
        line_.clear();
    } else if (line_.size() < longestLine) {
        line_ += c;
    }
}

}  // namespace ditdahl
