// The receivers decode the left channel of 16-bit stereo frames: this hands
// it on as samples, in chunks of at most 512, without allocating.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace ditdahl {

template <typename TakeMono>
void takeLeftChannel(const std::int16_t* interleaved, std::size_t frames, TakeMono take) {
    double left[512];
    while (frames > 0) {
        const std::size_t n = std::min<std::size_t>(frames, 512);
        for (std::size_t i = 0; i < n; ++i) left[i] = interleaved[2 * i];
        take(left, n);
        interleaved += 2 * n;
        frames -= n;
    }
}

}  // namespace ditdahl
