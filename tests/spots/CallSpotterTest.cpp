#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "spots/CallSpotter.h"

namespace ditdahl {
namespace {

// What a channel copied: its id, tone and the stretch of text, one minute
// after the last; a stretch of "END" ends the channel instead.
struct Stretch {
    int channel;
    double toneHz;
    std::string text;
    int minute = 0;
};

struct Heard {
    std::string call;
    double toneHz;
    bool cq;
    friend bool operator==(const Heard&, const Heard&) = default;
};

std::ostream& operator<<(std::ostream& out, const Heard& h) {
    return out << h.call << "@" << h.toneHz << (h.cq ? " CQ" : "");
}

std::vector<Heard> spotsOf(const std::vector<Stretch>& stretches) {
    CallSpotter spotter;
    std::vector<Heard> heard;
    for (const Stretch& s : stretches) {
        const std::vector<Spot> spots =
            s.text == "END" ? spotter.channelEnded(s.channel)
                            : spotter.hear({s.channel, UtcTime{2026, 12, 8, 1, s.minute}, s.toneHz, 24, 12, s.text});
        for (const Spot& spot : spots) heard.push_back({spot.call, spot.toneHz, spot.cq});
    }
    return heard;
}

TEST(CallSpotter, SpotsCallsHeardWhereCallsAreSentOncePerOccupancy) {
    struct Case {
        const char* what;
        std::vector<Stretch> stretches;
        std::vector<Heard> spots;
    };
    const Case cases[] = {
        {"CQ DE", {{1, 600, "CQ CQ DE K1ABC K1ABC K "}}, {{"K1ABC", 600, true}}},
        {"contest CQ", {{1, 600, "CQ TEST DL1ABC "}}, {{"DL1ABC", 600, true}}},
        {"CQ, call twice", {{1, 600, "cq 9a2xy 9a2xy "}}, {{"9A2XY", 600, true}}},
        {"call, TEST", {{1, 600, "TU G4ABC/P TEST "}}, {{"G4ABC/P", 600, true}}},
        {"end of an over", {{1, 600, "UR 599 DE VK2ABC K "}}, {{"VK2ABC", 600, false}}},
        {"DE call twice", {{1, 600, "R TU DE JA1XYZ JA1XYZ "}}, {{"JA1XYZ", 600, false}}},
        {"pile-up", {{1, 600, "3DA0RU 3DA0RU "}}, {{"3DA0RU", 600, false}}},
        {"words split across stretches",
         {{1, 600, "C"}, {1, 600, "Q D"}, {1, 600, "E K1"}, {1, 600, "ABC"}, {1, 600, " "}},
         {{"K1ABC", 600, true}}},
        {"the last word counts when the channel ends",
         {{1, 600, "DE K1ABC K1ABC"}, {1, 600, "END"}},
         {{"K1ABC", 600, false}}},
        {"a CQ long ago does not make a reply a CQ",
         {{1, 600, "CQ DE K1ABC K K1ABC DE W2XYZ K "}},
         {{"K1ABC", 600, true}, {"W2XYZ", 600, false}}},
        {"no context: a call-shaped word alone", {{1, 600, "NAME K1ABC HR QTH DL1ABC "}}, {}},
        {"garble: a shape that is no call", {{1, 600, "CQ DE K1A?C K1A?C K TU5NN TU5NN "}}, {}},
        {"once while heard at about the same tone",
         {{1, 600, "CQ DE K1ABC "}, {2, 680, "CQ DE K1ABC "}, {1, 600, "K1ABC TEST "}},
         {{"K1ABC", 600, true}}},
        {"again at another tone",
         {{1, 600, "CQ DE K1ABC "}, {2, 900, "CQ DE K1ABC "}},
         {{"K1ABC", 600, true}, {"K1ABC", 900, true}}},
        {"again once the channel has ended",
         {{1, 600, "CQ DE K1ABC "}, {1, 600, "END"}, {3, 610, "CQ DE K1ABC "}},
         {{"K1ABC", 600, true}, {"K1ABC", 610, true}}},
        {"the occupancy follows the call to its new channel",
         {{1, 600, "CQ DE K1ABC "}, {2, 620, "CQ DE K1ABC "}, {1, 600, "END"}, {2, 620, "CQ DE K1ABC "}},
         {{"K1ABC", 600, true}}},
        {"again after ten minutes",
         {{1, 600, "CQ DE K1ABC ", 0}, {1, 600, "CQ DE K1ABC ", 9}, {1, 600, "CQ DE K1ABC ", 10}},
         {{"K1ABC", 600, true}, {"K1ABC", 600, true}}},
        {"channels kept apart", {{1, 600, "CQ DE "}, {2, 900, "K1ABC "}}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(spotsOf(c.stretches), c.spots) << c.what;
}

}  // namespace
}  // namespace ditdahl
