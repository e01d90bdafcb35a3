// Fuzzes the STL reader: whatever the bytes, the model stays consistent (the count
// matches the list, success and SurfaceExist agree, a failure says why, the box is finite
// and holds the origin), and reading ASCII text in two halves gives exactly what one
// reading gives.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

#include "model/stl_reader.h"
#include "model/surface_data.h"

using namespace tessarin::model;

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

TResult LoadChecked(TSurFaceData& surface, std::string_view data, std::size_t parallelFromBytes) {
    const TResult result =
        LoadSTLFromMemory(surface, data, "fuzz.stl", NullProgress(), parallelFromBytes);
    Check(surface.Modified);
    Check(surface.PolygonCount >= 0);
    Check(static_cast<std::size_t>(surface.PolygonCount) == surface.Polygons.size());
    Check(surface.SurfaceExist == result.Ok());
    Check(result.Ok() ? result.Reason().empty() && surface.PolygonCount > 0
                      : !result.Reason().empty() && surface.Polygons.empty());
    if (result.Ok()) {
        // Neither reading lets a NaN or an infinity into a vertex, so the box is finite and
        // really holds the origin.
        for (const double bound :
             {surface.Xmin, surface.Xmax, surface.Ymin, surface.Ymax, surface.Zmin, surface.Zmax}) {
            Check(std::isfinite(bound));
        }
        Check(surface.Xmin <= 0 && 0 <= surface.Xmax);
        Check(surface.Ymin <= 0 && 0 <= surface.Ymax);
        Check(surface.Zmin <= 0 && 0 <= surface.Zmax);
    }
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TSurFaceData whole;
    const TResult wholeResult = LoadChecked(whole, bytes, std::numeric_limits<std::size_t>::max());
    TSurFaceData split;
    const TResult splitResult = LoadChecked(split, bytes, 0);
    Check(wholeResult.Ok() == splitResult.Ok());
    Check(wholeResult.Reason() == splitResult.Reason());
    Check(whole.Polygons.size() == split.Polygons.size());
    // Bit for bit: binary normals may be NaN.
    Check(whole.Polygons.empty() || std::memcmp(whole.Polygons.data(), split.Polygons.data(),
                                                whole.Polygons.size() * sizeof(TPolygon)) == 0);
    for (const auto field : {&TSurFaceData::Xmin, &TSurFaceData::Xmax, &TSurFaceData::Ymin,
                             &TSurFaceData::Ymax, &TSurFaceData::Zmin, &TSurFaceData::Zmax}) {
        Check(std::memcmp(&(whole.*field), &(split.*field), sizeof(double)) == 0);
    }
    return 0;
}
