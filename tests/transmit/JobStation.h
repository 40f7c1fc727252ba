// A station for the transmission job tests: 20 wpm on DTR, the Delay list
// filled, a log file in a temporary folder, and a keying line that notes what
// the window showed at each key-down.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "station/ControlIds.h"
#include "support/Station.h"
#include "support/TempDir.h"
#include "transmit/TransmissionJobs.h"

namespace ditdahl::testing {

struct KeyDown {
    std::uint32_t tick;  // from the start of the test
    std::string rxTxBuffer;
    std::string status;
    int trafficEntries;
    bool receiveEnabled;
    bool transmitEnabled;
    bool stopEnabled;
};

class SnapshotLine final : public KeyLine {
public:
    SnapshotLine(StationState& state, ControlModel& window, std::uint32_t startTick)
        : state_(state), window_(window), startTick_(startTick) {}
    void raise(Line line) override;
    void release(Line) override {}
    std::vector<KeyDown> keyDowns() const;
    // Runs on the sending thread at every key-down, after it is noted.
    std::function<void(int count)> onKeyDown;

private:
    StationState& state_;
    ControlModel& window_;
    std::uint32_t startTick_;
    mutable std::mutex mutex_;
    std::vector<KeyDown> keyDowns_;
};

struct JobStation : TestStation {
    explicit JobStation(ManualClock::Mode mode = ManualClock::Mode::AutoAdvance);
    ~JobStation();
    // Milliseconds since the station was made.
    std::uint32_t now() { return clock.tickCount() - startTick; }
    // Runs action when the clock is ms after the station was made.
    void at(std::uint32_t ms, std::function<void()> action) { clock.at(startTick + ms, std::move(action)); }
    void selectDelay(int index) { window.select(ids::delayList, index); }
    std::vector<std::string> traffic() const;  // entries without their timestamps

    TempDir dir;
    std::uint32_t startTick;
    std::shared_ptr<SnapshotLine> line;
    TransmissionJobs jobs{state};
};

}  // namespace ditdahl::testing
