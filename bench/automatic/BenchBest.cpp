// Measures the automatic receiver: character error rate against
// signal-to-noise ratio (white noise, SNR in 2500 Hz) on a synthesised set of
// texts, speeds and tones, with and without a tone hint; characters written
// on noise without a signal and on silence; harder signals; real-time factor
// on one core and the delay from the end of a character to its output.
// Usage: bench_best [snr|quiet|hard|all|quick|quickquiet|delay] (default all). Prints Markdown;
// "quick" measures -6 and -9 dB only; with SHOW=1 in the environment each
// wrongly decoded text is printed, with SEED_OFFSET=n the SNR table is
// measured on other noise seeds.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "BenchTexts.h"
#include "automatic/AutomaticReceiver.h"
#include "base/MorseTable.h"
#include "support/EditDistance.h"
#include "synthesis/Impairments.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

using namespace ditdahl;
using namespace ditdahl::automatic;
using ditdahl::synthesis::KeyingPlan;
using ditdahl::synthesis::NoiseGenerator;

namespace {

struct Collector : ReceiverListener {
    AutomaticReceiver* receiver = nullptr;
    std::string decoded;
    std::vector<double> charTimesMs;  // output time of each non-blank character
    void text(std::string_view t) override {
        for (char c : t)
            if (c != ' ') charTimesMs.push_back(receiver->nowMs());
        decoded += t;
    }
    void speed(double, double) override {}
    void tone(double) override {}
};

// SEED_OFFSET=n in the environment measures the table on other noise.
int seedOffset() { return std::getenv("SEED_OFFSET") ? std::atoi(std::getenv("SEED_OFFSET")) : 0; }

// CPU time of this thread: the machine may be shared, and the factor is
// meant for one core.
double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double decodeSeconds = 0.0;
double audioSeconds = 0.0;

struct Decoded {
    std::string text;
    std::vector<double> charTimesMs;
};

Decoded decode(const std::vector<double>& samples, double toneHint, double speedHint = 0.0) {
    MorseTable table;
    buildMorseTable(table);
    Collector out;
    AutomaticReceiver rx(table, out);
    out.receiver = &rx;
    rx.setToneHint(toneHint);
    rx.setSpeedHint(speedHint);
    const auto stereo = synthesis::toStereo16(samples);
    const double start = threadCpuSeconds();
    // Blocks of 64 frames, as the capture delivers them.
    for (std::size_t f = 0; f < samples.size(); f += 64)
        rx.pushStereo(stereo.data() + 2 * f, std::min<std::size_t>(64, samples.size() - f));
    rx.finish();
    decodeSeconds += threadCpuSeconds() - start;
    audioSeconds += static_cast<double>(samples.size()) / 6000.0;
    return {out.decoded, out.charTimesMs};
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

struct Config {
    double wpm;
    double toneHz;
};
// Tones between the 46.875 Hz bar grid; speeds across the range.
const Config configs[] = {{10, 437}, {15, 613}, {20, 788}, {25, 1043}, {30, 1187}, {18, 561}, {28, 902}};

struct Tally {
    std::size_t errors = 0;
    std::size_t characters = 0;
    void add(const std::string& reference, const std::string& decoded) {
        errors += testing::editDistance(normalise(reference), normalise(decoded));
        characters += normalise(reference).size();
    }
    double percent() const {
        return characters ? 100.0 * static_cast<double>(errors) / static_cast<double>(characters) : 0.0;
    }
};

// From the end of a character to its output: for characters that ended
// after the first output (decoded as they came), and for those decoded
// from the buffer when the tone was found.
std::vector<double> delaysMs;
std::vector<double> catchUpDelaysMs;

KeyingPlan planFor(const Config& c) {
    KeyingPlan plan;
    plan.wpm = c.wpm;
    plan.toneHz = c.toneHz;
    plan.leadInMs = 2000.0;
    plan.tailMs = 3000.0;
    return plan;
}

void snrTable(bool quick, bool cleanOnly = false) {
    std::vector<double> snrs = {100.0, 3.0, 0.0, -3.0, -6.0, -9.0, -12.0};
    if (quick) snrs = {-6.0, -9.0};
    if (cleanOnly) snrs = {100.0};
    std::printf("| SNR (dB in 2500 Hz) | no hint: CER | tone hint: CER | characters |\n|---|---|---|---|\n");
    for (double snr : snrs) {
        Tally tallies[2];
        for (int hint = 0; hint < (quick ? 1 : 2); ++hint) {
            const int seeds = quick ? 2 : 3;
            for (int seed = 1; seed <= seeds; ++seed) {
                for (std::size_t i = 0; i < std::size(configs); ++i) {
                    const std::string& text = bench::benchTexts[i % bench::benchTexts.size()];
                    const KeyingPlan plan = planFor(configs[i]);
                    auto samples = synthesis::keyedTone(text, plan);
                    NoiseGenerator noise(static_cast<std::uint64_t>((seed + seedOffset()) * 1000 + i * 7 + 1));
                    if (snr < 99.0) synthesis::addNoise(samples, plan.amplitude, snr, 6000, noise);
                    const Decoded d = decode(samples, hint ? configs[i].toneHz : 0.0);
                    tallies[hint].add(text, d.text);
                    if (std::getenv("SHOW") && normalise(text) != normalise(d.text))
                        std::printf("  [%g dB %g wpm %g Hz hint %d] %s\n", snr, configs[i].wpm, configs[i].toneHz, hint,
                                    d.text.c_str());
                    if (snr > 99.0 && normalise(text) == normalise(d.text)) {
                        const auto ends = synthesis::characterEndsMs(text, plan);
                        for (std::size_t k = 0; k < ends.size() && k < d.charTimesMs.size(); ++k)
                            (ends[k] > d.charTimesMs.front() ? delaysMs : catchUpDelaysMs)
                                .push_back(d.charTimesMs[k] - ends[k]);
                    }
                }
            }
        }
        // The quick table leaves the hint out.
        char hinted[32] = "not measured";
        if (!quick) std::snprintf(hinted, sizeof hinted, "%.2f %%", tallies[1].percent());
        std::printf("| %s | %.2f %% | %s | %zu |\n",
                    snr > 99.0 ? "clean" : std::to_string(static_cast<int>(snr)).c_str(), tallies[0].percent(), hinted,
                    tallies[0].characters);
        std::fflush(stdout);
    }
}

std::size_t countCharacters(const std::string& s) {
    return static_cast<std::size_t>(std::count_if(s.begin(), s.end(), [](char c) { return c != ' '; }));
}

void quietTable(double minutes) {
    const auto n = static_cast<std::size_t>(minutes * 60.0 * 6000.0);
    std::printf("| Input without a signal (%.0f min) | characters written |\n|---|---|\n", minutes);
    {
        std::vector<double> samples(n, 0.0);
        NoiseGenerator noise(77);
        for (double& s : samples) s = 3000.0 * noise.gaussian();
        std::printf("| white noise | %zu |\n", countCharacters(decode(samples, 0.0).text));
    }
    {
        std::vector<double> samples(n, 0.0);
        NoiseGenerator noise(78);
        for (double& s : samples) s = 3000.0 * noise.gaussian();
        synthesis::narrowFilter(samples, 700.0, 250.0, 6000);
        double power = 0.0;
        for (double s : samples) power += s * s;
        const double scale = 3000.0 / std::sqrt(power / static_cast<double>(samples.size()));
        for (double& s : samples) s *= scale;
        std::printf("| noise through a 250 Hz filter at 700 Hz | %zu |\n", countCharacters(decode(samples, 0.0).text));
        std::printf("| the same, tone hint 700 Hz | %zu |\n", countCharacters(decode(samples, 700.0).text));
    }
    {
        std::vector<double> samples(n, 0.0);
        std::printf("| digital silence | %zu |\n", countCharacters(decode(samples, 0.0).text));
    }
    {
        // What a clean recording leaves between overs: a keyed tone at
        // -72 dBFS with 1-bit dither.
        KeyingPlan plan;
        plan.amplitude = 8.0;
        plan.wpm = 20;
        plan.toneHz = 700;
        std::string text;
        while (text.size() < 1000) text += "PARIS ";
        auto samples = synthesis::keyedTone(text, plan);
        samples.resize(std::min(samples.size(), n));
        NoiseGenerator noise(79);
        for (double& s : samples) s += 0.5 * noise.gaussian();
        std::printf("| faint residue: keyed tone of peak 8 (16-bit units) | %zu |\n",
                    countCharacters(decode(samples, 0.0).text));
    }
}

void hardTable() {
    std::printf("| Condition | SNR | CER |\n|---|---|---|\n");
    const double snrs[] = {0.0, -6.0};
    for (double snr : snrs) {
        Tally hand, fading, neighbour, clicks;
        for (std::size_t i = 0; i < std::size(configs); ++i) {
            const std::string& text = bench::benchTexts[i % bench::benchTexts.size()];
            const KeyingPlan plan = planFor(configs[i]);
            NoiseGenerator noise(static_cast<std::uint64_t>(500 + i));
            {
                double total = 0.0;
                const auto timeline = synthesis::handSentTimeline(text, plan, 0.2, noise, &total);
                auto s = synthesis::renderTone(timeline, total, plan);
                synthesis::addNoise(s, plan.amplitude, snr, 6000, noise);
                const std::string heard = decode(s, 0.0).text;
                hand.add(text, heard);
                if (std::getenv("SHOW") && normalise(text) != normalise(heard))
                    std::printf("  [hand-sent, %g dB %g wpm %g Hz] %s\n", snr, configs[i].wpm, configs[i].toneHz,
                                heard.c_str());
            }
            {
                auto s = synthesis::keyedTone(text, plan);
                synthesis::applyFading(s, 10.0, 0.1, 6000);
                synthesis::addNoise(s, plan.amplitude, snr, 6000, noise);
                fading.add(text, decode(s, 0.0).text);
            }
            {
                auto s = synthesis::keyedTone(text, plan);
                KeyingPlan other = plan;
                other.toneHz = plan.toneHz + 100.0;
                other.wpm = plan.wpm * 1.3;
                auto o = synthesis::keyedTone(bench::benchTexts[(i + 2) % bench::benchTexts.size()], other);
                for (std::size_t k = 0; k < s.size() && k < o.size(); ++k) s[k] += o[k];
                synthesis::addNoise(s, plan.amplitude, snr, 6000, noise);
                const std::string heard = decode(s, configs[i].toneHz).text;
                neighbour.add(text, heard);
                if (std::getenv("SHOW") && normalise(text) != normalise(heard))
                    std::printf("  [second signal, %g dB %g wpm %g Hz] %s\n", snr, configs[i].wpm, configs[i].toneHz,
                                heard.c_str());
            }
            {
                auto s = synthesis::keyedTone(text, plan);
                synthesis::addNoise(s, plan.amplitude, snr, 6000, noise);
                synthesis::addImpulses(s, 30000.0, 5.0, 6000, noise);
                clicks.add(text, decode(s, 0.0).text);
            }
        }
        const int db = static_cast<int>(snr);
        std::printf("| hand-sent, element and gap lengths +-20 %% | %d | %.2f %% |\n", db, hand.percent());
        std::printf("| slow fading, 10 s period, down to -20 dB | %d | %.2f %% |\n", db, fading.percent());
        std::printf("| second signal 100 Hz above, same level, 1.3x speed (tone hint) | %d | %.2f %% |\n", db,
                    neighbour.percent());
        std::printf("| impulse noise, 5 clicks/s at 30000 | %d | %.2f %% |\n", db, clicks.percent());
        std::fflush(stdout);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "all";
    if (mode == "quick") snrTable(true);
    if (mode == "delay") snrTable(false, true);
    if (mode == "snr" || mode == "all") snrTable(false);
    if (mode == "quiet" || mode == "all") quietTable(10.0);
    if (mode == "quickquiet") quietTable(2.0);
    if (mode == "hard" || mode == "all") hardTable();
    auto printDelays = [](const char* what, std::vector<double>& delays) {
        if (delays.empty()) return;
        std::sort(delays.begin(), delays.end());
        std::printf(
            "\nDelay from the end of a character to its output, %s (clean set, %zu characters): median %.0f "
            "ms, 95 %% %.0f ms, max %.0f ms\n",
            what, delays.size(), delays[delays.size() / 2], delays[delays.size() * 95 / 100], delays.back());
    };
    printDelays("decoded as they came", delaysMs);
    printDelays("decoded from the buffer when the tone was found", catchUpDelaysMs);
    std::printf("Real-time factor (decoding only, CPU time of one core): %.0fx over %.0f s of audio\n",
                audioSeconds / decodeSeconds, audioSeconds);
    return 0;
}
