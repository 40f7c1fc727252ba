// Measures the band decoder on mixtures of 3, 8 and 16 stations in one white
// noise: each station's character error rate on the channels whose tone is
// its own, by its SNR (in 2500 Hz); channels that follow no station and what
// they wrote; and the real-time factor on one core. Stations send 12 to 35
// wpm, 60 to 300 Hz apart, at -3 to +15 dB; some start late, some send a
// second over after a pause or stop early, the first of every mixture
// drifts. Then the calls spotted in what was copied: of those the spotter
// finds in a station's text as sent, how many it finds in the copy on that
// station's tone, and how many spots name a call nobody sent (garbled). Then
// 10 minutes of the noise alone.
// Usage: bench_band [SEEDS] (default 4 mixtures of each size). Prints
// Markdown; with SHOW=1 in the environment every station's text and what was
// copied of it is printed.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "BandTraffic.h"
#include "band/BandDecoder.h"
#include "base/MorseTable.h"
#include "spots/CallSpotter.h"
#include "support/EditDistance.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"
#include "synthesis/Timing.h"
#include "synthesis/ToneRenderer.h"

using namespace ditdahl;
using ditdahl::synthesis::NoiseGenerator;

namespace {

constexpr int rate = 6000;
constexpr double noiseDeviation = 300.0;

struct Sent {
    std::string text;
    double toneHz = 0.0;
    double endToneHz = 0.0;
    double snrDb = 0.0;
    double wpm = 0.0;
};

struct Mixture {
    std::vector<double> samples;
    std::vector<Sent> stations;
};

double uniform(NoiseGenerator& r, double low, double high) { return low + (high - low) * r.uniform(); }

// Tones 60 to 300 Hz apart, squeezed towards 60 Hz where they would not fit
// between 225 and 1575 Hz.
std::vector<double> drawTones(std::size_t n, NoiseGenerator& r) {
    std::vector<double> gaps(n - 1);
    double sum = 0.0;
    for (double& g : gaps) sum += g = uniform(r, 60.0, 300.0);
    const double room = 1350.0;
    const double least = 60.0 * static_cast<double>(n - 1);
    const double squeeze = sum > room ? (room - least) / (sum - least) : 1.0;
    double tone = 225.0 + uniform(r, 0.0, std::max(0.0, room - (least + (sum - least) * squeeze)));
    std::vector<double> tones = {tone};
    for (double g : gaps) tones.push_back(tone += 60.0 + (g - 60.0) * squeeze);
    return tones;
}

// The calls the spotter finds in a text copied without a fault.
std::vector<std::string> callsIn(const std::string& text) {
    CallSpotter spotter;
    std::vector<Spot> spots = spotter.hear({0, {}, 0.0, 0.0, 0.0, text + " "});
    for (Spot& spot : spotter.channelEnded(0)) spots.push_back(std::move(spot));
    std::vector<std::string> calls;
    for (const Spot& spot : spots) calls.push_back(spot.call);
    return calls;
}

// Texts for the stations of one mixture: each call-bearing text once, since
// one call heard twice 60 Hz apart is one station to the spotter; a second
// over, now and then, from those that carry no call.
std::vector<std::string> drawTexts(std::size_t n, NoiseGenerator& r) {
    const auto& traffic = bench::bandTraffic;
    std::vector<std::string> order(traffic.begin(), traffic.end());
    for (std::size_t i = order.size(); i > 1; --i) std::swap(order[i - 1], order[r.next() % i]);
    std::vector<std::string> callless;
    for (const std::string& t : traffic)
        if (callsIn(t).empty()) callless.push_back(t);
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < n; ++i) {
        std::string text = order[i % order.size()];
        if (r.uniform() < 0.4) text += " " + callless[r.next() % callless.size()];
        texts.push_back(text);
    }
    return texts;
}

void addStation(Mixture& m, double toneHz, std::size_t index, const std::string& text, NoiseGenerator& r) {
    Sent sent;
    sent.toneHz = toneHz;
    sent.snrDb = uniform(r, -3.0, 15.0);
    sent.wpm = uniform(r, 12.0, 35.0);
    sent.text = text;
    synthesis::Timing timing;
    timing.wpm = sent.wpm;
    timing.leadInSeconds = r.uniform() < 0.35 ? uniform(r, 5.0, 25.0) : uniform(r, 0.5, 2.0);
    timing.tailSeconds = 1.0;
    const synthesis::Keying keying = synthesis::timeKeying(sent.text, timing, r);
    synthesis::ToneShape shape;
    shape.toneHz = toneHz;
    shape.amplitude = 10000.0 * noiseDeviation / synthesis::noiseDeviation(10000.0, sent.snrDb, rate);
    if (index == 0) shape.driftHzPerMinute = 60.0;
    const auto tone = synthesis::renderKeyed(keying.marks, keying.totalSeconds, shape, r);
    sent.endToneHz = toneHz + shape.driftHzPerMinute * keying.totalSeconds / 60.0;
    if (m.samples.size() < tone.size()) m.samples.resize(tone.size(), 0.0);
    for (std::size_t i = 0; i < tone.size(); ++i) m.samples[i] += tone[i];
    m.stations.push_back(sent);
}

Mixture makeMixture(std::size_t n, std::uint64_t seed) {
    NoiseGenerator r(seed);
    Mixture m;
    const auto tones = drawTones(n, r);
    // The drifting station is any of them.
    const std::size_t drifting = r.next() % n;
    const auto texts = drawTexts(n, r);
    for (std::size_t i = 0; i < n; ++i) addStation(m, tones[i], i == drifting ? 0 : i + 1, texts[i], r);
    m.samples.resize(m.samples.size() + 3 * rate, 0.0);
    NoiseGenerator noise(synthesis::partSeed(seed, 1));
    for (double& s : m.samples) s += noiseDeviation * noise.gaussian();
    return m;
}

struct Copied {
    double toneHz = 0.0;
    double snrDb = 0.0;  // as last reported
    double startMs = 0.0;
    std::string text;
};

struct Collector : band::BandListener {
    std::map<int, Copied> channels;
    CallSpotter spotter;
    std::vector<Spot> spots;
    void channelStarted(const band::ChannelReport& c) override { channels[c.id] = {c.toneHz, c.snrDb, c.atMs, {}}; }
    void text(const band::ChannelReport& c, std::string_view t) override {
        channels[c.id].toneHz = c.toneHz;
        channels[c.id].snrDb = c.snrDb;
        channels[c.id].text += t;
        for (Spot& spot : spotter.hear({c.id, {}, c.toneHz, c.wpm, c.snrDb, t})) spots.push_back(std::move(spot));
    }
    void channelEnded(const band::ChannelReport& c) override {
        for (Spot& spot : spotter.channelEnded(c.id)) spots.push_back(std::move(spot));
    }
};

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

std::string normalise(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
        out += static_cast<char>(upperAscii(static_cast<unsigned char>(c)));
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

struct Tally {
    std::size_t errors = 0;
    std::size_t characters = 0;
    std::size_t stations = 0;
    double percent() const { return characters ? 100.0 * static_cast<double>(errors) / characters : 0.0; }
};

struct Run {
    std::map<int, Tally> bySnr;  // bucket -> tally
    Tally all;
    std::size_t strayChannels = 0;
    std::size_t splitStations = 0;    // copied on more than one channel
    std::vector<double> snrErrorsDb;  // reported less sent, stations on one channel
    std::size_t strayCharacters = 0;
    std::size_t callsToSpot = 0;  // at 0 dB and up
    std::size_t callsSpotted = 0;
    std::size_t callsToSpotBelow = 0;  // under 0 dB
    std::size_t callsSpottedBelow = 0;
    std::size_t garbledSpots = 0;  // of calls nobody sent
    double cpuSeconds = 0.0;
    double audioSeconds = 0.0;
};

int bucketOf(double snrDb) { return snrDb < 0.0 ? -3 : snrDb < 5.0 ? 0 : snrDb < 10.0 ? 5 : 10; }

bool follows(const Copied& c, const Sent& s) {
    const double low = std::min(s.toneHz, s.endToneHz) - 20.0;
    const double high = std::max(s.toneHz, s.endToneHz) + 20.0;
    return c.toneHz >= low && c.toneHz <= high;
}

void scoreSpots(const Mixture& m, const Collector& out, Run& run) {
    std::vector<std::string> sentCalls;
    for (const Sent& s : m.stations) {
        for (const std::string& call : callsIn(s.text)) {
            sentCalls.push_back(call);
            const bool found = std::any_of(out.spots.begin(), out.spots.end(), [&](const Spot& spot) {
                return spot.call == call && follows(Copied{spot.toneHz, 0.0, 0.0, {}}, s);
            });
            (s.snrDb >= 0.0 ? run.callsToSpot : run.callsToSpotBelow) += 1;
            (s.snrDb >= 0.0 ? run.callsSpotted : run.callsSpottedBelow) += found ? 1 : 0;
            if (std::getenv("SHOW") && !found) {
                std::printf("  not spotted: %s at %.0f Hz %.1f dB; spots of it:", call.c_str(), s.toneHz, s.snrDb);
                for (const Spot& spot : out.spots)
                    if (spot.call == call) std::printf(" %.0f Hz", spot.toneHz);
                std::printf("\n");
            }
        }
    }
    for (const Spot& spot : out.spots) {
        if (std::find(sentCalls.begin(), sentCalls.end(), spot.call) != sentCalls.end()) continue;
        ++run.garbledSpots;
        if (std::getenv("SHOW"))
            std::printf("  spot of a call nobody sent: %s at %.0f Hz\n", spot.call.c_str(), spot.toneHz);
    }
}

void score(const Mixture& m, const Collector& out, Run& run) {
    if (std::getenv("SHOWALL")) std::printf("  mixture of %zu\n", m.stations.size());
    scoreSpots(m, out, run);
    std::vector<bool> used(out.channels.size(), false);
    for (const Sent& s : m.stations) {
        std::vector<const Copied*> mine;
        std::size_t k = 0;
        for (const auto& [id, c] : out.channels) {
            if (follows(c, s)) {
                mine.push_back(&c);
                used[k] = true;
            }
            ++k;
        }
        std::sort(mine.begin(), mine.end(), [](const Copied* a, const Copied* b) { return a->startMs < b->startMs; });
        if (mine.size() > 1) ++run.splitStations;
        if (mine.size() == 1) run.snrErrorsDb.push_back(mine.front()->snrDb - s.snrDb);
        std::string copied;
        for (const Copied* c : mine) copied += c->text + " ";
        const std::string reference = normalise(s.text);
        const std::size_t errors = testing::editDistance(reference, normalise(copied));
        for (Tally* t : {&run.bySnr[bucketOf(s.snrDb)], &run.all}) {
            t->errors += errors;
            t->characters += reference.size();
            ++t->stations;
        }
        if (std::getenv("SHOWALL"))
            std::printf("  station %.0f->%.0f Hz %.1f dB %.0f wpm: %s\n", s.toneHz, s.endToneHz, s.snrDb, s.wpm,
                        s.text.c_str());
        if (std::getenv("SHOW") && errors > 0)
            std::printf("  [%.0f Hz %.1f dB %.0f wpm, %zu channel(s)] %s\n      -> %s\n", s.toneHz, s.snrDb, s.wpm,
                        mine.size(), reference.c_str(), normalise(copied).c_str());
    }
    std::size_t k = 0;
    for (const auto& [id, c] : out.channels) {
        if (!used[k++]) {
            ++run.strayChannels;
            run.strayCharacters += normalise(c.text).size();
            if (std::getenv("SHOW")) std::printf("  stray channel at %.0f Hz: %s\n", c.toneHz, c.text.c_str());
        }
    }
}

void decodeMixture(const Mixture& m, Run& run) {
    MorseTable table;
    buildMorseTable(table);
    Collector out;
    band::BandDecoder decoder(table, out);
    const auto stereo = synthesis::toStereo16(m.samples);
    const double start = threadCpuSeconds();
    for (std::size_t f = 0; f < m.samples.size(); f += 64)
        decoder.pushStereo(stereo.data() + 2 * f, std::min<std::size_t>(64, m.samples.size() - f));
    decoder.finish();
    run.cpuSeconds += threadCpuSeconds() - start;
    run.audioSeconds += static_cast<double>(m.samples.size()) / rate;
    score(m, out, run);
}

}  // namespace

int main(int argc, char** argv) {
    const int seeds = argc > 1 ? std::atoi(argv[1]) : 4;
    std::vector<Run> runs;
    std::printf(
        "| stations | -3 to 0 dB | 0 to 5 dB | 5 to 10 dB | 10 to 15 dB | 0 dB and up | stray channels "
        "(characters) | stations on two channels or more | SNR reported less sent: median (10 to 90 %%) | audio | "
        "real-time factor |\n|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (std::size_t n : {3u, 8u, 16u}) {
        Run run;
        for (int seed = 1; seed <= seeds; ++seed) {
            if (std::getenv("MIX") && (std::atoi(std::getenv("MIX")) != seed || n != 16)) continue;
            const Mixture m = makeMixture(n, 1000 * n + static_cast<std::uint64_t>(seed));
            decodeMixture(m, run);
        }
        if (run.snrErrorsDb.empty()) continue;
        std::printf("| %zu |", n);
        Tally above;
        for (int bucket : {-3, 0, 5, 10}) {
            const Tally& t = run.bySnr[bucket];
            std::printf(" %.2f %% (%zu) |", t.percent(), t.stations);
            if (bucket >= 0) {
                above.errors += t.errors;
                above.characters += t.characters;
            }
        }
        std::sort(run.snrErrorsDb.begin(), run.snrErrorsDb.end());
        const auto at = [&](double share) {
            return run.snrErrorsDb[static_cast<std::size_t>(share * static_cast<double>(run.snrErrorsDb.size() - 1))];
        };
        std::printf(" %.2f %% | %zu (%zu) | %zu | %+.1f dB (%+.1f to %+.1f) | %.0f s | %.0f x |\n", above.percent(),
                    run.strayChannels, run.strayCharacters, run.splitStations, at(0.5), at(0.1), at(0.9),
                    run.audioSeconds, run.audioSeconds / run.cpuSeconds);
        std::fflush(stdout);
        runs.push_back(run);
    }
    std::printf(
        "\n| stations | calls to spot, station at 0 dB and up | spotted | calls to spot, under 0 dB | spotted | "
        "spots of a call nobody sent |\n|---|---|---|---|---|---|\n");
    const std::size_t sizes[] = {3, 8, 16};
    for (std::size_t k = 0; k < runs.size(); ++k) {
        const Run& r = runs[k];
        const auto share = [](std::size_t part, std::size_t whole) {
            return whole ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0;
        };
        std::printf("| %zu | %zu | %.1f %% | %zu | %.1f %% | %zu |\n", sizes[k], r.callsToSpot,
                    share(r.callsSpotted, r.callsToSpot), r.callsToSpotBelow,
                    share(r.callsSpottedBelow, r.callsToSpotBelow), r.garbledSpots);
    }
    // White noise alone, as loud as under the mixtures.
    Mixture quiet;
    quiet.samples.assign(static_cast<std::size_t>(600 * rate), 0.0);
    NoiseGenerator noise(99);
    for (double& x : quiet.samples) x = noiseDeviation * noise.gaussian();
    Run run;
    decodeMixture(quiet, run);
    std::printf(
        "\n| white noise alone | channels opened | characters written | spots |\n|---|---|---|---|\n| %.0f s | %zu | "
        "%zu "
        "| %zu |\n",
        run.audioSeconds, run.strayChannels, run.strayCharacters, run.garbledSpots);
    return 0;
}
