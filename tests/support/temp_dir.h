// A fresh folder for each test, and whole-file reading and writing for the tests.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tessarin::test {

// A folder of the running test's own, empty on construction and removed with everything in
// it on destruction: <temp>/tessarin-<suite>-<process>-<test>, a '/' of a parameterised
// name replaced by '_'.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    // Path / name as a string.
    std::string File(const std::string& name) const;

    // The names in the folder itself (not below it), sorted.
    std::vector<std::string> Entries() const;

    std::filesystem::path Path;
};

// A file's bytes; empty when it cannot be read.
std::string ReadBytes(const std::string& path);

// Writes `bytes` to `path`, replacing what was there.
void WriteBytes(const std::string& path, std::string_view bytes);

}  // namespace tessarin::test
