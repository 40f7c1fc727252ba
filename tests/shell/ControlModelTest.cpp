#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "portable/ControlModel.h"
#include "station/ControlIds.h"
#include "station/StationState.h"
#include "support/Station.h"

namespace ditdahl {
namespace {

TEST(WindowTemplate, HoldsEveryControlOnceWithItsPlace) {
    const DialogTemplate& dialog = mainWindowTemplate();
    EXPECT_EQ(dialog.controls.size(), 124u);
    EXPECT_EQ(dialog.width, 445);
    EXPECT_EQ(dialog.height, 347);
    std::set<int> seen;
    for (const ControlTemplate& c : dialog.controls) {
        if (c.id != ids::noId) {
            EXPECT_TRUE(seen.insert(c.id).second) << "duplicate id " << c.id;
        }
        EXPECT_LE(c.x + c.width, dialog.width + 5) << c.id << " " << c.caption;
        EXPECT_LE(c.y + c.height, dialog.height) << c.id << " " << c.caption;
    }
    ControlModel window(dialog);
    for (int k = 1; k <= 32; ++k) {
        EXPECT_TRUE(window.has(ids::levelBar(k))) << k;
        EXPECT_TRUE(window.has(ids::toneButton(k))) << k;
        EXPECT_EQ(ids::toneButtonNumber(ids::toneButton(k)), k);
    }
    EXPECT_EQ(ids::levelBar(32), 1083);
    EXPECT_EQ(ids::toneButton(6), 1053);
    // Bar k at x = 7 + 11(k-1); tone buttons above them, buttons 1-5 one unit further right.
    auto at = [&](int id) {
        for (const ControlTemplate& c : dialog.controls) {
            if (c.id == id) return std::pair{c.x, c.y};
        }
        return std::pair{-1, -1};
    };
    EXPECT_EQ(at(ids::levelBar(32)), (std::pair{348, 19}));
    EXPECT_EQ(at(ids::toneButton(5)), (std::pair{53, 10}));
    EXPECT_EQ(at(ids::toneButton(6)), (std::pair{63, 10}));
    EXPECT_EQ(at(ids::toneButton(32)), (std::pair{349, 10}));
    EXPECT_EQ(aboutBoxTemplate().controls.size(), 4u);
    EXPECT_EQ(mainMenuTemplate().size(), 8u);
    // A menu command must not be taken for a control's.
    for (const MenuItemTemplate& item : mainMenuTemplate()) {
        EXPECT_TRUE(seen.insert(item.id).second) << "menu id " << item.id << " taken twice";
    }
}

TEST(ControlModel, StartsAsTheTemplateSays) {
    ControlModel window(mainWindowTemplate());
    for (int id : {ids::stopButton, ids::autoTxTick, ids::statusLine}) EXPECT_FALSE(window.isEnabled(id)) << id;
    for (int id : {ids::transmitButton, ids::senseSpeedButton, ids::transmitText, ids::inputList})
        EXPECT_TRUE(window.isEnabled(id)) << id;
    EXPECT_EQ(window.text(ids::filter50), "  50 Hz");
    EXPECT_EQ(window.text(ids::transmitText), "");
    EXPECT_EQ(window.entryCount(ids::txSpeedList), 0);
    EXPECT_EQ(window.selectedIndex(ids::txSpeedList), -1);
    EXPECT_FALSE(window.isChecked(ids::filter100));
    EXPECT_EQ(window.defaultButton(), ids::transmitButton);
    // An unknown identifier reads as empty and ignores changes.
    window.setText(4242, "x");
    EXPECT_EQ(window.text(4242), "");
}

TEST(ControlModel, ListRules) {
    ControlModel window(mainWindowTemplate());
    const int list = ids::inputList;
    for (const char* name : {"Line In", "USB Audio CODEC", "usb headset", "Mic"}) window.addEntry(list, name);

    struct SelectCase {
        int index;
        int selected;
    };
    for (const SelectCase& c : std::initializer_list<SelectCase>{{2, 2}, {4, -1}, {0, 0}, {-1, -1}, {3, 3}, {99, -1}}) {
        window.select(list, c.index);
        EXPECT_EQ(window.selectedIndex(list), c.selected) << c.index;
    }

    struct FindCase {
        const char* prefix;
        int found;
    };
    for (const FindCase& c : std::initializer_list<FindCase>{
             {"usb", 1}, {"USB H", 2}, {"line in", 0}, {"Mic", 3}, {"Mice", -1}, {"", 0}, {"Audio", -1}}) {
        EXPECT_EQ(window.findPrefix(list, c.prefix), c.found) << c.prefix;
    }

    // Deleting the first entry moves the others, and the selection, up one place.
    window.select(list, 2);
    window.deleteEntry(list, 0);
    EXPECT_EQ(window.entryCount(list), 3);
    EXPECT_EQ(window.entryText(list, 0), "USB Audio CODEC");
    EXPECT_EQ(window.selectedIndex(list), 1);
    window.deleteEntry(list, 1);
    EXPECT_EQ(window.selectedIndex(list), -1);
    window.deleteEntry(list, 7);
    EXPECT_EQ(window.entryCount(list), 2);
    EXPECT_EQ(window.entryText(list, 5), "");
}

TEST(ControlModel, BarsAndTrackBarKeepTheirPositionInRange) {
    ControlModel window(mainWindowTemplate());
    const int bar = ids::levelBar(1);
    EXPECT_EQ(window.barRange(bar), (ControlModel::BarRange{0, 100}));
    window.setBarRange(bar, 0, 32768);
    for (auto [set, shown] : std::initializer_list<std::pair<int, int>>{{100, 100}, {40000, 32768}, {-5, 0}}) {
        window.setBarPosition(bar, set);
        EXPECT_EQ(window.barPosition(bar), shown) << set;
    }
    window.setBarBackground(bar, {250, 240, 190});
    window.setBarColour(bar, {128, 0, 0});
    EXPECT_EQ(window.barBackground(bar), (Rgb{250, 240, 190}));
    EXPECT_EQ(window.barColour(bar), (Rgb{128, 0, 0}));
    for (auto [set, shown] : std::initializer_list<std::pair<int, int>>{{50, 50}, {150, 100}, {-20, 0}}) {
        window.setTrackPosition(ids::thresholdTrackBar, set);
        EXPECT_EQ(window.trackPosition(ids::thresholdTrackBar), shown) << set;
    }
}

TEST(ControlModel, PostedMessagesArriveInOrderFromAnyThread) {
    ControlModel window(mainWindowTemplate());
    int wakeups = 0;
    window.onMessagePosted([&] { ++wakeups; });
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i) window.postMessage({audioResetMessage, static_cast<std::uintptr_t>(i), 0});
    });
    worker.join();
    const auto messages = window.takePostedMessages();
    ASSERT_EQ(messages.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(messages[i].wParam, static_cast<std::uintptr_t>(i));
    EXPECT_EQ(wakeups, 100);
    EXPECT_TRUE(window.takePostedMessages().empty());
}

TEST(StationState, IdleAndBusyControls) {
    testing::TestStation station;
    setIdleControls(station.state, false);
    EXPECT_FALSE(station.window.isEnabled(ids::senseSpeedButton));
    EXPECT_FALSE(station.window.isEnabled(ids::transmitButton));
    EXPECT_TRUE(station.window.isEnabled(ids::stopButton));
    setIdleControls(station.state, true);
    EXPECT_TRUE(station.window.isEnabled(ids::senseSpeedButton));
    EXPECT_TRUE(station.window.isEnabled(ids::transmitButton));
    EXPECT_FALSE(station.window.isEnabled(ids::stopButton));
}

TEST(StationState, FreshRecordHoldsTheInitialValues) {
    StationState s;
    EXPECT_EQ(s.toneFrequency, 550);
    EXPECT_TRUE(s.receiveEnabled);
    EXPECT_TRUE(s.spaceWritten);
    EXPECT_EQ(s.txSpeedWpm, 0);
    EXPECT_EQ(s.fftSize, 0);
    EXPECT_EQ(s.thresholdPercent, 0.0);
    EXPECT_EQ(s.markHistory.count, 0);
    EXPECT_FALSE(s.pttPort.get());
    EXPECT_EQ(s.logFile, nullptr);
    EXPECT_TRUE(s.trafficLine.empty());
    // The fixed capacities never overflow: what does not fit is cut off.
    s.symbolBuffer.assign("................x");
    EXPECT_EQ(s.symbolBuffer.size(), 15u);
    EXPECT_FALSE(s.trafficLine.append(std::string(300, 'A')));
    EXPECT_EQ(s.trafficLine.size(), 255u);
}

}  // namespace
}  // namespace ditdahl
