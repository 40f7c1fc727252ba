// The keying server's request parser on any datagram, as any host that can
// reach the port may send it. Every datagram is one request: text to key only
// from the datagram's own printable bytes, in order, and split into pieces
// whose speed steps add up to the text's; speed, PTT and weight only within
// what the keyer honours; an escape never keys text; and what is ignored says
// why in one printable line, since that line goes to standard error as it is.
#include <cstdint>
#include <string>
#include <string_view>

#include "Support.h"
#include "remote/LoggerText.h"
#include "remote/Request.h"

using namespace ditdahl;

namespace {

constexpr char escape = 27;

bool isKeyable(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 32 && byte != 127 && c != '^';
}

// text's bytes appear in datagram in the same order.
bool isDrawnFrom(std::string_view text, std::string_view datagram) {
    std::size_t at = 0;
    for (const char c : text) {
        at = datagram.find(c, at);
        if (at == std::string_view::npos) return false;
        ++at;
    }
    return true;
}

void checkProblem(const Request& request) {
    for (const char c : request.problem) {
        const auto byte = static_cast<unsigned char>(c);
        fuzz::require(byte >= 32 && byte < 127, "the reason for ignoring holds a byte that is not printable");
    }
    fuzz::require(request.problem.size() < 200, "the reason for ignoring is longer than a line");
    fuzz::require(request.kind == RequestKind::Ignored || request.problem.empty(),
                  "a request carried out has a problem");
}

void checkText(const Request& request, std::string_view datagram) {
    fuzz::require(!request.text.empty(), "text to key is empty");
    for (const char c : request.text) fuzz::require(isKeyable(c), "text to key holds a control byte or a caret");
    fuzz::require(isDrawnFrom(request.text, datagram), "text to key is not the datagram's own");
    fuzz::require(!request.echo || datagram.find('^') != std::string_view::npos, "a reply asked for without a caret");
}

void checkPieces(const Request& request) {
    int steps = 0;
    std::string keyed;
    for (const LoggerTextPiece& piece : splitLoggerText(request.text)) {
        fuzz::require(!piece.text.empty() || piece.speedStepWpm != 0, "a piece with nothing to do");
        steps += piece.speedStepWpm;
        keyed += piece.text;
    }
    int stepsInText = 0;
    for (const char c : request.text) stepsInText += c == '+' ? 2 : c == '-' ? -2 : 0;
    fuzz::require(steps == stepsInText, "the pieces' speed steps are not the text's");
    fuzz::require(keyed.size() <= request.text.size(), "the pieces key more than the text");
    for (const char c : keyed) {
        fuzz::require(isKeyable(c) && c != '-' && c != '~' && c != '!' && c != '>',
                      "a piece keys a sign the text does not mean");
    }
}

void checkValue(const Request& request) {
    switch (request.kind) {
        case RequestKind::Speed:
            fuzz::require(request.value >= slowestRemoteWpm && request.value <= fastestRemoteWpm,
                          "a speed outside the TX speed list");
            return;
        case RequestKind::Ptt:
            fuzz::require(request.value == 0 || request.value == 1, "PTT neither on nor off");
            return;
        case RequestKind::Weight:
            fuzz::require(request.value >= -50 && request.value <= 50, "a weight outside -50 to 50");
            return;
        case RequestKind::Echo: {
            const std::string& reply = request.text;
            fuzz::require(!reply.empty() && reply.front() == 'h', "an echo reply that does not start with h");
            fuzz::require(reply.back() != '\r' && reply.back() != '\n', "an echo reply with its line break");
            return;
        }
        default:
            return;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view datagram(reinterpret_cast<const char*>(data), size);
    const Request request = parseRequest(datagram);
    checkProblem(request);
    if (datagram.size() > maxRequestBytes) {
        fuzz::require(request.kind == RequestKind::Ignored && !request.problem.empty(),
                      "a datagram longer than the protocol allows was taken");
        return 0;
    }
    const bool escaped = !datagram.empty() && datagram.front() == escape;
    if (request.kind == RequestKind::Text) {
        fuzz::require(!escaped, "an escape request keyed as text");
        checkText(request, datagram);
        checkPieces(request);
    } else if (!escaped) {
        fuzz::require(request.kind == RequestKind::Ignored && request.problem.empty(),
                      "plain text taken as something other than text");
        const std::string_view beforeCaret = datagram.substr(0, datagram.find('^'));
        for (const char c : beforeCaret) fuzz::require(!isKeyable(c), "keyable text was dropped");
    }
    checkValue(request);
    const Request again = parseRequest(datagram);
    fuzz::require(again.kind == request.kind && again.value == request.value && again.text == request.text &&
                      again.echo == request.echo && again.problem == request.problem,
                  "the same datagram parsed two ways");
    return 0;
}
