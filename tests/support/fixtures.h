// Where the checked-in test fixtures are: the folder passed as --fixtures=DIR.
#pragma once

#include <string>
#include <string_view>

namespace tessarin::test {

// DIR/name, with DIR the value of --fixtures (the source tree's tests/fixtures).
std::string FixturePath(std::string_view name);

}  // namespace tessarin::test
