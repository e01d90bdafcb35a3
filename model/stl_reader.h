// The STL reader behind TSurFaceData::LoadSTL and LoadSTLFromMemory, with the one knob
// the tests and the fuzz target need: from which size ASCII text is read in two threads.
//
// Binary STL is recognised by its size alone: 84 + 50 * n bytes, n being the
// little-endian count at offset 80 (many binary files also begin with "solid"). Anything
// else is read as ASCII STL, by tokens and case-insensitive keywords; a NUL byte ends
// the text. A vertex coordinate that is not a finite double (in ASCII also one written
// beyond the range of a double, such as "1e400") fails the load, naming the line or the
// byte offset; normals are kept as they read. A file that reads as neither says what it
// looks like: UTF-16 text, a damaged binary file, or both a binary header that does not
// fit the size and text that begins with "solid".
#pragma once

#include <cstddef>
#include <string_view>

#include "model/base_names.h"
#include "model/model_check.h"
#include "model/surface_data.h"

namespace tessarin::model {

// ASCII text from this size on is split at a "facet" keyword near its middle and the two
// halves are read at the same time, when the machine has two cores.
inline constexpr std::size_t kStlParallelFromBytes = std::size_t{4} << 20;

// TSurFaceData::LoadSTLFromMemory with the split size as a parameter: 0 splits any text
// that has a "facet" keyword after its middle, whatever the number of cores; SIZE_MAX
// never splits. The outcome (polygons, bounding box, reason) does not depend on it.
// This one is the reader alone: the polygons exactly as read, nothing turned, repaired
// or checked.
TResult LoadSTLFromMemory(TSurFaceData& surface, std::string_view data, std::string_view name,
                          TProgress& progress, std::size_t parallelFromBytes);

// The whole import with the split size as a parameter: the reader, then `options`
// (model/import_options.h), the repairs and the check (model/model_check.h), as
// TSurFaceData::LoadSTLFromMemory with options does.
TResult LoadSTLFromMemory(TSurFaceData& surface, std::string_view data, std::string_view name,
                          const TImportOptions& options, TModelCheck* check, TProgress& progress,
                          std::size_t parallelFromBytes);

}  // namespace tessarin::model
