// Takes the automatic receiver's output into the station, by the same road
// as the element decoder's: text onto the traffic line and the RX/TX buffer
// box (recorded with "RX:   " once the line passes 60 characters), nothing
// while a transmission job has receiving switched off; the speed into the
// receive timing and the RX Speed, Dot and Dash boxes (and into the TX speed
// list when "Auto" is ticked, as with the element decoder); the followed tone
// highlighted on the level bars (the selected tone again once it is let go).
// Runs on the thread that feeds the receiver (the capture thread).
#pragma once

#include "automatic/ReceiverListener.h"
#include "station/StationState.h"

namespace ditdahl::automatic {

class StationOutput : public ReceiverListener {
public:
    explicit StationOutput(StationState& state) : state_(state) {}

    void text(std::string_view decoded) override;
    void speed(double wpm, double dotMs) override;
    void tone(double toneHz) override;

private:
    StationState& state_;
};

}  // namespace ditdahl::automatic
