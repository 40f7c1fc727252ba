#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "portable/FillQueue.h"

namespace ditdahl {
namespace {

struct Completed {
    std::vector<std::vector<std::uint8_t>> buffers;
    static void take(void* self, WaveBuffer& buffer) {
        static_cast<Completed*>(self)->buffers.emplace_back(buffer.data, buffer.data + buffer.bytesRecorded);
    }
};

// Audio arrives in pieces of any size; two buffers of four frames are queued.
// Every full buffer comes back in order with the bytes as they arrived, and
// what finds no buffer is counted in whole frames.
TEST(FillQueue, FillsInOrderAndCountsWhatFindsNoBuffer) {
    struct Case {
        std::vector<std::size_t> pieces;  // bytes per arrival
        std::size_t completed;
        std::uint64_t dropped;
    };
    const Case cases[] = {
        {{32}, 2, 0}, {{4, 4, 4, 4}, 1, 0}, {{12, 12, 8}, 2, 0}, {{40}, 2, 2}, {{6, 6}, 0, 0}, {{28, 4}, 2, 0},
    };
    for (const Case& c : cases) {
        Completed completed;
        FillQueue queue;
        queue.open(&Completed::take, &completed);
        std::vector<std::uint8_t> memory(32);
        WaveBuffer first{memory.data(), 16, 0, true};
        WaveBuffer second{memory.data() + 16, 16, 0, true};
        ASSERT_EQ(queue.add(first), WaveResult::ok);
        ASSERT_EQ(queue.add(second), WaveResult::ok);
        std::vector<std::uint8_t> audio(64);
        std::iota(audio.begin(), audio.end(), std::uint8_t{1});
        std::size_t offset = 0;
        for (std::size_t piece : c.pieces) {
            queue.fill(audio.data() + offset, piece);
            offset += piece;
        }
        ASSERT_EQ(completed.buffers.size(), c.completed) << c.pieces.size();
        for (std::size_t b = 0; b < completed.buffers.size(); ++b) {
            EXPECT_EQ(completed.buffers[b],
                      std::vector<std::uint8_t>(audio.begin() + 16 * b, audio.begin() + 16 * b + 16));
        }
        EXPECT_EQ(queue.droppedFrames(), c.dropped);
    }
}

TEST(FillQueue, AClosedQueueTakesNoBufferAndDeliversNothing) {
    Completed completed;
    FillQueue queue;
    std::vector<std::uint8_t> memory(16);
    WaveBuffer buffer{memory.data(), 16, 0, true};
    EXPECT_EQ(queue.add(buffer), WaveResult::notOpen);
    queue.open(&Completed::take, &completed);
    ASSERT_EQ(queue.add(buffer), WaveResult::ok);
    queue.close();
    queue.fill(memory.data(), 16);
    EXPECT_TRUE(completed.buffers.empty());
    EXPECT_EQ(queue.droppedFrames(), 4u);
}

}  // namespace
}  // namespace ditdahl
