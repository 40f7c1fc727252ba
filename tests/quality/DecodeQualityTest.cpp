// A floor under decode quality: known text from our own keyer, in seeded
// white noise at a fixed SNR, through each receiver, with the character
// error rate held under a bound. Both receivers fall off a cliff as the SNR
// drops (no errors to half the text lost within 2 to 3 dB), so the bounds
// sit part of the way down that cliff: a change costing about 3 dB of
// sensitivity fails here instead of passing unnoticed, while the few
// characters that a different noise seed moves do not.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/BlockFeeder.h"
#include "analysis/KeyDetector.h"
#include "analysis/SpectrumBars.h"
#include "automatic/AutomaticReceiver.h"
#include "base/CaptureFormat.h"
#include "decoder/SpeedTiming.h"
#include "portable/AudioClock.h"
#include "station/StationState.h"
#include "support/EditDistance.h"
#include "support/KeyerAudio.h"
#include "synthesis/Families.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl {
namespace {

using testing::KeyerAudioPlan;

// QSO-like lines of our own, sent as one transmission of 193 characters:
// letters, figures and the punctuation operators use, so that patterns of
// five and six elements are scored along with the letters.
constexpr std::string_view qso[] = {
    "VK3RTY DE OH8KLM GM ES TNX FER QSO. UR 569 QSB, QTH OULU NR 65N.",
    "RIG 50W, ANT LOOP 3M UP. WX -12C SNOW ES WIND. QSL VIA BURO OK?",
    "VK3RTY 88 ES CUL AGN ON 14045 KHZ (SUN 0900Z) = 73 DE OH8KLM / P",
};

std::string transmission() {
    std::string text;
    for (std::string_view line : qso) {
        if (!text.empty()) text += ' ';
        text += line;
    }
    return text;
}

// A word space counts as one character however many blanks stand for it.
std::string collapseBlanks(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
        out += c;
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

struct Score {
    std::size_t errors;
    std::size_t characters;
    double rate() const { return static_cast<double>(errors) / static_cast<double>(characters); }
};

Score score(std::string_view sent, std::string_view decoded) {
    const std::string reference = collapseBlanks(sent);
    return {testing::editDistance(reference, collapseBlanks(decoded)), reference.size()};
}

std::vector<std::int16_t> noisyKeyerAudio(const KeyerAudioPlan& plan, double snrDb, std::uint64_t seed) {
    std::vector<double> samples = testing::keyerAudio(transmission(), plan);
    synthesis::NoiseGenerator noise(seed);
    synthesis::addNoise(samples, plan.amplitude, snrDb, captureFramesPerSecond, noise);
    return synthesis::toStereo16(samples);
}

// The window's receiver as ditdahl-decode runs it on a recording: the key
// detector and the element decoder through the block feeder, on a clock that
// moves with the audio, the receive speed set to the sender's.
struct WindowReceiver {
    WindowReceiver(int filterHz, int toneButton, int wpm) {
        state.clock = &clock;
        buildMorseTable(state.morseTable);
        state.barRange = 32768;
        state.filterWidth = filterHz;
        state.fftSize = fftSizeForFilter(filterHz);
        state.thresholdPercent = 50.0;
        state.txSpeedWpm = wpm;
        applyTxSpeedToReceive(state);
        selectTone(state, 50 * toneButton);
        state.receivedTextObserver = [this](std::string_view piece) { decoded += piece; };
    }
    // Taken from the station rather than worked out again here, so that the
    // tone lands on whatever bin the button really watches.
    double watchedHz() const { return state.toneBin * static_cast<double>(captureFramesPerSecond) / state.fftSize; }
    std::string decode(const std::vector<std::int16_t>& stereo) {
        feeder.feed(stereo.data(), stereo.size() / 2);
        feeder.finish();
        return decoded;
    }

    AudioClock clock;
    StationState state;
    KeyDetector detector;
    BlockFeeder feeder{state, detector, clock};
    std::string decoded;
};

struct TextOnly : automatic::ReceiverListener {
    std::string decoded;
    void text(std::string_view piece) override { decoded += piece; }
    void speed(double, double) override {}
    void tone(double) override {}
};

// Told nothing, so the tone, the speed and the levels must come from the
// audio alone; fed in 64-frame blocks, as capture delivers them.
std::string automaticDecode(const std::vector<std::int16_t>& stereo) {
    MorseTable table;
    buildMorseTable(table);
    TextOnly out;
    automatic::AutomaticReceiver receiver(table, out);
    const std::size_t frames = stereo.size() / 2;
    for (std::size_t f = 0; f < frames; f += 64) {
        receiver.pushStereo(stereo.data() + 2 * f, std::min<std::size_t>(64, frames - f));
    }
    receiver.finish();
    return out.decoded;
}

// Each filter is run a few dB above where it starts to lose characters: the
// 100 Hz filter at +5 dB, the 50 Hz filter, 3 to 4 dB more sensitive on its
// bin, at +1 dB. Every case then decodes without an error, on these seeds and
// on nine other sets, and a change that costs 3 dB takes each past the bound
// (the 100 Hz filter to about half the text, the 50 Hz filter to 4 to 21 %).
TEST(DecodeQuality, WindowReceiverWithTheToneOnItsBin) {
    constexpr double maxCer = 0.10;
    struct Case {
        int filterHz;
        int toneButton;
        int wpm;
        double snrDb;
        std::uint64_t seed;
    };
    const Case cases[] = {
        {50, 11, 15, 1.0, 101}, {50, 16, 20, 1.0, 102}, {100, 11, 20, 5.0, 103}, {100, 14, 25, 5.0, 104}};
    const std::string sent = transmission();
    for (const Case& c : cases) {
        WindowReceiver receiver(c.filterHz, c.toneButton, c.wpm);
        const KeyerAudioPlan plan{.wpm = c.wpm, .toneHz = receiver.watchedHz()};
        const std::string decoded = receiver.decode(noisyKeyerAudio(plan, c.snrDb, c.seed));
        const Score s = score(sent, decoded);
        EXPECT_LE(s.rate(), maxCer) << c.filterHz << " Hz filter, button " << c.toneButton << " (" << plan.toneHz
                                    << " Hz), " << c.wpm << " wpm: " << s.errors << " errors in " << s.characters
                                    << ": \"" << decoded << "\"";
    }
}

// At -6 dB these seeds give no error at all; nine other sets give up to
// 1.6 % in a 28 wpm case and 0.4 % over the table. 3 dB lower the table
// loses 4.7 % or more on every set and a 28 wpm case 7 % or more; the slow
// cases barely move, which is why the whole table is held as well as each
// case.
TEST(DecodeQuality, AutomaticReceiverOffTheBarGrid) {
    constexpr double snrDb = -6.0;
    constexpr double maxCaseCer = 0.06;
    constexpr double maxTotalCer = 0.02;
    struct Case {
        int wpm;
        double toneHz;
        std::uint64_t seed;
    };
    const Case cases[] = {{12, 613.0, 201},  {20, 613.0, 202},  {28, 613.0, 203},
                          {12, 1043.0, 204}, {20, 1043.0, 205}, {28, 1043.0, 206}};
    const std::string sent = transmission();
    Score total{0, 0};
    for (const Case& c : cases) {
        // Noise on either side, as on a band: the tone has to be found in it
        // and let go again.
        const KeyerAudioPlan plan{.wpm = c.wpm, .toneHz = c.toneHz, .leadInMs = 2000, .tailMs = 3000};
        const std::string decoded = automaticDecode(noisyKeyerAudio(plan, snrDb, c.seed));
        const Score s = score(sent, decoded);
        EXPECT_LE(s.rate(), maxCaseCer) << c.wpm << " wpm, " << c.toneHz << " Hz: " << s.errors << " errors in "
                                        << s.characters << ": \"" << decoded << "\"";
        total.errors += s.errors;
        total.characters += s.characters;
    }
    EXPECT_LE(total.rate(), maxTotalCer) << total.errors << " errors in " << total.characters;
}

// Two of the real-band families, each line of the QSO a signal of its own
// with the family's draws from the seed: slow fading 10-25 dB deep at
// +3 dB in the middle of the fade (4.5 % on these seeds, most of it in
// troughs too deep to copy; 9.3 % 3 dB lower), and
// weighted keying at -6 dB (0.7 %; 4.6 % 3 dB lower).
TEST(DecodeQuality, AutomaticReceiverOnFadingAndWeightedKeying) {
    struct Case {
        std::string_view family;
        double snrDb;
        double maxCer;
    };
    const Case cases[] = {{"fading", 3.0, 0.07}, {"weight", -6.0, 0.025}};
    const std::vector<std::string> lines(std::begin(qso), std::end(qso));
    for (const Case& c : cases) {
        const synthesis::Family* family = synthesis::familyNamed(c.family);
        ASSERT_NE(family, nullptr) << c.family;
        Score total{0, 0};
        for (std::uint64_t seed = 1; seed <= 12; ++seed) {
            const synthesis::TestSignal signal = synthesis::makeSignal(*family, seed, c.snrDb, lines);
            const Score s = score(signal.text, automaticDecode(synthesis::toStereo16(signal.samples)));
            total.errors += s.errors;
            total.characters += s.characters;
        }
        EXPECT_LE(total.rate(), c.maxCer)
            << c.family << " at " << c.snrDb << " dB: " << total.errors << " errors in " << total.characters;
    }
}

}  // namespace
}  // namespace ditdahl
