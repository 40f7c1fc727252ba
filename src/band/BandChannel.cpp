#include "band/BandChannel.h"

#include <algorithm>

#include "automatic/Envelope.h"
#include "automatic/SpeedSearch.h"

namespace ditdahl::band {
namespace {
using automatic::stepSamples;
constexpr std::int64_t stepsPerSecond = 250;
constexpr std::int64_t keptSteps = 15 * stepsPerSecond;
// The speed is searched for every two seconds of audio (each search runs
// the key decision over the whole buffer many times), and taken as it is once
// the signal has been measured this long.
constexpr std::int64_t retrySteps = 2 * stepsPerSecond;
constexpr std::int64_t longestWait = 8 * stepsPerSecond;
// From a decision to the end of the characters it decides: the likelihood
// decision's lag and the sequence decoder's wait, in dots (about).
constexpr double decisionLagDots = 6.0;

// How long the text takes to send, in dots: elements and the gaps inside
// characters, 3 after each character, 7 for a blank.
double sendingDots(const MorseTable& table, std::string_view text) {
    double dots = 0.0;
    for (char c : text) {
        if (c == ' ') {
            dots += 4.0;
            continue;
        }
        for (char element : table.pattern(upperAscii(static_cast<unsigned char>(c))))
            dots += element == '-' ? 4.0 : 2.0;
        dots += 2.0;
    }
    return dots;
}
}  // namespace

BandChannel::BandChannel(const MorseTable& table, BandListener& listener, int id, double toneHz,
                         std::int64_t firstSample, std::int64_t foundSample)
    : table_(table),
      listener_(listener),
      id_(id),
      toneHz_(toneHz),
      pipeline_(table, *this),
      firstStep_((firstSample + stepSamples - 1) / stepSamples),
      measuringSince_(foundSample / stepSamples),
      nextTry_(measuringSince_),
      taken_(firstStep_) {
    resonators_.tune(toneHz);
    mixer_.start(toneHz);
}

void BandChannel::follow(double toneHz, bool stands, double snrDb, double noiseBinPower) {
    toneHz_ = toneHz;
    stands_ = stands;
    snrDb_ = snrDb;
    noiseBinPower_ = noiseBinPower;
    resonators_.tune(toneHz);
    mixer_.follow(toneHz, stands);
    pipeline_.setToneStands(stands);
}

void BandChannel::push(const double* samples, std::size_t count) {
    audio_.assign(samples, samples + count);
    resonators_.filter(audio_.data(), audio_.size());
    mixed_.clear();
    mixer_.push(audio_.data(), audio_.size(), mixed_);
    fresh_.clear();
    for (const auto& z : mixed_) lowpass_.push(z, fresh_);
    takeSteps();
}

void BandChannel::takeSteps() {
    for (const auto& z : fresh_) {
        steps_.push_back(z);
        level_.push(z);
        ++taken_;
        if (stage_ == Stage::decoding) {
            if (pipeline_.step(z) == automatic::DecodingPipeline::Progress::speedInDoubt) {
                // The buffer is decoded afresh.
                pipeline_.abandon();
                stage_ = Stage::measuringSpeed;
                measuringSince_ = nextTry_ = taken_;
            }
        } else if (taken_ >= nextTry_) {
            nextTry_ = taken_ + retrySteps;
            tryStart();
        }
    }
    if (static_cast<std::int64_t>(steps_.size()) > 2 * keptSteps) {
        const auto dropped = static_cast<std::int64_t>(steps_.size()) - keptSteps;
        steps_.erase(steps_.begin(), steps_.begin() + dropped);
        firstStep_ += dropped;
    }
}

void BandChannel::tryStart() {
    const auto first = static_cast<std::int64_t>(std::max<std::size_t>(steps_.size(), keptSteps) - keptSteps);
    const std::vector<std::complex<double>> recent(steps_.begin() + first, steps_.end());
    const auto choice = automatic::searchSpeed(recent, 0.0, taken_ - measuringSince_ >= longestWait);
    if (!choice) return;
    // A channel follows one station: what it wrote is decided again, not
    // written.
    pipeline_.begin(*choice, firstStep_ + first, pipeline_.writtenUntilMs());
    pipeline_.setToneStands(stands_);
    pipeline_.catchUp(recent);
    pipeline_.reportSpeed();
    stage_ = Stage::decoding;
}

void BandChannel::finish(bool signalGone) {
    fresh_.clear();
    lowpass_.flush(fresh_);
    takeSteps();
    if (stage_ == Stage::measuringSpeed) tryStart();
    if (stage_ != Stage::decoding) return;
    if (signalGone || !stands_) {
        pipeline_.stop();
    } else {
        pipeline_.finish();
    }
}

ChannelReport BandChannel::report(double atMs) const {
    const double snrDb = wpm_ > 0.0 && level_.known() ? level_.snrDb(noiseBinPower_) : snrDb_;
    return {id_, mixer_.oscillatorHz() > 0.0 ? mixer_.oscillatorHz() : toneHz_, wpm_, snrDb, atMs};
}

void BandChannel::text(std::string_view decoded) {
    // Text decided at once over buffered audio comes in one piece: it
    // started as long before its end as it takes to send.
    const double dots = decisionLagDots + sendingDots(table_, decoded);
    const double atMs = std::max(0.0, pipeline_.nowMs() - dots * dotMs_);
    listener_.text(report(atMs), decoded);
}

void BandChannel::speed(double wpm, double dotMs) {
    wpm_ = wpm;
    dotMs_ = dotMs;
    lowpass_.setDotMs(dotMs);
    level_.setDotMs(dotMs);
}

}  // namespace ditdahl::band
