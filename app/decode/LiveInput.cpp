// Live decoding for ditdahl-decode. The main thread opens the input, waits
// for the end and handles the key detector's requests for an audio reset; the
// Recorder's worker analyses and decodes each block (with the key detector,
// with the automatic receiver for --best, or with the band decoder for
// --band) and prints the text.
#include "LiveInput.h"

#include <signal.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "BandOutput.h"
#include "ToolStation.h"
#include "analysis/KeyDetector.h"
#include "audio/Capture.h"
#include "automatic/AutomaticReceiver.h"
#include "automatic/StationOutput.h"
#include "portable/SystemClock.h"
#include "portaudio/PortAudioWaveIn.h"

namespace ditdahl::decode {

namespace {

constexpr std::uint32_t audioResetPauseMs = 5;

std::vector<std::string> inputNames(PortAudioWaveIn& device) {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(device.deviceCount()));
    for (int k = 0; k < device.deviceCount(); ++k) names.push_back(device.deviceName(k));
    return names;
}

bool startsWithIgnoringCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](unsigned char a, unsigned char b) { return std::tolower(a) == std::tolower(b); });
}

// A number is the device's place in the list; a name matches exactly, or else
// as the beginning of a device's name, ignoring case. -1 when none matches.
int findInput(const std::vector<std::string>& names, const std::string& wanted) {
    if (!wanted.empty() && std::all_of(wanted.begin(), wanted.end(), [](unsigned char c) { return std::isdigit(c); })) {
        const long index = wanted.size() <= 4 ? std::stol(wanted) : -1;
        return index >= 0 && index < static_cast<long>(names.size()) ? static_cast<int>(index) : -1;
    }
    const auto exact = std::find(names.begin(), names.end(), wanted);
    if (exact != names.end()) return static_cast<int>(exact - names.begin());
    const auto prefix = std::find_if(names.begin(), names.end(),
                                     [&](const std::string& name) { return startsWithIgnoringCase(name, wanted); });
    return prefix != names.end() ? static_cast<int>(prefix - names.begin()) : -1;
}

}  // namespace

int listInputDevices(const DecodeOptions& options) {
    PortAudioWaveIn device(options.driverMessages);
    if (!device.available()) {
        std::fprintf(stderr, "ditdahl-decode: the sound system could not be started\n");
        return 1;
    }
    const auto names = inputNames(device);
    if (names.empty()) std::fprintf(stderr, "ditdahl-decode: no input devices found\n");
    for (std::size_t k = 0; k < names.size(); ++k) std::printf("%2zu  %s\n", k, names[k].c_str());
    return 0;
}

int decodeLiveInput(const DecodeOptions& options) {
    // The end is waited for on this thread alone: every thread started from
    // here on inherits the blocked signals.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    sigaddset(&endSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);

    PortAudioWaveIn device(options.driverMessages);
    if (!device.available()) {
        std::fprintf(stderr, "ditdahl-decode: the sound system could not be started\n");
        return 1;
    }
    const auto names = inputNames(device);
    const int input = findInput(names, options.device);
    if (input < 0) {
        std::fprintf(stderr,
                     "ditdahl-decode: no input device '%s' (%zu found); 'ditdahl-decode --list-devices' shows them\n",
                     options.device.c_str(), names.size());
        return 1;
    }

    SystemClock clock;
    StationState state;
    state.clock = &clock;
    CaptureWatch watch;
    state.displays.spectrum = &watch;
    setUpReceiver(state, options);
    PrintedTraffic traffic;
    printDecoding(state, options, traffic);

    Recorder recorder(state, device);
    KeyDetector detector;
    automatic::StationOutput automaticOutput(state);
    automatic::AutomaticReceiver automatic(state.morseTable, automaticOutput);
    if (options.toneHz) automatic.setToneHint(*options.toneHz);
    if (options.speedGiven) automatic.setSpeedHint(options.speedWpm);
    bool spotServerFailed = false;
    const auto spotServer = openSpotServer(options, spotServerFailed);
    if (spotServerFailed) return 1;
    const long long startUtcMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    BandOutput band(state.morseTable, bandPrinting(options, startUtcMs, spotServer.get()));
    const auto beginCapture = [&] {
        if (!options.automatic && !options.band) {
            startCapture(state, recorder, detector, input);
            return;
        }
        recorder.open(input);
        const auto blockFrames = static_cast<std::size_t>(state.fftSize.load());
        if (options.band) {
            recorder.setHandler(
                [&band, blockFrames](const std::int16_t* frames) { band.pushStereo(frames, blockFrames); });
        } else {
            recorder.setHandler(
                [&automatic, blockFrames](const std::int16_t* frames) { automatic.pushStereo(frames, blockFrames); });
        }
        recorder.start();
    };
    const WaveResult opened = recorder.open(input);
    if (opened != WaveResult::ok) {
        std::fprintf(stderr, "ditdahl-decode: cannot open input device '%s': %s\n", names[input].c_str(),
                     describe(opened));
        return 1;
    }
    beginCapture();
    std::fprintf(stderr, "ditdahl-decode: listening to '%s' (%s)%s\n", names[input].c_str(),
                 device.openedFormat().c_str(), options.liveSeconds > 0 ? "" : "; Ctrl+C ends");

    const auto began = std::chrono::steady_clock::now();
    const auto until = began + std::chrono::duration<double>(options.liveSeconds);
    for (;;) {
        const timespec poll{0, 100'000'000};
        if (sigtimedwait(&endSignals, nullptr, &poll) > 0) break;
        if (options.liveSeconds > 0 && std::chrono::steady_clock::now() >= until) break;
        // As the window does when the block-rate watchdog asks for it.
        if (watch.takeFellBehind()) {
            clock.sleepMs(audioResetPauseMs);
            stopCapture(recorder);
            beginCapture();
            std::fprintf(stderr, "ditdahl-decode: audio restarted, the computer did not keep up\n");
        }
    }
    if (stopCapture(recorder) == WaveResult::deviceError) {
        std::fprintf(stderr, "ditdahl-decode: the input device delivered nothing more and did not stop; left behind\n");
    }
    // The worker has left: what the automatic receiver or the band decoder
    // still holds is decided here.
    if (options.automatic) automatic.finish();
    if (options.band) band.finish();

    finishPrinting(state, options);
    return 0;
}

}  // namespace ditdahl::decode
