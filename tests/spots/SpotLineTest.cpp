#include <gtest/gtest.h>

#include "spots/SpotLine.h"

namespace ditdahl {
namespace {

TEST(SpotLine, PutsEachFieldInItsClusterColumn) {
    struct Case {
        Spot spot;
        SpotSettings settings;
        std::string line;
    };
    const UtcTime at{2026, 12, 8, 9, 5};
    const Case cases[] = {
        // Upper sideband: the tone above the dial; rounded to 100 Hz.
        {{"K1ABC", 700, 24, 12, at, true},
         {14024.6, true, "DL1XYZ"},
         "DX de DL1XYZ-#:  14025.3  K1ABC        CW  12 dB  24 WPM  CQ          0905Z"},
        // Lower sideband: below it; no CQ, a report under zero.
        {{"DL/G4ABC/P", 640, 31.6, -3.4, {2026, 12, 8, 23, 59}, false},
         {7030.0, false, "K1ABC"},
         "DX de K1ABC-#:    7029.4  DL/G4ABC/P   CW  -3 dB  32 WPM              2359Z"},
        // A long spotter shifts the frequency, never into it.
        {{"9A2XY", 500, 18, 45, at, true},
         {3525.0, true, "VERYLONGNODE"},
         "DX de VERYLONGNODE-#: 3525.5  9A2XY    CW  45 dB  18 WPM  CQ          0905Z"},
    };
    for (const Case& c : cases) {
        const std::string line = spotLine(c.spot, c.settings);
        EXPECT_EQ(line, c.line);
        EXPECT_EQ(line.size(), 75u) << line;
    }
}

}  // namespace
}  // namespace ditdahl
