// Benchmark of the receive chain, run on demand:
//  (a) the real-time factor of ditdahl-decode on one hour of synthesised
//      20 wpm audio (6000 frames/s, and 44.1 kHz for the rate conversion);
//  (b) the character error rate against the signal-to-noise ratio (white
//      noise, SNR in 2500 Hz) at 15, 20 and 25 wpm, with both filters, the
//      tone on the frequency that the 550 Hz button watches, 25 Hz above
//      that, and on the button's label, 550 Hz;
//  (c) what the decoder prints on pure noise at each threshold.
// (b) and (c) run in this process through the same block feeder as the tool.
#include <fcntl.h>
#include <sndfile.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/BlockFeeder.h"
#include "analysis/SpectrumBars.h"
#include "base/CaptureFormat.h"
#include "decoder/SpeedTiming.h"
#include "portable/AudioClock.h"
#include "portable/ControlModel.h"
#include "shell/WindowDisplays.h"
#include "station/WindowTemplate.h"
#include "support/EditDistance.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

extern char** environ;

using namespace ditdahl;
using synthesis::KeyingPlan;

namespace {

constexpr const char* qso =
    "CQ CQ DE DL1ABC DL1ABC PSE K DL1ABC DE G4XYZ GM UR RST 599 5NN NAME JOHN QTH LONDON HW? "
    "BK R TNX FER CALL 73 ES GL SK";

std::string decodeInProcess(const std::vector<double>& samples, int filterHz, int wpm, double thresholdPercent) {
    ControlModel window(mainWindowTemplate());
    WindowDisplays displays(window);
    AudioClock clock;
    StationState state;
    state.mainWindow = &window;
    state.displays = displays.all();
    state.clock = &clock;
    buildMorseTable(state.morseTable);
    state.barRange = 32768;
    state.filterWidth = filterHz;
    state.fftSize = fftSizeForFilter(filterHz);
    state.thresholdPercent = thresholdPercent;
    state.txSpeedWpm = wpm;
    applyTxSpeedToReceive(state);
    selectTone(state, 550);
    std::string decoded;
    state.receivedTextObserver = [&decoded](std::string_view text) { decoded += text; };
    KeyDetector detector;
    BlockFeeder feeder(state, detector, clock);
    const std::vector<std::int16_t> stereo = synthesis::toStereo16(samples);
    feeder.feed(stereo.data(), samples.size());
    feeder.finish();
    return decoded;
}

std::string trimmed(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

void writeWav(SNDFILE* file, const std::vector<double>& samples) {
    const std::vector<std::int16_t> mono = synthesis::toMono16(samples);
    sf_writef_short(file, mono.data(), static_cast<sf_count_t>(mono.size()));
}

// One hour of the QSO text repeated at 20 wpm with noise at +10 dB.
void writeHour(const std::string& path, int rate) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    KeyingPlan plan;
    plan.wpm = 20;
    plan.toneHz = 550;
    plan.sampleRate = rate;
    synthesis::NoiseGenerator noise(1);
    const std::vector<double> segment = synthesis::keyedTone(qso, plan);
    long long written = 0;
    while (written < 3600LL * rate) {
        std::vector<double> piece = segment;
        synthesis::addNoise(piece, plan.amplitude, 10.0, rate, noise);
        writeWav(file, piece);
        written += static_cast<long long>(piece.size());
    }
    sf_close(file);
}

struct ToolTiming {
    double wallSeconds;
    double cpuSeconds;
    std::size_t outputBytes;
};

ToolTiming timeTool(const std::string& wav, const std::string& output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::string wpm = "--wpm=20";
    std::vector<char*> argv{const_cast<char*>(DECODE_TOOL), wpm.data(), const_cast<char*>(wav.c_str()), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = 0;
    rusage usage{};
    if (posix_spawn(&pid, DECODE_TOOL, &actions, nullptr, argv.data(), environ) == 0) wait4(pid, &status, 0, &usage);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    const double cpu =
        usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
    return {wall, cpu, static_cast<std::size_t>(std::filesystem::file_size(output))};
}

void realTimeFactor() {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "ditdahl-bench-decode";
    std::filesystem::create_directories(dir);
    std::printf("(a) ditdahl-decode on one hour of 20 wpm audio at +10 dB\n\n");
    std::printf("| input | wall time | CPU time | real-time factor | text printed |\n|---|---|---|---|---|\n");
    for (int rate : {6000, 44100}) {
        const std::string wav = (dir / ("hour-" + std::to_string(rate) + ".wav")).string();
        writeHour(wav, rate);
        const ToolTiming t = timeTool(wav, (dir / "out.txt").string());
        std::printf("| 1 h, %d Hz mono 16-bit WAV | %.2f s | %.2f s | %.0f x | %zu bytes |\n", rate, t.wallSeconds,
                    t.cpuSeconds, 3600.0 / t.wallSeconds, t.outputBytes);
        std::filesystem::remove(wav);
    }
    std::filesystem::remove_all(dir);
    std::printf("\n");
}

void errorRates() {
    const double snrs[] = {20, 17, 14, 11, 8, 5, 2, -1, -4, -7, -9};
    const int speeds[] = {15, 20, 25};
    const std::string reference = qso;
    std::printf(
        "(b) character error rate (edit distance / %zu characters, 3 noise seeds), threshold 50 %%,\n"
        "receive speed set to the sender's\n\n",
        reference.size());
    for (int filterHz : {50, 100}) {
        const double watchedHz = filterHz == 50 ? 11 * 6000.0 / 128 : 6 * 6000.0 / 64;
        for (double toneHz : {watchedHz, watchedHz + 25.0, 550.0}) {
            std::printf("%d Hz filter, button 11 (550 Hz) watching %.1f Hz, tone %.1f Hz\n\n", filterHz, watchedHz,
                        toneHz);
            std::printf("| SNR (2500 Hz) | 15 wpm | 20 wpm | 25 wpm |\n|---|---|---|---|\n");
            for (double snr : snrs) {
                std::printf("| %+.0f dB |", snr);
                for (int wpm : speeds) {
                    std::size_t errors = 0;
                    for (std::uint64_t seed = 1; seed <= 3; ++seed) {
                        KeyingPlan plan;
                        plan.wpm = wpm;
                        plan.toneHz = toneHz;
                        std::vector<double> samples = synthesis::keyedTone(qso, plan);
                        synthesis::NoiseGenerator noise(seed * 7919 + static_cast<std::uint64_t>(wpm));
                        synthesis::addNoise(samples, plan.amplitude, snr, plan.sampleRate, noise);
                        errors +=
                            testing::editDistance(trimmed(decodeInProcess(samples, filterHz, wpm, 50.0)), reference);
                    }
                    std::printf(" %.1f %% |", 100.0 * errors / (3.0 * reference.size()));
                }
                std::printf("\n");
            }
            std::printf("\n");
        }
    }
}

void noiseOnly() {
    std::printf("(c) characters printed (blanks not counted) in 10 minutes of white noise, no signal\n\n");
    std::printf("| threshold | 50 Hz filter | 100 Hz filter |\n|---|---|---|\n");
    synthesis::NoiseGenerator noise(99);
    std::vector<double> samples(6000 * 600, 0.0);
    synthesis::addNoise(samples, 10000.0, 0.0, 6000, noise);
    for (double threshold : {0.0, 5.0, 10.0, 20.0, 30.0, 40.0, 50.0, 60.0, 70.0, 80.0, 90.0, 100.0}) {
        std::printf("| %.0f %% |", threshold);
        for (int filterHz : {50, 100}) {
            const std::string decoded = decodeInProcess(samples, filterHz, 20, threshold);
            std::printf(" %zu |", static_cast<std::size_t>(
                                      std::count_if(decoded.begin(), decoded.end(), [](char c) { return c != ' '; })));
        }
        std::printf("\n");
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string only = argc > 1 ? argv[1] : "";
    if (only.empty() || only == "speed") realTimeFactor();
    if (only.empty() || only == "noise") errorRates();
    if (only.empty() || only == "idle") noiseOnly();
    return 0;
}
