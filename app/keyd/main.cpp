// ditdahl-keyd: the keying server without a window, for a station whose
// logging program runs on a machine with no desktop. The same keyer, the same
// port mapping and the same server as the window's; each line sent is printed
// as the log would hold it. Ends on SIGTERM, SIGINT or SIGHUP once the
// character being keyed is over, with both lines released.
#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "KeydOptions.h"
#include "linux/SerialKeyLine.h"
#include "portable/SystemClock.h"
#include "remote/KeyingServer.h"
#include "station/StationState.h"
#include "transmit/PttPort.h"
#include "transmit/TransmissionJobs.h"

namespace {

using namespace ditdahl;

// Standard output gets the sent lines; standard error what the operator
// should know.
class PrintedStation final : public TrafficDisplay, public TransmitPanel {
public:
    void addTrafficEntry(std::string_view entry) override {
        std::printf("%.*s\n", static_cast<int>(entry.size()), entry.data());
        std::fflush(stdout);
    }
    void showStatus(std::string_view status) override {
        if (!status.empty())
            std::fprintf(stderr, "ditdahl-keyd: %.*s\n", static_cast<int>(status.size()), status.data());
    }
    void keyingPortGone() override {
        std::fprintf(stderr, "ditdahl-keyd: the keying port stopped working and was closed\n");
    }
};

void say(std::string_view line) {
    std::fprintf(stderr, "ditdahl-keyd: %.*s\n", static_cast<int>(line.size()), line.data());
}

std::string deviceOf(const keyd::KeydOptions& o) {
    int number = 0;
    for (const char c : o.portDevice) {
        if (c < '0' || c > '9' || number > pttPortCount) return o.portDevice;
        number = number * 10 + (c - '0');
    }
    if (number < 1 || number > pttPortCount) return o.portDevice;
    return linuxSerialDevice(o.settingsPath, number);
}

}  // namespace

int main(int argc, char* argv[]) {
    const keyd::ParsedCommandLine parsed = keyd::parseKeydCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "ditdahl-keyd: %s\n%s", parsed.error.c_str(), keyd::keydUsage);
        return 2;
    }
    if (parsed.showHelp) {
        std::fputs(keyd::keydUsage, stdout);
        return 0;
    }
    if (parsed.showVersion) {
        std::printf("ditdahl-keyd %s\n", DITDAHL_VERSION);
        return 0;
    }
    const keyd::KeydOptions& o = parsed.options;

    // Blocked before any thread starts, so that only sigwait below takes them.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&endSignals, signal);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);

    const std::string device = deviceOf(o);
    std::shared_ptr<KeyLine> line = SerialKeyLine::open(device);
    if (!line) {
        say("cannot open " + device + " for keying: no such port, or it is busy, or not yours to use" +
            " (on Debian: the dialout group)");
        return 1;
    }
    std::string error;
    auto socket = openDatagramSocket(o.address, o.udpPort, error);
    if (!socket) {
        say("cannot listen on " + o.address + " port " + std::to_string(o.udpPort) + ": " + error);
        return 1;
    }
    const int port = socket->localPort();

    SystemClock clock;
    PrintedStation printed;
    StationState state;
    state.clock = &clock;
    state.displays.traffic = &printed;
    state.displays.transmit = &printed;
    buildMorseTable(state.morseTable);
    state.txSpeedWpm = o.speedWpm;
    state.pttOnDtr = o.keyOnDtr;
    state.pttPort.set(std::move(line));
    {
        TransmissionJobs jobs(state);
        KeyingServer server(state, jobs, say);
        server.start(std::move(socket));
        say("keying " + std::string(o.keyOnDtr ? "DTR" : "RTS") + " of " + device + " at " +
            std::to_string(o.speedWpm) + " wpm; listening on " + o.address + " port " + std::to_string(port));
        int signal = 0;
        sigwait(&endSignals, &signal);
        server.stop();
    }
    closePttPort(state);
    say("stopped; both lines released");
    return 0;
}
