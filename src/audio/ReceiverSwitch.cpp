// The capture's block handler with the choice between the two receivers.
// Capture thread.
#include "audio/ReceiverSwitch.h"

#include <algorithm>
#include <array>

#include "analysis/SpectrumBars.h"
#include "automatic/AutomaticReceiver.h"
#include "automatic/StationOutput.h"

namespace ditdahl {

ReceiverSwitch::ReceiverSwitch(StationState& state, KeyDetector& detector, BlockListener* alsoHears)
    : state_(state),
      detector_(detector),
      alsoHears_(alsoHears),
      output_(std::make_unique<automatic::StationOutput>(state)) {}

ReceiverSwitch::~ReceiverSwitch() = default;

void ReceiverSwitch::handleBlock(const std::int16_t* interleavedStereoFrames, int blockFrames) {
    const bool automatic = state_.automaticDecoder;
    if (automatic != (automatic_ != nullptr)) changeOver(automatic);

    // "Sense speed" measures with the key decision whichever receiver
    // decodes; while it does, the element decoder writes no text.
    if (automatic && !state_.speedSensing) {
        showBlockLevels(state_, detector_, interleavedStereoFrames);
        keyRunsPaused_ = true;
    } else {
        if (keyRunsPaused_) {
            restartKeyRuns(state_, detector_);
            keyRunsPaused_ = false;
        }
        analyseBlock(state_, detector_, interleavedStereoFrames);
    }
    if (automatic_) feedAutomatic(interleavedStereoFrames, blockFrames);
    if (alsoHears_) alsoHears_->handleBlock(interleavedStereoFrames, blockFrames);
}

void ReceiverSwitch::changeOver(bool automatic) {
    if (automatic) {
        automatic_ = std::make_unique<automatic::AutomaticReceiver>(state_.morseTable, *output_);
        return;
    }
    // What the automatic receiver had not yet decided is dropped with it;
    // the bars show the selected tone again instead of the followed one.
    automatic_.reset();
    setupBars(state_);
}

void ReceiverSwitch::feedAutomatic(const std::int16_t* interleavedStereoFrames, int blockFrames) {
    automatic_->setToneHint(state_.toneFrequency);
    automatic_->setSpeedHint(state_.rxSpeedWpm);
    if (state_.receiveEnabled) {
        automatic_->pushStereo(interleavedStereoFrames, static_cast<std::size_t>(blockFrames));
        return;
    }
    // While a transmission has receiving off the receiver hears silence: it
    // must neither take its speed from our own signal nor write our own text
    // once receiving is back on.
    static constexpr std::array<std::int16_t, 2 * maxBlockFrames> silence{};
    automatic_->pushStereo(silence.data(), static_cast<std::size_t>(std::min(blockFrames, maxBlockFrames)));
}

}  // namespace ditdahl
