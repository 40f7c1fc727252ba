#include <gtest/gtest.h>

#include "remote/LoggerText.h"

namespace ditdahl {
namespace {

TEST(LoggerText, SpeedStepsStartPiecesAndSignsAreKeyedAsTheyAreMeant) {
    struct Case {
        std::string text;
        std::vector<std::pair<int, std::string>> pieces;
    };
    const Case cases[] = {
        {"cq test", {{0, "cq test"}}},
        {"qrz de dl1abc ++test--", {{0, "qrz de dl1abc "}, {4, "test"}, {-4, ""}}},
        {"+-+e", {{2, "e"}}},
        {"%+-", {{0, "%"}}},
        {"tu*", {{0, "tu+"}}},
        {"73<", {{0, "73&"}}},
        {"d~l!&>", {{0, "dl"}}},
        {"~", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<int, std::string>> pieces;
        for (const LoggerTextPiece& piece : splitLoggerText(c.text))
            pieces.emplace_back(piece.speedStepWpm, piece.text);
        EXPECT_EQ(pieces, c.pieces) << c.text;
    }
}

}  // namespace
}  // namespace ditdahl
