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
    std::thread job;
    {
        std::lock_guard lock(startLock_);
        job = std::move(thread_);
    }
    if (job.joinable()) job.join();
}

bool TransmissionJobs::refuseWhileRunning() {
    if (!running_) return false;
    showRefusal();
    return true;
}

void TransmissionJobs::showRefusal() {
    state_.desktop->messageBox({std::string(jobRunningMessage), "Ditdahl", MessageButtons::Ok, MessageIcon::Warning});
}

// A job that has ended (running_ is false) may still be making the window
// idle and switching receiving back on; it is collected before the new one
// changes either, which takes only those last steps.
bool TransmissionJobs::claim(bool queued) {
    std::lock_guard lock(startLock_);
    if (running_) return false;
    if (thread_.joinable()) thread_.join();
    running_ = true;
    queued_ = queued;
    return true;
}

// The message box is shown without the lock, so that the keying server is
// never held up by a box the operator has not closed.
bool TransmissionJobs::claimOrRefuse() {
    if (claim()) return true;
    showRefusal();
    return false;
}

void TransmissionJobs::launch(std::function<void()> body) {
    std::lock_guard lock(startLock_);
    thread_ = std::thread(std::move(body));
}

void TransmissionJobs::startTextTransmission() {
    if (!claimOrRefuse()) return;
    TransmitPanel& panel = *state_.displays.transmit;
    setIdleControls(state_, false);
    {
        // A line received so far is recorded as received before sending
        // starts; from here on nothing received joins the line.
        std::lock_guard lock(state_.trafficLock);
        if (!state_.trafficLine.empty()) {
            flushTrafficLine(state_);
            state_.trafficLine.clear();
        }
        state_.receiveEnabled = false;
    }
    state_.stopRequested = false;
    state_.transmitText.assign(panel.textToSend());
    if (!state_.transmitText.empty()) state_.lastMessage.assign(state_.transmitText.view());
    panel.putTextToSend("");
    panel.showStatus("Transmitting: " + state_.transmitText.str());
    panel.focusTextToSend();
    launch([this] { textJob(state_, running_); });
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
    // Another job may have started while the chooser was open.
    if (!claimOrRefuse()) return;
    TransmitPanel& panel = *state_.displays.transmit;
    setIdleControls(state_, false);
    {
        // Recorded as received; the job empties the line. From here on
        // nothing received joins it.
        std::lock_guard lock(state_.trafficLock);
        if (!state_.trafficLine.empty()) flushTrafficLine(state_);
        state_.receiveEnabled = false;
    }
    state_.stopRequested = false;
    panel.showStatus("Transmitting file " + path);
    panel.focusTextToSend();
    launch([this, f = std::make_shared<ByteFile>(std::move(*file))]() mutable {
        fileJob(state_, std::move(*f), running_);
    });
}

void TransmissionJobs::toggleBeacon() {
    TransmitPanel& panel = *state_.displays.transmit;
    if (!panel.beaconTicked()) {
        state_.stopRequested = true;
        return;
    }
    if (!claim()) {
        panel.untickBeacon();
        showRefusal();
        return;
    }
    setIdleControls(state_, false);
    state_.stopRequested = false;
    launch([this] { beaconJob(state_, running_); });
}

// Stop stops what waits as well as what is sent: the operator wants the
// transmitter quiet, not the next message.
void TransmissionJobs::stopTransmission() {
    queue_.clear();
    state_.stopRequested = true;
}

bool TransmissionJobs::queueText(std::vector<QueuedText> message) { return queue_.push(std::move(message)); }

void TransmissionJobs::startQueuedTransmission() {
    if (!queue_.waitingForSender() || !claim(true)) return;
    queue_.attach();
    setIdleControls(state_, false);
    {
        std::lock_guard lock(state_.trafficLock);
        if (!state_.trafficLine.empty()) {
            flushTrafficLine(state_);
            state_.trafficLine.clear();
        }
        state_.receiveEnabled = false;
    }
    state_.stopRequested = false;
    launch([this] { queuedTextJob(state_, queue_, running_); });
}

void TransmissionJobs::abortQueuedText() {
    queue_.clear();
    std::lock_guard lock(startLock_);
    if (running_ && queued_) state_.stopRequested = true;
}

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
