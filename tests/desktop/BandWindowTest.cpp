// The Band view as the window shows it: keyed audio from the input through
// capture and the band decoder into rows of the Band window, a row chosen
// selecting the tone, and the close box turning the view off.
#include <QListWidget>
#include <gtest/gtest.h>

#include "GuiStation.h"
#include "station/ControlIds.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl {
namespace {

TEST(BandWindow, ChannelsShowAsRowsAndAChosenRowSelectsItsTone) {
    synthesis::KeyingPlan keying;
    keying.toneHz = 750;  // watched by the 750 Hz button with the 100 Hz filter
    keying.leadInMs = 3000;
    std::vector<double> audio = keyedTone("CQ CQ DE DL1ABC DL1ABC K", keying);
    synthesis::NoiseGenerator noise(3);
    addNoise(audio, keying.amplitude, 10.0, keying.sampleRate, noise);
    testing::GuiStation g("[Ditdahl]\r\nFilter=0\r\n[Band]\r\nEnabled=1\r\n", synthesis::toStereo16(audio));

    QAction* item = g.view->menuAction(ids::menuBand);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isChecked());
    QWidget* window = g.dialogs.modelessDialog();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    auto* rows = window->findChild<QListWidget*>();
    ASSERT_NE(rows, nullptr);
    ASSERT_TRUE(g.settleUntil([&] { return rows->count() == 1 && rows->item(0)->text().contains("DL1ABC"); }))
        << (rows->count() > 0 ? rows->item(0)->text().toStdString() : "no rows");
    const std::string row = rows->item(0)->text().toStdString();
    EXPECT_TRUE(row.starts_with("  7") && row.find(" wpm ") != std::string::npos) << row;

    rows->setCurrentRow(0);
    g.settle();
    EXPECT_EQ(g.station.state.toneFrequency, 750);
    EXPECT_EQ(g.station.window.text(ids::bfoBox), "750");

    window->close();
    ASSERT_TRUE(g.settleUntil([&] { return g.dialogs.modelessDialog() == nullptr && !g.station.state.bandView; }));
    g.view->close();
    ASSERT_TRUE(g.settleUntil([&] { return g.procedure->ended(); }));
    EXPECT_NE(g.settings().find("[Band]\r\nEnabled=0\r\n"), std::string::npos) << g.settings();
}

}  // namespace
}  // namespace ditdahl
