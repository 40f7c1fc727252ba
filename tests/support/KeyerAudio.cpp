#include "support/KeyerAudio.h"

#include <memory>

#include "base/CaptureFormat.h"
#include "portable/ManualClock.h"
#include "portable/ToneKeyLine.h"
#include "station/StationState.h"
#include "transmit/Keyer.h"
#include "transmit/SendingPace.h"

namespace ditdahl::testing {

namespace {
constexpr double fullScale = 32768.0;
constexpr double edgeMs = 4.0;  // ditdahl-encode's edges
}  // namespace

std::vector<double> keyerAudio(std::string_view text, const KeyerAudioPlan& plan) {
    ManualClock clock(0);
    StationState state;
    state.clock = &clock;
    buildMorseTable(state.morseTable);
    state.txSpeedWpm = plan.wpm;
    state.pttOnDtr = true;
    auto line = std::make_shared<ToneKeyLine>(
        clock, ToneShape{plan.toneHz, plan.amplitude / fullScale, captureFramesPerSecond, edgeMs});
    state.pttPort.set(line);

    SendingPace pace(clock);
    pace.wait(plan.leadInMs);
    for (const char c : text) keyCharacter(state, static_cast<unsigned char>(c), pace);
    pace.wait(static_cast<std::uint32_t>(currentKeyTiming(state).pauseMs) + plan.tailMs);

    const std::vector<float> rendered = line->takeSamples();
    std::vector<double> samples;
    samples.reserve(rendered.size());
    for (const float s : rendered) samples.push_back(s * fullScale);
    return samples;
}

}  // namespace ditdahl::testing
