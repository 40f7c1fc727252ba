#include <gtest/gtest.h>

#include <set>

#include "analysis/SpectrumBars.h"
#include "base/CaptureFormat.h"
#include "station/ControlIds.h"
#include "support/Station.h"

namespace ditdahl {
namespace {

using testing::TestStation;

void useFilter(StationState& state, int widthHz) {
    state.filterWidth = widthHz;
    state.fftSize = fftSizeForFilter(widthHz);
}

TEST(SpectrumBars, BarIdsFollowTheThreeRowsOfControls) {
    const std::pair<int, int> cases[] = {{1, 1010},  {8, 1017}, {9, 1031}, {16, 1038}, {17, 1068},
                                         {32, 1083}, {0, 0},    {33, 0},   {-1, 0}};
    for (const auto& [bar, id] : cases) EXPECT_EQ(ids::levelBar(bar), id) << "bar " << bar;
}

TEST(SpectrumBars, ShowLevelClampsTruncatesAndMapsBinsToBars) {
    struct Case {
        int fftSize;
        double level;
        int bin;
        std::vector<int> bars;  // bars that show the value
        int shown;
    };
    const Case cases[] = {
        {128, -5.0, 3, {3}, 0},        {128, 40000.0, 3, {3}, 32768},  {128, 100.9, 3, {3}, 100},
        {128, 1234.0, 32, {32}, 1234}, {64, 500.0, 16, {31, 32}, 500}, {64, 777.7, 1, {1, 2}, 777},
        {96, 500.0, 3, {}, 0},
    };
    for (const Case& c : cases) {
        TestStation station;
        StationState& state = station.state;
        state.barRange = 32768;
        state.fftSize = c.fftSize;
        for (int bar = 1; bar <= 32; ++bar) station.window.setBarRange(ids::levelBar(bar), 0, 32768);
        showLevel(state, c.level, c.bin);
        for (int bar = 1; bar <= 32; ++bar) {
            const bool shows = std::find(c.bars.begin(), c.bars.end(), bar) != c.bars.end();
            EXPECT_EQ(station.window.barPosition(ids::levelBar(bar)), shows ? c.shown : 0)
                << "fftSize " << c.fftSize << " level " << c.level << " bar " << bar;
        }
    }
}

TEST(SpectrumBars, SelectingAToneWatchesItsBinAndHighlightsItsBars) {
    struct Case {
        int filterHz;
        int toneHz;
        int toneBin;
        std::set<int> highlighted;
    };
    const Case cases[] = {
        {50, 550, 11, {11}},  {100, 550, 6, {11, 12}}, {50, 1600, 32, {32}},  {100, 1600, 16, {31, 32}},
        {100, 50, 1, {1, 2}}, {100, 100, 1, {1, 2}},   {100, 150, 2, {3, 4}}, {100, 200, 2, {3, 4}},
        {50, 50, 1, {1}},     {50, 800, 16, {16}},
    };
    for (const Case& c : cases) {
        TestStation station;
        StationState& state = station.state;
        state.barRange = 32768;
        useFilter(state, c.filterHz);
        selectTone(state, c.toneHz);
        EXPECT_EQ(state.toneFrequency, c.toneHz);
        EXPECT_EQ(state.toneBin, c.toneBin) << c.filterHz << " Hz filter, " << c.toneHz << " Hz";
        EXPECT_EQ(station.window.text(ids::bfoBox), std::to_string(c.toneHz));
        for (int bar = 1; bar <= 32; ++bar) {
            const int id = ids::levelBar(bar);
            const bool lit = c.highlighted.count(bar) != 0;
            EXPECT_EQ(station.window.barBackground(id), lit ? highlightBackground : plainBackground)
                << c.toneHz << " Hz bar " << bar;
            EXPECT_EQ(station.window.barColour(id), lit ? highlightBarColour : plainBarColour);
            EXPECT_EQ(station.window.barRange(id), (ControlModel::BarRange{0, 32768}));
        }
    }
}

TEST(SpectrumBars, AFilterChangeKeepsTheToneAndRecomputesTheBin) {
    TestStation station;
    StationState& state = station.state;
    useFilter(state, 50);
    selectTone(state, 550);
    EXPECT_EQ(state.toneBin, 11);
    useFilter(state, 100);
    updateToneBin(state);
    EXPECT_EQ(state.toneFrequency, 550);
    EXPECT_EQ(state.toneBin, 6);
    state.filterWidth = 0;
    updateToneBin(state);
    EXPECT_EQ(state.toneBin, 0);
}

}  // namespace
}  // namespace ditdahl
