// A fresh temporary directory for one test, removed with everything in it when
// the test ends.
#pragma once

#include <filesystem>
#include <string>

#include "base/Utf8Path.h"

namespace ditdahl::testing {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return utf8FromPath(path_ / pathFromUtf8(name)); }

private:
    std::filesystem::path path_;
};

// Whole contents of a file as bytes; empty when it cannot be read. Names are
// UTF-8, as everywhere in the program.
std::string readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::string& bytes);

}  // namespace ditdahl::testing
