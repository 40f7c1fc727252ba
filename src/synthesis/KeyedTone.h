// Morse text keyed as a sine tone with soft edges, at a known speed,
// frequency and level, rendered from a timeline of key-down intervals.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/CaptureFormat.h"

namespace ditdahl::synthesis {

// How a text is keyed: speed, tone, level, edges and pauses.
struct KeyingPlan {
    double wpm = 20.0;
    double toneHz = 550.0;
    double amplitude = 10000.0;  // peak, in 16-bit sample units
    int sampleRate = captureFramesPerSecond;
    double edgeMs = 4.0;      // raised-cosine rise and fall
    double leadInMs = 500.0;  // silence before the first element
    double tailMs = 1000.0;   // silence after the last
    // Standard proportions: element gap 1 dot, letter gap 3, word gap 7.
    double letterGapDots = 3.0;
    double wordGapDots = 7.0;
};

// A key-down interval, in seconds from the start.
struct KeyInterval {
    double start;
    double end;
};

// The key-down intervals of text at the plan's timing (unknown characters
// are skipped; a blank is a word gap), and the length of the whole.
std::vector<KeyInterval> keyTimeline(std::string_view text, const KeyingPlan& plan, double* totalSeconds);

// When each character of the text (blanks and unknown characters skipped)
// ends, in ms.
std::vector<double> characterEndsMs(std::string_view text, const KeyingPlan& plan);

// A tone keyed by the given intervals with the plan's tone, level and edges,
// as mono samples of totalSeconds (not clipped, not rounded).
std::vector<double> renderTone(const std::vector<KeyInterval>& intervals, double totalSeconds, const KeyingPlan& plan);

// The text keyed at the plan's timing.
std::vector<double> keyedTone(std::string_view text, const KeyingPlan& plan);

// Rounds and clips to 16-bit, as interleaved stereo (left = signal, right = 0)
// or mono.
std::vector<std::int16_t> toStereo16(const std::vector<double>& samples);
std::vector<std::int16_t> toMono16(const std::vector<double>& samples);

}  // namespace ditdahl::synthesis
