#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

namespace tessarin::test {

namespace fs = std::filesystem;

TTempDir::TTempDir() {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "-" + std::to_string(::getpid()) +
                       "-" + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    Path = fs::temp_directory_path() / ("tessarin-" + name);
    fs::remove_all(Path);
    fs::create_directories(Path);
}

TTempDir::~TTempDir() {
    std::error_code ignored;
    fs::remove_all(Path, ignored);
}

std::string TTempDir::File(const std::string& name) const {
    return (Path / name).string();
}

std::vector<std::string> TTempDir::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Path)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace tessarin::test
