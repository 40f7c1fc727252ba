// Both receivers on any audio: the window's key detector (with its block
// size, threshold, watched bin and bar range drawn from the bytes) and the
// automatic receiver (with its tone and speed hints drawn from the bytes),
// each fed the rest of the bytes as 6000 frames/s stereo samples. The audio
// is the one input nobody controls: a band full of noise, a splattering
// neighbour or a broken sound card must give text or nothing, never a crash.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>
#include <limits>
#include <string>
#include <vector>

#include "Support.h"
#include "analysis/KeyDetector.h"
#include "automatic/AutomaticReceiver.h"
#include "automatic/ReceiverListener.h"
#include "base/MorseTable.h"
#include "portable/ManualClock.h"
#include "station/StationState.h"
#include "traffic/TrafficRecord.h"

using namespace ditdahl;

namespace {

bool isTableText(const MorseTable& table, std::string_view text) {
    if (text == " " || text == "#") return true;
    for (int code = 1; code < 256; ++code) {
        const auto c = static_cast<unsigned char>(code);
        if (!table.pattern(c).empty() && expandCharacter(c) == text) return true;
    }
    return false;
}

// --- the key detector ----------------------------------------------------

struct DetectorWatcher final : SpectrumDisplay, LineDisplay {
    const StationState* state = nullptr;
    void showLevel(int bar, int level) override {
        fuzz::require(bar >= 1 && bar <= 32, "a level shown on a bar that does not exist");
        const int range = state->barRange;
        fuzz::require(level >= std::min(0, range) && level <= std::max(0, range), "a level outside the bar's range");
    }
    void showPattern(std::string_view pattern) override {
        fuzz::require(pattern.find_first_not_of(".-") == std::string_view::npos, "a pattern holds more than . and -");
    }
};

void fuzzKeyDetector(FuzzedDataProvider& bytes) {
    ManualClock clock(bytes.ConsumeIntegral<std::uint32_t>());
    StationState state;
    state.clock = &clock;
    buildMorseTable(state.morseTable);
    DetectorWatcher watcher;
    watcher.state = &state;
    state.displays.spectrum = &watcher;
    state.displays.line = &watcher;
    state.receivedTextObserver = [&state](std::string_view text) {
        fuzz::require(isTableText(state.morseTable, text), "the decoder wrote something the table does not expand to");
    };

    static constexpr int sizes[] = {16, 32, 64, 128};
    state.fftSize =
        bytes.ConsumeBool() ? sizes[bytes.ConsumeIntegralInRange(0, 3)] : bytes.ConsumeIntegralInRange(-8, 300);
    state.filterWidth = bytes.PickValueInArray({50, 100, 0});
    // The settings file stores the threshold as an unsigned number.
    state.thresholdPercent = bytes.ConsumeBool() ? bytes.ConsumeIntegralInRange(0, 100)
                                                 : static_cast<double>(bytes.ConsumeIntegral<std::uint32_t>());
    state.toneBin = bytes.ConsumeIntegralInRange(-2, 70);
    state.barRange = bytes.ConsumeBool() ? 32768 : bytes.ConsumeIntegral<int>();
    state.dotMs = bytes.ConsumeIntegralInRange(0, 2000);
    state.dashMs = bytes.ConsumeBool() ? 3 * state.dotMs : bytes.ConsumeIntegral<int>();
    state.autoRxSpeed = bytes.ConsumeBool();
    state.speedSensing = bytes.ConsumeBool();

    KeyDetector detector;
    const std::vector<std::uint8_t> audio = bytes.ConsumeRemainingBytes<std::uint8_t>();
    // Exactly one block's frames, so that a read past them is caught.
    const auto frames = static_cast<std::size_t>(std::clamp(state.fftSize.load(), 1, 4096));
    const double blockMs = blockMilliseconds(state.fftSize);
    std::vector<std::int16_t> block(2 * frames);
    const std::size_t blockBytes = block.size() * sizeof(std::int16_t);
    double elapsedMs = 0.0;
    for (std::size_t at = 0; at < audio.size(); at += blockBytes) {
        std::fill(block.begin(), block.end(), 0);
        std::memcpy(block.data(), audio.data() + at, std::min(blockBytes, audio.size() - at));
        const double before = elapsedMs;
        elapsedMs += blockMs;
        clock.advance(static_cast<std::uint32_t>(elapsedMs) - static_cast<std::uint32_t>(before));
        analyseBlock(state, detector, block.data());
        fuzz::require(detector.runBlocks >= 0, "a run of a negative number of blocks");
    }
}

// --- the automatic receiver ----------------------------------------------

// The automatic receiver writes what it has decided in one piece: letters
// of the table (an expansion such as "SOS" is letters of the table too),
// '#' for a pattern it does not know, and single blanks between words.
struct AutomaticWatcher final : automatic::ReceiverListener {
    const MorseTable* table = nullptr;
    bool lastWasBlank = true;
    void text(std::string_view decoded) override {
        fuzz::require(!decoded.empty(), "an empty piece of text");
        for (char c : decoded) {
            const bool blank = c == ' ';
            fuzz::require(blank || c == '#' || !table->pattern(static_cast<unsigned char>(c)).empty(),
                          "the automatic receiver wrote what the table does not hold");
            fuzz::require(!(blank && lastWasBlank), "two blanks in a row, or a blank first");
            lastWasBlank = blank;
        }
    }
    void speed(double wpm, double dotMs) override {
        fuzz::require(std::isfinite(wpm) && std::isfinite(dotMs) && wpm > 0.0 && dotMs > 0.0,
                      "a speed that is not a positive number");
        fuzz::require(std::abs(wpm * dotMs - 1200.0) < 1e-6 * 1200.0, "a speed that does not match its dot");
    }
    void tone(double toneHz) override {
        fuzz::require(std::isfinite(toneHz) && toneHz >= 0.0 && toneHz <= 3000.0, "a tone beyond the audio band");
    }
};

// A hint: usually one the program gives (a tone button's frequency, a speed
// it knows), sometimes any number at all.
double drawHint(FuzzedDataProvider& bytes, int highest) {
    switch (bytes.ConsumeIntegralInRange(0, 3)) {
        case 0:
            return 0.0;
        case 1:
            return bytes.ConsumeIntegralInRange(0, highest);
        case 2:
            return bytes.ConsumeFloatingPointInRange(-1e6, 1e6);
        default:
            return bytes.PickValueInArray(
                {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                 std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::denorm_min(), 1e300});
    }
}

void fuzzAutomatic(FuzzedDataProvider& bytes) {
    MorseTable table;
    buildMorseTable(table);
    AutomaticWatcher watcher;
    watcher.table = &table;
    automatic::AutomaticReceiver receiver(table, watcher);
    receiver.setToneHint(drawHint(bytes, 1600));
    receiver.setSpeedHint(drawHint(bytes, 60));
    const auto piece = bytes.ConsumeIntegralInRange<std::size_t>(1, 2048);

    const std::vector<std::uint8_t> audio = bytes.ConsumeRemainingBytes<std::uint8_t>();
    const std::size_t frames = audio.size() / 4;
    std::vector<std::int16_t> samples(2 * frames);
    if (frames > 0) std::memcpy(samples.data(), audio.data(), samples.size() * sizeof(std::int16_t));
    for (std::size_t at = 0; at < frames; at += piece) {
        const std::size_t n = std::min(piece, frames - at);
        // A copy of just this piece, so that a read past it is caught.
        const std::vector<std::int16_t> block(samples.begin() + 2 * at, samples.begin() + 2 * (at + n));
        receiver.pushStereo(block.data(), n);
    }
    receiver.finish();
    fuzz::require(std::abs(receiver.nowMs() - frames * 1000.0 / 6000.0) < 1e-6,
                  "the receiver's time is not the audio's");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The settings come from the end of the bytes, the audio from the front,
    // so that a recording with a few bytes after it is a good seed.
    FuzzedDataProvider bytes(data, size);
    if (bytes.ConsumeBool()) {
        fuzzAutomatic(bytes);
    } else {
        fuzzKeyDetector(bytes);
    }
    return 0;
}
