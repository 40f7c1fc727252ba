#include "synthesis/Scene.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "synthesis/Impairments.h"
#include "synthesis/Noise.h"

namespace ditdahl::synthesis {

namespace {

// How loud an AGC's receiver lets the noise become in the gaps (16-bit
// units, deviation): its audio stage is set so that the loudest stretch
// does not clip, as an operator would set the level.
constexpr double loudestGapDeviation = 8000.0;

void mixInto(std::vector<double>& sum, const std::vector<double>& part) {
    if (sum.size() < part.size()) sum.resize(part.size(), 0.0);
    for (std::size_t i = 0; i < part.size(); ++i) sum[i] += part[i];
}

// A fading station's mean level in dB over its fade, against full strength.
double meanFadeDb(const Station& station) { return station.fadePeriodSeconds > 0.0 ? -0.5 * station.fadeDepthDb : 0.0; }

// Keys every station into out.samples, and gathers every mark of all of them
// in time order (an AGC follows them all).
std::vector<KeyInterval> renderStations(const Scene& scene, Content content, NoiseGenerator& timingRandom,
                                        NoiseGenerator& phaseRandom, TestSignal& out) {
    const int rate = scene.stations.front().tone.sampleRate;
    std::vector<KeyInterval> allMarks;
    double previousEnd = 0.0;
    for (std::size_t s = 0; s < scene.stations.size(); ++s) {
        const Station& station = scene.stations[s];
        Timing timing = station.timing;
        const bool turn = s > 0 && station.afterPreviousSeconds >= 0.0;
        if (turn) timing.leadInSeconds = previousEnd + station.afterPreviousSeconds;
        const Keying keying = timeKeying(station.text, timing, timingRandom);
        previousEnd = keying.marks.empty() ? timing.leadInSeconds : keying.marks.back().end;
        allMarks.insert(allMarks.end(), keying.marks.begin(), keying.marks.end());
        if (s == 0 || turn) {
            if (!out.text.empty()) out.text += ' ';
            out.text += station.text;
            std::size_t first = 0;
            for (std::size_t last : keying.characterLastMark) {
                out.characterEndsMs.push_back(keying.marks[last].end * 1000.0);
                double deepest = 0.0;
                for (std::size_t m = first; m <= last && station.fadePeriodSeconds > 0.0; ++m)
                    deepest =
                        std::min(deepest, fadeDbAt(0.5 * (keying.marks[m].start + keying.marks[m].end),
                                                   station.fadePeriodSeconds, station.fadeDepthDb, station.fadePhase));
                out.characterLevelDb.push_back(deepest - meanFadeDb(station));
                first = last + 1;
            }
            out.keyed.insert(out.keyed.end(), keying.marks.begin(), keying.marks.end());
        } else if (out.otherText.empty()) {
            out.otherText = station.text;
            out.otherToneHz = station.tone.toneHz;
            out.otherLouderDb = 20.0 * std::log10(station.tone.amplitude / scene.stations.front().tone.amplitude);
        }
        std::vector<double> tone = renderKeyed(keying.marks, keying.totalSeconds, station.tone, phaseRandom);
        if (content != Content::Keyed) std::fill(tone.begin(), tone.end(), 0.0);
        if (station.fadePeriodSeconds > 0.0)
            applyFadeDb(tone, station.fadePeriodSeconds, station.fadeDepthDb, station.fadePhase, rate);
        mixInto(out.samples, tone);
    }
    std::sort(allMarks.begin(), allMarks.end(),
              [](const KeyInterval& a, const KeyInterval& b) { return a.start < b.start; });
    return allMarks;
}

void addNoise(std::vector<double>& samples, Content content, double sigma, double toneHz, int rate,
              NoiseGenerator& noise) {
    if (content == Content::FilteredNoise) {
        std::vector<double> band(samples.size());
        for (double& s : band) s = noise.gaussian();
        narrowFilter(band, toneHz, 250.0, rate);
        double power = 0.0;
        for (double s : band) power += s * s;
        const double scale = sigma / std::sqrt(std::max(power / static_cast<double>(band.size()), 1e-300));
        for (std::size_t i = 0; i < band.size(); ++i) samples[i] += scale * band[i];
    } else if (content != Content::Silence) {
        for (double& s : samples) s += sigma * noise.gaussian();
    }
}

void applyAgc(std::vector<double>& samples, const Scene& scene, Content content, double sigma,
              const std::vector<KeyInterval>& allMarks) {
    const ToneShape& tone = scene.stations.front().tone;
    // Without a signal the AGC has nothing to pump it, unless asked to.
    std::optional<Agc> agc = content == Content::Keyed || content == Content::PumpedNoise ? scene.agc : std::nullopt;
    if (content == Content::PumpedNoise && !agc) agc = Agc{.fallMs = tone.fallMs};
    if (!agc) return;
    if (content == Content::Keyed) agc->pumpDb = agcPumpDb(*agc, tone.amplitude, sigma, tone.sampleRate);
    const std::vector<double> gain = agcGain(allMarks, samples.size(), *agc, tone.sampleRate);
    const double loudest = sigma * std::pow(10.0, agc->pumpDb / 20.0);
    const double level = std::min(1.0, loudestGapDeviation / loudest);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] *= level * gain[i];
}

void addSceneCrashes(std::vector<double>& samples, const Scene& scene, NoiseGenerator& crashRandom) {
    const ToneShape& tone = scene.stations.front().tone;
    std::vector<double> crashes(samples.size(), 0.0);
    addCrashes(crashes, scene.crashesPerSecond, 1.0, scene.crashDecayMs, crashRandom, tone.sampleRate);
    if (scene.crashFilterHz > 0.0) narrowFilter(crashes, tone.toneHz, scene.crashFilterHz, tone.sampleRate);
    double loudest = 1e-300;
    for (double s : crashes) loudest = std::max(loudest, std::abs(s));
    for (std::size_t i = 0; i < crashes.size(); ++i) samples[i] += scene.crashPeak / loudest * crashes[i];
}

}  // namespace

Station steadyKeyer(const std::string& text, double wpm, double toneHz) {
    Station station;
    station.text = text;
    station.timing.wpm = wpm;
    station.timing.weight = 1.15;
    station.timing.leadInSeconds = 2.0;
    station.timing.tailSeconds = 3.0;
    station.tone.toneHz = toneHz;
    station.tone.riseMs = station.tone.fallMs = 5.0;
    return station;
}

TestSignal renderScene(const Scene& scene, double snrDb, Content content, std::uint64_t seed) {
    // Each part its own generator: the noise must not change when a family
    // draws one more timing deviate, nor the timing when the SNR changes.
    NoiseGenerator timingRandom(partSeed(seed, 1));
    NoiseGenerator phaseRandom(partSeed(seed, 2));
    NoiseGenerator noise(partSeed(seed, 3));
    NoiseGenerator crashRandom(partSeed(seed, 4));
    const ToneShape& wanted = scene.stations.front().tone;
    TestSignal out;
    out.toneHz = wanted.toneHz;
    out.parameters = scene.parameters;
    const std::vector<KeyInterval> allMarks = renderStations(scene, content, timingRandom, phaseRandom, out);
    const double sigma =
        noiseDeviation(wanted.amplitude, snrDb - meanFadeDb(scene.stations.front()), wanted.sampleRate);
    addNoise(out.samples, content, sigma, wanted.toneHz, wanted.sampleRate, noise);
    applyAgc(out.samples, scene, content, sigma, allMarks);
    // Made in the receiver after its AGC, as birdies are: not pumped.
    for (const SteadyCarrier& c : scene.carriers) {
        const double step = 2.0 * std::numbers::pi * c.hz / wanted.sampleRate;
        for (std::size_t i = 0; i < out.samples.size(); ++i)
            out.samples[i] += c.amplitude * std::sin(step * static_cast<double>(i));
    }
    if (scene.crashesPerSecond > 0.0) addSceneCrashes(out.samples, scene, crashRandom);
    return out;
}

}  // namespace ditdahl::synthesis
