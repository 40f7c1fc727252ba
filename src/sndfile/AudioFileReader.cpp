#include "sndfile/AudioFileReader.h"

#include <samplerate.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

namespace ditdahl {
namespace {
constexpr std::size_t chunkFrames = 4096;

// libsndfile's virtual I/O over a recording in memory: reads and seeks stay
// within the bytes, and nothing is ever written.
using Memory = AudioFileReader::Memory;
Memory& memoryOf(void* user) { return *static_cast<Memory*>(user); }
sf_count_t memoryLength(void* user) { return static_cast<sf_count_t>(memoryOf(user).bytes.size()); }
sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
    Memory& memory = memoryOf(user);
    const auto length = static_cast<sf_count_t>(memory.bytes.size());
    sf_count_t base = 0;
    if (whence == SEEK_CUR) base = memory.position;
    if (whence == SEEK_END) base = length;
    // As a file would: past the end is allowed (reads there find nothing),
    // before the start is not. An offset from a header may be anything, so
    // one that would overflow is refused too.
    if ((offset > 0 && offset > std::numeric_limits<sf_count_t>::max() - base) || (offset < 0 && offset < -base)) {
        return -1;
    }
    memory.position = base + offset;
    return memory.position;
}
sf_count_t memoryRead(void* into, sf_count_t count, void* user) {
    Memory& memory = memoryOf(user);
    const sf_count_t left = std::max<sf_count_t>(0, static_cast<sf_count_t>(memory.bytes.size()) - memory.position);
    const sf_count_t n = std::clamp<sf_count_t>(count, 0, left);
    if (n == 0) return 0;
    std::memcpy(into, memory.bytes.data() + memory.position, static_cast<std::size_t>(n));
    memory.position += n;
    return n;
}
sf_count_t memoryWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t memoryTell(void* user) { return memoryOf(user).position; }
SF_VIRTUAL_IO memoryIo{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};

}  // namespace

AudioFileReader::~AudioFileReader() {
    if (converter_) src_delete(converter_);
    if (file_) sf_close(file_);
}

std::string AudioFileReader::open(const std::string& path) {
    SF_INFO info{};
    if (path == "-") {
        file_ = sf_open_fd(STDIN_FILENO, SFM_READ, &info, SF_FALSE);
        if (!file_) return std::string("standard input is not a readable audio stream: ") + sf_strerror(nullptr);
    } else {
        std::error_code error;
        const auto status = std::filesystem::status(path, error);
        if (!std::filesystem::exists(status)) return "'" + path + "': no such file";
        if (std::filesystem::is_directory(status)) return "'" + path + "' is a directory, not an audio file";
        if (::access(path.c_str(), R_OK) != 0) return "'" + path + "': " + std::strerror(errno);
        file_ = sf_open(path.c_str(), SFM_READ, &info);
        if (!file_) return "'" + path + "' is not an audio file that can be read: " + sf_strerror(nullptr);
    }
    return start(info);
}

std::string AudioFileReader::openMemory(std::string_view bytes) {
    memory_.bytes.assign(bytes);
    memory_.position = 0;
    SF_INFO info{};
    file_ = sf_open_virtual(&memoryIo, SFM_READ, &info, &memory_);
    if (!file_) return std::string("the recording is not audio that can be read: ") + sf_strerror(nullptr);
    return start(info);
}

std::string AudioFileReader::start(const SF_INFO& info) {
    fileRate_ = info.samplerate;
    channels_ = info.channels;
    if (fileRate_ <= 0 || channels_ <= 0) return "the input has no sample rate or no channels";
    // libsndfile reports an unknown length of a stream as the largest count.
    fileFrames_ = (info.frames > 0 && info.frames < SF_COUNT_MAX) ? info.frames : -1;
    if (fileRate_ != outputRate) {
        int error = 0;
        converter_ = src_new(SRC_SINC_FASTEST, 1, &error);
        if (!converter_) return std::string("cannot convert the sample rate: ") + src_strerror(error);
        ratio_ = static_cast<double>(outputRate) / fileRate_;
        if (src_is_valid_ratio(ratio_) == 0)
            return "the sample rate " + std::to_string(fileRate_) + " cannot be converted";
    }
    return {};
}

double AudioFileReader::durationSeconds() const {
    if (fileFrames_ < 0 || fileRate_ <= 0) return -1.0;
    return static_cast<double>(fileFrames_) / fileRate_;
}

std::size_t AudioFileReader::readFirstChannel(std::size_t maxFrames) {
    frames_.resize(maxFrames * static_cast<std::size_t>(channels_));
    const sf_count_t got = sf_readf_float(file_, frames_.data(), static_cast<sf_count_t>(maxFrames));
    if (got <= 0) {
        inputEnded_ = true;
        if (sf_error(file_) != SF_ERR_NO_ERROR) error_ = sf_strerror(file_);
        return 0;
    }
    left_.erase(left_.begin(), left_.begin() + static_cast<std::ptrdiff_t>(leftStart_));
    leftStart_ = 0;
    for (sf_count_t i = 0; i < got; ++i) left_.push_back(frames_[static_cast<std::size_t>(i) * channels_]);
    return static_cast<std::size_t>(got);
}

std::size_t AudioFileReader::read(std::int16_t* interleavedStereo, std::size_t maxFrames) {
    if (!file_ || maxFrames == 0) return 0;
    std::size_t produced = 0;
    if (!converter_) {
        if (inputEnded_) return 0;
        const std::size_t got = readFirstChannel(std::min(maxFrames, chunkFrames));
        shorts_.resize(got);
        src_float_to_short_array(left_.data(), shorts_.data(), static_cast<int>(got));
        left_.clear();
        for (std::size_t i = 0; i < got; ++i) {
            interleavedStereo[2 * i] = shorts_[i];
            interleavedStereo[2 * i + 1] = 0;
        }
        return got;
    }

    converted_.resize(std::min(maxFrames, chunkFrames));
    while (produced == 0 && !outputEnded_) {
        if (!inputEnded_ && left_.size() - leftStart_ < chunkFrames) readFirstChannel(chunkFrames);
        if (!error_.empty()) return 0;
        SRC_DATA data{};
        data.data_in = left_.data() + leftStart_;
        data.input_frames = static_cast<long>(left_.size() - leftStart_);
        data.data_out = converted_.data();
        data.output_frames = static_cast<long>(converted_.size());
        data.src_ratio = ratio_;
        data.end_of_input = inputEnded_ ? 1 : 0;
        const int failure = src_process(converter_, &data);
        if (failure != 0) {
            error_ = std::string("sample rate conversion failed: ") + src_strerror(failure);
            return 0;
        }
        leftStart_ += static_cast<std::size_t>(data.input_frames_used);
        produced = static_cast<std::size_t>(data.output_frames_gen);
        if (inputEnded_ && produced == 0 && data.input_frames_used == 0) outputEnded_ = true;
    }
    shorts_.resize(produced);
    src_float_to_short_array(converted_.data(), shorts_.data(), static_cast<int>(produced));
    for (std::size_t i = 0; i < produced; ++i) {
        interleavedStereo[2 * i] = shorts_[i];
        interleavedStereo[2 * i + 1] = 0;
    }
    return produced;
}

}  // namespace ditdahl
