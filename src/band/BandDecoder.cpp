#include "band/BandDecoder.h"

#include <algorithm>

#include "base/LeftChannel.h"

namespace ditdahl::band {
namespace {
constexpr std::int64_t historySamples = 15 * BandDecoder::sampleRate;
// A channel's audio starts this long before its signal first stood out in
// the averaged spectrum, which takes about half a second of keying.
constexpr std::int64_t leadSamples = 2 * BandDecoder::sampleRate;
}  // namespace

BandDecoder::BandDecoder(const MorseTable& table, BandListener& listener)
    : table_(table), listener_(listener), tracker_(mostChannels), history_(historySamples, 0.0) {}

void BandDecoder::pushStereo(const std::int16_t* interleaved, std::size_t frames) {
    takeLeftChannel(interleaved, frames,
                    [this](const double* samples, std::size_t count) { pushMono(samples, count); });
}

void BandDecoder::pushMono(const double* samples, std::size_t count) {
    while (count > 0) {
        // Chunks end where the spectrum is analysed, so that a channel opens
        // exactly after the samples that found its signal.
        const std::size_t n = std::min(count, spectrum_.samplesToHop());
        takeChunk(samples, n);
        samples += n;
        count -= n;
    }
}

void BandDecoder::takeChunk(const double* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        history_[static_cast<std::size_t>((samples_ + static_cast<std::int64_t>(i)) % historySamples)] = samples[i];
    samples_ += static_cast<std::int64_t>(count);
    for (Open& o : channels_) o.channel->push(samples, count);
    if (!spectrum_.push(samples, count)) return;
    tracker_.update(spectrum_);
    followTracks();
}

void BandDecoder::followTracks() {
    for (const Track& track : tracker_.tracks()) {
        auto found =
            std::find_if(channels_.begin(), channels_.end(), [&](const Open& o) { return o.trackId == track.id; });
        if (found == channels_.end()) {
            if (!track.ended) open(track);
            continue;
        }
        if (track.ended) {
            close(*found, &track);
            channels_.erase(found);
            continue;
        }
        found->channel->follow(track.toneHz, tracker_.stands(track), track.snrDb, track.noiseBinPower);
    }
}

double BandDecoder::hopMs(int hop) const {
    const int ago = tracker_.hops() - hop;
    return std::max(0.0, nowMs() - ago * BandSpectrum::hopSamples * 1000.0 / sampleRate);
}

void BandDecoder::open(const Track& track) {
    const auto appeared = static_cast<std::int64_t>(hopMs(track.firstHop) * sampleRate / 1000.0);
    std::int64_t first = std::max<std::int64_t>({0, samples_ - historySamples, appeared - leadSamples});
    auto channel = std::make_unique<BandChannel>(table_, listener_, track.id, track.toneHz, first, samples_);
    channel->follow(track.toneHz, true, track.snrDb, track.noiseBinPower);
    listener_.channelStarted(channel->report(hopMs(track.firstHop)));
    // Steps begin on a step boundary.
    first = (first + automatic::stepSamples - 1) / automatic::stepSamples * automatic::stepSamples;
    replay_.clear();
    for (std::int64_t s = first; s < samples_; ++s)
        replay_.push_back(history_[static_cast<std::size_t>(s % historySamples)]);
    channel->push(replay_.data(), replay_.size());
    channels_.push_back({track.id, std::move(channel)});
}

void BandDecoder::close(Open& open, const Track* track) {
    open.channel->finish(track != nullptr);
    listener_.channelEnded(open.channel->report(track ? hopMs(track->lastStoodHop) : nowMs()));
}

void BandDecoder::finish() {
    for (Open& o : channels_) close(o, nullptr);
    channels_.clear();
}

}  // namespace ditdahl::band
