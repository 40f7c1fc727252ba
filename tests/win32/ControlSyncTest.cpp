// What the program puts into the control model is what the real controls
// show after the next repaint.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "HiddenDialog.h"
#include "portable/ControlModel.h"
#include "station/ControlIds.h"
#include "win32/ControlSync.h"

namespace ditdahl {
namespace {

std::string itemText(HWND dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

std::wstring wideItemText(HWND dialog, int id) {
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, id, text, 256);
    return text;
}

LRESULT send(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendDlgItemMessageA(dialog, id, message, wParam, lParam);
}

std::string listEntry(HWND dialog, int id, int index) {
    char text[256] = {};
    send(dialog, id, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

TEST(ControlSync, TheControlsShowTheModel) {
    const int bar = ids::levelBar(11);
    const struct {
        const char* what;
        std::function<void(ControlModel&)> change;
        std::function<std::string(HWND)> shown;
        std::string expected;
    } cases[] = {
        {"edit text", [](ControlModel& m) { m.setText(ids::rxTxBuffer, "CQ DE DL1ABC"); },
         [](HWND d) { return itemText(d, ids::rxTxBuffer); }, "CQ DE DL1ABC"},
        {"text in any language", [](ControlModel& m) { m.setText(ids::rxTxBuffer, "73 M\xC3\xBCller \xE6\x97\xA5"); },
         [](HWND d) { return wideItemText(d, ids::rxTxBuffer) == L"73 M\u00FCller \u65E5" ? "whole" : "garbled"; },
         "whole"},
        {"enabled", [](ControlModel& m) { m.setEnabled(ids::stopButton, true); },
         [](HWND d) { return std::to_string(IsWindowEnabled(GetDlgItem(d, ids::stopButton)) != 0); }, "1"},
        {"radio", [](ControlModel& m) { m.setChecked(ids::filter100, true); },
         [](HWND d) { return std::to_string(send(d, ids::filter100, BM_GETCHECK)); }, "1"},
        {"list grows",
         [](ControlModel& m) {
             m.addEntry(ids::trafficList, "RX: CQ");
             m.addEntry(ids::trafficList, "TX: QRZ");
             m.select(ids::trafficList, 1);
         },
         [](HWND d) {
             return std::to_string(send(d, ids::trafficList, LB_GETCOUNT)) + " " + listEntry(d, ids::trafficList, 1) +
                    " " + std::to_string(send(d, ids::trafficList, LB_GETCURSEL));
         },
         "2 TX: QRZ 1"},
        {"list loses its first entry", [](ControlModel& m) { m.deleteEntry(ids::trafficList, 0); },
         [](HWND d) {
             return std::to_string(send(d, ids::trafficList, LB_GETCOUNT)) + " " + listEntry(d, ids::trafficList, 0);
         },
         "1 TX: QRZ"},
        {"drop-down selection",
         [](ControlModel& m) {
             for (const char* wpm : {"10", "11", "12"}) m.addEntry(ids::txSpeedList, wpm);
             m.select(ids::txSpeedList, 2);
         },
         [](HWND d) { return std::to_string(send(d, ids::txSpeedList, CB_GETCURSEL)); }, "2"},
        {"bar",
         [bar](ControlModel& m) {
             m.setBarRange(bar, 0, 32768);
             m.setBarPosition(bar, 1000);
         },
         [bar](HWND d) {
             return std::to_string(send(d, bar, PBM_GETRANGE, FALSE)) + " " + std::to_string(send(d, bar, PBM_GETPOS));
         },
         "32768 1000"},
        {"bar colours",
         [bar](ControlModel& m) {
             m.setBarBackground(bar, {250, 240, 190});
             m.setBarColour(bar, {128, 0, 0});
         },
         [bar](HWND d) {
             return std::to_string(send(d, bar, PBM_GETBKCOLOR)) + " " + std::to_string(send(d, bar, PBM_GETBARCOLOR));
         },
         std::to_string(RGB(250, 240, 190)) + " " + std::to_string(RGB(128, 0, 0))},
        {"track bar", [](ControlModel& m) { m.setTrackPosition(ids::thresholdTrackBar, 30); },
         [](HWND d) { return std::to_string(send(d, ids::thresholdTrackBar, TBM_GETPOS)); }, "30"},
    };
    testing::HiddenDialog dialog(mainWindowTemplate());
    ASSERT_NE(dialog.window(), nullptr);
    ControlModel model(mainWindowTemplate());
    ControlSync sync(model, dialog.window());
    for (const auto& c : cases) {
        c.change(model);
        sync.apply();
        EXPECT_EQ(c.shown(dialog.window()), c.expected) << c.what;
    }
}

}  // namespace
}  // namespace ditdahl
