// The audio the receivers work on: 6000 frames/s, 16-bit, two channels (the
// left one is listened to), analysed in blocks of 64 or 128 frames by the
// window's receiver. Every input, live or from a file, is brought to this.
#pragma once

namespace ditdahl {

inline constexpr int captureFramesPerSecond = 6000;
inline constexpr int captureChannels = 2;

// The largest block the window's receiver analyses, in frames.
inline constexpr int maxBlockFrames = 128;

// Frames per analysed block: 128 with the 50 Hz filter (about 47 Hz per bin),
// 64 with the 100 Hz filter.
constexpr int fftSizeForFilter(int filterHz) { return filterHz == 50 ? 128 : 64; }

// Length of one block of fftSize frames, in ms: 2.67, 5.33, 10.67 or 21.33
// for 16, 32, 64 or 128 frames; 0 for any other size.
constexpr double blockMilliseconds(int fftSize) {
    switch (fftSize) {
        case 16:
        case 32:
        case 64:
        case 128:
            return fftSize * 1000.0 / captureFramesPerSecond;
        default:
            return 0.0;
    }
}

}  // namespace ditdahl
