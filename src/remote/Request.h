// The requests of the logging programs' keying protocol, one per UDP
// datagram: plain text to send, or the escape character (27) followed by a
// request letter or digit and its value. parseRequest is a pure function of
// the datagram's bytes, so that any bytes at all can be thrown at it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ditdahl {

// The longest datagram the protocol allows.
inline constexpr std::size_t maxRequestBytes = 256;
// The speeds a logging program may ask for: the TX speed list's.
inline constexpr int slowestRemoteWpm = 10;
inline constexpr int fastestRemoteWpm = 30;

enum class RequestKind {
    Ignored,  // nothing to do: a malformed or out-of-range request (see problem), or empty text
    Text,     // text: what to send; echo: send it back once keyed (it ended at a caret)
    Reset,
    Speed,  // value: wpm
    Abort,
    Ptt,     // value: 1 on, 0 off
    Weight,  // value: -50 to 50
    Echo,    // text: the reply, "h" and what followed the request, without the line break
    // Accepted and not honoured: sidetone, volume and sound system, word mode, the keying
    // device, the network port, SSB audio, tuning, PTT delay, band output, exit.
    Unsupported,
};

struct Request {
    RequestKind kind = RequestKind::Ignored;
    int value = 0;
    std::string text;
    bool echo = false;
    // Why an Ignored request was ignored; empty for empty text.
    std::string problem;
};

Request parseRequest(std::string_view datagram);

}  // namespace ditdahl
