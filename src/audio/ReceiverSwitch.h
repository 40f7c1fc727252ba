// The capture's block handler with the choice between the two receivers: the
// key detector with the element decoder, or the automatic receiver, as the
// "Automatic decoder" switch says. The level bars show the spectrum either
// way. Capture thread only (constructed before capture starts): the switch is
// read once per block and the automatic receiver is made and dropped here,
// between blocks, never while another thread could be using it.
#pragma once

#include <cstdint>
#include <memory>

#include "analysis/KeyDetector.h"
#include "station/StationState.h"

namespace ditdahl::automatic {
class AutomaticReceiver;
class StationOutput;
}  // namespace ditdahl::automatic

namespace ditdahl {

// Hears every block too, after the receivers, on the capture thread.
class BlockListener {
public:
    virtual ~BlockListener() = default;
    virtual void handleBlock(const std::int16_t* interleavedStereoFrames, int blockFrames) = 0;
};

class ReceiverSwitch {
public:
    // All outlive the switch; alsoHears may be nullptr.
    ReceiverSwitch(StationState& state, KeyDetector& detector, BlockListener* alsoHears = nullptr);
    ~ReceiverSwitch();
    ReceiverSwitch(const ReceiverSwitch&) = delete;
    ReceiverSwitch& operator=(const ReceiverSwitch&) = delete;

    // One block of blockFrames interleaved stereo frames, left sample first.
    void handleBlock(const std::int16_t* interleavedStereoFrames, int blockFrames);

private:
    void changeOver(bool automatic);
    void feedAutomatic(const std::int16_t* interleavedStereoFrames, int blockFrames);

    StationState& state_;
    KeyDetector& detector_;
    BlockListener* alsoHears_;
    std::unique_ptr<automatic::StationOutput> output_;
    // Present while the automatic receiver decodes; a new one for every
    // switch-on, so that it never decodes audio from before.
    std::unique_ptr<automatic::AutomaticReceiver> automatic_;
    // The key decision skipped blocks and starts afresh when it next runs.
    bool keyRunsPaused_ = false;
};

}  // namespace ditdahl
