#include "remote/Request.h"

#include <array>
#include <climits>

namespace ditdahl {

namespace {

constexpr char escape = 27;

enum class Argument { None, Number, Word };

struct Shape {
    char code;
    RequestKind kind;
    std::string_view name;
    Argument argument;
    int lowest;
    int highest;
};

// The protocol's ranges, except the speed, which is the program's own.
constexpr std::array<Shape, 17> shapes{{
    {'0', RequestKind::Reset, "reset", Argument::None, 0, 0},
    {'2', RequestKind::Speed, "speed", Argument::Number, slowestRemoteWpm, fastestRemoteWpm},
    {'3', RequestKind::Unsupported, "tone", Argument::Number, 0, 4000},
    {'4', RequestKind::Abort, "abort", Argument::None, 0, 0},
    {'5', RequestKind::Unsupported, "exit", Argument::None, 0, 0},
    {'6', RequestKind::Unsupported, "word mode", Argument::None, 0, 0},
    {'7', RequestKind::Weight, "weight", Argument::Number, -50, 50},
    {'8', RequestKind::Unsupported, "keying device", Argument::Word, 0, 0},
    {'9', RequestKind::Unsupported, "network port", Argument::Number, 0, 65535},
    {'a', RequestKind::Ptt, "PTT", Argument::Number, 0, 1},
    {'b', RequestKind::Unsupported, "SSB way", Argument::Number, 0, 1},
    {'c', RequestKind::Unsupported, "tune", Argument::Number, 0, 10},
    // Too long a delay is cut to the longest, as the protocol says.
    {'d', RequestKind::Unsupported, "PTT delay", Argument::Number, 0, INT_MAX},
    {'e', RequestKind::Unsupported, "band switch", Argument::Word, 0, 0},
    {'f', RequestKind::Unsupported, "sound system", Argument::Word, 0, 0},
    {'g', RequestKind::Unsupported, "volume", Argument::Number, 0, 100},
    {'h', RequestKind::Echo, "echo", Argument::Word, 0, 0},
}};

bool isLineEnd(char c) { return c == '\r' || c == '\n' || c == '\0' || c == ' ' || c == '\t'; }

// Clients end a value with a line break, a blank or a zero byte, or with nothing.
std::string_view withoutLineEnd(std::string_view value) {
    while (!value.empty() && isLineEnd(value.back())) value.remove_suffix(1);
    return value;
}

Request ignored(std::string problem) { return Request{RequestKind::Ignored, 0, {}, false, std::move(problem)}; }

Request number(const Shape& shape, std::string_view value) {
    value = withoutLineEnd(value);
    const bool negative = !value.empty() && value.front() == '-';
    if (!value.empty() && (value.front() == '-' || value.front() == '+')) value.remove_prefix(1);
    if (value.empty() || value.size() > 9) return ignored("malformed " + std::string(shape.name) + " value");
    long long magnitude = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') return ignored("malformed " + std::string(shape.name) + " value");
        magnitude = magnitude * 10 + (c - '0');
    }
    const long long n = negative ? -magnitude : magnitude;
    if (n < shape.lowest || n > shape.highest) {
        return ignored(std::string(shape.name) + " " + std::to_string(n) + " outside " + std::to_string(shape.lowest) +
                       " to " + std::to_string(shape.highest));
    }
    return Request{shape.kind, static_cast<int>(n), {}, false, {}};
}

Request escaped(std::string_view body) {
    if (body.empty()) return ignored("an escape without a request");
    for (const Shape& shape : shapes) {
        if (shape.code != body.front()) continue;
        const std::string_view value = body.substr(1);
        switch (shape.argument) {
            case Argument::None:
                return Request{shape.kind, 0, {}, false, {}};
            case Argument::Number:
                return number(shape, value);
            case Argument::Word:
                if (shape.kind == RequestKind::Echo) {
                    return Request{shape.kind, 0, "h" + std::string(withoutLineEnd(value)), false, {}};
                }
                return Request{shape.kind, 0, {}, false, {}};
        }
    }
    const auto code = static_cast<unsigned char>(body.front());
    return ignored("unknown request " +
                   (code > 32 && code < 127 ? std::string(1, body.front()) : "byte " + std::to_string(code)));
}

// Line breaks and other control bytes are no text to key; a caret ends the
// text and asks for it back once it is keyed.
Request text(std::string_view body) {
    Request request{RequestKind::Text, 0, {}, false, {}};
    for (const char c : body) {
        if (c == '^') {
            request.echo = true;
            break;
        }
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 32 && byte != 127) request.text += c;
    }
    if (request.text.empty()) return ignored({});
    return request;
}

}  // namespace

Request parseRequest(std::string_view datagram) {
    if (datagram.size() > maxRequestBytes) {
        return ignored("a datagram of " + std::to_string(datagram.size()) + " bytes, longer than " +
                       std::to_string(maxRequestBytes));
    }
    if (!datagram.empty() && datagram.front() == escape) return escaped(datagram.substr(1));
    return text(datagram);
}

}  // namespace ditdahl
