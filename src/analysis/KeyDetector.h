// The block handler of the receive path: for each captured block it keeps a
// block-rate watchdog, turns the left channel into levels relative to their
// mean, shows them on the bars, decides whether the watched tone is keyed and
// hands each finished key run, in whole milliseconds, to the decoder.
// Capture thread only.
#pragma once

#include <cstdint>
#include <optional>

#include "base/CaptureFormat.h"
#include "station/StationState.h"

namespace ditdahl {

// The detector's own state: one for the whole process, owned by the program,
// all zero at start-up and kept when capture restarts; only restartKeyRuns
// starts its run measurement afresh.
struct KeyDetector {
    bool keyStarted = false;           // the watched bin has been evaluated once
    std::int32_t runBlocks = 0;        // blocks in the current run, this one included
    std::uint32_t lastRunEndTick = 0;  // when the last run was reported
    std::uint32_t rateStartTick = 0;   // start of the watchdog's period; 0: none yet
    std::int32_t rateBlockCount = 0;
    std::int32_t slowReports = 0;  // slow periods since the last reset request
};

// Analyses one block of fftSize interleaved stereo 16-bit frames (left sample
// first; the right channel is not used).
void analyseBlock(StationState& state, KeyDetector& detector, const std::int16_t* interleavedStereoFrames);

// The part of analyseBlock without the key decision: keeps the watchdog and
// shows the block's levels on the bars. Gives the watched tone's level, or
// nothing when the block was not analysed or the tone lies outside it.
std::optional<double> showBlockLevels(StationState& state, KeyDetector& detector,
                                      const std::int16_t* interleavedStereoFrames);

// Makes the key decision start afresh after blocks it did not see: the run
// in progress and the half-received character are forgotten, so that the
// next run is measured from the next block on.
void restartKeyRuns(StationState& state, KeyDetector& detector);

}  // namespace ditdahl
