#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

#include "JobStation.h"
#include "station/ControlIds.h"
#include "transmit/JobBodies.h"
#include "transmit/TransmissionJobs.h"
#include "transmit/TransmitStep.h"

namespace ditdahl {
namespace {

using testing::JobStation;

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(upperAscii(static_cast<unsigned char>(c)));
    return text;
}

void expectIdle(JobStation& s) {
    EXPECT_TRUE(s.window.isEnabled(ids::senseSpeedButton));
    EXPECT_TRUE(s.window.isEnabled(ids::transmitButton));
    EXPECT_FALSE(s.window.isEnabled(ids::stopButton));
    EXPECT_EQ(s.window.text(ids::statusLine), "");
    EXPECT_TRUE(s.state.receiveEnabled);
}

TEST(TextJob, ShowsEachCharacterBeforeKeyingAndRecordsTheLineAfterTheClosingPause) {
    JobStation s;
    s.window.setText(ids::transmitText, "aB");
    s.at(1787, [&] { EXPECT_EQ(s.window.entryCount(ids::trafficList), 0); });
    s.jobs.startTextTransmission();
    s.jobs.waitForJob();

    const auto downs = s.line->keyDowns();
    ASSERT_EQ(downs.size(), 6u);  // .- then -...
    EXPECT_EQ(downs[0].tick, 0u);
    EXPECT_EQ(downs[0].rxTxBuffer, "A");
    EXPECT_EQ(downs[0].status, "Transmitting: aB");
    EXPECT_FALSE(downs[0].receiveEnabled);
    EXPECT_FALSE(downs[0].transmitEnabled);
    EXPECT_TRUE(downs[0].stopEnabled);
    EXPECT_EQ(downs[2].tick, 504u);
    EXPECT_EQ(downs[2].rxTxBuffer, "AB");

    // B ends (with its gaps) at 1248; the line is recorded 9 dots later.
    EXPECT_EQ(s.now(), 1788u);
    EXPECT_EQ(s.window.entries(ids::trafficList), (std::vector<std::string>{"05.03.13 14:07:10 TX:   AB"}));
    EXPECT_EQ(testing::readFileBytes(s.dir.file("Ditdahl.log")), "05.03.13 14:07:10 TX:   AB\r\n");
    EXPECT_EQ(s.window.text(ids::rxTxBuffer), "");
    EXPECT_EQ(s.window.text(ids::transmitText), "");
    EXPECT_EQ(s.state.lastMessage, "aB");
    EXPECT_EQ(s.window.focus(), ids::transmitText);
    expectIdle(s);
}

TEST(TextJob, ALongTextIsRecordedInLinesOfSixtyOne) {
    JobStation s;
    s.window.setText(ids::transmitText, std::string(70, 'e'));
    s.jobs.startTextTransmission();
    s.jobs.waitForJob();

    const auto downs = s.line->keyDowns();  // one per E
    ASSERT_EQ(downs.size(), 70u);
    EXPECT_EQ(downs[59].trafficEntries, 0);
    EXPECT_EQ(downs[59].rxTxBuffer, std::string(60, 'E'));
    // The 61st is recorded as soon as it is appended, before it is keyed, and
    // stays in the box until the next character.
    EXPECT_EQ(downs[60].trafficEntries, 1);
    EXPECT_EQ(downs[60].rxTxBuffer, std::string(61, 'E'));
    EXPECT_EQ(downs[61].rxTxBuffer, "E");
    EXPECT_EQ(s.traffic(), (std::vector<std::string>{"TX:   " + std::string(61, 'E'), "TX:   " + std::string(9, 'E')}));
}

TEST(TextJob, StopFinishesTheCharacterAndItsDelay) {
    struct Case {
        int delayIndex;
        std::uint32_t stopAtMs;
        const char* recorded;
        std::uint32_t endMs;
    };
    // P 864, A 504, R 624, I 384 ms at 20 wpm, each plus the delay.
    const Case cases[] = {
        {0, 2000, "PARI", 1992 + 384 + 540},
        {1, 2000, "PAR", 3 * 100 + 1992 + 540},
        {0, 1, "P", 864 + 540},
        {5, 900, "P", 864 + 2000 + 540},
    };
    for (const Case& c : cases) {
        JobStation s;
        s.selectDelay(c.delayIndex);
        s.window.setText(ids::transmitText, "PARIS PARIS PARIS");
        s.at(c.stopAtMs, [&] { s.jobs.stopTransmission(); });
        s.jobs.startTextTransmission();
        s.jobs.waitForJob();
        EXPECT_EQ(s.traffic(), (std::vector<std::string>{std::string("TX:   ") + c.recorded})) << c.stopAtMs;
        EXPECT_EQ(s.now(), c.endMs) << c.stopAtMs;
        EXPECT_EQ(s.state.lastMessage, "PARIS PARIS PARIS");
        expectIdle(s);
    }
}

TEST(TextJob, AnEmptyBoxPausesReceptionAndRecordsOnlyThePendingReceivedLine) {
    JobStation s;
    s.state.lastMessage.assign("OLD");
    s.state.trafficLine.assign("  cq de dl1abc ");
    bool receiving = true;
    std::string status;
    s.at(100, [&] {
        receiving = s.state.receiveEnabled;
        status = s.window.text(ids::statusLine);
    });
    s.jobs.startTextTransmission();
    s.jobs.waitForJob();
    EXPECT_FALSE(receiving);
    EXPECT_EQ(status, "Transmitting: ");
    EXPECT_EQ(s.now(), 540u);
    EXPECT_TRUE(s.line->keyDowns().empty());
    EXPECT_EQ(s.traffic(), (std::vector<std::string>{"RX:   CQ DE DL1ABC"}));
    EXPECT_EQ(s.state.lastMessage, "OLD");
    expectIdle(s);

    // Last Msg brings back the last text sent; Clr empties the box.
    s.jobs.recallLastMessage();
    EXPECT_EQ(s.window.text(ids::transmitText), "OLD");
    EXPECT_EQ(s.window.defaultButton(), ids::transmitButton);
    s.jobs.clearTransmitBox();
    EXPECT_EQ(s.window.text(ids::transmitText), "");
    s.state.lastMessage.clear();
    s.window.setText(ids::transmitText, "typed");
    s.jobs.recallLastMessage();
    EXPECT_EQ(s.window.text(ids::transmitText), "typed");
}

TEST(FileJob, SendsEveryByteAndStopsAfterTheCharacter) {
    const OpenFileRequest chooser{"Select text file", "TXT File (*.txt)", "*.txt"};
    struct Case {
        std::string bytes;
        std::uint32_t stopAtMs;  // 0: no stop
        std::vector<std::string> recorded;
    };
    const Case cases[] = {
        {"ab\r\nc", 0, {"TX:   AB\r\nC"}},
        {std::string("e\0t", 3), 0, {"TX:   ET"}},
        {"paris paris", 10, {"TX:   P"}},
        {"", 0, {}},
    };
    for (const Case& c : cases) {
        JobStation s;
        const std::string path = s.dir.file("text.txt");
        testing::writeFileBytes(path, c.bytes);
        s.state.trafficLine.assign("qrz");
        s.desktop.chooseNext(path);
        if (c.stopAtMs) s.at(c.stopAtMs, [&] { s.jobs.stopTransmission(); });
        s.jobs.startFileTransmission();
        s.jobs.waitForJob();
        std::vector<std::string> expected{"RX:   QRZ"};
        expected.insert(expected.end(), c.recorded.begin(), c.recorded.end());
        EXPECT_EQ(s.traffic(), expected) << c.bytes;
        EXPECT_EQ(s.desktop.fileChoices(), (std::vector<OpenFileRequest>{chooser}));
        if (!s.line->keyDowns().empty()) {
            EXPECT_EQ(s.line->keyDowns()[0].status, "Transmitting file " + path);
        }
        expectIdle(s);
    }
}

// Files of any size and content stream from the disk a character at a time:
// Stop ends a 100 MB file, or one of binary bytes, within one character.
TEST(FileJob, LargeAndBinaryFilesStopWithinACharacter) {
    struct Case {
        const char* what;
        std::uintmax_t size;  // of zero bytes; 0: the binary bytes
    };
    std::string binary;
    for (int b = 0; b < 256; ++b) binary += static_cast<char>(b);
    for (const Case c : {Case{"100 MB", 100'000'000}, Case{"binary", 0}}) {
        SCOPED_TRACE(c.what);
        JobStation s;
        const std::string path = s.dir.file("big.bin");
        testing::writeFileBytes(path, c.size ? "" : binary + binary);
        if (c.size) std::filesystem::resize_file(path, c.size);
        s.desktop.chooseNext(path);
        s.at(2000, [&] { s.jobs.stopTransmission(); });
        s.jobs.startFileTransmission();
        s.jobs.waitForJob();
        // Every character is at most a 9-dot pause (540 ms) plus its gaps.
        EXPECT_LE(s.now(), 2000u + 1500u + 540u);
        expectIdle(s);
    }
}

TEST(FileJob, NothingStartsWithoutAReadableFile) {
    JobStation s;
    s.desktop.chooseNext("");
    s.desktop.chooseNext(s.dir.file("missing.txt"));
    s.desktop.chooseNext(s.dir.path().string());
    for (int attempt = 0; attempt < 3; ++attempt) {
        s.jobs.startFileTransmission();
        EXPECT_FALSE(s.jobs.jobRunning());
    }
    const MessageBoxRequest error{"Error opening file", "Error", MessageButtons::Ok, MessageIcon::Warning};
    EXPECT_EQ(s.desktop.messageBoxes(), (std::vector<MessageBoxRequest>{error, error}));
    EXPECT_EQ(s.now(), 0u);
    expectIdle(s);
}

void tickBeacon(JobStation& s, bool ticked) {
    s.window.setChecked(ids::beaconTick, ticked);
    s.jobs.toggleBeacon();
}

TEST(BeaconJob, CountsDownTheIntervalFromTheStartOfEachSending) {
    JobStation s;
    s.selectDelay(4);  // 1000 ms: EEE takes 3 x (264 + 1000) + 540 = 4332 ms
    s.window.setText(ids::beaconText, "eee");
    s.window.setText(ids::beaconInterval, "10");
    std::vector<std::string> shown;
    for (std::uint32_t k = 0; k < 6; ++k)
        s.at(4332 + k * 1000 + 500, [&] { shown.push_back(s.window.text(ids::statusLine)); });
    std::string sending;
    s.at(100, [&] { sending = s.window.text(ids::statusLine); });
    s.at(10400, [&] { s.jobs.stopTransmission(); });
    tickBeacon(s, true);
    s.jobs.waitForJob();

    EXPECT_EQ(sending, "Transmitting beacon buffer...");
    std::vector<std::string> expected;
    for (int left = 6; left >= 1; --left)
        expected.push_back("Waiting for beacon transmission (" + std::to_string(left) + "s)...");
    EXPECT_EQ(shown, expected);
    const auto downs = s.line->keyDowns();
    // The stop during the second sending lets its first character finish.
    ASSERT_EQ(downs.size(), 4u);
    EXPECT_EQ(downs[3].tick, 10332u);  // the first wait step past 10 s
    EXPECT_EQ(s.traffic(), (std::vector<std::string>{"BCN:  EEE", "BCN:  E"}));
    EXPECT_FALSE(s.window.isChecked(ids::beaconTick));
    EXPECT_FALSE(s.state.beaconActive);
    expectIdle(s);
}

TEST(BeaconJob, IntervalZeroRepeatsAtOnceAndReceivedTextKeepsItsLabel) {
    JobStation s;
    s.window.setText(ids::beaconText, "E");
    s.window.setText(ids::beaconInterval, "0");
    s.at(2000, [&] { s.jobs.stopTransmission(); });
    tickBeacon(s, true);
    s.jobs.waitForJob();
    std::vector<std::uint32_t> starts;
    for (const auto& down : s.line->keyDowns()) starts.push_back(down.tick);
    EXPECT_EQ(starts, (std::vector<std::uint32_t>{0, 804, 1608}));
    EXPECT_EQ(s.now(), 2412u);
    EXPECT_EQ(s.traffic(), (std::vector<std::string>(3, "BCN:  E")));

    // Text received while the beacon waits is recorded as received when the
    // next sending starts.
    JobStation r;
    r.window.setText(ids::beaconText, "E");
    r.window.setText(ids::beaconInterval, "2");
    r.at(1000, [&] {
        std::lock_guard lock(r.state.trafficLock);
        r.state.trafficLine.assign("hello");
    });
    r.at(2900, [&] { r.jobs.stopTransmission(); });
    tickBeacon(r, true);
    r.jobs.waitForJob();
    EXPECT_EQ(r.traffic(), (std::vector<std::string>{"BCN:  E", "RX:   HELLO", "BCN:  E"}));
    EXPECT_EQ(r.line->keyDowns().at(1).tick, 2804u);
}

// Whether the system lets a file be deleted while a program reads it; Windows
// does not, so there a beacon file cannot disappear in the middle of a sending.
bool openFilesCanBeDeleted(const std::string& path) {
    testing::writeFileBytes(path, "x");
    std::FILE* open = std::fopen(path.c_str(), "rb");
    std::error_code error;
    const bool deleted = std::filesystem::remove(path, error);
    if (open) std::fclose(open);
    std::filesystem::remove(path, error);
    return deleted;
}

TEST(BeaconJob, AFileThatDisappearsIsFollowedByItsNameAsText) {
    JobStation s;
    const std::string path = s.dir.file("beacon.txt");
    if (!openFilesCanBeDeleted(path)) GTEST_SKIP() << "this system keeps a file that is being read";
    testing::writeFileBytes(path, "t");
    s.window.setText(ids::beaconText, path);
    s.window.setText(ids::beaconInterval, "0");
    std::vector<std::string> statuses;
    s.line->onKeyDown = [&](int count) {
        statuses.push_back(s.window.text(ids::statusLine));
        if (count == 1) std::filesystem::remove(path);
        if (s.window.entryCount(ids::trafficList) >= 2) s.jobs.stopTransmission();
    };
    tickBeacon(s, true);
    s.jobs.waitForJob();
    const auto traffic = s.traffic();
    ASSERT_GE(traffic.size(), 2u);
    EXPECT_EQ(traffic[0], "BCN:  T");
    EXPECT_EQ(traffic[1], "BCN:  " + upper(path));
    EXPECT_EQ(statuses.front(), "Transmitting beacon file...");
    EXPECT_EQ(statuses.back(), "Transmitting beacon buffer...");
}

TEST(BeaconJob, UntickingDuringTheWaitEndsItWithinASecond) {
    struct Case {
        const char* interval;
        std::uint32_t untickAtMs;
    };
    // 4294968 s does not fit in 32 bits as milliseconds; it must still wait.
    const Case cases[] = {{"600", 3000}, {"600", 3999}, {"4294968", 5000}, {" 30 ", 805}};
    for (const Case& c : cases) {
        JobStation s;
        s.window.setText(ids::beaconText, "e");
        s.window.setText(ids::beaconInterval, c.interval);
        s.at(c.untickAtMs, [&] { tickBeacon(s, false); });
        tickBeacon(s, true);
        s.jobs.waitForJob();
        EXPECT_GT(s.now(), c.untickAtMs) << c.interval;
        EXPECT_LE(s.now(), c.untickAtMs + 1000) << c.interval;
        EXPECT_EQ(s.line->keyDowns().size(), 1u) << c.interval;
        EXPECT_EQ(s.traffic(), (std::vector<std::string>{"BCN:  E"}));
        EXPECT_FALSE(s.window.isChecked(ids::beaconTick));
        EXPECT_FALSE(s.state.beaconActive);
        expectIdle(s);
    }
}

TEST(TransmissionJobs, ASecondJobIsRefusedWhileOneRuns) {
    JobStation s(ManualClock::Mode::Blocking);
    s.window.setText(ids::transmitText, "PARIS");
    s.jobs.startTextTransmission();
    s.clock.waitForSleepers(1);

    s.desktop.chooseNext(s.dir.file("never-asked.txt"));
    s.jobs.startFileTransmission();
    tickBeacon(s, true);
    s.window.setText(ids::transmitText, "second");
    s.jobs.startTextTransmission();

    const MessageBoxRequest refusal{std::string(jobRunningMessage), "Ditdahl", MessageButtons::Ok,
                                    MessageIcon::Warning};
    EXPECT_EQ(s.desktop.messageBoxes(), (std::vector<MessageBoxRequest>(3, refusal)));
    EXPECT_TRUE(s.desktop.fileChoices().empty());
    EXPECT_FALSE(s.window.isChecked(ids::beaconTick));
    EXPECT_EQ(s.window.text(ids::transmitText), "second");
    EXPECT_EQ(s.state.lastMessage, "PARIS");
    EXPECT_EQ(s.window.text(ids::statusLine), "Transmitting: PARIS");

    s.jobs.stopTransmission();
    while (s.jobs.jobRunning()) {
        s.clock.advance(50);
        std::this_thread::yield();
    }
    s.jobs.waitForJob();
    EXPECT_EQ(s.traffic(), (std::vector<std::string>{"TX:   P"}));
    expectIdle(s);
}

TEST(TransmissionJobs, ClosingDownStopsARunningJobAfterItsCharacter) {
    for (const bool beacon : {false, true}) {
        JobStation s(ManualClock::Mode::Blocking);
        auto jobs = std::make_unique<TransmissionJobs>(s.state);
        s.window.setText(ids::transmitText, "PARIS PARIS PARIS PARIS");
        s.window.setText(ids::beaconText, "PARIS PARIS PARIS PARIS");
        if (beacon) {
            s.window.setChecked(ids::beaconTick, true);
            jobs->toggleBeacon();
        } else {
            jobs->startTextTransmission();
        }
        s.clock.waitForSleepers(1);
        std::atomic<bool> closed{false};
        std::thread closer([&] {
            jobs.reset();
            closed = true;
        });
        // Closing down asks for the stop before it waits; only then does time
        // move on, so the job is still in its first character.
        while (!s.state.stopRequested) std::this_thread::yield();
        while (!closed) {
            s.clock.advance(10);
            std::this_thread::yield();
        }
        closer.join();
        // Only the character that was sounding, then the closing record.
        EXPECT_EQ(s.traffic(), (std::vector<std::string>{beacon ? "BCN:  P" : "TX:   P"}));
        expectIdle(s);
    }
}

TEST(TransmissionJobs, DelayIntervalAndBeaconFileChoices) {
    JobStation s;
    const std::pair<int, int> delays[] = {{0, 0}, {1, 100}, {2, 200}, {3, 500}, {4, 1000}, {5, 2000}, {-1, 0}, {9, 0}};
    for (const auto& [index, ms] : delays) {
        s.selectDelay(index);
        EXPECT_EQ(selectedDelayMs(s.state), ms) << index;
    }
    const std::pair<const char*, std::uint32_t> intervals[] = {
        {"600", 600},
        {"", 0},
        {"  ", 0},
        {" 12 ", 12},
        {"1x", 0},
        {"-5", 0},
        {"4294967295", 4294967295u},
        {"99999999999999999999", 4294967295u},
    };
    for (const auto& [text, seconds] : intervals) {
        s.window.setText(ids::beaconInterval, text);
        EXPECT_EQ(beaconIntervalSeconds(s.state), seconds) << text;
    }

    s.window.setText(ids::beaconText, "CQ");
    s.desktop.chooseNext("");
    s.jobs.chooseBeaconFile();
    EXPECT_EQ(s.window.text(ids::beaconText), "CQ");
    s.desktop.chooseNext("/home/op/beacon.txt");
    s.jobs.chooseBeaconFile();
    EXPECT_EQ(s.window.text(ids::beaconText), "/home/op/beacon.txt");
}

}  // namespace
}  // namespace ditdahl
