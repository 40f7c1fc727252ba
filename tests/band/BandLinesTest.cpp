#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "band/BandLines.h"

namespace ditdahl::band {
namespace {

// What the decoder does at a moment: text on a channel, its end, or time
// passing with nothing written.
struct Event {
    double nowMs;
    int channel;       // 0: time passes only
    const char* text;  // nullptr: the channel ends
};

TEST(BandLines, CutsEachChannelsTextIntoStretchesAtQuietLongLinesAndEnds) {
    struct Case {
        const char* name;
        std::vector<Event> events;
        std::vector<std::string> printed;
    };
    const char* const longLine = "QTH NR VILNIUS LOC KO24 ANT LW 40M RIG IC7300 PWR 100W WX FB ES 73 ";
    const Case cases[] = {
        {"a pause under 3 s joins", {{0, 1, "CQ "}, {2500, 1, "DE X1Y "}, {4000, 0, ""}}, {"CQ DE X1Y"}},
        {"3 s without text ends", {{0, 1, "CQ "}, {3500, 0, ""}, {4000, 1, "DE X1Y "}}, {"CQ", "DE X1Y"}},
        {"blanks alone are no stretch", {{0, 1, "  "}, {5000, 0, ""}}, {}},
        {"the channel's end ends it", {{0, 1, "TU "}, {100, 2, "QRZ? "}, {200, 1, nullptr}}, {"TU", "QRZ?"}},
        {"a long line is cut at a blank",
         {{0, 1, longLine}},
         {"QTH NR VILNIUS LOC KO24 ANT LW 40M RIG IC7300 PWR 100W WX FB", "ES 73"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> printed;
        BandLines lines([&](const Stretch& s) { printed.push_back(s.text); });
        for (const Event& e : c.events) {
            lines.tick(e.nowMs);
            ChannelReport report;
            report.id = e.channel;
            report.atMs = e.nowMs;
            if (e.channel != 0 && e.text) lines.text(report, e.text);
            if (e.channel != 0 && !e.text) lines.channelEnded(report);
        }
        // The audio's end gives what is left.
        lines.finish();
        EXPECT_EQ(printed, c.printed) << c.name;
    }
}

}  // namespace
}  // namespace ditdahl::band
