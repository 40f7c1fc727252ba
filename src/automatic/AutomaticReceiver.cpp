#include "automatic/AutomaticReceiver.h"

#include <algorithm>
#include <cmath>

#include "automatic/SpeedSearch.h"
#include "base/LeftChannel.h"

namespace ditdahl::automatic {
namespace {
constexpr std::int64_t historySamples = 15 * AutomaticReceiver::sampleRate;
// The speed is searched for every second of audio after the lock, and taken
// as it is once the tone has been locked this long.
constexpr std::int64_t retrySamples = 24 * ToneSearch::hopSamples;
constexpr std::int64_t longestWait = 8 * AutomaticReceiver::sampleRate;
// A short over's speed is taken from as few marks as this: one letter of
// three ("R", "K").
constexpr std::size_t shortOverMarks = 3;

// The first 4 ms step boundary at or after a sample.
std::int64_t stepBoundary(std::int64_t sample) { return (sample + stepSamples - 1) / stepSamples * stepSamples; }
std::int64_t sampleAt(double timeMs) {
    return static_cast<std::int64_t>(std::ceil(timeMs * AutomaticReceiver::sampleRate / 1000.0));
}
}  // namespace

AutomaticReceiver::AutomaticReceiver(const MorseTable& table, ReceiverListener& listener)
    : listener_(listener), pipeline_(table, listener), history_(historySamples, 0.0) {}

void AutomaticReceiver::setToneHint(double toneHz) {
    toneHintHz_ = toneHz > 0.0 ? toneHz : 0.0;
    search_.setHint(toneHintHz_);
}

void AutomaticReceiver::setSpeedHint(double wpm) { speedHintWpm_ = wpm > 0.0 ? wpm : 0.0; }

double AutomaticReceiver::nowMs() const { return static_cast<double>(samples_) * 1000.0 / sampleRate; }

void AutomaticReceiver::pushStereo(const std::int16_t* interleaved, std::size_t frames) {
    takeLeftChannel(interleaved, frames,
                    [this](const double* samples, std::size_t count) { pushMono(samples, count); });
}

void AutomaticReceiver::pushMono(const double* samples, std::size_t count) {
    while (count > 0) {
        // Chunks end where the tone search analyses, so that a lock happens
        // exactly after the samples that caused it.
        const auto toHop =
            static_cast<std::size_t>(ToneSearch::hopSamples - search_.sampleCount() % ToneSearch::hopSamples);
        const std::size_t n = std::min(count, toHop);
        takeChunk(samples, n);
        samples += n;
        count -= n;
    }
}

void AutomaticReceiver::takeChunk(const double* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        history_[static_cast<std::size_t>((samples_ + static_cast<std::int64_t>(i)) % historySamples)] = samples[i];
    samples_ += static_cast<std::int64_t>(count);
    const bool changed = search_.push(samples, count);
    if (changed && search_.locked()) {
        // Locked, or moved to another station: its speed is measured anew.
        if (stage_ == Stage::decoding) {
            pipeline_.stop();
            noteWritten();
        }
        if (stage_ == Stage::measuringSpeed) readShortOver(true);
        lockedAt_ = samples_;
        stage_ = Stage::measuringSpeed;
    }
    if (changed && !search_.locked()) {
        letGo();
        return;
    }
    if (stage_ == Stage::searchingTone) return;
    if (stage_ == Stage::measuringSpeed) {
        measuredToneHz_ = search_.toneHz();
        if ((samples_ - lockedAt_) % retrySamples == 0) tryStart();
        return;
    }
    mixer_.follow(search_.toneHz(), search_.toneStands());
    decodedToneHz_ = search_.toneHz();
    pipeline_.setToneStands(search_.toneStands());
    notches_.set(search_.carriersHz());
    steps_.clear();
    if (notches_.empty()) {
        mixer_.push(samples, count, steps_);
    } else {
        notched_.assign(samples, samples + count);
        notches_.filter(notched_.data(), notched_.size());
        mixer_.push(notched_.data(), notched_.size(), steps_);
    }
    for (const auto& z : steps_) {
        if (stage_ != Stage::decoding) break;
        if (pipeline_.step(z) == DecodingPipeline::Progress::speedInDoubt) measureAgain();
    }
    noteWritten();
    reportTone();
}

std::vector<std::complex<double>> AutomaticReceiver::mixBuffered(std::int64_t first, double toneHz) {
    std::vector<double> buffered;
    buffered.reserve(static_cast<std::size_t>(samples_ - first));
    for (std::int64_t s = first; s < samples_; ++s)
        buffered.push_back(history_[static_cast<std::size_t>(s % historySamples)]);
    notches_.clear();
    notches_.set(search_.carriersHz());
    notches_.filter(buffered.data(), buffered.size());
    mixer_.start(toneHz);
    std::vector<std::complex<double>> caught;
    mixer_.push(buffered.data(), buffered.size(), caught);
    return caught;
}

void AutomaticReceiver::tryStart() {
    // Everything buffered, from a 4 ms step boundary, is decoded first.
    std::int64_t first = stepBoundary(std::max<std::int64_t>(0, samples_ - historySamples));
    std::vector<std::complex<double>> caught = mixBuffered(first, search_.toneHz());

    auto choice = searchSpeed(caught, speedHintWpm_, samples_ - lockedAt_ >= longestWait);
    // A station copied a moment ago, back after the other's turn, sends at
    // the speed it was copied at, also where its over is too short to
    // measure.
    const auto knownDot = written_.recentDotMs(search_.toneHz(), nowMs());
    const bool assumed = !choice && knownDot;
    if (assumed) choice = SpeedChoice{*knownDot, {}, LikelihoodEdges::PhaseReference::around};
    if (!choice) return;
    decodedToneHz_ = search_.toneHz();
    // What was written before is decided again, not written (whatever was
    // written last, and at least what came from this tone); but a clearly
    // stronger station sent beside the one followed, and what it sent
    // meanwhile is new.
    auto written = written_.until(decodedToneHz_);
    if (!search_.tookStronger() && pipeline_.writtenUntilMs())
        written = std::max(written.value_or(*pipeline_.writtenUntilMs()), *pipeline_.writtenUntilMs());
    if (assumed) {
        // At the speed assumed, the other station's over before this one
        // would draw the speed followed to its own: only what came since is
        // decoded, and the gate judges it at once (a short over is decided
        // as it ends).
        const std::int64_t since = written ? stepBoundary(sampleAt(*written)) : first;
        if (since > first && since < samples_) {
            caught.erase(caught.begin(), caught.begin() + (since - first) / stepSamples);
            first = since;
        }
        choice->found = durationsAt(caught, choice->dotMs);
    }
    pipeline_.begin(*choice, first / stepSamples, written);
    pipeline_.catchUp(caught);
    noteWritten();
    reportTone();
    pipeline_.reportSpeed();
    stage_ = Stage::decoding;
}

void AutomaticReceiver::readShortOver(bool movedOn) {
    // Stations taking turns in overs of a word or two: an over may end, and
    // the other station answer, before the buffer holds enough of it to
    // trust a speed. What came since the last text written (the other's
    // over) is this one's whole over, measured on the few marks it has; so
    // is the whole buffer when the search moves on from the first over
    // heard. A stronger station that took over while this one still sent
    // is no turn.
    if (movedOn && search_.tookStronger()) return;
    const auto lastText = pipeline_.writtenUntilMs();
    if (!lastText && !movedOn) return;
    const std::int64_t start = samples_ - historySamples;
    const std::int64_t first = stepBoundary(lastText ? sampleAt(*lastText) : std::max<std::int64_t>(0, start));
    if (first < start || first >= samples_) return;
    const std::vector<std::complex<double>> caught = mixBuffered(first, measuredToneHz_);
    const auto choice = searchSpeed(caught, speedHintWpm_, false, shortOverMarks);
    if (!choice) return;
    decodedToneHz_ = measuredToneHz_;
    pipeline_.begin(*choice, first / stepSamples, lastText);
    pipeline_.setToneStands(true);
    pipeline_.catchUp(caught);
    pipeline_.stop();
    noteWritten();
}

void AutomaticReceiver::measureAgain() {
    // The buffer is decoded afresh.
    pipeline_.abandon();
    stage_ = Stage::measuringSpeed;
    lockedAt_ = samples_;
}

void AutomaticReceiver::letGo() {
    const bool wasDecoding = stage_ == Stage::decoding;
    if (stage_ == Stage::measuringSpeed) readShortOver(false);
    stage_ = Stage::searchingTone;
    if (wasDecoding) {
        pipeline_.stop();
        noteWritten();
        reportedToneHz_ = 0.0;
    }
    listener_.tone(0.0);
}

void AutomaticReceiver::finish() {
    if (stage_ == Stage::measuringSpeed) tryStart();
    // The audio ends on an over too short to measure.
    if (stage_ == Stage::measuringSpeed) readShortOver(false);
    if (stage_ != Stage::decoding) return;
    pipeline_.finish();
    noteWritten();
}

void AutomaticReceiver::reportTone() {
    if (!search_.locked() || std::abs(search_.toneHz() - reportedToneHz_) < 1.0) return;
    reportedToneHz_ = search_.toneHz();
    listener_.tone(reportedToneHz_);
}

}  // namespace ditdahl::automatic
