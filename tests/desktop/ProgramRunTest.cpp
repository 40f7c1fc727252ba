// The desktop program run as a user runs it, on a virtual X display: it
// starts, decodes keyed audio from a test-only sound input into the log, and
// on a termination signal closes as through the close box, writing the log's
// last line and the settings file. The keying port is a pseudo-terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
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

namespace ditdahl {
namespace {

using namespace std::chrono_literals;
using testing::spawn;
using testing::VirtualDisplay;

template <typename Condition>
bool waitFor(Condition condition, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

std::vector<std::string> lines(const std::string& bytes) {
    std::vector<std::string> result;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        result.push_back(line);
    }
    return result;
}

TEST(DesktopProgram, DecodesIntoTheLogAndClosesOnTerminationSignal) {
    VirtualDisplay display;
    if (display.name().empty()) GTEST_SKIP() << "no virtual X server (Xvfb) available";

    testing::AlsaSandbox alsa;
    synthesis::KeyingPlan keying;
    keying.wpm = 30;
    keying.toneHz = 562.5;  // the bin watched at 550 Hz with the 100 Hz filter
    keying.leadInMs = 1500;
    const std::string text = "CQ CQ DE DITDAHL THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 73 K";
    testing::FifoFeeder radio(alsa.file("radio.fifo"), synthesis::toStereo16(synthesis::keyedTone(text, keying)),
                              testing::AfterAudio::Silence);
    ASSERT_TRUE(radio.ok());
    alsa.addFileInput("ditdahl_radio", alsa.file("radio.fifo"));

    int ptyMaster = -1, ptySlave = -1;
    char ptyName[128] = {};
    ASSERT_EQ(openpty(&ptyMaster, &ptySlave, ptyName, nullptr, nullptr), 0);
    close(ptySlave);

    testing::TempDir work;
    testing::writeFileBytes(work.file("Ditdahl.ini"), std::string("[Ports]\r\nCOM1=") + ptyName +
                                                          "\r\n\r\n[Ditdahl]\r\nFilter=0\r\nPTT_Signal=0\r\n"
                                                          "InputDevice=ditdahl_radio\r\nPTT_Port=0\r\nTX_Speed=20\r\n");
    const int output = open(work.file("output").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    // Under AddressSanitizer the X keyboard library that Qt's X11 platform
    // loads trips the strict string checks in its own code; they stay on for
    // everything else of the test.
    const char* sanitizerOptions = std::getenv("ASAN_OPTIONS");
    const std::string programSanitizerOptions =
        "ASAN_OPTIONS=" + std::string(sanitizerOptions ? sanitizerOptions : "") + ":strict_string_checks=0";
    const pid_t program = spawn({DESKTOP_PROGRAM}, work.path().string(), output,
                                {"DISPLAY=" + display.name(), "QT_QPA_PLATFORM=xcb", programSanitizerOptions});
    close(output);
    ASSERT_GT(program, 0);
    const auto log = [&] { return testing::readFileBytes(work.file("Ditdahl.log")); };

    const bool started = waitFor([&] { return log().find("Program startup\r\n") != std::string::npos; }, 30s);
    const bool decoded = started && waitFor([&] { return log().find("RX:   ") != std::string::npos; }, 90s);
    kill(program, SIGTERM);
    int status = -1;
    waitpid(program, &status, 0);
    close(ptyMaster);
    ASSERT_TRUE(started) << testing::readFileBytes(work.file("output"));
    ASSERT_TRUE(decoded) << log();
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);

    const auto logLines = lines(log());
    ASSERT_GE(logLines.size(), 3u);
    EXPECT_NE(logLines.front().find("Program startup"), std::string::npos);
    EXPECT_NE(logLines.back().find("Program termination"), std::string::npos);
    const std::string& received = logLines[1];
    const auto label = received.find("RX:   ");
    ASSERT_NE(label, std::string::npos) << received;
    const std::string line = received.substr(label + 6);
    EXPECT_GE(line.size(), 60u) << line;
    EXPECT_EQ(text.substr(0, line.size()), line);

    const std::vector<std::string> saved{"[Ports]",
                                         std::string("COM1=") + ptyName,
                                         "",
                                         "[Ditdahl]",
                                         "Filter=0",
                                         "PTT_Signal=0",
                                         "InputDevice=ditdahl_radio",
                                         "PTT_Port=0",
                                         "TX_Speed=20",
                                         "AutoRXSpeed=0",
                                         "AutoTXSpeed=0",
                                         "Delay=0",
                                         "LogPath=" + work.file("Ditdahl.log"),
                                         "Threshold=50",
                                         "BeaconText=",
                                         "BeaconInterval=600",
                                         "[Automatic decoder]",
                                         "Enabled=0",
                                         "[Keying server]",
                                         "Enabled=0",
                                         "Port=6789",
                                         "Address=127.0.0.1"};
    EXPECT_EQ(lines(testing::readFileBytes(work.file("Ditdahl.ini"))), saved);
}

// An input that stops delivering (a stalled sound card, a stopped sound
// server) must not hold up the end: the program still saves its settings,
// writes its last log line and exits soon after a termination signal.
TEST(DesktopProgram, EndsOnTerminationSignalWhileTheInputStalls) {
    VirtualDisplay display;
    if (display.name().empty()) GTEST_SKIP() << "no virtual X server (Xvfb) available";

    testing::AlsaSandbox alsa;
    // Half a second of audio, then the input delivers nothing more.
    testing::FifoFeeder radio(alsa.file("radio.fifo"), std::vector<std::int16_t>(2 * 3000), testing::AfterAudio::Stall);
    ASSERT_TRUE(radio.ok());
    alsa.addFileInput("ditdahl_radio", alsa.file("radio.fifo"));

    int ptyMaster = -1, ptySlave = -1;
    char ptyName[128] = {};
    ASSERT_EQ(openpty(&ptyMaster, &ptySlave, ptyName, nullptr, nullptr), 0);
    close(ptySlave);
    testing::TempDir work;
    testing::writeFileBytes(
        work.file("Ditdahl.ini"),
        std::string("[Ports]\r\nCOM1=") + ptyName + "\r\n[Ditdahl]\r\nInputDevice=ditdahl_radio\r\nPTT_Port=0\r\n");
    const int output = open(work.file("output").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const char* sanitizerOptions = std::getenv("ASAN_OPTIONS");
    const std::string programSanitizerOptions =
        "ASAN_OPTIONS=" + std::string(sanitizerOptions ? sanitizerOptions : "") + ":strict_string_checks=0";
    const pid_t program = spawn({DESKTOP_PROGRAM}, work.path().string(), output,
                                {"DISPLAY=" + display.name(), "QT_QPA_PLATFORM=xcb", programSanitizerOptions});
    close(output);
    ASSERT_GT(program, 0);
    const auto log = [&] { return testing::readFileBytes(work.file("Ditdahl.log")); };
    ASSERT_TRUE(waitFor([&] { return log().find("Program startup\r\n") != std::string::npos; }, 30s))
        << testing::readFileBytes(work.file("output"));
    // Well past the half second of audio: capture is waiting on the input.
    std::this_thread::sleep_for(2s);

    kill(program, SIGTERM);
    int status = -1;
    // A hang is for ever; this bound only keeps a failing run finite.
    const bool ended = waitFor([&] { return waitpid(program, &status, WNOHANG) == program; }, 20s);
    if (!ended) {
        kill(program, SIGKILL);
        waitpid(program, &status, 0);
    }
    close(ptyMaster);
    ASSERT_TRUE(ended) << "still running 20 s after SIGTERM";
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const auto logLines = lines(log());
    ASSERT_FALSE(logLines.empty());
    EXPECT_NE(logLines.back().find("Program termination"), std::string::npos) << log();
    EXPECT_NE(testing::readFileBytes(work.file("Ditdahl.ini")).find("Threshold=50"), std::string::npos);
}

}  // namespace
}  // namespace ditdahl
