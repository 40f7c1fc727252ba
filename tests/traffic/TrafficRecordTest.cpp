#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "station/AppendFile.h"
#include "station/ControlIds.h"
#include "support/Station.h"
#include "support/TempDir.h"
#include "traffic/TrafficRecord.h"

namespace ditdahl {
namespace {

using testing::readFileBytes;
using testing::TempDir;
using testing::TestStation;

struct LoggedStation : TestStation {
    LoggedStation() {
        state.logPath.assign(dir.file("Ditdahl.log"));
        openLogFile(state);
    }
    ~LoggedStation() { closeLogFile(state); }
    std::string log() const { return readFileBytes(dir.file("Ditdahl.log")); }
    void flush(std::string_view line) {
        std::lock_guard lock(state.trafficLock);
        state.trafficLine.assign(line);
        flushTrafficLine(state);
    }
    TempDir dir;
};

TEST(TrafficRecord, TimestampIsUtcDayFirstWithTwoDigitYear) {
    struct Case {
        UtcTime utc;
        const char* text;
    };
    const Case cases[] = {
        {{2013, 3, 5, 14, 7, 9, 0}, "05.03.13 14:07:09 "},
        {{2000, 1, 1, 0, 0, 0, 0}, "01.01.00 00:00:00 "},
        {{1999, 12, 31, 23, 59, 59, 999}, "31.12.99 23:59:59 "},
        {{2024, 2, 29, 13, 7, 0, 0}, "29.02.24 13:07:00 "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatTimestamp(c.utc), c.text);
        TestStation station;
        station.clock.setUtc(c.utc);
        std::string text = "x";
        appendTimestamp(station.state, text);
        EXPECT_EQ(text, std::string("x") + c.text);
    }
    // The clock's own conversion from milliseconds since 1970 is UTC, whatever
    // the machine's time zone.
    EXPECT_EQ(formatTimestamp(utcFromMilliseconds(946684799000)), "31.12.99 23:59:59 ");
    EXPECT_EQ(formatTimestamp(utcFromMilliseconds(1362492429000)), "05.03.13 14:07:09 ");
}

TEST(TrafficRecord, TrimsBlanksOnly) {
    struct Case {
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"  TEST ONE  ", "TEST ONE"}, {"     ", ""}, {"", ""}, {"\tA \n", "\tA \n"}, {" A", "A"}, {"A ", "A"},
    };
    for (const Case& c : cases) {
        TestStation station;
        station.state.trafficLine.assign(c.before);
        trimTrafficLine(station.state);
        EXPECT_EQ(station.state.trafficLine.view(), c.after) << '"' << c.before << '"';
    }
}

TEST(TrafficRecord, FlushLabelsTrimsAndUpperCasesIntoListAndLog) {
    struct Case {
        bool receiveEnabled;
        bool beaconActive;
        const char* line;
        const char* entry;
    };
    const Case cases[] = {
        {true, false, "hello", "05.03.13 14:07:09 RX:   HELLO"},
        {true, true, "rx wins", "05.03.13 14:07:09 RX:   RX WINS"},
        {false, true, "  cq de x  ", "05.03.13 14:07:09 BCN:  CQ DE X"},
        {false, false, "test one", "05.03.13 14:07:09 TX:   TEST ONE"},
        {false, false, "a\r\nb", "05.03.13 14:07:09 TX:   A\r\nB"},
    };
    for (const Case& c : cases) {
        LoggedStation station;
        station.state.receiveEnabled = c.receiveEnabled;
        station.state.beaconActive = c.beaconActive;
        station.flush(c.line);
        EXPECT_EQ(station.window.entries(ids::trafficList), std::vector<std::string>{c.entry});
        EXPECT_EQ(station.window.selectedIndex(ids::trafficList), 0);
        EXPECT_EQ(station.log(), std::string(c.entry) + "\r\n");
        // The line is left trimmed and upper-cased for the caller to empty.
        EXPECT_EQ(station.state.trafficLine.view(), std::string_view(c.entry).substr(24));
    }
}

TEST(TrafficRecord, BlankLineRecordsNothing) {
    LoggedStation station;
    station.flush("    ");
    station.flush("");
    EXPECT_EQ(station.window.entryCount(ids::trafficList), 0);
    EXPECT_EQ(station.log(), "");
}

TEST(TrafficRecord, ListKeepsTheNewest1024AndSelectsTheLast) {
    TestStation station;
    for (int i = 0; i < 1030; ++i) {
        std::lock_guard lock(station.state.trafficLock);
        station.state.trafficLine.assign("L" + std::to_string(i));
        flushTrafficLine(station.state);
    }
    EXPECT_EQ(station.window.entryCount(ids::trafficList), 1024);
    EXPECT_EQ(station.window.entryText(ids::trafficList, 0), "05.03.13 14:07:09 RX:   L6");
    EXPECT_EQ(station.window.entryText(ids::trafficList, 1023), "05.03.13 14:07:09 RX:   L1029");
    EXPECT_EQ(station.window.selectedIndex(ids::trafficList), 1023);
}

TEST(TrafficRecord, LogLinesAreExactBytes) {
    LoggedStation station;
    writeLogLine(station.state, "Program startup", true);
    station.clock.advance(61000);
    station.flush("cq");
    writeLogLine(station.state, "Audio reset (WM_USER)", true);
    writeLogLine(station.state, std::string(400, 'x'), false);
    const std::string expected =
        "05.03.13 14:07:09 Program startup\r\n"
        "05.03.13 14:08:10 RX:   CQ\r\n"
        "05.03.13 14:08:10 Audio reset (WM_USER)\r\n" +
        std::string(257, 'x') + "\r\n";
    EXPECT_EQ(station.log(), expected);
}

TEST(TrafficRecord, LogAppendsToAnExistingFileAndWritesNothingWithoutOne) {
    TempDir dir;
    testing::writeFileBytes(dir.file("Ditdahl.log"), "old line\r\n");
    TestStation station;
    station.state.logPath.assign(dir.file("Ditdahl.log"));
    writeLogLine(station.state, "lost", true);  // not open yet: silently lost
    openLogFile(station.state);
    writeLogLine(station.state, "Program startup", true);
    closeLogFile(station.state);
    EXPECT_EQ(readFileBytes(dir.file("Ditdahl.log")), "old line\r\n05.03.13 14:07:09 Program startup\r\n");

    station.state.logPath.assign(dir.file("no/such/dir/Ditdahl.log"));
    openLogFile(station.state);
    EXPECT_EQ(station.state.logFile, nullptr);
    writeLogLine(station.state, "nowhere", true);
}

// A log file that fails as a full or read-only disk does, while `failing`.
class FailingLog final : public AppendFile {
public:
    FailingLog(std::string& bytes, const bool& failing) : bytes_(bytes), failing_(failing) {}
    bool write(std::string_view bytes) override {
        if (failing_) return false;
        bytes_ += bytes;
        return true;
    }

private:
    std::string& bytes_;
    const bool& failing_;
};

// Counts what the traffic display is told about the log.
struct LogWatch final : TrafficDisplay {
    void logFailing(std::string_view) override { ++failures; }
    int failures = 0;
};

// The log's disk fills up, or the file cannot be opened at all, for a while:
// the program goes on, says so once for each stretch, and once the file can
// be written again every line is there, whole and in order.
TEST(TrafficRecord, LinesWaitWhileTheLogCannotBeWrittenAndNoneIsLost) {
    struct Case {
        const char* what;
        bool opensWhileFailing;  // a full disk; else the file cannot be opened (read-only)
    };
    for (const Case c : {Case{"full disk", true}, Case{"read-only", false}}) {
        SCOPED_TRACE(c.what);
        TestStation station;
        LogWatch watch;
        station.state.displays.traffic = &watch;
        std::string written;
        bool failing = false;
        int opens = 0;
        station.state.openLog = [&](const std::string&) -> std::unique_ptr<AppendFile> {
            ++opens;
            if (failing && !c.opensWhileFailing) return nullptr;
            return std::make_unique<FailingLog>(written, failing);
        };
        station.state.logPath = "Ditdahl.log";
        failing = !c.opensWhileFailing;
        openLogFile(station.state);
        failing = true;
        for (const char* line : {"one", "two", "three"}) writeLogLine(station.state, line, false);
        EXPECT_EQ(written, "");
        EXPECT_EQ(watch.failures, 1);
        failing = false;
        writeLogLine(station.state, "four", false);
        EXPECT_EQ(written, "one\r\ntwo\r\nthree\r\nfour\r\n");
        failing = true;
        writeLogLine(station.state, "five", false);
        EXPECT_EQ(watch.failures, 2) << "a new stretch of failures is told again";
        failing = false;
        closeLogFile(station.state);
        EXPECT_EQ(written, "one\r\ntwo\r\nthree\r\nfour\r\nfive\r\n");
        EXPECT_GE(opens, 1);
    }
}

TEST(TrafficRecord, DeleteAsksFirstAndReplacesTheFile) {
    LoggedStation station;
    writeLogLine(station.state, "Program startup", true);

    station.desktop.answerNext(MessageAnswer::Cancel);
    deleteLogFile(station.state);
    EXPECT_EQ(station.log(), "05.03.13 14:07:09 Program startup\r\n");

    deleteLogFile(station.state);  // answered OK
    const MessageBoxRequest question{"Delete logfile ?", "Ditdahl", MessageButtons::OkCancel, MessageIcon::Question};
    EXPECT_EQ(station.desktop.messageBoxes(), (std::vector<MessageBoxRequest>{question, question}));
    EXPECT_EQ(station.log(), "");
    station.flush("after");
    EXPECT_EQ(station.log(), "05.03.13 14:07:09 RX:   AFTER\r\n");
    EXPECT_EQ(station.window.entryCount(ids::trafficList), 1);
}

TEST(TrafficRecord, DeleteWhileAnotherThreadWritesLosesOrSplitsNoLine) {
    LoggedStation station;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) writeLogLine(station.state, "line " + std::to_string(i), false);
        done = true;
    });
    int deletes = 0;
    while (!done && deletes < 50) {
        deleteLogFile(station.state);
        ++deletes;
    }
    writer.join();
    writeLogLine(station.state, "line 2000", false);
    // What was written after the last delete is all there: whole lines, in
    // order, none missing.
    const std::string log = station.log();
    int previous = -1;
    std::size_t start = 0;
    while (start < log.size()) {
        const auto end = log.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "a half line at the end";
        const std::string line = log.substr(start, end - start);
        ASSERT_EQ(line.rfind("line ", 0), 0u) << line;
        const int n = std::stoi(line.substr(5));
        if (previous >= 0) {
            EXPECT_EQ(n, previous + 1);
        }
        previous = n;
        start = end + 2;
    }
    EXPECT_EQ(previous, 2000);
}

TEST(TrafficRecord, ViewerFailureIsReported) {
    TestStation station;
    station.state.logPath.assign("/tmp/with blank/and \"quotes\".log");
    viewLogFile(station.state);
    EXPECT_EQ(station.desktop.viewedPaths(), std::vector<std::string>{"/tmp/with blank/and \"quotes\".log"});
    EXPECT_TRUE(station.desktop.messageBoxes().empty());

    station.desktop.failViewerWith("Cannot start \"xdg-open\" to view the log file: No such file or directory.");
    viewLogFile(station.state);
    const auto boxes = station.desktop.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].icon, MessageIcon::Warning);
    EXPECT_EQ(boxes[0].buttons, MessageButtons::Ok);
    EXPECT_NE(boxes[0].text.find("xdg-open"), std::string::npos);
}

}  // namespace
}  // namespace ditdahl
