#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <vector>

#include "doubles/RecordingKeyLine.h"
#include "linux/SerialKeyLine.h"
#include "station/ControlIds.h"
#include "support/Station.h"
#include "support/TempDir.h"
#include "transmit/Keyer.h"
#include "transmit/PttPort.h"

namespace ditdahl {
namespace {

using testing::TempDir;
using testing::TestStation;

const MessageBoxRequest portError{"Error opening com port for PTT.", "Ditdahl", MessageButtons::Ok, MessageIcon::None};

void fillPorts(Controls& window) {
    for (int n = 1; n <= pttPortCount; ++n) window.addEntry(ids::pttPortList, std::to_string(n));
}

TEST(PttPort, WindowsNamesOfTheListEntries) {
    const std::pair<int, const char*> cases[] = {
        {0, "COM1"},  {1, "COM2"},   {8, "COM9"}, {9, "\\\\.\\COM10"}, {99, "\\\\.\\COM100"}, {255, "\\\\.\\COM256"},
        {-1, "COM0"}, {-5, "COM-4"},
    };
    for (const auto& [index, name] : cases) EXPECT_EQ(pttPortName(index), name) << index;
}

TEST(PttPort, LinuxDevicesFromThePortsSectionOrTheSerialDefault) {
    TempDir dir;
    const std::string ini = dir.file("Ditdahl.ini");
    testing::writeFileBytes(ini,
                            "[Ditdahl]\r\nPTT_Port=2\r\n[Ports]\r\nCOM1=/dev/ttyUSB0\r\ncom3 = /dev/serial/by-id/x\r\n"
                            "COM12=\r\n");
    const std::pair<int, const char*> cases[] = {
        {1, "/dev/ttyUSB0"}, {3, "/dev/serial/by-id/x"}, {2, "/dev/ttyS1"}, {12, "/dev/ttyS11"}, {256, "/dev/ttyS255"},
    };
    for (const auto& [port, device] : cases) EXPECT_EQ(linuxSerialDevice(ini, port), device) << port;
    EXPECT_EQ(linuxSerialDevice(dir.file("missing.ini"), 1), "/dev/ttyS0");
}

// A line that says when it was closed.
class WatchedLine final : public KeyLine {
public:
    explicit WatchedLine(std::vector<int>& closed, int number) : closed_(closed), number_(number) {}
    ~WatchedLine() override { closed_.push_back(number_); }
    void raise(Line) override {}
    void release(Line) override {}

private:
    std::vector<int>& closed_;
    int number_;
};

TEST(PttPort, OpeningReopeningAndFailing) {
    TestStation s;
    fillPorts(s.window);
    std::vector<int> asked, closed;
    std::vector<bool> portOpenWhileAsked;
    bool fail = false;
    s.state.openKeyLine = [&](int port) -> std::shared_ptr<KeyLine> {
        asked.push_back(port);
        portOpenWhileAsked.push_back(s.state.pttPort.get() != nullptr);
        if (fail) return nullptr;
        return std::make_shared<WatchedLine>(closed, port);
    };

    // Index 0 is port 1.
    s.window.select(ids::pttPortList, 0);
    openPttPort(s.state, s.window.selectedIndex(ids::pttPortList) + 1);
    EXPECT_NE(s.state.pttPort.get(), nullptr);
    EXPECT_TRUE(s.desktop.messageBoxes().empty());

    // Another port: the first is closed before the second is opened.
    s.window.select(ids::pttPortList, 255);
    openPttPort(s.state, s.window.selectedIndex(ids::pttPortList) + 1);
    EXPECT_EQ(asked, (std::vector<int>{1, 256}));
    EXPECT_EQ(portOpenWhileAsked, (std::vector<bool>{false, false}));
    EXPECT_EQ(closed, (std::vector<int>{1}));

    // A port that cannot be opened leaves none open and says so, once.
    fail = true;
    s.window.select(ids::pttPortList, 4);
    openPttPort(s.state, s.window.selectedIndex(ids::pttPortList) + 1);
    EXPECT_EQ(s.state.pttPort.get(), nullptr);
    EXPECT_EQ(closed, (std::vector<int>{1, 256}));
    EXPECT_EQ(s.desktop.messageBoxes(), (std::vector<MessageBoxRequest>{portError}));

    // No selection names no port at all: the same message, nothing asked.
    fail = false;
    s.window.select(ids::pttPortList, -1);
    openPttPort(s.state, s.window.selectedIndex(ids::pttPortList) + 1);
    EXPECT_EQ(asked, (std::vector<int>{1, 256, 5}));
    EXPECT_EQ(s.state.pttPort.get(), nullptr);
    EXPECT_EQ(s.desktop.messageBoxes().size(), 2u);

    // A station without any way to open ports reports the same failure.
    TestStation bare;
    fillPorts(bare.window);
    bare.window.select(ids::pttPortList, 0);
    openPttPort(bare.state, bare.window.selectedIndex(ids::pttPortList) + 1);
    EXPECT_EQ(bare.desktop.messageBoxes(), (std::vector<MessageBoxRequest>{portError}));
}

// Closing the port while a character is keyed (the window closing, a
// termination signal, another port chosen) releases the raised line at once:
// the process may end before the sending thread reaches the end of the mark,
// and the kernel's hang-up on close cannot be relied on. The closed port is
// keyed no more.
TEST(PttPort, ClosingMidElementReleasesTheLineAtOnce) {
    struct Case {
        const char* what;
        bool reopen;  // another port chosen instead of the port closed
    };
    for (const Case c : {Case{"closed", false}, Case{"another port chosen", true}}) {
        SCOPED_TRACE(c.what);
        TestStation s;
        s.state.txSpeedWpm = 20;  // dot 60 ms, dash 180 ms
        s.state.pttOnDtr = true;
        auto first = std::make_shared<RecordingKeyLine>(s.clock);
        auto second = std::make_shared<RecordingKeyLine>(s.clock);
        s.state.pttPort.set(first);
        s.state.openKeyLine = [&](int) -> std::shared_ptr<KeyLine> { return second; };
        const std::uint32_t start = s.clock.tickCount();
        // 100 ms into the dash of "N" (-.).
        s.clock.at(start + 100, [&] {
            if (c.reopen) {
                openPttPort(s.state, 2);
            } else {
                closePttPort(s.state);
            }
        });
        keyCharacter(s.state, 'N');

        EXPECT_EQ(first->changes(),
                  (std::vector<LineChange>{{start, Line::Dtr, true}, {start + 100, Line::Dtr, false}}));
        EXPECT_FALSE(first->isRaised(Line::Dtr));
        EXPECT_FALSE(second->isRaised(Line::Dtr));
    }
}

// A pseudo-terminal pair standing in for a serial port.
class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) slavePath_ = ptsname(master_);
    }
    ~PseudoTerminal() {
        if (master_ >= 0) close(master_);
    }
    const std::string& slavePath() const { return slavePath_; }
    // Whether the terminal is held for exclusive use, asked through a
    // descriptor of our own.
    bool exclusive() const {
        const int fd = open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        int held = 0;
        if (fd >= 0) {
            ioctl(fd, TIOCGEXCL, &held);
            close(fd);
        }
        return held != 0;
    }

private:
    int master_ = -1;
    std::string slavePath_;
};

TEST(SerialKeyLine, OpensTerminalsExclusivelyAndRefusesTheRest) {
    PseudoTerminal terminal;
    ASSERT_FALSE(terminal.slavePath().empty());
    {
        auto line = SerialKeyLine::open(terminal.slavePath());
        ASSERT_NE(line, nullptr);
        EXPECT_TRUE(terminal.exclusive());
        // A pseudo-terminal has no modem lines: keying it must still be harmless.
        line->raise(Line::Dtr);
        line->release(Line::Dtr);
    }
    EXPECT_FALSE(terminal.exclusive());

    TempDir dir;
    testing::writeFileBytes(dir.file("plain"), "x");
    for (const std::string& path :
         {dir.file("missing"), dir.file("plain"), std::string("/dev/null"), dir.path().string()}) {
        EXPECT_EQ(SerialKeyLine::open(path), nullptr) << path;
    }
}

TEST(SerialKeyLine, ThePortsSectionLeadsOpenPttPortToTheDevice) {
    PseudoTerminal terminal;
    ASSERT_FALSE(terminal.slavePath().empty());
    TempDir dir;
    const std::string ini = dir.file("Ditdahl.ini");
    testing::writeFileBytes(ini, "[Ports]\nCOM7=" + terminal.slavePath() + "\nCOM8=" + dir.file("gone") + "\n");

    TestStation s;
    fillPorts(s.window);
    s.state.openKeyLine = [&](int port) -> std::shared_ptr<KeyLine> {
        return SerialKeyLine::open(linuxSerialDevice(ini, port));
    };
    s.window.select(ids::pttPortList, 6);
    openPttPort(s.state, s.window.selectedIndex(ids::pttPortList) + 1);
    EXPECT_NE(s.state.pttPort.get(), nullptr);
    EXPECT_TRUE(terminal.exclusive());

    s.window.select(ids::pttPortList, 7);
    openPttPort(s.state, s.window.selectedIndex(ids::pttPortList) + 1);
    EXPECT_EQ(s.state.pttPort.get(), nullptr);
    EXPECT_FALSE(terminal.exclusive());
    EXPECT_EQ(s.desktop.messageBoxes(), (std::vector<MessageBoxRequest>{portError}));
}

}  // namespace
}  // namespace ditdahl
