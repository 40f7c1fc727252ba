// The receive path as the window shows it: keyed audio from the input,
// through capture, the key detector and the decoder (or the automatic
// receiver), into the RX/TX buffer box and, once the line passes 60
// characters, the Traffic list and the log.
#include <QLineEdit>
#include <QListWidget>
#include <gtest/gtest.h>

#include "GuiStation.h"
#include "station/ControlIds.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl {
namespace {

TEST(ReceiveIntoWindow, KeyedTextFillsTheBufferBoxTrafficListAndLog) {
    synthesis::KeyingPlan keying;
    keying.wpm = 20;
    keying.toneHz = 515.625;  // the bin watched at 550 Hz with the 50 Hz filter
    const std::string text = "CQ CQ CQ DE DITDAHL DITDAHL THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 1234567890 K";
    // The input delivers faster than real time on a clock that stands still,
    // so a pause is reported once, when the tone comes back: characters end,
    // but no pause grows into a word gap.
    std::string letters;
    for (char c : text) {
        if (c != ' ') letters += c;
    }
    testing::GuiStation g("[Ditdahl]\r\nTX_Speed=10\r\n", synthesis::toStereo16(synthesis::keyedTone(text, keying)));
    ASSERT_TRUE(g.settleUntil([&] { return !g.station.window.entries(ids::trafficList).empty(); }))
        << "buffer: " << g.station.window.text(ids::rxTxBuffer) << ", symbol: " << g.station.window.text(ids::symbolBox)
        << ", log: " << g.log();
    // The box shows the line that went to the list until the next character
    // comes (on a busy machine the list may be seen before it does).
    ASSERT_TRUE(g.settleUntil([&] {
        const std::size_t held = g.station.window.text(ids::rxTxBuffer).size();
        return held >= 3 && held <= letters.size() - 61;
    }));

    const std::string received = "RX:   " + letters.substr(0, 61);
    auto* list = g.widget<QListWidget>(ids::trafficList);
    ASSERT_EQ(list->count(), 1);
    EXPECT_TRUE(list->item(0)->text().endsWith(QString::fromStdString(received)))
        << list->item(0)->text().toStdString();
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_NE(g.log().find(received + "\r\n"), std::string::npos) << g.log();

    const std::string rest = letters.substr(61);
    const std::string shown = g.widget<QLineEdit>(ids::rxTxBuffer)->text().toStdString();
    EXPECT_EQ(rest.substr(0, shown.size()), shown);
    EXPECT_EQ(g.widget<QLineEdit>(ids::bfoBox)->text(), "550");
}

TEST(ReceiveIntoWindow, WithTheAutomaticDecoderOnItsTextAndSpeedFillTheWindow) {
    synthesis::KeyingPlan keying;
    keying.wpm = 25;
    keying.toneHz = 570;  // near the selected 550 Hz, which narrows its search
    keying.tailMs = 2500;
    testing::GuiStation g("[Ditdahl]\r\nTX_Speed=10\r\n[Automatic decoder]\r\nEnabled=1\r\n",
                          synthesis::toStereo16(synthesis::keyedTone("CQ DE DL1ABC", keying)));
    ASSERT_TRUE(g.settleUntil([&] { return g.station.window.text(ids::rxTxBuffer) == "CQ DE DL1ABC "; }))
        << "buffer: " << g.station.window.text(ids::rxTxBuffer);
    EXPECT_EQ(g.widget<QLineEdit>(ids::rxTxBuffer)->text(), "CQ DE DL1ABC ");
    EXPECT_EQ(g.widget<QLineEdit>(ids::rxSpeedBox)->text(), "25");
    EXPECT_EQ(g.widget<QLineEdit>(ids::dotBox)->text(), "48");
    EXPECT_EQ(g.widget<QLineEdit>(ids::symbolBox)->text(), "") << "the element decoder decoded nothing";
}

}  // namespace
}  // namespace ditdahl
