// Starting and stopping the receiver's capture. Window thread.
#include "audio/Capture.h"

namespace ditdahl {

void startCapture(StationState& state, Recorder& recorder, KeyDetector& detector) {
    recorder.open();
    recorder.setHandler([&state, &detector](const std::int16_t* frames) { analyseBlock(state, detector, frames); });
    recorder.start();
}

void startCapture(StationState& state, Recorder& recorder, ReceiverSwitch& receivers) {
    recorder.open();
    const int blockFrames = state.fftSize;
    recorder.setHandler([&receivers, blockFrames](const std::int16_t* frames) {
        receivers.handleBlock(frames, blockFrames);
    });
    recorder.start();
}

void stopCapture(Recorder& recorder) { recorder.close(); }

}  // namespace ditdahl
