#include "transmit/TransmissionJobs.h"

#include <mutex>

#include "station/ControlIds.h"
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
    Controls& window = *state_.mainWindow;
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
    state_.transmitText.assign(window.text(ids::transmitText));
    if (!state_.transmitText.empty()) state_.lastMessage.assign(state_.transmitText.view());
    window.setText(ids::transmitText, "");
    window.setText(ids::statusLine, "Transmitting: " + state_.transmitText.str());
    window.setFocus(ids::transmitText);
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
    Controls& window = *state_.mainWindow;
    setIdleControls(state_, false);
    {
        // Recorded as received; the job empties the line.
        std::lock_guard lock(state_.trafficLock);
        if (!state_.trafficLine.empty()) flushTrafficLine(state_);
    }
    state_.stopRequested = false;
    window.setText(ids::statusLine, "Transmitting file " + path);
    window.setFocus(ids::transmitText);
    launch([this, f = std::make_shared<ByteFile>(std::move(*file))]() mutable { fileJob(state_, std::move(*f)); });
}

void TransmissionJobs::toggleBeacon() {
    Controls& window = *state_.mainWindow;
    if (!window.isChecked(ids::beaconTick)) {
        state_.stopRequested = true;
        return;
    }
    if (running_) {
        window.setChecked(ids::beaconTick, false);
        refuseWhileRunning();
        return;
    }
    setIdleControls(state_, false);
    state_.stopRequested = false;
    launch([this] { beaconJob(state_); });
}

void TransmissionJobs::stopTransmission() { state_.stopRequested = true; }

void TransmissionJobs::recallLastMessage() {
    Controls& window = *state_.mainWindow;
    if (!state_.lastMessage.empty()) window.setText(ids::transmitText, state_.lastMessage.view());
    window.setDefaultButton(ids::transmitButton);
}

void TransmissionJobs::clearTransmitBox() { state_.mainWindow->setText(ids::transmitText, ""); }

void TransmissionJobs::chooseBeaconFile() {
    const std::string path = chooseTextFile(state_);
    if (!path.empty()) state_.mainWindow->setText(ids::beaconText, path);
}

}  // namespace ditdahl
