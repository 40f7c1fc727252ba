#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "band/BandDecoder.h"
#include "band/BandLines.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"
#include "synthesis/Timing.h"
#include "synthesis/ToneRenderer.h"

namespace ditdahl::band {
namespace {

constexpr double noiseDeviation = 300.0;

struct Sender {
    const char* text;
    double wpm;
    double toneHz;
    double snrDb;
    double driftHzPerMinute = 0.0;
};

struct Heard : BandListener {
    std::map<int, std::string> texts;
    std::map<int, double> tones;
    BandLines lines;
    std::vector<Stretch> stretches;
    Heard() : lines([this](const Stretch& s) { stretches.push_back(s); }) {}
    void channelStarted(const ChannelReport& c) override { lines.channelStarted(c); }
    void text(const ChannelReport& c, std::string_view t) override {
        texts[c.id] += t;
        tones[c.id] = c.toneHz;
        lines.text(c, t);
    }
    void channelEnded(const ChannelReport& c) override { lines.channelEnded(c); }
};

// Without noise: a clean recording keyed by a program, with hard edges
// whose clicks reach the other channels.
std::vector<double> mixture(const std::vector<Sender>& senders, double seconds, bool noiseless) {
    std::vector<double> samples(static_cast<std::size_t>(seconds * 6000.0), 0.0);
    synthesis::NoiseGenerator random(7);
    for (const Sender& s : senders) {
        synthesis::Timing timing;
        timing.wpm = s.wpm;
        timing.leadInSeconds = 1.0;
        const auto keying = synthesis::timeKeying(s.text, timing, random);
        synthesis::ToneShape shape;
        shape.toneHz = s.toneHz;
        shape.driftHzPerMinute = s.driftHzPerMinute;
        if (noiseless) shape.riseMs = shape.fallMs = 0.0;
        shape.amplitude = 10000.0 * noiseDeviation / synthesis::noiseDeviation(10000.0, s.snrDb, 6000);
        const auto tone = synthesis::renderKeyed(keying.marks, keying.totalSeconds, shape, random);
        for (std::size_t i = 0; i < tone.size() && i < samples.size(); ++i) samples[i] += tone[i];
    }
    if (!noiseless)
        for (double& x : samples) x += noiseDeviation * random.gaussian();
    return samples;
}

TEST(BandDecoder, CopiesEverySignalOnItsOwnChannelAndNothingOnNoise) {
    struct Case {
        const char* name;
        std::vector<Sender> senders;
        bool noiseless = false;
    };
    const Case cases[] = {
        {"three 100 Hz apart",
         {{"CQ CQ DE OZ7TT OZ7TT K", 18, 600, 10},
          {"UR RST 559 NAME BO", 25, 700, 10},
          {"TU 73 DE JA3XYZ", 30, 800, 10}}},
        {"two 55 Hz apart", {{"GE DR OM QRV 3540 KHZ", 20, 900, 10}, {"R R QSL 5NN 73 SK", 28, 955, 10}}},
        {"drifting 90 Hz a minute", {{"CQ TEST DE PY2MX PY2MX", 22, 500, 6, 90}}},
        {"noise alone", {}},
        {"two clean and hard-keyed, 400 Hz apart",
         {{"CQ CQ DE DL1ABC K", 22, 600, 20}, {"UR RST 599 NAME JOE", 18, 1000, 20}},
         true},
    };
    MorseTable table;
    buildMorseTable(table);
    for (const Case& c : cases) {
        Heard heard;
        BandDecoder decoder(table, heard);
        const auto stereo = synthesis::toStereo16(mixture(c.senders, 22.0, c.noiseless));
        for (std::size_t f = 0; f < stereo.size() / 2; f += 64) {
            decoder.pushStereo(stereo.data() + 2 * f, std::min<std::size_t>(64, stereo.size() / 2 - f));
            heard.lines.tick(decoder.nowMs());
        }
        decoder.finish();
        heard.lines.finish();
        EXPECT_EQ(heard.texts.size(), c.senders.size()) << c.name;
        for (const Sender& s : c.senders) {
            std::string copied;
            for (const auto& [id, hz] : heard.tones)
                if (std::abs(hz - s.toneHz) < 20.0 + std::abs(s.driftHzPerMinute) / 3.0) copied += heard.texts[id];
            EXPECT_EQ(copied, std::string(s.text) + " ") << c.name << ", " << s.toneHz << " Hz";
        }
        EXPECT_EQ(heard.stretches.empty(), c.senders.empty()) << c.name;
    }
}

}  // namespace
}  // namespace ditdahl::band
