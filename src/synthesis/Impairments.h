// What real bands do to a keyed signal, for test signals: hand-sent timing,
// fading, clicks, a narrow receiver filter.
#pragma once

#include <string_view>
#include <vector>

#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl::synthesis {

// Key-down intervals with each element and gap stretched or shrunk at
// random by up to the given fraction, as a hand sender's.
std::vector<KeyInterval> handSentTimeline(std::string_view text, const KeyingPlan& plan, double spread,
                                          NoiseGenerator& random, double* totalSeconds);

// Multiplies by a slow fade: gain between floorGain and 1, period in s.
void applyFading(std::vector<double>& samples, double periodSeconds, double floorGain, int sampleRate);

// Adds clicks: single-sample spikes of the given peak, on average rate per s.
void addImpulses(std::vector<double>& samples, double peak, double ratePerSecond, int sampleRate,
                 NoiseGenerator& random);

// A narrow receiver filter: four resonators in cascade, centred on
// centreHz, about widthHz wide.
void narrowFilter(std::vector<double>& samples, double centreHz, double widthHz, int sampleRate);

}  // namespace ditdahl::synthesis
