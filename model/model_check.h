// What an STL import found in the model and what it repaired, and what it suggests.
//
// After the polygons are in the tool's frame (model/import_options.h), the import
//   - keeps a facet once when a later facet has the same three vertices, in any order and
//     compared exactly (the first is kept, the order otherwise unchanged), unless the
//     options keep duplicates;
//   - replaces a stored normal that is zero, not finite or not of unit length
//     (|1 - |n|| > kNormalLengthTolerance) by the unit normal of the vertex order
//     (Vert2 - Vert1) x (Vert3 - Vert1), unless the options keep the normals. A facet of
//     zero area has no such normal and keeps its own;
//   - counts, and leaves as they are, the normals that point against the vertex order by
//     more than 90 degrees, and the facets of zero area (the cross product of two edges no
//     longer than kZeroAreaRatio times the square of the longest edge).
// It then counts the edges shared by one facet (boundary) and by more than two
// (non-manifold), vertices compared exactly, and suggests, without applying anything, a
// unit when the model's size looks like inches, metres or micrometres, and a tool axis
// when the surface is clearly symmetric about a line that is not Z.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/base_names.h"
#include "model/types.h"

namespace tessarin::model {

inline constexpr double kNormalLengthTolerance = 1e-4;
inline constexpr double kZeroAreaRatio = 1e-12;

// A tool's largest extent lies between these (mm) when its unit is right. Outside, the
// first unit (inch, metre, micrometre, millimetre) that brings the file's numbers inside
// is suggested.
inline constexpr double kPlausibleToolMin = 10.0;
inline constexpr double kPlausibleToolMax = 1000.0;

struct TModelCheck {
    std::int64_t FacetsRead = 0;         // facets in the file
    std::int64_t BadNormals = 0;         // zero, not finite or not of unit length
    std::int64_t NormalsRepaired = 0;    // of those, replaced by the vertex order's normal
    std::int64_t OpposedNormals = 0;     // more than 90 degrees from the vertex order's
    std::int64_t DuplicateFacets = 0;    // later facets with the vertices of an earlier one
    std::int64_t DuplicatesRemoved = 0;  // of those, dropped (all unless kept)
    std::int64_t ZeroAreaFacets = 0;
    std::int64_t BoundaryEdges = 0;     // edges of one facet only
    std::int64_t NonManifoldEdges = 0;  // edges of more than two facets
    // The stored bounding box (mm, tool frame; it always contains the origin).
    double Xmin = 0.0;
    double Xmax = 0.0;
    double Ymin = 0.0;
    double Ymax = 0.0;
    double Zmin = 0.0;
    double Zmax = 0.0;
    // The largest extent of the vertices themselves (mm).
    double LargestExtent = 0.0;
    // The unit the file's numbers look like being in, when it is not the one imported with.
    std::optional<TLengthUnit> SuggestedUnit;
    // The tool axis in the file's frame (what to import with), the sign making its largest
    // component positive; only when it is clearly not the axis imported with.
    std::optional<TVector3> SuggestedAxis;

    friend bool operator==(const TModelCheck&, const TModelCheck&) = default;
};

// Repairs `polygons` (already in the tool's frame) as `options` allow and fills `check`
// with everything but FacetsRead and the bounding box. Progress: one operation over the
// polygons, "Проверка модели >>".
void RepairAndCheck(TSurface& polygons, const TImportOptions& options, TModelCheck& check,
                    TProgress& progress = NullProgress());

// The unit to suggest for a model whose largest extent is `largestExtentMm` after import
// with `unit`; nullopt when the size is plausible or no unit makes it so.
std::optional<TLengthUnit> SuggestUnit(double largestExtentMm, TLengthUnit unit);

// The axis of symmetry of the surface in the tool's frame (unit length, largest component
// positive) from the principal axes of the area-weighted covariance of the facet
// centroids: the eigenvector whose eigenvalue stands apart from the other two, which must
// lie close together (a surface of revolution, or one with a rotational symmetry of order
// three or more, has two equal ones). nullopt when no eigenvalue clearly stands apart.
std::optional<TVector3> SymmetryAxis(const TSurface& polygons);

// The check as text lines in Russian, numbers with `decimalSeparator`.
std::vector<std::string> ModelCheckLines(const TModelCheck& check, char decimalSeparator);

}  // namespace tessarin::model
