#include <gtest/gtest.h>

#include <string>

#include "analysis/SpectrumBars.h"
#include "automatic/AutomaticReceiver.h"
#include "automatic/StationOutput.h"
#include "station/ControlIds.h"
#include "support/Station.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl::automatic {
namespace {

TEST(StationOutput, TextGoesOntoTheTrafficLineAndIsRecordedPast60Characters) {
    testing::TestStation station;
    StationOutput out(station.state);
    out.text("CQ CQ DE DL1ABC ");
    EXPECT_EQ(station.window.text(ids::rxTxBuffer), "CQ CQ DE DL1ABC ");
    for (int i = 0; i < 5; ++i) out.text("PARIS PARIS ");
    // After four more the line holds 64 characters: recorded with its label,
    // and it starts again; the fifth begins the new line.
    const auto entries = station.window.entries(ids::trafficList);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].find("RX:   CQ CQ DE DL1ABC PARIS PARIS PARIS PARIS PARIS PARIS PARIS PARIS"),
              std::string::npos)
        << entries[0];
    EXPECT_EQ(station.state.trafficLine.view(), "PARIS PARIS ");
}

TEST(StationOutput, NothingIsWrittenWhileATransmissionHasReceivingOff) {
    testing::TestStation station;
    StationOutput out(station.state);
    station.state.receiveEnabled = false;
    out.text("TEST ");
    EXPECT_EQ(station.state.trafficLine.view(), "");
    station.state.receiveEnabled = true;
    out.text("OK ");
    EXPECT_EQ(station.state.trafficLine.view(), "OK ");
}

TEST(StationOutput, SpeedSetsTheReceiveTimingAndItsBoxes) {
    testing::TestStation station;
    StationOutput out(station.state);
    out.speed(24.6, 48.8);
    EXPECT_EQ(station.state.rxSpeedWpm.load(), 25);
    EXPECT_EQ(station.state.dotMs.load(), 49);
    EXPECT_EQ(station.state.dashMs.load(), 147);
    EXPECT_EQ(station.window.text(ids::rxSpeedBox), "25");
    EXPECT_EQ(station.window.text(ids::dotBox), "49");
    EXPECT_EQ(station.window.text(ids::dashBox), "147");
}

TEST(StationOutput, WithAutoTxTheSendingSpeedFollowsAnEqualListEntryOnly) {
    struct Case {
        bool autoTx;
        double wpm;
        int expectedTxWpm;
    };
    const Case cases[] = {{true, 24.6, 25}, {false, 24.6, 10}, {true, 8.0, 10}, {true, 30.2, 30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wpm);
        testing::TestStation station;
        for (int wpm = 10; wpm <= 30; ++wpm) station.window.addEntry(ids::txSpeedList, std::to_string(wpm));
        station.window.select(ids::txSpeedList, 0);
        station.state.txSpeedWpm = 10;
        station.state.autoRxSpeed = c.autoTx;
        station.state.autoTxSpeed = c.autoTx;
        StationOutput out(station.state);
        out.speed(c.wpm, 1200.0 / c.wpm);
        EXPECT_EQ(station.state.txSpeedWpm.load(), c.expectedTxWpm);
        EXPECT_EQ(station.window.selectedIndex(ids::txSpeedList), c.expectedTxWpm - 10);
    }
}

TEST(StationOutput, FollowedToneIsHighlightedAndTheSelectedOneComesBack) {
    testing::TestStation station;
    station.state.barRange = 32768;
    station.state.filterWidth = 50;
    selectTone(station.state, 550);
    StationOutput out(station.state);
    out.tone(788.0);  // bar 16 (800 Hz)
    for (int bar = 1; bar <= ids::barCount; ++bar)
        EXPECT_EQ(station.window.barColour(ids::levelBar(bar)) == highlightBarColour, bar == 16) << bar;
    out.tone(0.0);
    for (int bar = 1; bar <= ids::barCount; ++bar)
        EXPECT_EQ(station.window.barColour(ids::levelBar(bar)) == highlightBarColour, bar == 11) << bar;
}

TEST(StationOutput, AReceiverFedWithAudioFillsTheStation) {
    testing::TestStation station;
    StationOutput out(station.state);
    AutomaticReceiver rx(station.state.morseTable, out);
    synthesis::KeyingPlan plan;
    plan.wpm = 22;
    plan.toneHz = 640;
    const auto stereo = synthesis::toStereo16(synthesis::keyedTone("VVV DE DL1ABC", plan));
    for (std::size_t f = 0; 2 * f < stereo.size(); f += 64)
        rx.pushStereo(stereo.data() + 2 * f, std::min<std::size_t>(64, stereo.size() / 2 - f));
    rx.finish();
    EXPECT_EQ(station.window.text(ids::rxTxBuffer), "VVV DE DL1ABC ");
    EXPECT_EQ(station.window.text(ids::rxSpeedBox), "22");
}

}  // namespace
}  // namespace ditdahl::automatic
