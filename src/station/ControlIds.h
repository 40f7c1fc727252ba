// Identifiers of the main window's controls, its menu items, the About box and
// the Band window,
// and the window messages the program posts to itself.
#pragma once

#include <cstdint>

namespace ditdahl::ids {

inline constexpr int mainWindowTemplate = 101;
inline constexpr int aboutBoxTemplate = 102;
inline constexpr int menu = 103;
inline constexpr int bandWindowTemplate = 104;
inline constexpr int programIcon = 105;

inline constexpr int noId = -1;  // labels and group boxes

inline constexpr int transmitText = 1003;
inline constexpr int transmitButton = 1004;
inline constexpr int trafficList = 1005;
inline constexpr int beaconText = 1006;
inline constexpr int beaconInterval = 1007;
inline constexpr int filter100 = 1008;
inline constexpr int filter50 = 1009;
inline constexpr int clearButton = 1018;
inline constexpr int lastMessageButton = 1019;
inline constexpr int inputList = 1020;
inline constexpr int rxTxBuffer = 1021;
inline constexpr int dtrRadio = 1022;
inline constexpr int rtsRadio = 1023;
inline constexpr int beaconFileButton = 1026;
inline constexpr int delayList = 1028;
inline constexpr int stopButton = 1029;
inline constexpr int thresholdTrackBar = 1030;
inline constexpr int rxSpeedBox = 1039;
inline constexpr int senseSpeedButton = 1040;
inline constexpr int txSpeedList = 1041;
inline constexpr int pttPortList = 1042;
inline constexpr int dotBox = 1043;
inline constexpr int dashBox = 1044;
inline constexpr int fftBox = 1045;
inline constexpr int symbolBox = 1046;
inline constexpr int statusLine = 1047;
inline constexpr int bfoBox = 1064;
inline constexpr int beaconTick = 1065;
inline constexpr int autoSpeedTick = 1066;
inline constexpr int autoTxTick = 1067;

// About box.
inline constexpr int aboutVersionBox = 1001;
inline constexpr int okButton = 1;
inline constexpr int cancelCommand = 2;

// Band window: one row for each signal heard.
inline constexpr int bandList = 1001;

// Menu items.
inline constexpr int menuExit = 40001;
inline constexpr int menuAbout = 40002;
inline constexpr int menuDeleteLogfile = 40007;
inline constexpr int menuViewLogfile = 40008;
inline constexpr int menuSendFile = 40010;
inline constexpr int menuAutomaticDecoder = 40011;
inline constexpr int menuKeyingServer = 40012;
inline constexpr int menuBand = 40013;

inline constexpr int barCount = 32;
inline constexpr int toneButtonCount = 32;

// Level bar k (1..32): 1010..1017, 1031..1038, 1068..1083.
constexpr int levelBar(int k) {
    if (k >= 1 && k <= 8) return 1009 + k;
    if (k >= 9 && k <= 16) return 1022 + k;
    if (k >= 17 && k <= 32) return 1051 + k;
    return 0;
}

// Tone button k (1..32): 1048..1063, 1084..1099; it selects 50 * k Hz.
constexpr int toneButton(int k) {
    if (k >= 1 && k <= 16) return 1047 + k;
    if (k >= 17 && k <= 32) return 1067 + k;
    return 0;
}

// Tone button number of an identifier, 0 when it is none.
constexpr int toneButtonNumber(int id) {
    if (id >= 1048 && id <= 1063) return id - 1047;
    if (id >= 1084 && id <= 1099) return id - 1067;
    return 0;
}

}  // namespace ditdahl::ids

namespace ditdahl {

// Window messages.
inline constexpr std::uint32_t wmClose = 0x0010;
inline constexpr std::uint32_t wmUser = 0x0400;
inline constexpr std::uint32_t audioResetMessage = wmUser + 128;  // 0x480
inline constexpr std::uint32_t logFailedMessage = wmUser + 129;
inline constexpr std::uint32_t keyingPortGoneMessage = wmUser + 130;

}  // namespace ditdahl
