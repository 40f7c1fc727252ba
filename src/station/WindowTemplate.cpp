#include "station/WindowTemplate.h"

#include <array>
#include <vector>

#include "station/ControlIds.h"

namespace ditdahl {
namespace {

using K = ControlKind;
using namespace style;

constexpr std::uint32_t editBox = border | tabStop | multiLine | autoHScroll;
constexpr std::uint32_t readOnlyNumber = border | tabStop | alignRight | readOnly;
constexpr std::uint32_t dropDown = tabStop | vScroll;
constexpr std::uint32_t levelBarStyle = vertical | smooth;

ControlTemplate label(std::string_view caption, int x, int y, int w, int h) {
    return {ids::noId, K::Label, caption, x, y, w, h, 0};
}

void addBars(std::vector<ControlTemplate>& controls, int first, int last) {
    for (int k = first; k <= last; ++k) {
        controls.push_back({ids::levelBar(k), K::ProgressBar, "", 7 + 11 * (k - 1), 19, 12, 61, levelBarStyle});
    }
}

void addToneButtons(std::vector<ControlTemplate>& controls, int first, int last) {
    for (int k = first; k <= last; ++k) {
        const int x = k <= 5 ? 9 + 11 * (k - 1) : 8 + 11 * (k - 1);
        controls.push_back({ids::toneButton(k), K::Button, "", x, 10, 9, 8, tabStop});
    }
}

std::vector<ControlTemplate> mainControls() {
    std::vector<ControlTemplate> c;
    c.push_back(label("Text to transmit", 7, 310, 52, 8));
    c.push_back({ids::transmitText, K::Edit, "", 64, 308, 260, 14, editBox});
    c.push_back({ids::transmitButton, K::Button, "Transmit", 326, 307, 44, 18, defaultPushButton | tabStop});
    c.push_back(
        {ids::trafficList, K::ListBox, "", 7, 182, 430, 85, border | vScroll | tabStop | notify | noIntegralHeight});
    c.push_back(label("Traffic", 7, 173, 22, 8));
    c.push_back({ids::filter100, K::Radio, "100 Hz", 398, 30, 38, 10, 0});
    c.push_back({ids::filter50, K::Radio, "  50 Hz", 398, 43, 38, 10, 0});
    c.push_back({ids::noId, K::Group, "Filter", 393, 18, 44, 61, 0});
    c.push_back(label("0 Hz", 7, 81, 15, 8));
    c.push_back(label("1500 Hz", 334, 81, 27, 8));
    addBars(c, 1, 8);
    c.push_back({ids::inputList, K::DropDownList, "", 177, 109, 125, 123, dropDown});
    c.push_back(label("Input", 156, 110, 18, 8));
    c.push_back(label("PTT port", 14, 111, 28, 8));
    c.push_back({ids::dtrRadio, K::Radio, "DTR", 83, 111, 29, 10, 0});
    c.push_back({ids::rtsRadio, K::Radio, "RTS", 113, 111, 26, 10, 0});
    c.push_back(label("TX speed", 14, 128, 30, 8));
    c.push_back(label("WPM", 81, 128, 17, 8));
    c.push_back({ids::noId, K::Group, "Receive", 149, 95, 288, 74, 0});
    c.push_back({ids::noId, K::Group, "Transmit", 7, 95, 138, 74, 0});
    c.push_back(label("BFO", 156, 128, 14, 8));
    c.push_back(label("Hz", 203, 128, 9, 8));
    c.push_back(label("Delay", 14, 147, 19, 8));
    c.push_back({ids::delayList, K::DropDownList, "", 47, 145, 33, 92, dropDown});
    c.push_back(label("ms", 83, 146, 10, 8));
    c.push_back({ids::rxTxBuffer, K::Edit, "", 64, 273, 300, 15, editBox | readOnly});
    c.push_back({ids::stopButton, K::Button, "Stop", 370, 271, 67, 18, tabStop | disabled});
    addBars(c, 9, 16);
    c.push_back(label("600 Hz", 130, 82, 23, 8));
    c.push_back(label("RX Speed", 306, 145, 32, 8));
    c.push_back({ids::rxSpeedBox, K::Edit, "", 338, 144, 18, 14, readOnlyNumber});
    c.push_back(label("WPM", 358, 145, 17, 8));
    c.push_back({ids::senseSpeedButton, K::Button, "Sense speed", 248, 141, 51, 19, tabStop});
    c.push_back({ids::txSpeedList, K::DropDownList, "", 47, 127, 30, 109, dropDown});
    c.push_back({ids::pttPortList, K::DropDownList, "", 47, 109, 30, 166, dropDown});
    c.push_back(
        {ids::thresholdTrackBar, K::TrackBar, "", 366, 16, 23, 67, tabStop | vertical | ticksLeft | selectionRange});
    c.push_back(label("Thrshld", 366, 81, 24, 8));
    c.push_back(label("Dot", 324, 110, 12, 8));
    c.push_back({ids::dotBox, K::Edit, "", 338, 108, 24, 14, readOnlyNumber});
    c.push_back(label("ms", 364, 110, 10, 8));
    c.push_back(label("Dash", 380, 110, 17, 8));
    c.push_back({ids::dashBox, K::Edit, "", 397, 108, 23, 14, readOnlyNumber});
    c.push_back(label("ms", 422, 110, 10, 8));
    c.push_back({ids::fftBox, K::Edit, "", 397, 126, 23, 14, readOnlyNumber});
    c.push_back(label("FFT", 380, 127, 13, 8));
    c.push_back(label("ms", 422, 127, 10, 8));
    c.push_back(label("RX/TX buffer", 7, 276, 42, 8));
    c.push_back({ids::noId, K::Label, "Symbol", 312, 128, 24, 8, alignCentre});
    c.push_back({ids::symbolBox, K::Edit, "", 338, 126, 35, 14, readOnlyNumber});
    c.push_back({ids::clearButton, K::Button, "Clr", 417, 307, 20, 18, defaultPushButton | tabStop});
    c.push_back({ids::lastMessageButton, K::Button, "Last Msg", 372, 307, 44, 18, defaultPushButton | tabStop});
    c.push_back({ids::statusLine, K::Edit, "", 7, 327, 430, 12, readOnly | autoHScroll | staticEdge | disabled});
    addToneButtons(c, 1, 16);
    c.push_back({ids::bfoBox, K::Edit, "", 177, 126, 24, 14, readOnlyNumber});
    c.push_back(label("Beacon text", 7, 293, 40, 8));
    c.push_back({ids::beaconText, K::Edit, "", 64, 291, 215, 14, editBox});
    c.push_back({ids::beaconInterval, K::Edit, "", 338, 291, 25, 14, editBox | alignRight | digitsOnly});
    c.push_back(label("Interval", 309, 293, 26, 8));
    c.push_back({ids::beaconTick, K::TickBox, "Enable beacon", 379, 293, 63, 10, tabStop});
    c.push_back({ids::autoSpeedTick, K::TickBox, "Auto speed", 380, 145, 53, 10, tabStop});
    c.push_back({ids::autoTxTick, K::TickBox, "Auto", 113, 128, 27, 10, tabStop | disabled});
    c.push_back({ids::beaconFileButton, K::Button, "...", 282, 292, 20, 11, defaultPushButton | tabStop});
    c.push_back(label("s", 366, 293, 8, 8));
    addBars(c, 17, 32);
    addToneButtons(c, 17, 32);
    return c;
}

const std::vector<ControlTemplate>& mainControlTable() {
    static const std::vector<ControlTemplate> table = mainControls();
    return table;
}

const std::array<ControlTemplate, 4> aboutControls{{
    {ids::noId, K::Label, "Ditdahl", 85, 17, 50, 8, 0},
    {ids::noId, K::Label, "Morse Encoder/Decoder Software", 53, 32, 109, 8, 0},
    {ids::aboutVersionBox, K::Edit, "", 70, 68, 82, 15, border | alignCentre | readOnly},
    {ids::okButton, K::Button, "Ok", 77, 93, 67, 17, defaultPushButton | tabStop},
}};

// Wide enough for a row's numbers and the last 60 characters of its text in
// the list's fixed-pitch font.
const std::array<ControlTemplate, 1> bandControls{{
    {ids::bandList, K::ListBox, "", 4, 4, 392, 132, border | vScroll | tabStop | notify | noIntegralHeight},
}};

const std::array<MenuItemTemplate, 8> menuItems{{
    {"File", "Delete logfile", ids::menuDeleteLogfile, false},
    {"File", "Send file", ids::menuSendFile, false},
    {"File", "Exit", ids::menuExit, false},
    {"View", "Logfile", ids::menuViewLogfile, false},
    {"View", "Automatic decoder", ids::menuAutomaticDecoder, true},
    {"View", "Keying server", ids::menuKeyingServer, true},
    {"View", "Band", ids::menuBand, true},
    {"Help", "About", ids::menuAbout, false},
}};

}  // namespace

const DialogTemplate& mainWindowTemplate() {
    static const DialogTemplate dialog{ids::mainWindowTemplate, "Ditdahl", 445, 347, "MS Shell Dlg", 8,
                                       mainControlTable()};
    return dialog;
}

const DialogTemplate& aboutBoxTemplate() {
    static const DialogTemplate dialog{ids::aboutBoxTemplate, "About", 222, 124, "MS Shell Dlg", 8, aboutControls};
    return dialog;
}

const DialogTemplate& bandWindowTemplate() {
    static const DialogTemplate dialog{ids::bandWindowTemplate, "Band", 400, 140, "MS Shell Dlg", 8, bandControls};
    return dialog;
}

std::span<const MenuItemTemplate> mainMenuTemplate() { return menuItems; }

}  // namespace ditdahl
