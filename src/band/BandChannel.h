// One signal of the band, decoded on its own: the audio through resonators on
// its tone, mixed down by a mixer that follows its carrier, through a narrow
// low-pass, into the automatic receiver's decoding pipeline. Its tone is the
// one the band's tracker follows; it measures its own speed on the steps it
// has buffered (from a few seconds before the signal was found, so that the
// start of a transmission is decoded too) and again whenever the decoding
// loses faith in it. Runs on the thread that feeds the band decoder.
#pragma once

#include <complex>
#include <cstdint>
#include <vector>

#include "automatic/DecodingPipeline.h"
#include "automatic/ReceiverListener.h"
#include "automatic/TrackingDownmixer.h"
#include "band/BandListener.h"
#include "band/SignalLevel.h"
#include "band/StepLowpass.h"
#include "band/ToneResonators.h"
#include "base/MorseTable.h"

namespace ditdahl::band {

class BandChannel : private automatic::ReceiverListener {
public:
    // The channel's audio starts at firstSample (counted from the start of
    // the band's audio); the signal was found at foundSample, and its speed
    // is first searched for on the steps up to there.
    BandChannel(const MorseTable& table, BandListener& listener, int id, double toneHz, std::int64_t firstSample,
                std::int64_t foundSample);

    // The tracker's tone now, whether it stands out lately, its SNR (as the
    // shared spectrum tells it, until the channel has measured the tone's
    // level itself) and the noise floor under it.
    void follow(double toneHz, bool stands, double snrDb, double noiseBinPower);
    // The channel's audio, on from where the last push ended.
    void push(const double* samples, std::size_t count);
    // The audio has ended, or the signal has gone (then what was decoded
    // since it last stood out was noise, and is dropped): decides what is
    // left.
    void finish(bool signalGone);

    ChannelReport report(double atMs) const;

private:
    enum class Stage { measuringSpeed, decoding };

    void takeSteps();
    void tryStart();
    void text(std::string_view decoded) override;
    void speed(double wpm, double dotMs) override;
    void tone(double) override {}

    const MorseTable& table_;
    BandListener& listener_;
    int id_;
    double toneHz_;
    double snrDb_ = 0.0;
    double noiseBinPower_ = 0.0;
    double wpm_ = 0.0;
    double dotMs_ = 60.0;
    bool stands_ = true;
    ToneResonators resonators_;
    automatic::TrackingDownmixer mixer_;
    StepLowpass lowpass_;
    SignalLevel level_;
    automatic::DecodingPipeline pipeline_;

    Stage stage_ = Stage::measuringSpeed;
    std::vector<double> audio_;
    std::vector<std::complex<double>> mixed_;
    std::vector<std::complex<double>> fresh_;
    std::vector<std::complex<double>> steps_;  // the last 15 s or more of filtered steps
    std::int64_t firstStep_ = 0;               // the index of steps_[0] since the band's start
    std::int64_t measuringSince_ = 0;          // steps taken when the speed was last searched for afresh
    std::int64_t nextTry_ = 0;                 // steps taken when it is searched for next
    std::int64_t taken_ = 0;                   // steps taken since the band's start
};

}  // namespace ditdahl::band
