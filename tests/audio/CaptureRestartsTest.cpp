// Capture started and stopped over and over while a transmission job runs
// and audio flows: the threads meet in the traffic line, the displays and the
// station's flags, and must neither race nor lose the device's buffers. Run
// under ThreadSanitizer by tools/check.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "analysis/SpectrumBars.h"
#include "audio/Capture.h"
#include "audio/ReceiverSwitch.h"
#include "base/CaptureFormat.h"
#include "decoder/SpeedTiming.h"
#include "doubles/ScriptedWaveIn.h"
#include "station/ControlIds.h"
#include "support/Station.h"
#include "synthesis/KeyedTone.h"
#include "transmit/TransmissionJobs.h"

namespace ditdahl {
namespace {

TEST(CaptureRestarts, AThousandStopsAndStartsWhileAJobSendsAndAudioFlows) {
    testing::TestStation station;
    StationState& state = station.state;
    state.barRange = 32768;
    state.filterWidth = 100;
    state.fftSize = fftSizeForFilter(100);
    state.thresholdPercent = 50.0;
    state.txSpeedWpm = 30;
    applyTxSpeedToReceive(state);
    selectTone(state, 550);
    station.window.addEntry(ids::delayList, "0");
    station.window.select(ids::delayList, 0);

    synthesis::KeyingPlan keying;
    keying.wpm = 30;
    keying.toneHz = 562.5;
    ScriptedWaveIn device;
    device.setPace(ScriptedWaveIn::Pace::asFastAsPossible);
    const auto audio = synthesis::toStereo16(synthesis::keyedTone("CQ CQ DE DL1ABC K", keying));
    for (int i = 0; i < 50; ++i) device.feed(audio);

    KeyDetector detector;
    ReceiverSwitch receivers(state, detector);
    Recorder recorder(state, device);
    TransmissionJobs jobs(state);
    for (int round = 0; round < 1000; ++round) {
        if (!jobs.jobRunning()) {
            station.window.setText(ids::transmitText, "PARIS");
            jobs.startTextTransmission();
        }
        // Now and then the other receiver, changed over between blocks.
        if (round % 100 == 0) state.automaticDecoder = !state.automaticDecoder;
        startCapture(state, recorder, receivers, WaveIn::defaultDevice);
        std::this_thread::yield();
        EXPECT_EQ(stopCapture(recorder), WaveResult::ok);
    }
    jobs.stopTransmission();
    jobs.waitForJob();
    const auto activity = device.activity();
    EXPECT_EQ(activity.opens, 1000);
    EXPECT_EQ(activity.closes, 1000);
    EXPECT_FALSE(activity.isOpen);
}

}  // namespace
}  // namespace ditdahl
