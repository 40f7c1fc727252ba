// ditdahl-encode: keys text through the program's own keyer onto a line that
// renders the keyed tone, and writes the audio as a WAV file. The keyer runs
// on a manual clock, so an hour of Morse is rendered in moments.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "EncodeOptions.h"
#include "portable/ManualClock.h"
#include "portable/ToneKeyLine.h"
#include "sndfile/WavWriter.h"
#include "station/StationState.h"
#include "synthesis/Noise.h"
#include "transmit/ByteFile.h"
#include "transmit/Keyer.h"

namespace ditdahl::encode {
namespace {

constexpr double toneLevel = 0.5;  // -6 dB of full scale, room for noise
constexpr double edgeMs = 4.0;
constexpr std::uint32_t leadInMs = 500;
// After the last character, the closing 9 dots that a transmission ends with
// and one more second, so that a receiver sees the text end.
constexpr std::uint32_t tailMs = 1000;

// Turns the line's mono samples into noisy stereo frames for the writer.
class Output {
public:
    Output(WavWriter& writer, const EncodeOptions& options) : writer_(writer) {
        // White noise from a fixed seed, the same on every machine.
        if (options.noiseSnrDb)
            noiseDeviation_ = synthesis::noiseDeviation(toneLevel, *options.noiseSnrDb, options.sampleRate);
    }
    bool put(const std::vector<float>& samples) {
        frames_.clear();
        for (const float sample : samples) {
            const auto value =
                static_cast<float>(sample + noiseDeviation_ * (noiseDeviation_ > 0 ? noise_.gaussian() : 0.0));
            frames_.push_back(value);
            frames_.push_back(value);
        }
        return writer_.write(frames_);
    }

private:
    WavWriter& writer_;
    synthesis::NoiseGenerator noise_;
    double noiseDeviation_ = 0.0;
    std::vector<float> frames_;
};

bool readText(const EncodeOptions& options, std::string& text, std::string& error) {
    if (options.haveText) {
        text = options.text;
        return true;
    }
    if (!options.textFile.empty()) {
        auto file = ByteFile::open(options.textFile);
        if (!file) {
            error = "cannot read the text file " + options.textFile;
            return false;
        }
        while (const auto c = file->next()) text += static_cast<char>(*c);
        return true;
    }
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    return true;
}

int run(const EncodeOptions& options) {
    std::string text, error;
    if (!readText(options, text, error)) {
        std::cerr << "ditdahl-encode: " << error << "\n";
        return 1;
    }
    auto writer = WavWriter::create(options.output, options.sampleRate, 2, error);
    if (!writer) {
        std::cerr << "ditdahl-encode: cannot write " << options.output << ": " << error << "\n";
        return 1;
    }

    ManualClock clock(0);
    StationState state;
    state.clock = &clock;
    buildMorseTable(state.morseTable);
    state.txSpeedWpm = options.speedWpm;
    state.pttOnDtr = true;
    auto line = std::make_shared<ToneKeyLine>(clock, ToneShape{options.toneHz, toneLevel, options.sampleRate, edgeMs});
    state.pttPort.set(line);
    Output output(*writer, options);

    SendingPace pace(clock);
    pace.wait(leadInMs);
    bool written = output.put(line->takeSamples());
    for (const char c : text) {
        keyCharacter(state, static_cast<unsigned char>(c), pace);
        pace.wait(static_cast<std::uint32_t>(options.delayMs));
        written = written && output.put(line->takeSamples());
    }
    pace.wait(static_cast<std::uint32_t>(currentKeyTiming(state).pauseMs) + tailMs);
    written = written && output.put(line->takeSamples());
    if (!writer->finish(error) || !written) {
        std::cerr << "ditdahl-encode: cannot write " << options.output << ": "
                  << (error.empty() ? "write failed" : error) << "\n";
        return 1;
    }
    return 0;
}

}  // namespace
}  // namespace ditdahl::encode

int main(int argc, char** argv) {
    using namespace ditdahl::encode;
    const ParsedCommandLine parsed = parseEncodeCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::cerr << "ditdahl-encode: " << parsed.error << "\nTry 'ditdahl-encode --help'.\n";
        return 2;
    }
    if (parsed.showHelp) {
        std::cout << encodeUsage;
        return 0;
    }
    if (parsed.showVersion) {
        std::cout << "ditdahl-encode " DITDAHL_VERSION "\n";
        return 0;
    }
    return run(parsed.options);
}
