// A scene on the band: one or more stations, each with its text, timing,
// carrier and fading, and a channel (white noise, an AGC, static crashes)
// that they all pass through; rendered to samples and the reference a
// decoder is checked against.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "synthesis/Channel.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Timing.h"
#include "synthesis/ToneRenderer.h"

namespace ditdahl::synthesis {

struct Station {
    std::string text;
    Timing timing;
    ToneShape tone;
    double fadePeriodSeconds = 0.0;  // 0: no fading
    double fadeDepthDb = 0.0;
    double fadePhase = 0.0;
    // Taking turns: starts this long after the station before it stops
    // (its own lead-in ignored). Below 0: sends from its lead-in on, on top
    // of the others.
    double afterPreviousSeconds = -1.0;
};

// Steady machine keying as many keyers send it: marks 15 % longer than the
// gaps after them, 5 ms raised-cosine edges; two seconds of silence before
// it and three after.
Station steadyKeyer(const std::string& text, double wpm, double toneHz);

// An unkeyed tone in the receiver's audio: a birdie, a station tuning up.
struct SteadyCarrier {
    double hz = 0.0;
    double amplitude = 0.0;  // peak, in 16-bit sample units
};

struct Scene {
    std::vector<Station> stations;  // the first is the wanted one
    // Made in the receiver, so there with the stations silent too.
    std::vector<SteadyCarrier> carriers;
    std::optional<Agc> agc;
    double crashesPerSecond = 0.0;
    double crashPeak = 0.0;  // the loudest crash, as the decoder gets it
    double crashDecayMs = 1.0;
    // The receiver's filter on the wanted tone that the crashes come
    // through, in Hz; 0 for none. It makes each crash ring at the tone for
    // a few ms, which a decoder can take for a dot.
    double crashFilterHz = 0.0;
    std::string parameters;  // what was drawn, for reports
};

// What goes into the samples: the signal, or what the channel makes of
// noise with the stations silent, to check that nothing is read into it.
enum class Content {
    Keyed,
    WhiteNoise,
    Silence,        // the channel's own disturbances only
    FilteredNoise,  // through a 250 Hz filter on the wanted tone, as loud as the white noise
    // White noise lifted in the gaps of the silent keying by an AGC, by
    // all it can (a strong signal outside the audio's band pumps it).
    PumpedNoise,
};

struct TestSignal {
    std::vector<double> samples;  // mono, at the wanted station's sample rate
    // What the wanted station sent; when stations take turns, all their
    // texts in the order they were sent.
    std::string text;
    std::vector<double> characterEndsMs;  // when each character of text ends
    // Each of those characters' level at its deepest mark over the level
    // the SNR is quoted at (0 dB without fading).
    std::vector<double> characterLevelDb;
    std::vector<KeyInterval> keyed;  // the key-down intervals that text was sent with
    double toneHz = 0.0;             // the wanted station's tone at the start
    // A neighbour sending on another tone at the same time; empty without.
    std::string otherText;
    double otherToneHz = 0.0;
    double otherLouderDb = 0.0;  // its level over the wanted station's
    std::string parameters;
};

// Renders the scene with white noise snrDb below the wanted station's tone
// at full strength (in 2500 Hz, as addNoise); a fading station's SNR is
// its mean over the fade in dB, as a fading signal's is quoted, half its
// depth under full strength. The seed fixes the hand
// timing, the carrier phases, the noise and the crashes; the same seed at
// another SNR gives the same signal in noise of the same shape, only louder
// or softer.
TestSignal renderScene(const Scene& scene, double snrDb, Content content, std::uint64_t seed);

}  // namespace ditdahl::synthesis
