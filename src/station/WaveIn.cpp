// The parts of the audio input port that every device shares.
#include "station/WaveIn.h"

#include <algorithm>

namespace ditdahl {

const char* describe(WaveResult result) {
    switch (result) {
        case WaveResult::ok:
            return "no error";
        case WaveResult::noDevice:
            return "no such input device";
        case WaveResult::busy:
            return "the input device is busy";
        case WaveResult::badFormat:
            return "the input device cannot deliver 6000 frames/s 16-bit stereo";
        case WaveResult::badBuffer:
            return "invalid capture buffer";
        case WaveResult::notOpen:
            return "the input device is not open";
        case WaveResult::deviceError:
            return "the input device reported an error";
    }
    return "unknown error";
}

std::vector<std::string> WaveIn::deviceNames() {
    std::vector<std::string> names;
    const int count = std::min(deviceCount(), maxListedDevices);
    names.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int device = 0; device < count; ++device) names.push_back(deviceName(device));
    return names;
}

}  // namespace ditdahl
