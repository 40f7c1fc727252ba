// ditdahl-decode: decodes the Morse code in a recording through the very same
// key detector and decoder as the desktop program, with a clock that moves on
// with the audio, and prints the text as it is decoded. One thread.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BandOutput.h"
#include "DecodeOptions.h"
#include "LiveInput.h"
#include "ToolStation.h"
#include "analysis/BlockFeeder.h"
#include "automatic/AutomaticReceiver.h"
#include "automatic/StationOutput.h"
#include "portable/AudioClock.h"
#include "sndfile/AudioFileReader.h"
#include "station/StationState.h"

using namespace ditdahl;

namespace {

constexpr std::size_t readFrames = 4096;

long long nowUtcMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The recording's start: given, or its modification time less its length.
long long recordingStartUtcMs(const decode::DecodeOptions& options, const AudioFileReader& reader) {
    if (options.startUtcMs) return *options.startUtcMs;
    if (options.input == "-") return nowUtcMs();
    std::error_code error;
    const auto modified = std::filesystem::last_write_time(options.input, error);
    if (error) return nowUtcMs();
    const auto modifiedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::file_clock::to_sys(modified).time_since_epoch())
                                .count();
    const double lengthSeconds = reader.durationSeconds();
    return modifiedMs - (lengthSeconds > 0 ? static_cast<long long>(lengthSeconds * 1000.0) : 0);
}

// Every signal of the band, a line per stretch of each one's text, or the
// calls heard.
int decodeBand(const decode::DecodeOptions& options, AudioFileReader& reader) {
    bool failed = false;
    const auto server = decode::openSpotServer(options, failed);
    if (failed) return 1;
    MorseTable table;
    buildMorseTable(table);
    decode::BandOutput output(table, decode::bandPrinting(options, recordingStartUtcMs(options, reader), server.get()));
    std::vector<std::int16_t> frames(2 * readFrames);
    while (const std::size_t got = reader.read(frames.data(), readFrames)) output.pushStereo(frames.data(), got);
    output.finish();
    if (reader.error().empty()) return 0;
    std::fprintf(stderr, "ditdahl-decode: reading stopped early: %s\n", reader.error().c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const decode::ParsedCommandLine command =
        decode::parseDecodeCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (command.showHelp) {
        std::fputs(decode::decodeUsage, stdout);
        return 0;
    }
    if (command.showVersion) {
        std::printf("ditdahl-decode %s\n", DITDAHL_VERSION);
        return 0;
    }
    if (!command.error.empty()) {
        std::fprintf(stderr, "ditdahl-decode: %s\nTry 'ditdahl-decode --help' for more information.\n",
                     command.error.c_str());
        return 2;
    }
    const decode::DecodeOptions& options = command.options;
    if (options.listDevices) return decode::listInputDevices(options);
    if (!options.device.empty()) return decode::decodeLiveInput(options);

    AudioFileReader reader;
    const std::string failure = reader.open(options.input);
    if (!failure.empty()) {
        std::fprintf(stderr, "ditdahl-decode: %s\n", failure.c_str());
        return 1;
    }
    if (options.toneHz && !options.automatic) {
        std::fprintf(stderr,
                     "ditdahl-decode: %g Hz: tone button %d (%d Hz), which watches %.1f Hz with the %d Hz filter\n",
                     *options.toneHz, options.toneButton, 50 * options.toneButton,
                     watchedFrequencyHz(options.toneButton, options.filterHz), options.filterHz);
    }

    if (options.band) return decodeBand(options, reader);

    AudioClock clock(0, recordingStartUtcMs(options, reader));
    StationState state;
    state.clock = &clock;
    decode::setUpReceiver(state, options);
    decode::PrintedTraffic traffic;
    decode::printDecoding(state, options, traffic);

    KeyDetector detector;
    BlockFeeder feeder(state, detector, clock);
    automatic::StationOutput automaticOutput(state);
    automatic::AutomaticReceiver automatic(state.morseTable, automaticOutput);
    if (options.toneHz) automatic.setToneHint(*options.toneHz);
    if (options.speedGiven) automatic.setSpeedHint(options.speedWpm);
    std::vector<std::int16_t> frames(2 * readFrames);
    while (const std::size_t got = reader.read(frames.data(), readFrames)) {
        if (options.automatic) {
            clock.advanceFrames(got);
            automatic.pushStereo(frames.data(), got);
        } else {
            feeder.feed(frames.data(), got);
        }
    }
    const bool readFailed = !reader.error().empty();
    if (options.automatic) {
        automatic.finish();
    } else {
        feeder.finish();
    }

    decode::finishPrinting(state, options);
    if (readFailed) {
        std::fprintf(stderr, "ditdahl-decode: reading stopped early: %s\n", reader.error().c_str());
        return 1;
    }
    return 0;
}
