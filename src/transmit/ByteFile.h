// A file sent byte by byte by a transmission job: opened for reading only if
// it exists and is a regular file (a folder is no text to send), closed when
// the object goes. Owned by one job thread.
#pragma once

#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace ditdahl {

class ByteFile {
public:
    static std::optional<ByteFile> open(const std::string& path);

    // The next byte; nothing at the end of the file or on a read error.
    std::optional<unsigned char> next();
    // The next character: one byte, or the bytes of a well-formed UTF-8
    // sequence; empty at the end of the file or on a read error.
    std::string nextCharacter();
    void close() { file_.reset(); }

private:
    explicit ByteFile(std::unique_ptr<std::filebuf> file) : file_(std::move(file)) {}

    std::unique_ptr<std::filebuf> file_;
};

}  // namespace ditdahl
