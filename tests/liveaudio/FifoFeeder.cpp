#include "FifoFeeder.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace ditdahl::testing {

namespace {

constexpr std::size_t chunkBytes = 1024;
constexpr std::size_t chunkSamples = chunkBytes / 2;
constexpr auto chunkDuration = std::chrono::microseconds(chunkBytes / 4 * 1000000 / 6000);

}  // namespace

FifoFeeder::FifoFeeder(std::string path, std::vector<std::int16_t> interleavedStereo, AfterAudio after)
    : path_(std::move(path)), frames_(std::move(interleavedStereo)), after_(after) {
    if (::mkfifo(path_.c_str(), 0600) != 0) return;
    // Open for reading and writing: never blocks, and the FIFO always has a
    // reader, however often the sound system opens and closes it. Pipe
    // writes of a chunk are whole or not at all.
    fd_ = ::open(path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd_ >= 0) thread_ = std::thread([this] { play(); });
}

FifoFeeder::~FifoFeeder() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) ::close(fd_);
    ::unlink(path_.c_str());
}

void FifoFeeder::play() {
    std::vector<std::int16_t> chunk(chunkSamples);
    // A chunk of silence first; the audio starts once a capture has taken it,
    // so that none of it piles up in the pipe while the program starts.
    if (::write(fd_, chunk.data(), chunkBytes) != static_cast<ssize_t>(chunkBytes)) return;
    for (int waiting = 1; waiting > 0 && !stopping_;) {
        if (::ioctl(fd_, FIONREAD, &waiting) != 0) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::size_t position = 0;
    auto next = std::chrono::steady_clock::now();
    while (!stopping_) {
        if (position >= frames_.size() && after_ == AfterAudio::Stall) {
            // The FIFO stays open and silent: a reader waits for ever.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        for (std::size_t k = 0; k < chunkSamples; ++k) {
            if (position >= frames_.size() && after_ == AfterAudio::Repeat) position = 0;
            chunk[k] = position < frames_.size() ? frames_[position] : 0;
            ++position;
        }
        // A full pipe means nobody reads just now: try again shortly, keeping
        // the chunk.
        while (!stopping_ && ::write(fd_, chunk.data(), chunkBytes) < 0 && errno == EAGAIN)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        next += chunkDuration;
        std::this_thread::sleep_until(next);
    }
}

}  // namespace ditdahl::testing
