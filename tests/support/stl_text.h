// ASCII STL text of polygons with every number in its shortest exact form, so that a
// model read back holds the very same doubles.
#pragma once

#include <string>
#include <string_view>

#include "model/types.h"

namespace tessarin::test {

std::string ExactAsciiStl(const model::TSurface& polygons, std::string_view name = "exact");

}  // namespace tessarin::test
