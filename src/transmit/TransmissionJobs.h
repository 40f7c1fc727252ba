// The window's transmission commands (Transmit, Send file, Enable beacon,
// Stop, Last Msg, Clr, the beacon "..." button) and the one job thread they
// start. Commands run on the window thread and return at once.
//
// One job at a time: two jobs would key the one line together and garble both,
// so a start command while a job runs is refused with a message and changes
// nothing. The object must be destroyed before the station state and the
// window it uses: destruction asks a running job to stop and waits for it,
// which takes at most the character being sent, its delay and the closing
// 9-dot pause (never the rest of a long text or file).
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "station/StationState.h"

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

    bool jobRunning() const { return running_; }
    // Waits until the running job, if any, has ended by itself.
    void waitForJob();

private:
    bool refuseWhileRunning();
    void collectEndedJob();
    void launch(std::function<void()> body);

    StationState& state_;
    std::thread thread_;
    std::atomic<bool> running_{false};
};

}  // namespace ditdahl
