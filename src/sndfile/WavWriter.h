// Writing 16-bit PCM WAV files through libsndfile, to a file or to standard
// output. Samples are floats in -1 to 1; louder ones are clipped, not wrapped.
// Used by one thread.
#pragma once

#include <memory>
#include <span>
#include <string>

namespace ditdahl {

class WavWriter {
public:
    // path "-" is standard output: the file is built in memory and written out
    // by finish(), since a WAV header holds the sizes of what follows it.
    // nullptr, with the reason in error, when the file cannot be created.
    static std::unique_ptr<WavWriter> create(const std::string& path, int sampleRate, int channels, std::string& error);
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Whole frames of interleaved samples.
    bool write(std::span<const float> interleaved);
    // Completes the file; false, with the reason in error, when any write failed.
    bool finish(std::string& error);

private:
    struct Impl;
    explicit WavWriter(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace ditdahl
