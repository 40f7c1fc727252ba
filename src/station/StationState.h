// The one record of the station's live state, shared by the window thread,
// the capture thread and the transmission threads for the life of the
// process.
//
// Numbers and flags that more than one thread touches are atomics, read and
// written one at a time with relaxed order: each is a single value read when
// needed, and a change takes effect at its next read. Texts are fixed buffers
// whose capacities are limits the operator can see (a line of the traffic
// list, a beacon text); each says who guards it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "base/FixedText.h"
#include "base/MorseTable.h"
#include "base/SharedSlot.h"
#include "station/AppendFile.h"
#include "station/Clock.h"
#include "station/Controls.h"
#include "station/Desktop.h"
#include "station/Displays.h"
#include "station/KeyLine.h"

namespace ditdahl {

// Recent mark durations for the speed estimate, oldest first. Capture thread only.
struct MarkHistory {
    static constexpr int capacity = 32;
    std::array<std::int32_t, capacity> entries{};
    int count = 0;
};

struct StationState {
    // The platform, set once at start-up before any other thread runs.
    // mainWindow is the window's controls, for the shell alone: the subsystems
    // show what they show through displays, which a program without a window
    // implements in its own way.
    Controls* mainWindow = nullptr;
    Clock* clock = nullptr;
    Desktop* desktop = nullptr;
    Displays displays = Displays::none();

    // Window and files. Written on the window thread only.
    // Whole paths, however long: a path cut to a fixed length names another
    // file or directory.
    std::string startDirectory;
    std::string logPath;
    // The log; logLock guards it, and nothing else. logWanted from the log's
    // opening to its closing; logFile is open unless the file could not be
    // opened or written, and lines that could not be written wait in
    // logBacklog, in order, until they can.
    bool logWanted = false;
    std::unique_ptr<AppendFile> logFile;
    std::deque<std::string> logBacklog;
    bool logFailing = false;
    std::mutex logLock;
    // How the log is opened: the system's files, or a test's.
    std::function<std::unique_ptr<AppendFile>(const std::string& path)> openLog = openAppendFile;

    // Keying. pttPort is empty when no port is open. openKeyLine turns a port
    // number (1 to 256) into an open line with both lines released, or gives
    // nullptr when the port cannot be opened; set once at start-up.
    SharedSlot<KeyLine> pttPort;
    std::function<std::shared_ptr<KeyLine>(int portNumber)> openKeyLine;
    std::atomic<bool> pttOnDtr{false};
    std::atomic<int> txSpeedWpm{0};  // 0 until start-up takes the TX speed list's selection
    // Heavier or lighter keying, -50 to 50: each mark is longer by this
    // percentage of a dot and the gap after it shorter by as much, so that the
    // speed stays. Only a logging program sets it; 0 is even keying.
    std::atomic<int> txWeightPercent{0};

    // Where the keying server listens for logging programs, and whether it
    // should. Only on the loopback interface unless the operator names
    // another address: a transmitter must not be keyable from the network by
    // default. Window thread.
    struct KeyingServerChoice {
        bool enabled = false;
        std::string address = "127.0.0.1";
        int port = 6789;
    } keyingServer;

    // Receiving.
    std::atomic<int> toneFrequency{550};  // Hz; not stored, every start begins at 550
    std::atomic<int> filterWidth{0};      // 50 or 100 once settings are loaded
    std::atomic<int> fftSize{0};          // 128 or 64, frames per capture block
    std::atomic<int> toneBin{0};
    std::atomic<double> thresholdPercent{0.0};
    std::atomic<int> barRange{0};  // 32768 from start-up on
    std::atomic<int> rxSpeedWpm{0};
    std::atomic<int> dotMs{0};
    std::atomic<int> dashMs{0};
    std::atomic<bool> autoRxSpeed{false};
    std::atomic<bool> autoTxSpeed{false};
    std::atomic<bool> speedSensing{false};
    // The automatic decoder instead of the element decoder. Set on the window
    // thread; the capture thread reads it once per block and changes over
    // between blocks.
    std::atomic<bool> automaticDecoder{false};
    // The Band window is open: the capture thread also feeds every block to a
    // band decoder, made and dropped between blocks as this changes.
    std::atomic<bool> bandView{false};
    // Window thread only: read at start-up, before capture begins.
    struct BandSpotChoice {
        bool serve = false;
        int port = 7300;
        std::string dialKHz;  // as written; empty: audio tones are spotted as they are
        bool upperSideband = true;
        std::string spotter = "DITDAHL";
    } bandSpots;
    // The watched tone at the last analysed block; during decodeRun the kind of
    // the run being reported (true = mark).
    std::atomic<bool> keyDown{false};

    // The decoder's own state, touched only on the capture thread (and on the
    // window thread at start-up, before capture begins).
    MarkHistory markHistory;
    std::uint32_t senseStartTick = 0;  // 0: no measurement begun
    FixedText<16> symbolBuffer;
    unsigned char lastCharacter = 0;
    bool elementPending = false;
    bool spaceWritten = true;

    // The line being received or sent. trafficLock is held for each append and
    // each flush, by whichever thread does it.
    FixedText<256> trafficLine;
    std::mutex trafficLock;
    // Told each piece of received text as it is appended to trafficLine, with
    // trafficLock held (it must not touch the line). Set once before capture
    // starts, by a program that prints or forwards what is received.
    std::function<void(std::string_view)> receivedTextObserver;

    // Written by the window thread before it starts a job, read by that job.
    FixedText<1024> transmitText;
    FixedText<1024> lastMessage;

    std::atomic<bool> receiveEnabled{true};
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> beaconActive{false};

    MorseTable morseTable;
};

// Idle: "Sense speed" and "Transmit" enabled, "Stop" disabled; busy: the
// opposite. The three changes are made in that order.
void setIdleControls(StationState& state, bool idle);

}  // namespace ditdahl
