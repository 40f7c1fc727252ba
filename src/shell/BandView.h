// The Band view: every signal of the passband copied at once, one row each
// in the Band window. BandFeed runs on the capture thread: while the view is
// on it hands every block to a band decoder, made and dropped between blocks
// as ReceiverSwitch does with the automatic receiver, and writes the rows
// into the Band window's controls, which any thread may change without
// waiting for the window thread. BandWindow is that window's procedure, on
// the window thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/ReceiverSwitch.h"
#include "band/BandDecoder.h"
#include "shell/WindowProcedure.h"
#include "spots/CallSpotter.h"
#include "spots/SpotServer.h"
#include "station/StationState.h"

namespace ditdahl {

// How much of a channel's text its row keeps: the newest characters.
inline constexpr std::size_t bandRowTextLength = 60;

// "  712 Hz  24 wpm   9 dB  CQ CQ DE ...": the tone first, so that a chosen
// row's tone can be read back from it; "--" while the speed is not known.
std::string bandRow(const band::ChannelReport& channel, std::string_view text);

class BandFeed final : public BlockListener, band::BandListener {
public:
    // Both outlive the feed; the station's Morse table is built before the
    // first block.
    BandFeed(StationState& state, Controls& bandWindow);
    ~BandFeed() override;
    BandFeed(const BandFeed&) = delete;
    BandFeed& operator=(const BandFeed&) = delete;

    void handleBlock(const std::int16_t* interleavedStereoFrames, int blockFrames) override;
    // The calls heard go to server as spots from then on. Window thread,
    // before capture starts; server outlives the capture.
    void spotTo(SpotServer* server) { spots_ = server; }

private:
    struct Row {
        int channelId = 0;
        std::string text;
    };

    void changeOver(bool on);
    void channelStarted(const band::ChannelReport& channel) override;
    void text(const band::ChannelReport& channel, std::string_view decoded) override;
    void channelEnded(const band::ChannelReport& channel) override;
    int rowOf(int channelId) const;
    void publish(const std::vector<Spot>& spots);

    StationState& state_;
    Controls& window_;
    // Present while the view is on; a new one for every switch-on, so that
    // it never decodes audio from before.
    std::unique_ptr<band::BandDecoder> decoder_;
    // In the list's order.
    std::vector<Row> rows_;
    SpotServer* spots_ = nullptr;
    CallSpotter spotter_;
};

class BandWindow final : public WindowProcedure {
public:
    // toneChosen: the tone, in Hz, of the row the user chose; closed: the
    // user closed the window.
    BandWindow(Controls& window, std::function<void(int toneHz)> toneChosen, std::function<void()> closed);

    // Open until close() or the user closes it; the view closes the window
    // when it next looks.
    void open() { open_ = true; }
    void close() { open_ = false; }

    void onInit() override {}
    void onCommand(int id, int notificationCode) override;
    void onMessage(const WindowMessage& message) override;
    std::optional<FontRequest> controlFont(int id) const override;
    bool ended() const override { return !open_; }

private:
    Controls& window_;
    std::function<void(int)> toneChosen_;
    std::function<void()> closed_;
    bool open_ = false;
};

}  // namespace ditdahl
