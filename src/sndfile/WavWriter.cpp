#include "sndfile/WavWriter.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace ditdahl {

namespace {

// A growing in-memory file for libsndfile's virtual I/O.
struct MemoryFile {
    std::vector<char> bytes;
    sf_count_t position = 0;
};

sf_count_t memoryLength(void* user) { return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes.size()); }

sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    sf_count_t base = 0;
    if (whence == SEEK_CUR) base = file->position;
    if (whence == SEEK_END) base = static_cast<sf_count_t>(file->bytes.size());
    if (base + offset < 0) return -1;
    file->position = base + offset;
    return file->position;
}

sf_count_t memoryRead(void* target, sf_count_t count, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    const auto size = static_cast<sf_count_t>(file->bytes.size());
    const sf_count_t n = std::max<sf_count_t>(0, std::min(count, size - file->position));
    if (n > 0) std::memcpy(target, file->bytes.data() + file->position, static_cast<std::size_t>(n));
    file->position += n;
    return n;
}

sf_count_t memoryWrite(const void* source, sf_count_t count, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    const auto end = static_cast<std::size_t>(file->position + count);
    if (file->bytes.size() < end) file->bytes.resize(end);
    std::memcpy(file->bytes.data() + file->position, source, static_cast<std::size_t>(count));
    file->position += count;
    return count;
}

sf_count_t memoryTell(void* user) { return static_cast<MemoryFile*>(user)->position; }

}  // namespace

struct WavWriter::Impl {
    SNDFILE* file = nullptr;
    int channels = 0;
    bool failed = false;
    bool toStandardOutput = false;
    MemoryFile memory;
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
};

WavWriter::WavWriter(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

WavWriter::~WavWriter() {
    if (impl_->file) sf_close(impl_->file);
}

std::unique_ptr<WavWriter> WavWriter::create(const std::string& path, int sampleRate, int channels,
                                             std::string& error) {
    auto impl = std::make_unique<Impl>();
    impl->channels = channels;
    impl->toStandardOutput = path == "-";
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    impl->file = impl->toStandardOutput ? sf_open_virtual(&impl->io, SFM_WRITE, &info, &impl->memory)
                                        : sf_open(path.c_str(), SFM_WRITE, &info);
    if (!impl->file) {
        error = sf_strerror(nullptr);
        return nullptr;
    }
    sf_command(impl->file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return std::unique_ptr<WavWriter>(new WavWriter(std::move(impl)));
}

bool WavWriter::write(std::span<const float> interleaved) {
    const auto frames = static_cast<sf_count_t>(interleaved.size() / static_cast<std::size_t>(impl_->channels));
    if (sf_writef_float(impl_->file, interleaved.data(), frames) != frames) impl_->failed = true;
    return !impl_->failed;
}

bool WavWriter::finish(std::string& error) {
    if (impl_->failed) error = sf_strerror(impl_->file);
    if (sf_close(impl_->file) != 0 && error.empty()) error = "the file could not be completed";
    impl_->file = nullptr;
    if (error.empty() && impl_->toStandardOutput) {
        const std::vector<char>& bytes = impl_->memory.bytes;
        if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0) {
            error = "standard output could not be written";
        }
    }
    return error.empty();
}

}  // namespace ditdahl
