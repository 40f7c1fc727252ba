#include "BandOutput.h"

#include <cmath>
#include <cstdio>

namespace ditdahl::decode {
namespace {
void printStretch(const band::Stretch& s) {
    // Adding zero turns a rounded -0 into 0.
    std::printf("%.1fs %.0f Hz %.0f wpm %.0f dB: %s\n", s.startMs / 1000.0, s.toneHz, s.wpm, std::round(s.snrDb) + 0.0,
                s.text.c_str());
    std::fflush(stdout);
}
}  // namespace

BandOutput::BandOutput(const MorseTable& table) : lines_(printStretch), decoder_(table, lines_) {}

void BandOutput::pushStereo(const std::int16_t* interleaved, std::size_t frames) {
    decoder_.pushStereo(interleaved, frames);
    lines_.tick(decoder_.nowMs());
}

void BandOutput::finish() {
    decoder_.finish();
    lines_.finish();
}

}  // namespace ditdahl::decode
