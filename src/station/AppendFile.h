// A file opened for appending only, readable by other programs while it is
// open: the log. Every write goes to the end in one piece, so that a reader
// never sees half a line and a crash loses at most the line being written.
// The system's files are opened by openAppendFile (each platform's adapter);
// tests open files that fail as a full or read-only disk does.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace ditdahl {

class AppendFile {
public:
    // Closes the file.
    virtual ~AppendFile() = default;
    // Appends the bytes whole, or (a full or read-only disk) not at all;
    // false then.
    virtual bool write(std::string_view bytes) = 0;
};

// Opens path for appending, creating the file when it does not exist;
// nullptr on failure.
std::unique_ptr<AppendFile> openAppendFile(const std::string& path);

// Deletes a file; false when it could not be deleted.
bool deleteFile(const std::string& path);

}  // namespace ditdahl
