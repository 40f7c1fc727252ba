// What the text, file and beacon jobs do, each on a thread of its own from
// start to end. A job ends by itself: at the end of its text or file, or at its
// next check of stopRequested. The window is returned to idle by the job, which
// clears `running` just before, so that a new start command is never refused
// once the window shows the station idle.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "station/StationState.h"
#include "transmit/ByteFile.h"
#include "transmit/SendingPace.h"
#include "transmit/TextQueue.h"

namespace ditdahl {

// Sends transmitText.
void textJob(StationState& state, std::atomic<bool>& running);
// Sends the file's bytes, every one unchanged, and closes it.
void fileJob(StationState& state, ByteFile file, std::atomic<bool>& running);
// Sends the queue's text piece by piece until it runs dry, each piece shown
// on the status line, until stopped. The queue must be attached.
void queuedTextJob(StationState& state, TextQueue& queue, std::atomic<bool>& running);
// Sends the beacon text, or the file it names, again and again, each sending
// starting the interval after the start of the one before, until stopped.
void beaconJob(StationState& state, std::atomic<bool>& running);

void sendBeaconText(StationState& state, const std::string& text, int delayMs, SendingPace& pace);
void sendBeaconFile(StationState& state, ByteFile file, int delayMs, SendingPace& pace);

// The Interval box: whole seconds; 0 when empty or not a number, and the
// largest 32-bit count for a number beyond it.
std::uint32_t beaconIntervalSeconds(const StationState& state);

}  // namespace ditdahl
