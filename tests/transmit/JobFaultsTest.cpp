// Transmission jobs when things go wrong or come at awkward moments: text of
// several bytes per character, a keying port unplugged while sending, a click
// just as a job ends.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "JobStation.h"
#include "station/ControlIds.h"
#include "transmit/TransmissionJobs.h"

namespace ditdahl {
namespace {

using testing::JobStation;

// A character outside the Morse table, typed or in a file, is one character
// whatever its encoding: one 9-dot pause, shown and recorded whole.
TEST(TransmissionJobs, ACharacterOfSeveralBytesKeysAsOnePause) {
    struct Case {
        const char* what;
        std::string text;
        bool fromFile;
        std::uint32_t endMs;  // E 264 ms, each pause 540, the closing pause 540
        std::string recorded;
    };
    const Case cases[] = {
        {"typed", "E\xC3\xA9", false, 264 + 540 + 540, "TX:   E\xC3\xA9"},
        {"UTF-8 file", "E\xE2\x82\xAC", true, 264 + 540 + 540, "TX:   E\xE2\x82\xAC"},
        {"Latin-1 file", "E\xE9\xE9", true, 264 + 2 * 540 + 540, "TX:   E\xE9\xE9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        JobStation s;
        if (c.fromFile) {
            testing::writeFileBytes(s.dir.file("text.txt"), c.text);
            s.desktop.chooseNext(s.dir.file("text.txt"));
            s.jobs.startFileTransmission();
        } else {
            s.window.setText(ids::transmitText, c.text);
            s.jobs.startTextTransmission();
        }
        s.jobs.waitForJob();
        EXPECT_EQ(s.now(), c.endMs);
        EXPECT_EQ(s.traffic(), std::vector<std::string>{c.recorded});
    }
}

// A keying line whose device goes away after a number of key-downs, as an
// unplugged adapter does: from then on it changes nothing.
class UnpluggedLine final : public KeyLine {
public:
    explicit UnpluggedLine(int raisesBeforeGone) : left_(raisesBeforeGone) {}
    void raise(Line) override {
        if (left_ > 0) --left_;
        if (left_ == 0) gone_ = true;
        if (!gone_) ++raised_;
    }
    void release(Line) override {}
    bool gone() const override { return gone_; }
    int raised() const { return raised_; }

private:
    int left_;
    int raised_ = 0;
    std::atomic<bool> gone_{false};
};

// The keying port unplugged in the middle of a text: the text is sent to its
// end with full timing, the port is closed (both lines released, none raised
// again), and the operator is told once.
TEST(TransmissionJobs, AKeyingPortThatGoesAwayIsClosedAndTheSendingKeepsItsTiming) {
    JobStation s;
    auto line = std::make_shared<UnpluggedLine>(3);
    s.state.pttPort.set(line);
    s.window.setText(ids::transmitText, "PARIS");
    s.jobs.startTextTransmission();
    s.jobs.waitForJob();
    // P 864, A 504, R 624, I 384, S 504, then the closing 540 at 20 wpm.
    EXPECT_EQ(s.now(), 864u + 504 + 624 + 384 + 504 + 540);
    EXPECT_EQ(line->raised(), 2);
    EXPECT_EQ(s.state.pttPort.get(), nullptr);
    // Told to the window thread, which shows the message.
    EXPECT_EQ(s.window.takePostedMessages(), (std::vector<WindowMessage>{{keyingPortGoneMessage, 0, 0}}));
    EXPECT_EQ(s.traffic(), std::vector<std::string>{"TX:   PARIS"});
}

// The window's transmit panel, watched: what the station's flags were at the
// moment the window showed idle, or showed a status.
class WatchedPanel final : public TransmitPanel {
public:
    WatchedPanel(WindowDisplays& window, TransmissionJobs& jobs, StationState& state)
        : window_(window), jobs_(jobs), state_(state) {}
    void showIdle(bool idle) override {
        if (idle) runningWhenIdle.push_back(jobs_.jobRunning());
        window_.showIdle(idle);
    }
    void showStatus(std::string_view status) override {
        if (!status.empty()) receivingAtStatus.push_back(state_.receiveEnabled);
        window_.showStatus(status);
    }
    std::string textToSend() const override { return window_.textToSend(); }
    void putTextToSend(std::string_view text) override { window_.putTextToSend(text); }
    bool beaconTicked() const override { return window_.beaconTicked(); }
    std::string beaconText() const override { return window_.beaconText(); }
    std::string beaconInterval() const override { return window_.beaconInterval(); }
    std::string delayChoice() const override { return window_.delayChoice(); }
    void untickBeacon() override { window_.untickBeacon(); }
    std::vector<bool> runningWhenIdle;  // at each showIdle(true)
    std::vector<bool> receivingAtStatus;

private:
    WindowDisplays& window_;
    TransmissionJobs& jobs_;
    StationState& state_;
};

// A job counts as ended before the window shows idle, so that Transmit, once
// usable again, is never refused as "already running"; and receiving is off
// from the flush of the received line on, so that no received text slips
// into the line being sent before the job starts.
TEST(TransmissionJobs, TheWindowShowsIdleOnlyOnceTheJobHasEndedAndReceivingStopsAtTheFlush) {
    struct Case {
        const char* what;
        std::function<void(JobStation&)> start;
    };
    const Case cases[] = {
        {"text",
         [](JobStation& s) {
             s.window.setText(ids::transmitText, "E");
             s.jobs.startTextTransmission();
         }},
        {"file",
         [](JobStation& s) {
             testing::writeFileBytes(s.dir.file("e.txt"), "E");
             s.desktop.chooseNext(s.dir.file("e.txt"));
             s.jobs.startFileTransmission();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        JobStation s;
        WatchedPanel panel(s.displays, s.jobs, s.state);
        s.state.displays.transmit = &panel;
        c.start(s);
        s.jobs.waitForJob();
        EXPECT_EQ(panel.runningWhenIdle, std::vector<bool>{false});
        EXPECT_EQ(panel.receivingAtStatus, std::vector<bool>{false});
    }
}

}  // namespace
}  // namespace ditdahl
