// Signals for the automatic receiver's benchmark: the texts, the keyed tones
// with their per-character end times, and the harder conditions (hand-sent
// timing, fading, a second signal, impulse noise, a narrow receiver filter).
#pragma once

#include <string>
#include <vector>

#include "synthesis/Synth.h"

namespace ditdahl::bench {

extern const std::vector<std::string> benchTexts;

// When each character of the text (blanks skipped) ends, in ms.
std::vector<double> characterEndsMs(const std::string& text, const synthesis::KeyingPlan& plan);

// Key-down intervals with each element and gap stretched or shrunk at
// random by up to the given fraction, as a hand sender's.
std::vector<synthesis::KeyInterval> handSentTimeline(const std::string& text, const synthesis::KeyingPlan& plan,
                                                   double spread, synthesis::NoiseGenerator& random,
                                                   double* totalSeconds);

// A tone keyed by the given intervals, with the synthesiser's soft edges.
std::vector<double> renderTone(const std::vector<synthesis::KeyInterval>& intervals, double totalSeconds,
                               const synthesis::KeyingPlan& plan);

// Multiplies by a slow fade: gain between floorGain and 1, period in s.
void applyFading(std::vector<double>& samples, double periodSeconds, double floorGain, int sampleRate);

// Adds clicks: single-sample spikes of the given peak, on average rate per s.
void addImpulses(std::vector<double>& samples, double peak, double ratePerSecond, int sampleRate,
                 synthesis::NoiseGenerator& random);

// A narrow receiver filter: four resonators in cascade, centred on
// centreHz, about widthHz wide.
void narrowFilter(std::vector<double>& samples, double centreHz, double widthHz, int sampleRate);

}  // namespace ditdahl::bench
