#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "spots/CallShape.h"

namespace ditdahl {
namespace {

TEST(CallShape, TakesCallsAndRefusesWordsReportsAndGarble) {
    struct Case {
        std::string why;
        bool call;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"calls", true, {"K1ABC", "DL1ABC", "9A2XY", "VK2ABC", "3DA0RU", "JA1XYZ", "G4A", "2E0ABC", "E71A", "W1AW"}},
        {"portable", true, {"DL/G4ABC", "G4ABC/P", "G4ABC/M", "G4ABC/MM", "G4ABC/QRP", "K1ABC/5", "PA/DL1ABC/P"}},
        {"words and abbreviations", false, {"CQ", "DE", "TEST", "QRZ", "5NN", "TU", "RST", "UR", "599", "73", "K"}},
        {"no digit, or digits only", false, {"ABCDEF", "12345"}},
        {"no letter in the prefix, or too long a prefix", false, {"1ABC", "12ABC", "ABCD1EF"}},
        {"too long", false, {"K1ABCDE", "DL1ABC12345", "DL1ABC/G4ABC/P/M"}},
        {"no letters after the digit", false, {"DL1234", "K1"}},
        {"a Q-code, a run-on report", false, {"QR5ABC", "TU5NN"}},
        {"garbled", false, {"G4ABC/X", "G4ABC/TEST", "K1A?C", "DL//G4ABC", ""}},
    };
    for (const Case& c : cases) {
        for (const std::string& word : c.words) EXPECT_EQ(looksLikeCallsign(word), c.call) << c.why << ": " << word;
    }
}

}  // namespace
}  // namespace ditdahl
