// A logging program's text as the protocol means it, turned into what the
// keyer sends: each '+' in the text makes what follows 2 wpm faster and each
// '-' 2 wpm slower; '*' is AR and '<' SK, which the program's own table keys
// as '+' and '&'; '~', and the signs the table has no pattern for ('!' SN,
// '&' AS, '>' BK), are left out rather than keyed as something else.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ditdahl {

struct LoggerTextPiece {
    int speedStepWpm = 0;  // applied before the text is keyed
    std::string text;
};

// In order; a piece starts at each run of speed steps. Empty for text with
// neither characters to key nor steps.
std::vector<LoggerTextPiece> splitLoggerText(std::string_view text);

}  // namespace ditdahl
