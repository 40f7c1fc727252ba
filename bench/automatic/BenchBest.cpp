// Measures the automatic receiver: character error rate against
// signal-to-noise ratio (white noise, SNR in 2500 Hz) on a synthesised set of
// texts, speeds and tones, with and without a tone hint; characters written
// on noise without a signal and on silence; harder signals; real-time factor
// on one core and the delay from the end of a character to its output; and
// the same receiver on the families of real-band signals (src/synthesis/
// Families.h).
// Usage: bench_best MODE, one of snr, quiet, hard, all (the default), quick,
// quickquiet, delay, families, familiesquick, keying, keyingbound,
// familybound, fastfade. "keying" measures steady weighted, shaped machine
// keying at every speed, "keyingbound" what an ideal element-by-element
// receiver copies of it, "familybound" the same of the family FAMILY names
// (fading without), "fastfade" slow senders through fast, deep fading.
// Prints Markdown; "quick" measures -6 and -9 dB only, "familiesquick" three
// SNRs on five seeds; with SHOW=1 in the environment each wrongly decoded
// text is printed, with SEED_OFFSET=n the SNR and family tables are measured
// on other seeds, with FAMILY=a,b only the families named, with SIGNAL=n
// and SNR=dB one signal of theirs (in the keying table: the n-th text, from
// 0), with WPM=a,b the keying table at those speeds instead.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "BenchTexts.h"
#include "ElementBound.h"
#include "automatic/AutomaticReceiver.h"
#include "base/MorseTable.h"
#include "support/EditDistance.h"
#include "synthesis/Families.h"
#include "synthesis/Impairments.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"
#include "synthesis/Scene.h"

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

// FAMILY=a,b in the environment measures only those families.
bool familyChosen(std::string_view name) {
    const char* chosen = std::getenv("FAMILY");
    if (!chosen) return true;
    const std::string list = std::string(",") + chosen + ",";
    return list.find("," + std::string(name) + ",") != std::string::npos;
}

// SIGNAL=n and SNR=dB in the environment measure only a family's n-th
// signal, at that SNR only: one wrong text, looked at alone.
bool signalChosen(int seed, double snr) {
    const char* signal = std::getenv("SIGNAL");
    const char* db = std::getenv("SNR");
    return (!signal || std::atoi(signal) == seed) && (!db || std::atof(db) == snr);
}

// WPM=a,b in the environment: the speeds to measure instead of these.
std::vector<double> speedsChosen(std::vector<double> speeds) {
    const char* chosen = std::getenv("WPM");
    if (!chosen) return speeds;
    speeds.clear();
    for (const char* p = chosen; *p;) {
        char* end = nullptr;
        const double wpm = std::strtod(p, &end);
        if (end == p) break;
        speeds.push_back(wpm);
        p = *end == ',' ? end + 1 : end;
    }
    return speeds;
}

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
    void add(const std::string& reference, const std::string& decoded, const std::vector<bool>& spared = {}) {
        errors += testing::editDistance(normalise(reference), normalise(decoded), spared);
        characters +=
            normalise(reference).size() - static_cast<std::size_t>(std::count(spared.begin(), spared.end(), true));
    }
    void add(std::size_t moreErrors, std::size_t moreCharacters) {
        errors += moreErrors;
        characters += moreCharacters;
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
const char* delaySet = "clean set";

// Only a text decoded exactly tells which output belongs to which character.
void recordDelays(const std::string& reference, const Decoded& d, const std::vector<double>& endsMs) {
    if (normalise(reference) != normalise(d.text)) return;
    for (std::size_t k = 0; k < endsMs.size() && k < d.charTimesMs.size(); ++k)
        (endsMs[k] > d.charTimesMs.front() ? delaysMs : catchUpDelaysMs).push_back(d.charTimesMs[k] - endsMs[k]);
}

KeyingPlan planFor(const Config& c) {
    KeyingPlan plan;
    plan.wpm = c.wpm;
    plan.toneHz = c.toneHz;
    plan.leadInMs = 2000.0;
    plan.tailMs = 3000.0;
    return plan;
}

// The clean set's signal i with the given noise seed at one SNR (above
// 99 dB: no noise), with or without the tone hint.
void measureConfig(std::size_t i, int seed, double snr, bool hint, Tally& tally) {
    const std::string& text = bench::benchTexts[i % bench::benchTexts.size()];
    const KeyingPlan plan = planFor(configs[i]);
    auto samples = synthesis::keyedTone(text, plan);
    NoiseGenerator noise(static_cast<std::uint64_t>(seed + seedOffset()) * 1000 + i * 7 + 1);
    if (snr < 99.0) synthesis::addNoise(samples, plan.amplitude, snr, 6000, noise);
    const Decoded d = decode(samples, hint ? configs[i].toneHz : 0.0);
    tally.add(text, d.text);
    if (std::getenv("SHOW") && normalise(text) != normalise(d.text))
        std::printf("  [%g dB %g wpm %g Hz hint %d] %s\n", snr, configs[i].wpm, configs[i].toneHz, hint ? 1 : 0,
                    d.text.c_str());
    if (snr > 99.0) recordDelays(text, d, synthesis::characterEndsMs(text, plan));
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
            for (int seed = 1; seed <= seeds; ++seed)
                for (std::size_t i = 0; i < std::size(configs); ++i)
                    measureConfig(i, seed, snr, hint != 0, tallies[hint]);
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

void showWrong(const std::string& reference, const std::string& decoded, const synthesis::TestSignal& signal,
               double snr, const char* how) {
    if (!std::getenv("SHOW") || normalise(reference) == normalise(decoded)) return;
    std::printf("  [%s, %+g dB%s]\n    sent: %s\n    read: %s\n", signal.parameters.c_str(), snr, how,
                reference.c_str(), decoded.c_str());
}

// The seed of a family's signal, moved by SEED_OFFSET.
std::uint64_t familySeed(int seed) {
    return static_cast<std::uint64_t>(seed) + static_cast<std::uint64_t>(seedOffset());
}

// A family's signals at every SNR: the wanted station's text, and for the
// neighbour the stronger station's without a hint (and that copy again,
// judged as one station's copy of two), for the beacon its own with the
// tone button nearest to it as the hint, for fading the wanted text with
// the characters faded too deep to copy spared.
struct FamilyTallies {
    std::vector<Tally> wanted;
    std::vector<Tally> second;
    std::vector<Tally> third;
};

// Errors in a copy of one station of two sending at once, where what was
// written of the other station before this one began or after it ended is
// no error: the copy is taken as a beginning of the other's text, this
// station's text, and an end of the other's, split where that costs least.
// The blank between this station's text and the other's belongs to neither.
std::size_t errorsCopyingOneOfTwo(const std::string& copied, const std::string& station, const std::string& other) {
    const std::size_t n = copied.size();
    const std::vector<std::size_t> before = testing::distancesToBeginnings(other, copied, {}, true);
    const std::vector<std::size_t> afterReversed = testing::distancesToBeginnings(
        std::string(other.rbegin(), other.rend()), std::string(copied.rbegin(), copied.rend()), {}, true);
    auto blankAt = [&](std::size_t i) { return i < n && copied[i] == ' '; };
    std::size_t least = std::numeric_limits<std::size_t>::max();
    for (std::size_t from = 0; from <= n; ++from) {
        // After some of the other's text, a blank before this station's.
        const std::size_t start = from > 0 && blankAt(from) ? from + 1 : from;
        const std::vector<std::size_t> middle =
            testing::distancesToBeginnings(station, copied.substr(start), {}, false);
        for (std::size_t j = 0; j < middle.size(); ++j) {
            const std::size_t end = start + j;
            std::size_t after = afterReversed[n - end];
            if (end + 1 < n && blankAt(end)) after = std::min(after, afterReversed[n - end - 1]);
            least = std::min(least, before[from] + middle[j] + after);
        }
    }
    return least;
}

// A neighbour this much louder stands out; closer in level, copying either
// station is right.
constexpr double clearlyStrongerDb = 3.0;

// Faded deeper than this under the noise, a character is not counted: a
// steady signal there is not copied cleanly either.
constexpr double copyableSnrDb = -6.0;

// The characters of a signal's text (as normalised) that reached the
// receiver weaker than copyableSnrDb; a blank next to one too.
std::vector<bool> fadedTooDeep(const synthesis::TestSignal& signal, double snr) {
    const std::string& text = signal.text;
    std::vector<bool> spared(text.size(), false);
    if (normalise(text) != text) return {};
    std::size_t character = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ' ' || character >= signal.characterLevelDb.size()) continue;
        spared[i] = snr + signal.characterLevelDb[character++] < copyableSnrDb;
    }
    for (std::size_t i = 1; i + 1 < text.size(); ++i)
        if (text[i] == ' ') spared[i] = spared[i - 1] || spared[i + 1];
    return spared;
}

// Under each character of a signal's text, how far it was faded under the
// noise: "+" over it, a digit for each dB under it, "#" for 10 dB and more.
std::string fadedLevels(const synthesis::TestSignal& signal, double snr) {
    std::string levels;
    std::size_t character = 0;
    for (char c : signal.text) {
        if (c == ' ' || character >= signal.characterLevelDb.size()) {
            levels += ' ';
            continue;
        }
        const double db = snr + signal.characterLevelDb[character++];
        levels += db >= 0.0 ? '+' : db > -10.0 ? static_cast<char>('0' + static_cast<int>(-db)) : '#';
    }
    return levels;
}

FamilyTallies measureFamily(const synthesis::Family& family, const std::vector<double>& snrs, int seeds) {
    const bool neighbour = family.name == "neighbour";
    const bool beacon = family.name == "beacon";
    const bool fading = family.name == "fading";
    FamilyTallies tallies{std::vector<Tally>(snrs.size()), std::vector<Tally>(snrs.size()),
                          std::vector<Tally>(snrs.size())};
    for (std::size_t k = 0; k < snrs.size(); ++k) {
        for (int seed = 1; seed <= seeds; ++seed) {
            if (!signalChosen(seed, snrs[k])) continue;
            const auto signal = synthesis::makeSignal(family, familySeed(seed), snrs[k], bench::familyTexts);
            const Decoded d = decode(signal.samples, neighbour ? signal.toneHz : 0.0);
            tallies.wanted[k].add(signal.text, d.text);
            showWrong(signal.text, d.text, signal, snrs[k], neighbour ? ", tone hint" : "");
            if (k == 0) recordDelays(signal.text, d, signal.characterEndsMs);
            if (neighbour) {
                const Decoded unhinted = decode(signal.samples, 0.0);
                tallies.second[k].add(signal.otherText, unhinted.text);
                showWrong(signal.otherText, unhinted.text, signal, snrs[k], ", no hint, against the stronger");
                const std::string copied = normalise(unhinted.text);
                const std::string stronger = normalise(signal.otherText);
                const std::string wanted = normalise(signal.text);
                const std::size_t onStronger = errorsCopyingOneOfTwo(copied, stronger, wanted);
                const std::size_t onWanted = errorsCopyingOneOfTwo(copied, wanted, stronger);
                if (signal.otherLouderDb >= clearlyStrongerDb || onStronger <= onWanted) {
                    tallies.third[k].add(onStronger, stronger.size());
                } else {
                    tallies.third[k].add(onWanted, wanted.size());
                }
            } else if (fading) {
                tallies.second[k].add(signal.text, d.text, fadedTooDeep(signal, snrs[k]));
                if (std::getenv("SHOW") && normalise(signal.text) != normalise(d.text))
                    std::printf("    level %s\n", fadedLevels(signal, snrs[k]).c_str());
            } else if (beacon) {
                // The window hints with the tone button over the signal.
                const Decoded hinted = decode(signal.samples, 50.0 * std::round(signal.toneHz / 50.0));
                tallies.second[k].add(signal.text, hinted.text);
                showWrong(signal.text, hinted.text, signal, snrs[k], ", tone hint on the button");
            }
        }
    }
    return tallies;
}

// What each family's channel makes of noise without a signal: noise as loud
// as at 0 dB; the AGC lifts it further in the gaps.
void silentTable(int seeds) {
    using synthesis::Content;
    const Content contents[] = {Content::WhiteNoise, Content::Silence, Content::FilteredNoise, Content::PumpedNoise};
    double seconds = 0.0;
    std::printf(
        "\n| Family, stations silent | white noise | digital silence | noise through 250 Hz on the tone | noise "
        "pumped by an AGC in the keying's gaps |\n|---|---|---|---|---|\n");
    for (const synthesis::Family& family : synthesis::signalFamilies()) {
        if (!familyChosen(family.name)) continue;
        std::size_t written[std::size(contents)] = {};
        for (int seed = 1; seed <= seeds; ++seed) {
            for (std::size_t c = 0; c < std::size(contents); ++c) {
                const auto signal =
                    synthesis::makeSignal(family, familySeed(seed), 0.0, bench::familyTexts, contents[c]);
                const std::string heard = decode(signal.samples, 0.0).text;
                written[c] += countCharacters(heard);
                if (c == 0) seconds += static_cast<double>(signal.samples.size()) / 6000.0;
                if (std::getenv("SHOW") && !heard.empty())
                    std::printf("  [%s, silent, input %zu] %s\n", signal.parameters.c_str(), c, heard.c_str());
            }
        }
        std::printf("| %.*s | %zu | %zu | %zu | %zu |\n", static_cast<int>(family.name.size()), family.name.data(),
                    written[0], written[1], written[2], written[3]);
        std::fflush(stdout);
    }
    std::printf("\nCharacters written; %.0f s of each input in all.\n", seconds);
}

// Every family at every SNR over several seeds (the same seeds at every
// SNR, so a column differs from the next in the noise level only; twenty
// seeds take each of the ten texts twice, with other draws); the
// neighbour once with the tone hint on the wanted station and once without
// (the stronger one is then what a receiver should follow), the beacon once
// without a hint and once with the tone button nearest to it; then what each
// family's channel makes of noise without a signal.
void familiesTable(bool quick) {
    const std::vector<double> snrs =
        quick ? std::vector<double>{10.0, 0.0, -6.0} : std::vector<double>{10.0, 3.0, 0.0, -3.0, -6.0, -9.0};
    const int seeds = quick ? 5 : 20;
    delaySet = "families at the highest SNR, texts decoded exactly";

    std::printf("| Family | drawn from the seed |\n|---|---|\n");
    for (const synthesis::Family& family : synthesis::signalFamilies())
        std::printf("| %.*s | %.*s |\n", static_cast<int>(family.name.size()), family.name.data(),
                    static_cast<int>(family.ranges.size()), family.ranges.data());

    std::printf("\n| Family |");
    for (double snr : snrs) std::printf(" %+g dB |", snr);
    std::printf(" characters |\n|---|");
    for (std::size_t k = 0; k <= snrs.size(); ++k) std::printf("---|");
    std::printf("\n");
    auto printRow = [&](const std::string& name, const std::vector<Tally>& tallies) {
        std::printf("| %s |", name.c_str());
        // Where characters are spared, each column counts its own.
        for (const Tally& t : tallies)
            if (t.characters == tallies.front().characters) {
                std::printf(" %.1f %% |", t.percent());
            } else {
                std::printf(" %.1f %% of %zu |", t.percent(), t.characters);
            }
        std::printf(" %zu |\n", tallies.front().characters);
        std::fflush(stdout);
    };
    for (const synthesis::Family& family : synthesis::signalFamilies()) {
        if (!familyChosen(family.name)) continue;
        const FamilyTallies tallies = measureFamily(family, snrs, seeds);
        const std::string name(family.name);
        if (family.name == "neighbour") {
            printRow(name + ", tone hint on the wanted station", tallies.wanted);
            printRow(name + ", no hint, against the stronger station", tallies.second);
            printRow(name +
                         ", no hint, against the station 3 dB stronger (either, closer in level); the other's text "
                         "before or after it not counted",
                     tallies.third);
        } else if (family.name == "beacon") {
            printRow(name + ", no hint", tallies.wanted);
            printRow(name + ", tone hint on the nearest 50 Hz button", tallies.second);
        } else if (family.name == "fading") {
            printRow(name, tallies.wanted);
            printRow(name + ", characters faded more than 6 dB under the noise spared", tallies.second);
        } else {
            printRow(name, tallies.wanted);
        }
    }
    silentTable(seeds);
}

}  // namespace

std::string readIdeally(const synthesis::Scene& scene, const synthesis::TestSignal& signal, double wpm,
                        std::uint64_t seed) {
    MorseTable table;
    buildMorseTable(table);
    const auto clean = synthesis::renderScene(scene, 300.0, synthesis::Content::Keyed, seed);
    return bench::readByElements(signal.samples, clean.samples, signal.keyed, signal.toneHz, 1200.0 / wpm, table);
}

// What the ideal element-by-element receiver reads of one family's signals
// (those of a single station whose text is the one sent), as the family
// table measures the receiver.
void familyBoundTable(const char* name) {
    const synthesis::Family* family = synthesis::familyNamed(name);
    if (!family) {
        std::fprintf(stderr, "bench_best: no family named \"%s\"\n", name);
        std::exit(2);
    }
    MorseTable table;
    buildMorseTable(table);
    const double snrs[] = {10.0, 3.0, 0.0, -3.0, -6.0, -9.0};
    std::printf("| Family, ideal element-by-element receiver |");
    for (double snr : snrs) std::printf(" %+g dB |", snr);
    std::printf("\n|---|---|---|---|---|---|---|\n| %s |", name);
    for (double snr : snrs) {
        Tally tally;
        for (int seed = 1; seed <= 20; ++seed) {
            const auto signal = synthesis::makeSignal(*family, familySeed(seed), snr, bench::familyTexts);
            const auto clean = synthesis::makeSignal(*family, familySeed(seed), 300.0, bench::familyTexts);
            double dotMs = 1e9;
            for (const auto& k : signal.keyed) dotMs = std::min(dotMs, 1000.0 * (k.end - k.start));
            tally.add(signal.text,
                      bench::readByElements(signal.samples, clean.samples, signal.keyed, signal.toneHz, dotMs, table));
        }
        std::printf(" %.1f %% |", tally.percent());
        std::fflush(stdout);
    }
    std::printf("\n");
}

// Steady machine keying as another keyer sends it: marks 15 % longer than
// the gaps after them, 5 ms raised-cosine edges; every speed from 10 to 35
// wpm, each over all the family texts with its own noise. With bound, what
// the ideal element-by-element receiver reads from the same signals.
void keyingTable(bool bound) {
    const std::vector<double> speeds = speedsChosen({10.0, 15.0, 20.0, 25.0, 30.0, 35.0});
    const double snrs[] = {0.0, -3.0, -6.0, -9.0};
    std::printf("| wpm |");
    for (double snr : snrs) std::printf(" %+g dB |", snr);
    std::printf(" characters |\n|---|---|---|---|---|---|\n");
    for (double wpm : speeds) {
        std::printf("| %g |", wpm);
        std::size_t characters = 0;
        for (double snr : snrs) {
            Tally tally;
            for (std::size_t t = 0; t < bench::familyTexts.size(); ++t) {
                if (!signalChosen(static_cast<int>(t), snr)) continue;
                synthesis::Scene scene;
                scene.stations.push_back(
                    synthesis::steadyKeyer(bench::familyTexts[t], wpm, 450.0 + 70.0 * static_cast<double>(t)));
                const auto seed = static_cast<std::uint64_t>(900 + 10 * t + seedOffset());
                const auto signal = synthesis::renderScene(scene, snr, synthesis::Content::Keyed, seed);
                const std::string heard =
                    bound ? readIdeally(scene, signal, wpm, seed) : decode(signal.samples, 0.0).text;
                tally.add(signal.text, heard);
                if (std::getenv("SHOW") && normalise(signal.text) != normalise(heard))
                    std::printf("\n  [%g wpm %+g dB] %s\n", wpm, snr, heard.c_str());
            }
            characters = tally.characters;
            std::printf(" %.2f %% |", tally.percent());
            std::fflush(stdout);
        }
        std::printf(" %zu |\n", characters);
    }
}

// Fast, deep fading at slow and middle speeds: a fade 20 dB deep every 4 to
// 6 s moves the level by up to 15 dB a second, a few dB within one letter
// of a slow sender. The SNR is quoted at the fade's peak (its trough 20 dB
// under it); each cell over every family text at four phases of the fade.
void fastFadeTable() {
    const double periods[] = {4.2, 6.0};
    const double speeds[] = {12.0, 15.0, 18.0};
    const double peakSnrs[] = {18.0, 14.0};
    std::printf("| wpm | fade period |");
    for (double snr : peakSnrs) std::printf(" %+g dB at the peak |", snr);
    std::printf(" characters |\n|---|---|---|---|---|\n");
    for (double wpm : speeds) {
        for (double period : periods) {
            std::printf("| %g | %g s |", wpm, period);
            std::size_t characters = 0;
            for (double snr : peakSnrs) {
                Tally tally;
                for (std::size_t t = 0; t < bench::familyTexts.size(); ++t) {
                    for (int phase = 0; phase < 4; ++phase) {
                        KeyingPlan plan;
                        plan.wpm = wpm;
                        plan.toneHz = 450.0 + 70.0 * static_cast<double>(t);
                        plan.leadInMs = 2000.0;
                        plan.tailMs = 3000.0;
                        const std::string& text = bench::familyTexts[t];
                        auto samples = synthesis::keyedTone(text, plan);
                        synthesis::applyFadeDb(samples, period, 20.0, 1.5 * phase);
                        NoiseGenerator noise(static_cast<std::uint64_t>(700 + 10 * t + phase + seedOffset()));
                        synthesis::addNoise(samples, plan.amplitude, snr, 6000, noise);
                        const std::string heard = decode(samples, 0.0).text;
                        tally.add(text, heard);
                        if (std::getenv("SHOW") && normalise(text) != normalise(heard))
                            std::printf("\n  [%g wpm, %g s, phase %g, %+g dB] %s\n", wpm, period, 1.5 * phase, snr,
                                        heard.c_str());
                    }
                }
                characters = tally.characters;
                std::printf(" %.1f %% |", tally.percent());
                std::fflush(stdout);
            }
            std::printf(" %zu |\n", characters);
        }
    }
}

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "all";
    if (mode == "quick") snrTable(true);
    if (mode == "delay") snrTable(false, true);
    if (mode == "snr" || mode == "all") snrTable(false);
    if (mode == "quiet" || mode == "all") quietTable(10.0);
    if (mode == "quickquiet") quietTable(2.0);
    if (mode == "hard" || mode == "all") hardTable();
    if (mode == "keying") keyingTable(false);
    if (mode == "keyingbound") keyingTable(true);
    if (mode == "familybound") familyBoundTable(std::getenv("FAMILY") ? std::getenv("FAMILY") : "fading");
    if (mode == "fastfade") fastFadeTable();
    if (mode == "families") familiesTable(false);
    if (mode == "familiesquick") familiesTable(true);
    auto printDelays = [](const char* what, std::vector<double>& delays) {
        if (delays.empty()) return;
        std::sort(delays.begin(), delays.end());
        std::printf(
            "\nDelay from the end of a character to its output, %s (%s, %zu characters): median %.0f "
            "ms, 95 %% %.0f ms, max %.0f ms\n",
            what, delaySet, delays.size(), delays[delays.size() / 2], delays[delays.size() * 95 / 100], delays.back());
    };
    printDelays("decoded as they came", delaysMs);
    printDelays("decoded from the buffer when the tone was found", catchUpDelaysMs);
    if (audioSeconds > 0.0)
        std::printf("Real-time factor (decoding only, CPU time of one core): %.0fx over %.0f s of audio\n",
                    audioSeconds / decodeSeconds, audioSeconds);
    return 0;
}
