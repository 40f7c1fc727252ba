#include <gtest/gtest.h>

#include "ServerStation.h"
#include "station/ControlIds.h"

namespace ditdahl {
namespace {

using testing::Change;
using testing::ServerStation;

const std::string esc(1, '\x1b');

std::string chosenSpeed(ServerStation& s) {
    return s.window.entryText(ids::txSpeedList, s.window.selectedIndex(ids::txSpeedList));
}

// Waits for the sending to end and its line to be recorded.
void waitForTraffic(ServerStation& s, std::size_t lines) {
    ASSERT_TRUE(testing::eventually([&] { return s.traffic().size() >= lines && !s.jobs.jobRunning(); }));
    s.jobs.waitForJob();
}

TEST(KeyingServer, KeysTheTextAtTheRequestedSpeedAndWeight) {
    struct Case {
        std::string request;
        std::string text;
        std::vector<Change> changes;
        std::string listed;
        std::string recorded;
    };
    const Case cases[] = {
        // 25 wpm: dot 48, dash 144, 115 after a character's last gap.
        {esc + "225",
         "et",
         {{0, Line::Dtr, true}, {48, Line::Dtr, false}, {211, Line::Dtr, true}, {355, Line::Dtr, false}},
         "25",
         "TX:   ET"},
        {esc + "210", "e", {{0, Line::Dtr, true}, {120, Line::Dtr, false}}, "10", "TX:   E"},
        {esc + "230", "t", {{0, Line::Dtr, true}, {120, Line::Dtr, false}}, "30", "TX:   T"},
        // Out of range: ignored, the speed stays at 20.
        {esc + "231", "e", {{0, Line::Dtr, true}, {60, Line::Dtr, false}}, "20", "TX:   E"},
        // Half a dot more on each mark, half a dot less after it: T starts where it would.
        {esc + "750",
         "et",
         {{0, Line::Dtr, true}, {90, Line::Dtr, false}, {264, Line::Dtr, true}, {474, Line::Dtr, false}},
         "20",
         "TX:   ET"},
        // A step within the text: the second E at 22 wpm, a dot of 54.
        {esc + "220",
         "e+e",
         {{0, Line::Dtr, true}, {60, Line::Dtr, false}, {264, Line::Dtr, true}, {318, Line::Dtr, false}},
         "22",
         "TX:   EE"},
    };
    for (const Case& c : cases) {
        ServerStation s;
        s.send(c.request);
        s.send(c.text);
        waitForTraffic(s, 1);
        EXPECT_EQ(s.changes(), c.changes) << c.text;
        EXPECT_EQ(chosenSpeed(s), c.listed);
        EXPECT_EQ(s.traffic(), (std::vector<std::string>{c.recorded}));
    }
}

TEST(KeyingServer, RepliesOnceTheTextIsKeyed) {
    struct Case {
        std::vector<std::string> datagrams;
        std::string reply;
    };
    // E at 20 wpm: released at 60, its gaps over at 264.
    const Case cases[] = {
        {{esc + "hcat", "e"}, "hcat\r\n"},
        {{esc + "h", "e"}, "h\r\n"},
        {{"e^"}, "e\r\n"},
    };
    for (const Case& c : cases) {
        ServerStation s;
        for (const std::string& d : c.datagrams) s.send(d);
        EXPECT_EQ(s.reply(), c.reply);
        EXPECT_EQ(s.replySentMs, 264u);
        EXPECT_EQ(s.changes(), (std::vector<Change>{{0, Line::Dtr, true}, {60, Line::Dtr, false}}));
        waitForTraffic(s, 1);
    }
}

TEST(KeyingServer, MessagesThatComeWhileOneIsSentFollowInTheSameLine) {
    ServerStation s;
    s.at(1, [&] { s.waitHandled(4); });
    s.send("cq");
    s.send(" test");
    s.send(esc + "hdone");
    s.send(" de dl1abc");
    EXPECT_EQ(s.reply(), "hdone\r\n");
    waitForTraffic(s, 1);
    EXPECT_EQ(s.traffic(), (std::vector<std::string>{"TX:   CQ TEST DE DL1ABC"}));
}

TEST(KeyingServer, TextWaitsForTheOperatorsSendingToEndAndGoesWithItsStop) {
    for (const bool stop : {false, true}) {
        ServerStation s;
        s.window.setText(ids::transmitText, "e");
        s.at(1, [&] {
            s.send("t");
            s.waitHandled(1);
            if (stop) s.jobs.stopTransmission();
        });
        s.jobs.startTextTransmission();
        waitForTraffic(s, 1);
        if (!stop) waitForTraffic(s, 2);
        const std::vector<std::string> sent =
            stop ? std::vector<std::string>{"TX:   E"} : std::vector<std::string>{"TX:   E", "TX:   T"};
        EXPECT_EQ(s.traffic(), sent);
        EXPECT_TRUE(s.desktop.messageBoxes().empty());
    }
}

TEST(KeyingServer, AbortReleasesTheLinesWithinTheCharacterAndTheNextMessageIsSent) {
    ServerStation s;
    // The next message comes before the aborted sending has ended.
    s.at(90, [&] {
        s.send(esc + "4");
        s.send("e");
        s.waitHandled(4);
    });
    s.send(esc + "a1");
    s.send("tttt");
    waitForTraffic(s, 2);
    const std::vector<Change> changes = s.changes();
    ASSERT_EQ(changes.size(), 6u);
    EXPECT_EQ(std::vector(changes.begin(), changes.begin() + 4),
              (std::vector<Change>{
                  {0, Line::Rts, true}, {0, Line::Dtr, true}, {90, Line::Rts, false}, {180, Line::Dtr, false}}));
    EXPECT_EQ(changes[5].ms - changes[4].ms, 60u);
    EXPECT_EQ(s.traffic(), (std::vector<std::string>{"TX:   T", "TX:   E"}));
}

TEST(KeyingServer, PttOnTheOtherLineUntilOffOrResetWhichRestoresTheOperatorsKeying) {
    struct Case {
        bool keyOnDtr;
        std::string off;  // empty: the operator's Stop
        Line ptt;
        int wpm;
        int weight;
    };
    const Case cases[] = {
        {true, esc + "a0", Line::Rts, 25, -30},
        {false, esc + "0", Line::Dtr, 20, 0},
        {true, "", Line::Rts, 25, -30},
    };
    for (const Case& c : cases) {
        ServerStation s;
        s.state.pttOnDtr = c.keyOnDtr;
        s.send(esc + "225");
        s.send(esc + "7-30");
        s.send(esc + "a1");
        s.waitHandled(3);
        EXPECT_TRUE(s.line->isRaised(c.ptt));
        if (c.off.empty()) {
            s.server.releasePtt();
        } else {
            s.send(c.off);
            s.waitHandled(4);
        }
        EXPECT_FALSE(s.line->isRaised(c.ptt));
        EXPECT_EQ(s.state.txSpeedWpm, c.wpm);
        EXPECT_EQ(s.state.txWeightPercent, c.weight);
    }
}

TEST(KeyingServer, AFloodLeavesItAnsweringAndTheLineReleased) {
    ServerStation s;
    const std::string bad[] = {std::string(300, 'e'), esc, esc + "299", esc + "z", esc + "a7", esc + "2x"};
    for (int i = 0; i < 1000; ++i) {
        s.send("e");
        s.send(bad[i % 6]);
    }
    // UDP may drop what a full buffer cannot take: the probe is sent again.
    std::optional<std::string> reply;
    for (int attempt = 0; attempt < 20 && !reply; ++attempt) {
        s.send(esc + "halive");
        s.send("e");
        reply = s.reply(5);
    }
    EXPECT_EQ(reply, "halive\r\n");
    ASSERT_TRUE(testing::eventually([&] { return !s.jobs.jobRunning(); }));
    EXPECT_FALSE(s.line->isRaised(Line::Dtr));
    EXPECT_FALSE(s.line->isRaised(Line::Rts));
    const auto said = s.said();
    ASSERT_FALSE(said.empty());
    EXPECT_LT(said.size(), 1000u);
    EXPECT_NE(said[0].find("Keying server ignored "), std::string::npos);
}

}  // namespace
}  // namespace ditdahl
