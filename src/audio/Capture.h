// Starting and stopping the receiver's capture: the Recorder with the key
// detector, or the switch between the receivers, as its block handler.
// Window thread only; stopCapture waits for the capture worker to finish its
// block, never for the window thread.
#pragma once

#include "analysis/KeyDetector.h"
#include "audio/ReceiverSwitch.h"
#include "audio/Recorder.h"
#include "station/StationState.h"

namespace ditdahl {

// Opens input device `device` (WaveIn::defaultDevice: the system's default)
// for blocks of fftSize frames and starts capture with analyseBlock as the
// block handler. When the input cannot be opened, the receive side stays idle
// until the next start.
void startCapture(StationState& state, Recorder& recorder, KeyDetector& detector, int device);

// The same with the receivers' switch as the block handler, each block handed
// over with the size the input was opened for.
void startCapture(StationState& state, Recorder& recorder, ReceiverSwitch& receivers, int device);

// Ends the running capture, if any: the device is stopped (or, when it will
// not stop, given up on: deviceError) and closed, and the worker has left
// before this returns.
WaveResult stopCapture(Recorder& recorder);

}  // namespace ditdahl
