// How an STL file's coordinates are brought into the tool's frame: millimetres, the tool
// axis along +Z, the axis through the chosen origin. The rest of the system only ever
// sees polygons in that frame.
//
// The options are applied once, on import, in this order: unit scale, origin, axis turn.
// Vertices are scaled by the unit, moved so that the origin lands on (0, 0, 0) and turned;
// normals are only turned (a uniform scale and a shift leave directions alone).
//
// The turn is the smallest rotation that takes the tool axis onto +Z: a rotation about
// axis x Z (the line across both) by the angle between them. For the axis -Z, where that
// line is undefined, it is a half turn about X: (x, y, z) -> (x, -y, -z). For the axes
// +X, -X, +Y, -Y the turn is a permutation with signs and rounds nothing:
//   +X: (x, y, z) -> (-z, y, x)     -X: (x, y, z) -> (z, y, -x)
//   +Y: (x, y, z) -> (x, -z, y)     -Y: (x, y, z) -> (x, z, -y)
#pragma once

#include <optional>
#include <string_view>

#include "model/base_names.h"
#include "model/types.h"

namespace tessarin::model {

// Millimetres per unit: 1, 25.4, 1000, 0.001.
double MillimetresPer(TLengthUnit unit);

// The key of a unit in the batch tool's options: "mm", "inch", "m", "um".
std::string_view LengthUnitKey(TLengthUnit unit);
std::optional<TLengthUnit> LengthUnitOfKey(std::string_view key);

// The unit's Russian short name for messages: "мм", "дюймы", "м", "мкм".
std::string_view LengthUnitName(TLengthUnit unit);

// A rotation, applied as M * v.
struct TAxisTurn {
    double M[3][3] = {{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}};
    bool Identity = true;  // the axis is +Z: nothing is turned

    TVector3 Apply(const TVector3& v) const;
    // The inverse turn (tool frame back to the file's frame).
    TVector3 ApplyInverse(const TVector3& v) const;
};

// The turn taking `axis` (any length) onto +Z, as the header describes; nullopt for a
// zero or non-finite axis.
std::optional<TAxisTurn> AxisTurn(const TVector3& axis);

// The options leave the frame as it is: millimetres, axis +Z (of any length), origin
// kept. The polygons are then stored bit for bit as read.
bool KeepsFrame(const TImportOptions& options);

// Refuses an axis that is zero or not finite, or an origin point that is not finite; the
// reason names the option ("tool axis ...", "origin point ...").
TResult CheckImportOptions(const TImportOptions& options);

// Brings `polygons` (in the file's units and frame) into the tool's frame. The origin
// Center puts the axis through the middle of the model's own extents across the axis,
// measured after the turn (the x and y extents of the vertices in the tool frame, not the
// stored bounding box, which always contains the origin); the coordinate along the axis
// stays. Fails, naming the facet (1-based), when a coordinate overflows the range of a
// double on scaling. Preconditions: CheckImportOptions(options) succeeded.
TResult BringIntoToolFrame(TSurface& polygons, const TImportOptions& options);

}  // namespace tessarin::model
