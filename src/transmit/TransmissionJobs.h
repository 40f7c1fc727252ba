// The window's transmission commands (Transmit, Send file, Enable beacon,
// Stop, Last Msg, Clr, the beacon "..." button) and the one job thread they
// start. Commands run on the window thread and return at once; the queued
// transmission is started and stopped from another thread (the keying
// server's), which never waits for the window thread.
//
// One job at a time: two jobs would key the one line together and garble both,
// so a start command while a job runs is refused with a message and changes
// nothing; the queue's text waits instead. The object must be destroyed before the station state and the
// window it uses: destruction asks a running job to stop and waits for it,
// which takes at most the character being sent, its delay and the closing
// 9-dot pause (never the rest of a long text or file).
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "station/StationState.h"
#include "transmit/TextQueue.h"

namespace ditdahl {

inline constexpr std::string_view jobRunningMessage =
    "A transmission is already running. Press Stop and wait for it to end first.";

// The open-file chooser for text to send; empty when cancelled.
std::string chooseTextFile(StationState& state);

class TransmissionJobs {
public:
    explicit TransmissionJobs(StationState& state) : state_(state) {}
    ~TransmissionJobs();
    TransmissionJobs(const TransmissionJobs&) = delete;
    TransmissionJobs& operator=(const TransmissionJobs&) = delete;

    void startTextTransmission();
    void startFileTransmission();
    void toggleBeacon();
    void stopTransmission();
    void recallLastMessage();
    void clearTransmitBox();
    void chooseBeaconFile();

    // Sends what waits in the queue, and what comes while it sends, as one
    // sending; false, starting nothing, while another job runs.
    bool startQueuedTransmission(std::shared_ptr<TextQueue> queue);
    // Stops the queued transmission, if that is the job running, as Stop does.
    void stopQueuedTransmission();

    bool jobRunning() const { return running_; }
    // Waits until the running job, if any, has ended by itself.
    void waitForJob();

private:
    bool refuseWhileRunning();
    void showRefusal();
    // Takes the one job's place, once the job before has ended; false while
    // a job runs.
    bool claim(bool queued = false);
    bool claimOrRefuse();
    void launch(std::function<void()> body);

    StationState& state_;
    // Guards thread_ and queued_, and the claiming of running_.
    std::mutex startLock_;
    std::thread thread_;
    bool queued_ = false;
    std::atomic<bool> running_{false};
};

}  // namespace ditdahl
