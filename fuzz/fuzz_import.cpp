// Fuzzes the whole STL import: the first bytes choose the import options (unit, tool
// axis, origin, repairs), the rest is the file. Whatever the bytes, the import never
// crashes, the check's counts fit the model it describes, the outcome does not depend on
// whether the text is read in two halves, and keeping duplicates changes only what it
// says it does.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "model/import_options.h"
#include "model/model_check.h"
#include "model/stl_reader.h"
#include "model/surface_data.h"

using namespace tessarin::model;

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

constexpr std::size_t kOptionBytes = 8;

// A small signed number from a byte: axes and origins of a few units, zero included.
double Small(std::uint8_t byte) {
    return static_cast<double>(static_cast<std::int8_t>(byte)) / 8.0;
}

TImportOptions OptionsOf(const std::uint8_t* bytes) {
    TImportOptions options;
    options.Unit = static_cast<TLengthUnit>(bytes[0] % 4);
    // One of the six coordinate axes, or any direction of small components (the zero
    // axis too, which the import must refuse).
    static constexpr TVector3 kAxes[] = {{0, 0, 1},  {0, 0, -1}, {1, 0, 0},
                                         {-1, 0, 0}, {0, 1, 0},  {0, -1, 0}};
    const unsigned axis = bytes[1] % 8;
    options.Axis =
        axis < 6 ? kAxes[axis] : TVector3{Small(bytes[2]), Small(bytes[3]), Small(bytes[4])};
    options.Origin = static_cast<TOriginChoice>(bytes[5] % 3);
    options.OriginPoint = {Small(bytes[6]), Small(bytes[2] ^ bytes[6]), Small(bytes[3] ^ bytes[6])};
    options.RepairNormals = (bytes[7] & 1) != 0;
    options.KeepDuplicates = (bytes[7] & 2) != 0;
    return options;
}

bool SameBits(const TSurFaceData& a, const TSurFaceData& b) {
    if (a.Polygons.size() != b.Polygons.size()) {
        return false;
    }
    if (!a.Polygons.empty() && std::memcmp(a.Polygons.data(), b.Polygons.data(),
                                           a.Polygons.size() * sizeof(TPolygon)) != 0) {
        return false;
    }
    for (const auto field : {&TSurFaceData::Xmin, &TSurFaceData::Xmax, &TSurFaceData::Ymin,
                             &TSurFaceData::Ymax, &TSurFaceData::Zmin, &TSurFaceData::Zmax}) {
        if (std::memcmp(&(a.*field), &(b.*field), sizeof(double)) != 0) {
            return false;
        }
    }
    return true;
}

// Everything but the suggestions compared bit for bit (a sum may be NaN on absurd input).
bool SameCheck(const TModelCheck& a, const TModelCheck& b) {
    return a.FacetsRead == b.FacetsRead && a.BadNormals == b.BadNormals &&
           a.NormalsRepaired == b.NormalsRepaired && a.OpposedNormals == b.OpposedNormals &&
           a.DuplicateFacets == b.DuplicateFacets && a.DuplicatesRemoved == b.DuplicatesRemoved &&
           a.ZeroAreaFacets == b.ZeroAreaFacets && a.BoundaryEdges == b.BoundaryEdges &&
           a.NonManifoldEdges == b.NonManifoldEdges &&
           std::memcmp(&a.LargestExtent, &b.LargestExtent, sizeof(double)) == 0 &&
           a.SuggestedUnit == b.SuggestedUnit &&
           a.SuggestedAxis.has_value() == b.SuggestedAxis.has_value() &&
           (!a.SuggestedAxis ||
            std::memcmp(&*a.SuggestedAxis, &*b.SuggestedAxis, sizeof(TVector3)) == 0);
}

TResult Import(TSurFaceData& surface, std::string_view data, const TImportOptions& options,
               TModelCheck& check, std::size_t parallelFromBytes) {
    const TResult result = LoadSTLFromMemory(surface, data, "fuzz.stl", options, &check,
                                             NullProgress(), parallelFromBytes);
    Check(static_cast<std::size_t>(surface.PolygonCount) == surface.Polygons.size());
    Check(surface.SurfaceExist == result.Ok());
    Check(result.Ok() ? result.Reason().empty() && surface.PolygonCount > 0
                      : !result.Reason().empty() && surface.Polygons.empty());
    if (!result) {
        return result;
    }
    const std::int64_t kept = surface.PolygonCount;
    const std::int64_t read = check.FacetsRead;
    for (const std::int64_t count :
         {check.BadNormals, check.NormalsRepaired, check.OpposedNormals, check.DuplicateFacets,
          check.DuplicatesRemoved, check.ZeroAreaFacets, check.BoundaryEdges,
          check.NonManifoldEdges}) {
        Check(count >= 0);
    }
    Check(check.DuplicateFacets < read);  // the first facet is never a repeat
    Check(check.DuplicatesRemoved == (options.KeepDuplicates ? 0 : check.DuplicateFacets));
    Check(kept == read - check.DuplicatesRemoved);
    Check(check.NormalsRepaired <= check.BadNormals && check.BadNormals <= kept);
    Check(options.RepairNormals || check.NormalsRepaired == 0);
    Check(check.OpposedNormals + check.NormalsRepaired <= kept);
    Check(check.ZeroAreaFacets <= kept);
    Check(check.BoundaryEdges + check.NonManifoldEdges <= 3 * kept);
    Check(check.LargestExtent >= 0.0);
    // The stored model checked again: a normal that was fine stays fine and the edges
    // are those counted before (the duplicates dropped are gone from both counts); a
    // repaired normal is fine now unless the facet's area underflowed the arithmetic.
    TSurface again = surface.Polygons;
    TModelCheck second;
    RepairAndCheck(again, options, second);
    Check(second.BadNormals <= check.BadNormals);
    Check(second.BadNormals >= check.BadNormals - check.NormalsRepaired);
    Check(options.KeepDuplicates ? second.DuplicateFacets == check.DuplicateFacets
                                 : second.DuplicateFacets == 0);
    Check(second.BoundaryEdges == check.BoundaryEdges);
    Check(second.NonManifoldEdges == check.NonManifoldEdges);
    Check(second.ZeroAreaFacets == check.ZeroAreaFacets);
    // Vertices are finite in the tool's frame, whatever the options did to them.
    for (const TPolygon& p : surface.Polygons) {
        for (const TVector3* v : {&p.Vert1, &p.Vert2, &p.Vert3}) {
            Check(std::isfinite(v->x) && std::isfinite(v->y) && std::isfinite(v->z));
        }
    }
    for (const double bound :
         {surface.Xmin, surface.Xmax, surface.Ymin, surface.Ymax, surface.Zmin, surface.Zmax}) {
        Check(std::isfinite(bound));
    }
    (void)ModelCheckLines(check, ',');
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kOptionBytes) {
        return 0;
    }
    const TImportOptions options = OptionsOf(data);
    const std::string_view bytes(reinterpret_cast<const char*>(data) + kOptionBytes,
                                 size - kOptionBytes);

    TSurFaceData whole;
    TModelCheck wholeCheck;
    const TResult wholeResult =
        Import(whole, bytes, options, wholeCheck, std::numeric_limits<std::size_t>::max());
    TSurFaceData split;
    TModelCheck splitCheck;
    const TResult splitResult = Import(split, bytes, options, splitCheck, 0);
    Check(wholeResult.Ok() == splitResult.Ok());
    Check(wholeResult.Reason() == splitResult.Reason());
    if (!wholeResult) {
        return 0;
    }
    Check(SameBits(whole, split));
    Check(SameCheck(wholeCheck, splitCheck));

    // Keeping the duplicates finds the same ones and keeps every facet read.
    TImportOptions keep = options;
    keep.KeepDuplicates = !options.KeepDuplicates;
    TSurFaceData other;
    TModelCheck otherCheck;
    Check(Import(other, bytes, keep, otherCheck, std::numeric_limits<std::size_t>::max()).Ok());
    Check(otherCheck.FacetsRead == wholeCheck.FacetsRead);
    Check(otherCheck.DuplicateFacets == wholeCheck.DuplicateFacets);
    return 0;
}
