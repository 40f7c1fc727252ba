// A file opened for appending only, readable by other programs while it is
// open. Every write goes to the end in one system call, so that a reader never
// sees half a line and a crash loses at most the line being written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ditdahl {

class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens path, creating the file when it does not exist; closes any file
    // open before. Returns false (and stays closed) on failure.
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return handle_ != closedHandle; }
    // Appends bytes; false when no file is open or the write failed.
    bool write(std::string_view bytes);

private:
    // The operating system's handle of the open file, wide enough for any
    // system's kind of handle.
    static constexpr std::intptr_t closedHandle = -1;
    std::intptr_t handle_ = closedHandle;
};

// Deletes a file; false when it could not be deleted.
bool deleteFile(const std::string& path);

}  // namespace ditdahl
