#include "remote/LoggerText.h"

namespace ditdahl {

namespace {

constexpr int speedStepWpm = 2;

// The character the program's table keys the protocol's character with; 0
// when it has none.
char keyedAs(char c) {
    switch (c) {
        case '*':
            return '+';
        case '<':
            return '&';
        case '~':
        case '!':
        case '&':
        case '>':
            return 0;
        default:
            return c;
    }
}

}  // namespace

std::vector<LoggerTextPiece> splitLoggerText(std::string_view text) {
    std::vector<LoggerTextPiece> pieces;
    for (const char c : text) {
        if (c == '+' || c == '-') {
            const int step = c == '+' ? speedStepWpm : -speedStepWpm;
            if (pieces.empty() || !pieces.back().text.empty()) pieces.push_back({});
            pieces.back().speedStepWpm += step;
            // Steps that cancel out ("+-") leave nothing to do.
            if (pieces.back().speedStepWpm == 0) pieces.pop_back();
            continue;
        }
        const char keyed = keyedAs(c);
        if (keyed == 0) continue;
        if (pieces.empty()) pieces.push_back({});
        pieces.back().text += keyed;
    }
    return pieces;
}

}  // namespace ditdahl
