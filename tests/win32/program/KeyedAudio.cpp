// keyed_audio OUT.raw WPM TONE_HZ TEXT: the text keyed by the program's own
// keyer as raw 16-bit stereo at 6000 frames/s (the signal left, silence
// right), for the program test to play into its sound input.
#include <cstdio>
#include <cstdlib>

#include "support/KeyerAudio.h"
#include "synthesis/KeyedTone.h"

int main(int argc, char* argv[]) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: keyed_audio OUT.raw WPM TONE_HZ TEXT\n");
        return 2;
    }
    ditdahl::testing::KeyerAudioPlan plan;
    plan.wpm = std::atoi(argv[2]);
    plan.toneHz = std::atof(argv[3]);
    plan.leadInMs = 1500;
    const auto samples = ditdahl::synthesis::toStereo16(ditdahl::testing::keyerAudio(argv[4], plan));
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 1;
    const std::size_t written = std::fwrite(samples.data(), sizeof(samples[0]), samples.size(), out);
    return std::fclose(out) == 0 && written == samples.size() ? 0 : 1;
}
