// The Band view's rows (capture thread) and its window (window thread).
#include "shell/BandView.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "base/CaptureFormat.h"
#include "station/ControlIds.h"

namespace ditdahl {

std::string bandRow(const band::ChannelReport& channel, std::string_view text) {
    std::array<char, 32> speed{"--"};
    if (channel.wpm > 0.0) std::snprintf(speed.data(), speed.size(), "%d", static_cast<int>(std::lround(channel.wpm)));
    std::array<char, 64> numbers{};
    std::snprintf(numbers.data(), numbers.size(), "%5d Hz %3s wpm %3d dB  ",
                  static_cast<int>(std::lround(channel.toneHz)), speed.data(),
                  static_cast<int>(std::lround(channel.snrDb)));
    return std::string(numbers.data()) + std::string(text);
}

BandFeed::BandFeed(StationState& state, Controls& bandWindow) : state_(state), window_(bandWindow) {}

BandFeed::~BandFeed() = default;

void BandFeed::handleBlock(const std::int16_t* interleavedStereoFrames, int blockFrames) {
    const bool on = state_.bandView;
    if (on != (decoder_ != nullptr)) changeOver(on);
    if (!decoder_) return;
    if (state_.receiveEnabled) {
        decoder_->pushStereo(interleavedStereoFrames, static_cast<std::size_t>(blockFrames));
        return;
    }
    // Our own transmission is no signal of the band: the decoder hears
    // silence while receiving is off.
    static constexpr std::array<std::int16_t, 2 * maxBlockFrames> silence{};
    decoder_->pushStereo(silence.data(), static_cast<std::size_t>(std::min(blockFrames, maxBlockFrames)));
}

void BandFeed::changeOver(bool on) {
    // Rows of a decoder that is gone would never end.
    decoder_.reset();
    rows_.clear();
    spotter_ = CallSpotter{};
    window_.clearEntries(ids::bandList);
    if (on) decoder_ = std::make_unique<band::BandDecoder>(state_.morseTable, static_cast<band::BandListener&>(*this));
}

int BandFeed::rowOf(int channelId) const {
    const auto row =
        std::find_if(rows_.begin(), rows_.end(), [channelId](const Row& r) { return r.channelId == channelId; });
    return row == rows_.end() ? -1 : static_cast<int>(row - rows_.begin());
}

void BandFeed::channelStarted(const band::ChannelReport& channel) {
    rows_.push_back({channel.id, {}});
    window_.addEntry(ids::bandList, bandRow(channel, {}));
}

void BandFeed::text(const band::ChannelReport& channel, std::string_view decoded) {
    const int index = rowOf(channel.id);
    if (index < 0) return;
    std::string& text = rows_[static_cast<std::size_t>(index)].text;
    text.append(decoded);
    if (text.size() > bandRowTextLength) text.erase(0, text.size() - bandRowTextLength);
    window_.setEntryText(ids::bandList, index, bandRow(channel, text));
    if (spots_) {
        publish(
            spotter_.hear({channel.id, state_.clock->utcNow(), channel.toneHz, channel.wpm, channel.snrDb, decoded}));
    }
}

void BandFeed::publish(const std::vector<Spot>& spots) {
    for (const Spot& spot : spots) spots_->publish(spot);
}

void BandFeed::channelEnded(const band::ChannelReport& channel) {
    const int index = rowOf(channel.id);
    if (index < 0) return;
    rows_.erase(rows_.begin() + index);
    window_.deleteEntry(ids::bandList, index);
    if (spots_) publish(spotter_.channelEnded(channel.id));
}

BandWindow::BandWindow(Controls& window, std::function<void(int)> toneChosen, std::function<void()> closed)
    : window_(window), toneChosen_(std::move(toneChosen)), closed_(std::move(closed)) {}

void BandWindow::onCommand(int id, int notificationCode) {
    if (id != ids::bandList || notificationCode != notify::listSelectionChange) return;
    // The tone is read from the chosen row itself: the capture thread moves
    // rows as channels come and go, and only the row's text says whose it is.
    const std::string row = window_.entryText(ids::bandList, window_.selectedIndex(ids::bandList));
    const auto first = row.find_first_not_of(' ');
    if (first == std::string::npos) return;
    int toneHz = 0;
    std::from_chars(row.data() + first, row.data() + row.size(), toneHz);
    if (toneHz > 0) toneChosen_(toneHz);
}

void BandWindow::onMessage(const WindowMessage& message) {
    if (message.code != wmClose || !open_) return;
    open_ = false;
    closed_();
}

std::optional<FontRequest> BandWindow::controlFont(int id) const {
    // Columns line up only in a fixed-pitch font.
    if (id == ids::bandList) return FontRequest{"Courier New", 14, true};
    return std::nullopt;
}

}  // namespace ditdahl
