#include "transmit/TransmissionJobs.h"

#include <mutex>

#include "traffic/TrafficRecord.h"
#include "transmit/ByteFile.h"
#include "transmit/JobBodies.h"

namespace ditdahl {

std::string chooseTextFile(StationState& state) {
    return state.desktop->chooseOpenFile({"Select text file", "TXT File (*.txt)", "*.txt"});
}

TransmissionJobs::~TransmissionJobs() {
    state_.stopRequested = true;
    waitForJob();
}

void TransmissionJobs::waitForJob() {
    if (thread_.joinable()) thread_.join();
}

bool TransmissionJobs::refuseWhileRunning() {
    if (!running_) return false;
    state_.desktop->messageBox({std::string(jobRunningMessage), "Ditdahl", MessageButtons::Ok, MessageIcon::Warning});
    return true;
}

void TransmissionJobs::launch(std::function<void()> body) {
    // The previous job has ended (running_ was false); collect its thread.
    waitForJob();
    running_ = true;
    thread_ = std::thread([this, job = std::move(body)] {
        job();
        running_ = false;
    });
}

void TransmissionJobs::startTextTransmission() {
    if (refuseWhileRunning()) return;
    TransmitPanel& panel = *state_.displays.transmit;
    setIdleControls(state_, false);
    {
        // A line received so far is recorded as received before sending starts.
        std::lock_guard lock(state_.trafficLock);
        if (!state_.trafficLine.empty()) {
            flushTrafficLine(state_);
            state_.trafficLine.clear();
        }
    }
    state_.stopRequested = false;
    state_.transmitText.assign(panel.textToSend());
    if (!state_.transmitText.empty()) state_.lastMessage.assign(state_.transmitText.view());
    panel.putTextToSend("");
    panel.showStatus("Transmitting: " + state_.transmitText.str());
    panel.focusTextToSend();
    launch([this] { textJob(state_); });
}

void TransmissionJobs::startFileTransmission() {
    if (refuseWhileRunning()) return;
    const std::string path = chooseTextFile(state_);
    if (path.empty()) return;
    auto file = ByteFile::open(path);
    if (!file) {
        state_.desktop->messageBox({"Error opening file", "Error", MessageButtons::Ok, MessageIcon::Warning});
        return;
    }
    TransmitPanel& panel = *state_.displays.transmit;
    setIdleControls(state_, false);
    {
        // Recorded as received; the job empties the line.
        std::lock_guard lock(state_.trafficLock);
        if (!state_.trafficLine.empty()) flushTrafficLine(state_);
    }
    state_.stopRequested = false;
    panel.showStatus("Transmitting file " + path);
    panel.focusTextToSend();
    launch([this, f = std::make_shared<ByteFile>(std::move(*file))]() mutable { fileJob(state_, std::move(*f)); });
}

void TransmissionJobs::toggleBeacon() {
    TransmitPanel& panel = *state_.displays.transmit;
    if (!panel.beaconTicked()) {
        state_.stopRequested = true;
        return;
    }
    if (running_) {
        panel.untickBeacon();
        refuseWhileRunning();
        return;
    }
    setIdleControls(state_, false);
    state_.stopRequested = false;
    launch([this] { beaconJob(state_); });
}

void TransmissionJobs::stopTransmission() { state_.stopRequested = true; }

void TransmissionJobs::recallLastMessage() {
    TransmitPanel& panel = *state_.displays.transmit;
    if (!state_.lastMessage.empty()) panel.putTextToSend(state_.lastMessage.view());
    panel.makeTransmitDefault();
}

void TransmissionJobs::clearTransmitBox() { state_.displays.transmit->putTextToSend(""); }

void TransmissionJobs::chooseBeaconFile() {
    const std::string path = chooseTextFile(state_);
    if (!path.empty()) state_.displays.transmit->putBeaconText(path);
}

}  // namespace ditdahl
