// The station as ditdahl-decode sets it up, file or live: the receive choices
// of the command line, and what it prints: the text as it is decoded, or with
// --log each traffic line as it is recorded.
#pragma once

#include <atomic>

#include "DecodeOptions.h"
#include "station/Displays.h"
#include "station/StationState.h"

namespace ditdahl::decode {

// Prints each traffic line as the log file would hold it, when it is recorded.
class PrintedTraffic final : public TrafficDisplay {
public:
    void addTrafficEntry(std::string_view entry) override;
};

// Remembers that capture fell behind, for the thread that owns it.
class CaptureWatch final : public SpectrumDisplay {
public:
    void captureFellBehind() override { fellBehind_ = true; }
    bool takeFellBehind() { return fellBehind_.exchange(false); }

private:
    std::atomic<bool> fellBehind_{false};
};

// The receive choices of the command line, as the window would set them.
void setUpReceiver(StationState& state, const DecodeOptions& options);

// Prints what is decoded: the text as it comes, or with --log the traffic lines
// through `traffic`, which must outlive the decoding.
void printDecoding(StationState& state, const DecodeOptions& options, PrintedTraffic& traffic);

// After the last block: with --log the line in progress is recorded (and so
// printed), else the text ends with a newline.
void finishPrinting(StationState& state, const DecodeOptions& options);

}  // namespace ditdahl::decode
