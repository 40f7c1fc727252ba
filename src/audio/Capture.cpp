// Starting and stopping the receiver's capture. Window thread.
#include "audio/Capture.h"

namespace ditdahl {

void startCapture(StationState& state, Recorder& recorder, KeyDetector& detector, int device) {
    recorder.open(device);
    recorder.setHandler([&state, &detector](const std::int16_t* frames) { analyseBlock(state, detector, frames); });
    recorder.start();
}

void startCapture(StationState& state, Recorder& recorder, ReceiverSwitch& receivers, int device) {
    recorder.open(device);
    const int blockFrames = state.fftSize;
    recorder.setHandler(
        [&receivers, blockFrames](const std::int16_t* frames) { receivers.handleBlock(frames, blockFrames); });
    recorder.start();
}

WaveResult stopCapture(Recorder& recorder) { return recorder.close(); }

}  // namespace ditdahl
