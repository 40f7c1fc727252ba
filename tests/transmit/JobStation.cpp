#include "JobStation.h"

#include "station/ControlIds.h"
#include "traffic/TrafficRecord.h"

namespace ditdahl::testing {

void SnapshotLine::raise(Line) {
    int count;
    {
        std::lock_guard lock(mutex_);
        keyDowns_.push_back({state_.clock->tickCount() - startTick_, window_.text(ids::rxTxBuffer),
                             window_.text(ids::statusLine), window_.entryCount(ids::trafficList),
                             state_.receiveEnabled.load(), window_.isEnabled(ids::transmitButton),
                             window_.isEnabled(ids::stopButton)});
        count = static_cast<int>(keyDowns_.size());
    }
    if (onKeyDown) onKeyDown(count);
}

std::vector<KeyDown> SnapshotLine::keyDowns() const {
    std::lock_guard lock(mutex_);
    return keyDowns_;
}

JobStation::JobStation(ManualClock::Mode mode) : TestStation(mode), startTick(clock.tickCount()) {
    for (const char* delay : {"0", "100", "200", "500", "1000", "2000"}) window.addEntry(ids::delayList, delay);
    window.select(ids::delayList, 0);
    state.txSpeedWpm = 20;
    state.pttOnDtr = true;
    state.logPath.assign(dir.file("Ditdahl.log"));
    openLogFile(state);
    line = std::make_shared<SnapshotLine>(state, window, startTick);
    state.pttPort.set(line);
}

JobStation::~JobStation() { jobs.waitForJob(); }

std::vector<std::string> JobStation::traffic() const {
    std::vector<std::string> entries = window.entries(ids::trafficList);
    for (std::string& entry : entries) entry.erase(0, 18);
    return entries;
}

}  // namespace ditdahl::testing
