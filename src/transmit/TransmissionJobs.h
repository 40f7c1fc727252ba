// The window's transmission commands (Transmit, Send file, Enable beacon,
// Stop, Last Msg, Clr, the beacon "..." button) and the one job thread they
// start. Commands run on the window thread and return at once; text from
// outside the window (a logging program's, through the keying server) is
// queued and sent from another thread, which never waits for the window
// thread.
//
// One job at a time: two jobs would key the one line together and garble both,
// so a start command while a job runs is refused with a message and changes
// nothing. Queued text waits instead, in order, and is sent once the job has
// ended: a logging program cannot be asked to try again. The object must be
// destroyed before the station state and the window it uses: destruction asks
// a running job to stop and waits for it, which takes at most the character
// being sent, its delay and the closing 9-dot pause (never the rest of a long
// text or file).
#pragma once

#include <atomic>
#include <functional>
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

    // A message that waits to be sent once no other job runs; false,
    // queueing nothing, when the queue is full.
    bool queueText(std::vector<QueuedText> message);
    // Sends what waits in the queue, and what comes while it sends, as one
    // sending; nothing while another job runs or nothing waits.
    void startQueuedTransmission();
    // Drops the queued text and stops its sending within the character, as
    // Stop does; a job the operator started goes on.
    void abortQueuedText();

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
    TextQueue queue_;
};

}  // namespace ditdahl
