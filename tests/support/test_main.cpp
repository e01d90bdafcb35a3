// GoogleTest entry point that also takes the fixture folder: --fixtures=DIR.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tests/support/fixtures.h"

namespace {
std::string& FixtureRoot() {
    static std::string root;
    return root;
}
}  // namespace

namespace tessarin::test {

std::string FixturePath(std::string_view name) {
    std::string path = FixtureRoot();
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    path += name;
    return path;
}

}  // namespace tessarin::test

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    constexpr std::string_view kOption = "--fixtures=";
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.substr(0, kOption.size()) == kOption) {
            FixtureRoot() = std::string(arg.substr(kOption.size()));
        }
    }
    return RUN_ALL_TESTS();
}
