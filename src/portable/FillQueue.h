// The buffers a capture's caller has queued, filled in order as audio
// arrives from the device and handed back through the completion when full.
// It holds no lock of its own: a device adapter calls it under the lock that
// also guards what its callback shares with the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

#include "station/WaveIn.h"

namespace ditdahl {

class FillQueue {
public:
    // A new device: nothing queued, nothing dropped, buffers go to completion.
    void open(WaveCompletion completion, void* context);
    // No more completions; the queued buffers are forgotten.
    void close();
    bool isOpen() const { return completion_ != nullptr; }

    WaveResult add(WaveBuffer& buffer);
    // Audio stops: the next audio starts a fresh buffer at its beginning.
    void restart() { headFilledBytes_ = 0; }
    // Copies whole 16-bit stereo frames into the buffers; a full buffer goes
    // to the completion, and what finds no buffer counts as dropped.
    void fill(const std::uint8_t* bytes, std::size_t byteCount);
    std::uint64_t droppedFrames() const { return droppedFrames_; }

private:
    WaveCompletion completion_ = nullptr;
    void* context_ = nullptr;
    std::deque<WaveBuffer*> queue_;
    std::uint32_t headFilledBytes_ = 0;
    std::uint64_t droppedFrames_ = 0;
};

}  // namespace ditdahl
