// What every fuzz target shares: a scratch directory for the inputs that go
// through files, and a check that ends the run with a message when an
// invariant breaks, so that libFuzzer saves the input that broke it.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace ditdahl::fuzz {

// Stops the run at a broken invariant. Aborting (not throwing) makes
// libFuzzer keep the input as a crash, with the message beside it.
[[noreturn]] inline void fail(const std::string& what) {
    std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
    std::abort();
}

inline void require(bool holds, const char* what) {
    if (!holds) fail(what);
}

// One directory for the whole run, removed at exit. In memory when the
// machine has /dev/shm: settings are saved with fsync, which on a disk would
// make each input cost milliseconds and wear the disk for nothing.
class ScratchDir {
public:
    ScratchDir() {
        std::error_code error;
        std::filesystem::path base = "/dev/shm";
        if (!std::filesystem::is_directory(base, error)) base = std::filesystem::temp_directory_path();
        std::string pattern = (base / "ditdahl-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) fail("cannot make a scratch directory");
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace ditdahl::fuzz
