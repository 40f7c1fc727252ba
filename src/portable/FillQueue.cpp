#include "portable/FillQueue.h"

#include <algorithm>
#include <cstring>

namespace ditdahl {

namespace {
constexpr std::size_t bytesPerFrame = 4;
}

void FillQueue::open(WaveCompletion completion, void* context) {
    completion_ = completion;
    context_ = context;
    queue_.clear();
    headFilledBytes_ = 0;
    droppedFrames_ = 0;
}

void FillQueue::close() {
    completion_ = nullptr;
    context_ = nullptr;
    queue_.clear();
    headFilledBytes_ = 0;
}

WaveResult FillQueue::add(WaveBuffer& buffer) {
    if (completion_ == nullptr) return WaveResult::notOpen;
    buffer.bytesRecorded = 0;
    queue_.push_back(&buffer);
    return WaveResult::ok;
}

void FillQueue::fill(const std::uint8_t* bytes, std::size_t byteCount) {
    while (byteCount >= bytesPerFrame) {
        if (queue_.empty() || completion_ == nullptr) {
            droppedFrames_ += byteCount / bytesPerFrame;
            return;
        }
        WaveBuffer& head = *queue_.front();
        const std::size_t room = head.bufferBytes - headFilledBytes_;
        const std::size_t count = std::min(byteCount, room) / bytesPerFrame * bytesPerFrame;
        std::memcpy(head.data + headFilledBytes_, bytes, count);
        headFilledBytes_ += static_cast<std::uint32_t>(count);
        bytes += count;
        byteCount -= count;
        if (headFilledBytes_ == head.bufferBytes) {
            head.bytesRecorded = head.bufferBytes;
            headFilledBytes_ = 0;
            queue_.pop_front();
            // The completion only hands the buffer on; it never calls back here.
            completion_(context_, head);
        }
    }
}

}  // namespace ditdahl
