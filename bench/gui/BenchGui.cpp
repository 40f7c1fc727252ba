// CPU share and resident memory of the desktop program while it captures and
// decodes live audio, for each filter, with the window's decoder and with the
// automatic decoder: the program runs on a virtual X
// display, its input a test-only sound device fed keyed text in real time,
// over and over. Measured from /proc over the given time after a warm-up.
// Given a file name as well, it saves a picture of the window, taken during
// the first run, as PNG.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "AlsaSandbox.h"
#include "FifoFeeder.h"
#include "ProgramRunner.h"
#include "support/TempDir.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

using namespace ditdahl::testing;
using namespace ditdahl::synthesis;
using namespace std::chrono_literals;

namespace {

// utime + stime of a process, in clock ticks.
long long cpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = all.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(all.substr(close + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14) utime = std::stoll(field);
        if (i == 15) {
            stime = std::stoll(field);
            break;
        }
    }
    return utime + stime;
}

long residentKiB(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// The display's picture cut to what is not its black background: the window.
bool saveWindowPicture(const VirtualDisplay& display, const std::string& path) {
    ::setenv("DISPLAY", display.name().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    int argc = 1;
    char name[] = "bench_gui";
    char* argv[] = {name, nullptr};
    QGuiApplication application(argc, argv);
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    QRect window;
    for (int y = 0; y < screen.height(); ++y) {
        for (int x = 0; x < screen.width(); ++x) {
            if ((screen.pixel(x, y) & 0xFFFFFFu) != 0) window |= QRect(x, y, 1, 1);
        }
    }
    return !window.isEmpty() && screen.copy(window).save(QString::fromStdString(path), "PNG");
}

int countOf(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

enum class Decoder { window, automatic, band };

// Sixteen stations 80 Hz apart from 300 Hz, 14 to 29 wpm, in light noise:
// a busy band for the Band view.
std::vector<double> sixteenStations() {
    std::vector<double> band;
    for (int k = 0; k < 16; ++k) {
        KeyingPlan keying;
        keying.wpm = 14 + k;
        keying.toneHz = 300.0 + 80.0 * k;
        keying.amplitude = 1500.0;
        keying.leadInMs = 300.0 * k;
        const auto station =
            keyedTone("CQ CQ DE DL" + std::to_string(k) + "ABC DL" + std::to_string(k) + "ABC K", keying);
        band.resize(std::max(band.size(), station.size()), 0.0);
        for (std::size_t i = 0; i < station.size(); ++i) band[i] += station[i];
    }
    NoiseGenerator noise(5);
    for (double& x : band) x += 60.0 * noise.gaussian();
    return band;
}

bool measure(const VirtualDisplay& display, bool narrowFilter, Decoder decoder, int seconds,
             const std::string& picturePath) {
    AlsaSandbox alsa;
    KeyingPlan keying;
    keying.wpm = 20;
    keying.toneHz = narrowFilter ? 515.625 : 562.5;  // the bin watched at 550 Hz
    const bool automatic = decoder == Decoder::automatic;
    FifoFeeder radio(
        alsa.file("radio.fifo"),
        toStereo16(decoder == Decoder::band
                       ? sixteenStations()
                       : keyedTone("CQ CQ DE DITDAHL THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 73", keying)),
        AfterAudio::Repeat);
    if (!radio.ok()) return false;
    alsa.addFileInput("ditdahl_radio", alsa.file("radio.fifo"));
    // The keying port is a pseudo-terminal.
    int ptyMaster = -1, ptySlave = -1;
    char ptyName[128] = {};
    if (openpty(&ptyMaster, &ptySlave, ptyName, nullptr, nullptr) != 0) return false;
    close(ptySlave);
    TempDir work;
    writeFileBytes(work.file("Ditdahl.ini"), std::string("[Ditdahl]\r\nFilter=") + (narrowFilter ? "1" : "0") +
                                                 "\r\nInputDevice=ditdahl_radio\r\nTX_Speed=10\r\n"
                                                 "[Automatic decoder]\r\nEnabled=" +
                                                 (automatic ? "1" : "0") +
                                                 "\r\n[Band]\r\nEnabled=" + (decoder == Decoder::band ? "1" : "0") +
                                                 "\r\n[Ports]\r\nCOM1=" + ptyName + "\r\n");
    const pid_t program =
        spawn({DESKTOP_PROGRAM}, work.path().string(), -1, {"DISPLAY=" + display.name(), "QT_QPA_PLATFORM=xcb"});
    if (program <= 0) return false;
    std::this_thread::sleep_for(5s);
    const long long ticks0 = cpuTicks(program);
    const auto wall0 = std::chrono::steady_clock::now();
    long peakKiB = 0;
    for (int s = 0; s < seconds; ++s) {
        std::this_thread::sleep_for(1s);
        peakKiB = std::max(peakKiB, residentKiB(program));
    }
    if (!picturePath.empty() && !saveWindowPicture(display, picturePath)) {
        std::fprintf(stderr, "bench_gui: could not save the picture to %s\n", picturePath.c_str());
    }
    const long long ticks1 = cpuTicks(program);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    const long endKiB = residentKiB(program);
    kill(program, SIGTERM);
    waitpid(program, nullptr, 0);
    close(ptyMaster);
    const double cpuSeconds = static_cast<double>(ticks1 - ticks0) / static_cast<double>(sysconf(_SC_CLK_TCK));
    const std::string log = readFileBytes(work.file("Ditdahl.log"));
    std::printf("| %s | %s | %.1f s | %.2f s | %.1f %% | %ld | %ld | %d |\n",
                narrowFilter ? "50 Hz (21.3 ms blocks)" : "100 Hz (10.7 ms blocks)",
                decoder == Decoder::band ? "window's, Band view on 16 stations"
                : automatic              ? "automatic"
                                         : "window's",
                wall, cpuSeconds, 100.0 * cpuSeconds / wall, endKiB / 1024, peakKiB / 1024, countOf(log, "RX:   "));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    std::string picturePath = argc > 2 ? argv[2] : "";
    VirtualDisplay display;
    if (display.name().empty()) {
        std::fprintf(stderr, "bench_gui: no virtual X server (Xvfb) could be started\n");
        return 1;
    }
    std::printf(
        "| filter | decoder | measured | CPU time | CPU share of one core | resident MiB at end | peak MiB | RX lines "
        "logged |\n");
    std::printf("|---|---|---|---|---|---|---|---|\n");
    const bool bandOnly = std::getenv("BAND") != nullptr;
    for (const Decoder decoder : {Decoder::window, Decoder::automatic, Decoder::band}) {
        if (bandOnly && decoder != Decoder::band) continue;
        for (const bool narrow : {true, false}) {
            if (!measure(display, narrow, decoder, seconds, picturePath)) {
                std::fprintf(stderr, "bench_gui: the program or its sound input could not be started\n");
                return 1;
            }
            picturePath.clear();
        }
    }
    return 0;
}
