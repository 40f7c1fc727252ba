// Recordings on any bytes, opened and read as ditdahl-decode reads a file:
// through libsndfile (here from memory, with the same reader) and, at other
// rates than 6000 frames/s, through the rate converter. A damaged or
// mislabelled recording must give a message or audio, never a crash or a
// read past what was asked.
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "Support.h"
#include "sndfile/AudioFileReader.h"

using namespace ditdahl;

namespace {
// As ditdahl-decode asks, plus a little more, so that a reader that writes
// past what it was asked for is caught.
constexpr std::size_t readFrames = 4096;
constexpr std::int16_t untouched = 0x5a5a;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    AudioFileReader reader;
    const std::string failure = reader.openMemory(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!failure.empty()) return 0;
    fuzz::require(reader.fileRate() > 0 && reader.fileChannels() > 0, "opened without a rate or channels");
    const double seconds = reader.durationSeconds();
    fuzz::require(seconds == -1.0 || (std::isfinite(seconds) && seconds > 0.0), "a length that is no length");

    std::vector<std::int16_t> frames(2 * readFrames + 2);
    std::size_t total = 0;
    while (true) {
        std::fill(frames.begin(), frames.end(), untouched);
        const std::size_t got = reader.read(frames.data(), readFrames);
        if (got == 0) break;
        fuzz::require(got <= readFrames, "more frames than asked for");
        for (std::size_t i = 0; i < got; ++i) fuzz::require(frames[2 * i + 1] == 0, "the right channel is not silent");
        fuzz::require(frames[2 * got] == untouched, "written past the frames read");
        total += got;
    }
    // The converter gives about ratio frames for each frame of the file.
    if (seconds > 0.0) {
        const double expected = seconds * AudioFileReader::outputRate;
        fuzz::require(total <= expected + 256.0, "more audio than the recording holds");
    }
    fuzz::require(reader.read(frames.data(), readFrames) == 0, "audio after the end");
    return 0;
}
