#include "synthesis/Families.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

namespace ditdahl::synthesis {

namespace {

double between(NoiseGenerator& random, double low, double high) { return low + (high - low) * random.uniform(); }

double eitherSign(NoiseGenerator& random, double value) { return random.uniform() < 0.5 ? -value : value; }

// Another station's speed: ratio times faster or slower, within what
// stations send.
double otherSpeed(NoiseGenerator& random, double wpm, double ratio) {
    return std::clamp(random.uniform() < 0.5 ? wpm * ratio : wpm / ratio, 10.0, 35.0);
}

const std::string& otherText(NoiseGenerator& random, std::span<const std::string> texts, const std::string& taken) {
    const auto first = static_cast<std::size_t>(random.uniform() * static_cast<double>(texts.size()));
    for (std::size_t k = 0; k < texts.size(); ++k)
        if (texts[(first + k) % texts.size()] != taken) return texts[(first + k) % texts.size()];
    return texts[first];
}

void note(Scene& scene, const char* format, double a, double b = 0.0, double c = 0.0) {
    char line[160];
    std::snprintf(line, sizeof line, format, a, b, c);
    scene.parameters += "; ";
    scene.parameters += line;
}

void clean(NoiseGenerator&, std::span<const std::string>, Scene&) {}

void weight(NoiseGenerator& random, std::span<const std::string>, Scene& scene) {
    Timing& timing = scene.stations[0].timing;
    timing.weight = between(random, 0.8, 1.3);
    note(scene, "mark/space %.2f", timing.weight);
}

void edges(NoiseGenerator& random, std::span<const std::string>, Scene& scene) {
    ToneShape& tone = scene.stations[0].tone;
    tone.riseMs = between(random, 2.0, 8.0);
    tone.fallMs = between(random, 2.0, 8.0);
    note(scene, "rise %.1f ms, fall %.1f ms", tone.riseMs, tone.fallMs);
}

void hand(NoiseGenerator& random, Scene& scene, double spread) {
    Timing& timing = scene.stations[0].timing;
    timing.wpm = between(random, 12.0, 25.0);
    timing.dashDots = between(random, 2.6, 3.5);
    timing.spread = spread;
    note(scene, "dash %.2f dots, spread %.0f %%", timing.dashDots, 100.0 * spread);
}
void hand10(NoiseGenerator& random, std::span<const std::string>, Scene& scene) { hand(random, scene, 0.1); }
void hand20(NoiseGenerator& random, std::span<const std::string>, Scene& scene) { hand(random, scene, 0.2); }

void semiautomatic(NoiseGenerator& random, std::span<const std::string>, Scene& scene) {
    Timing& timing = scene.stations[0].timing;
    timing.wpm = between(random, 15.0, 28.0);
    timing.machineDots = true;
    timing.dashDots = 3.0;
    timing.dashMaxDots = 5.0;
    timing.spread = 0.1;
}

void fading(NoiseGenerator& random, std::span<const std::string>, Scene& scene) {
    Station& station = scene.stations[0];
    station.fadePeriodSeconds = between(random, 4.0, 15.0);
    station.fadeDepthDb = between(random, 10.0, 25.0);
    station.fadePhase = between(random, 0.0, 2.0 * std::numbers::pi);
    note(scene, "period %.1f s, depth %.1f dB", station.fadePeriodSeconds, station.fadeDepthDb);
}

void phase(NoiseGenerator&, std::span<const std::string>, Scene& scene) { scene.stations[0].tone.phaseJumps = true; }

void chirp(NoiseGenerator& random, std::span<const std::string>, Scene& scene) {
    ToneShape& tone = scene.stations[0].tone;
    tone.chirpHz = eitherSign(random, between(random, 5.0, 80.0));
    tone.chirpSettleMs = between(random, 10.0, 30.0);
    note(scene, "chirp %+.0f Hz settling in %.0f ms", tone.chirpHz, tone.chirpSettleMs);
}

void drift(NoiseGenerator& random, std::span<const std::string> texts, Scene& scene) {
    Station& station = scene.stations[0];
    // Two overs back to back: a minute or more, long enough to drift.
    station.text += " " + otherText(random, texts, station.text);
    station.tone.driftHzPerMinute = eitherSign(random, between(random, 10.0, 30.0));
    note(scene, "drift %+.1f Hz/min", station.tone.driftHzPerMinute);
}

void wander(NoiseGenerator& random, std::span<const std::string> texts, Scene& scene) {
    Station& station = scene.stations[0];
    // A beacon's two calls back to back: long enough to wander.
    station.text += " " + otherText(random, texts, station.text);
    station.timing.wpm = between(random, 12.0, 18.0);
    ToneShape& tone = station.tone;
    tone.wanderHz = between(random, 40.0, 60.0);
    tone.wanderPeriodSeconds = between(random, 40.0, 120.0);
    tone.wanderPhase = between(random, 0.0, 2.0 * std::numbers::pi);
    note(scene, "wander over %.0f Hz every %.0f s", tone.wanderHz, tone.wanderPeriodSeconds);
}

void beacon(NoiseGenerator&, std::span<const std::string>, Scene& scene) {
    Station& station = scene.stations[0];
    station.timing.wpm = 10.0;
    station.text += " " + station.text;
}

void neighbour(NoiseGenerator& random, std::span<const std::string> texts, Scene& scene) {
    Station other = scene.stations[0];
    other.text = otherText(random, texts, other.text);
    other.tone.toneHz += eitherSign(random, between(random, 60.0, 150.0));
    const double strongerDb = between(random, 0.0, 6.0);
    other.tone.amplitude *= std::pow(10.0, strongerDb / 20.0);
    other.timing.wpm = otherSpeed(random, other.timing.wpm, between(random, 1.2, 1.6));
    other.timing.leadInSeconds = between(random, 0.5, 3.5);
    scene.stations.push_back(other);
    note(scene, "neighbour at %.0f Hz, %.1f dB stronger, %.1f wpm", other.tone.toneHz, strongerDb, other.timing.wpm);
}

void turns(NoiseGenerator& random, std::span<const std::string> texts, Scene& scene) {
    Station other = scene.stations[0];
    other.text = otherText(random, texts, other.text);
    other.tone.toneHz += eitherSign(random, between(random, 30.0, 80.0));
    other.timing.wpm = otherSpeed(random, other.timing.wpm, between(random, 1.25, 1.7));
    other.afterPreviousSeconds = between(random, 1.0, 2.5);
    scene.stations.push_back(other);
    note(scene, "then %.0f Hz at %.1f wpm, after %.1f s", other.tone.toneHz, other.timing.wpm,
         other.afterPreviousSeconds);
}

// The text sent as short overs of one to three words, the two stations in
// turn (as in a contest exchange or a quick QSO): each over answered within
// a second or so, often before the receiver has settled on the one before.
void exchange(NoiseGenerator& random, std::span<const std::string>, Scene& scene) {
    const Station first = scene.stations[0];
    Station other = first;
    other.tone.toneHz += eitherSign(random, between(random, 30.0, 80.0));
    other.timing.wpm = otherSpeed(random, other.timing.wpm, between(random, 1.25, 1.7));
    std::vector<std::string> words;
    for (std::size_t at = 0; at < first.text.size();) {
        const std::size_t end = std::min(first.text.find(' ', at), first.text.size());
        if (end > at) words.push_back(first.text.substr(at, end - at));
        at = end + 1;
    }
    scene.stations.clear();
    for (std::size_t w = 0; w < words.size();) {
        Station over = scene.stations.size() % 2 == 0 ? first : other;
        const std::size_t count = std::min(words.size() - w, 1 + static_cast<std::size_t>(3.0 * random.uniform()));
        over.text.clear();
        for (std::size_t k = w; k < w + count; ++k) over.text += (k > w ? " " : "") + words[k];
        if (!scene.stations.empty()) over.afterPreviousSeconds = between(random, 0.5, 1.5);
        scene.stations.push_back(over);
        w += count;
    }
    note(scene, "%.0f overs, the other at %.0f Hz, %.1f wpm", static_cast<double>(scene.stations.size()),
         other.tone.toneHz, other.timing.wpm);
}

void impulses(NoiseGenerator& random, std::span<const std::string>, Scene& scene) {
    scene.crashesPerSecond = between(random, 2.0, 8.0);
    scene.crashPeak = scene.stations[0].tone.amplitude * between(random, 2.0, 5.0);
    scene.crashDecayMs = between(random, 1.0, 20.0);
    scene.crashFilterHz = between(random, 300.0, 600.0);
    note(scene, "%.1f crashes/s, peak %.0f, decay %.1f ms", scene.crashesPerSecond, scene.crashPeak,
         scene.crashDecayMs);
}

void speedChange(NoiseGenerator& random, std::span<const std::string>, Scene& scene) {
    Station& station = scene.stations[0];
    Timing& timing = station.timing;
    timing.wpm = between(random, 14.0, 30.0);
    const double ratio = between(random, 1.5, 1.9);
    bool slower = random.uniform() < 0.5;
    if (timing.wpm * ratio > 35.0) slower = true;
    if (timing.wpm / ratio < 10.0) slower = false;
    timing.laterWpm = std::clamp(slower ? timing.wpm / ratio : timing.wpm * ratio, 10.0, 35.0);
    timing.changeAtWord = static_cast<std::size_t>(std::count(station.text.begin(), station.text.end(), ' ') + 1) / 2;
    note(scene, "then %.1f wpm from word %.0f", timing.laterWpm, static_cast<double>(timing.changeAtWord));
}

void farnsworth(NoiseGenerator& random, std::span<const std::string>, Scene& scene) {
    Timing& timing = scene.stations[0].timing;
    timing.wpm = between(random, 15.0, 30.0);
    timing.letterGapDots = between(random, 4.5, 9.0);
    timing.wordGapDots = timing.letterGapDots * 7.0 / 3.0;
    note(scene, "letter gap %.1f dots, word gap %.1f dots", timing.letterGapDots, timing.wordGapDots);
}

void agc(NoiseGenerator& random, std::span<const std::string>, Scene& scene) {
    Agc pumping;
    pumping.pumpDb = between(random, 10.0, 20.0);
    pumping.releaseMs = between(random, 10.0, 30.0);
    pumping.fallMs = scene.stations[0].tone.fallMs;
    scene.agc = pumping;
    note(scene, "gaps up to %.1f dB louder, release %.0f ms", pumping.pumpDb, pumping.releaseMs);
}

void carrier(NoiseGenerator& random, std::span<const std::string>, Scene& scene) {
    const ToneShape& tone = scene.stations[0].tone;
    const double louderDb = between(random, 0.0, 6.0);
    SteadyCarrier c;
    c.hz = tone.toneHz + eitherSign(random, between(random, 40.0, 250.0));
    c.amplitude = tone.amplitude * std::pow(10.0, louderDb / 20.0);
    scene.carriers.push_back(c);
    note(scene, "steady carrier at %.0f Hz, %.1f dB louder", c.hz, louderDb);
}

constexpr Family families[] = {
    {"clean", "machine keying, 4 ms edges", clean},
    {"weight", "mark/space ratio 0.8-1.3, every key-down where it would be", weight},
    {"edges", "raised-cosine rise and fall 2-8 ms each", edges},
    {"hand10", "hand-sent at 12-25 wpm: elements and gaps +-10 %, dash 2.6-3.5 dots", hand10},
    {"hand20", "hand-sent at 12-25 wpm: elements and gaps +-20 %, dash 2.6-3.5 dots", hand20},
    {"semiauto", "semi-automatic key, 15-28 wpm: machine dots, each dash 3-5 dots, other gaps +-10 %", semiautomatic},
    {"fading", "slow fading, period 4-15 s, 10-25 dB deep (even in dB; the SNR at its middle), any phase", fading},
    {"phase", "carrier phase at random at every key-down", phase},
    {"chirp", "tone 5-80 Hz off (either side) at key-down, settling in 10-30 ms", chirp},
    {"drift", "two overs back to back, tone drifting 10-30 Hz a minute up or down", drift},
    {"wander", "two overs at 12-18 wpm, tone swinging over 40-60 Hz every 40-120 s", wander},
    {"beacon", "10 wpm, the text twice", beacon},
    {"neighbour", "second station 60-150 Hz away, 0-6 dB stronger, 1.2-1.6x faster or slower, other text", neighbour},
    {"turns", "second station after 1-2.5 s, 30-80 Hz away, 1.25-1.7x faster or slower, same level", turns},
    {"exchange",
     "the text as overs of 1-3 words, two stations in turn 30-80 Hz apart, 1.25-1.7x faster or slower, 0.5-1.5 s "
     "between",
     exchange},
    {"impulses",
     "static crashes 2-8 /s decaying in 1-20 ms, through the receiver's 300-600 Hz filter, loudest 2-5x the tone",
     impulses},
    {"speedchange", "14-30 wpm, from the middle word on 1.5-1.9x faster or slower (10-35 wpm)", speedChange},
    {"farnsworth", "characters at 15-30 wpm, letter gap 4.5-9 dots, word gap 7/3 of it", farnsworth},
    {"agc", "receiver AGC lifting the gaps by up to 10-20 dB (as far as the SNR in 500 Hz allows), release 10-30 ms",
     agc},
    {"carrier", "a steady carrier 40-250 Hz away (either side), 0-6 dB louder than the station", carrier},
};

}  // namespace

std::span<const Family> signalFamilies() { return families; }

const Family* familyNamed(std::string_view name) {
    for (const Family& family : families)
        if (family.name == name) return &family;
    return nullptr;
}

TestSignal makeSignal(const Family& family, std::uint64_t seed, double snrDb, std::span<const std::string> texts,
                      Content content) {
    // The same seed gives every family the same text, tone and speed (where
    // the family does not draw its own), so families differ in their own
    // impairment only; consecutive seeds take the texts in turn, so a few
    // seeds already cover them all.
    NoiseGenerator random(partSeed(seed, 0));
    Scene scene;
    Station station;
    station.text = texts[seed % texts.size()];
    station.tone.toneHz = between(random, 450.0, 1100.0);
    station.timing.wpm = between(random, 12.0, 30.0);
    station.timing.leadInSeconds = 2.0;
    station.timing.tailSeconds = 3.0;
    scene.stations.push_back(station);
    family.draw(random, texts, scene);
    char head[96];
    std::snprintf(head, sizeof head, "%s: %.0f Hz, %.1f wpm", std::string(family.name).c_str(),
                  scene.stations[0].tone.toneHz, scene.stations[0].timing.wpm);
    scene.parameters = head + scene.parameters;
    return renderScene(scene, snrDb, content, partSeed(seed, 1));
}

}  // namespace ditdahl::synthesis
