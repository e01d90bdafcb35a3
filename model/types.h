// The records the whole system shares: polygons, segments of the cutting edge,
// their angle sets, the coordinate-system parameters and the geometry settings.
//
// Angles are in degrees everywhere. Inside an angle set the stored order is A (clearance),
// G (rake), L (inclination), F (plan); whatever the user sees is ordered G, A, L, F.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "geometry/vector3.h"

namespace tessarin::model {

using geometry::TVector3;

// One triangle: the vertices in file order and the facet normal exactly as read
// (never normalised, never recomputed from the vertices).
struct TPolygon {
    TVector3 Vert1;
    TVector3 Vert2;
    TVector3 Vert3;
    TVector3 Normal;

    friend bool operator==(const TPolygon&, const TPolygon&) = default;
};

using TSurface = std::vector<TPolygon>;

// Angles of a segment in the tool system ISK.
struct TAngles3 {
    double A = 0.0;
    double G = 0.0;
    double L = 0.0;

    friend bool operator==(const TAngles3&, const TAngles3&) = default;
};

// Angles of a segment in SSK, KSK or DSK: those of TAngles3 and the plan angle F.
struct TAngles4 {
    double A = 0.0;
    double G = 0.0;
    double L = 0.0;
    double F = 0.0;

    friend bool operator==(const TAngles4&, const TAngles4&) = default;
};

// One straight piece of the cutting edge: a triangle edge that a front polygon
// shares with a back polygon.
struct TSegment {
    TVector3 Point1;  // the start: along front x back normal, else the smaller polar angle
    TVector3 Point2;
    TVector3 Direct;     // Point2 - Point1, not normalised
    double Polar = 0.0;  // polar angle of the midpoint about Z, -180..180
    TPolygon Front;      // the rake polygon of the pair
    TPolygon Back;       // the flank polygon of the pair
    TAngles3 ISK;
    TAngles4 SSK;
    TAngles4 KSK;
    TAngles4 DSK;
    std::int32_t Number = 0;  // 1-based position in the ordered cutting edge

    friend bool operator==(const TSegment&, const TSegment&) = default;
};

using TCutEdgeData = std::vector<TSegment>;

// Index of the coordinate systems, also the value of TModel::CurrentCS.
enum : std::uint8_t { kISK = 0, kSSK = 1, kKSK = 2, kDSK = 3 };

// Index into TModel::ExistedCS.
enum : std::uint8_t { kExistedSSK = 0, kExistedKSK = 1, kExistedDSK = 2, kExistedFeedPlan = 3 };

// Parameters of the derived coordinate systems (their meaning: coordinate_systems.h).
struct TSSKValues {
    TVector3 OP{0.0, 0.0, 1.0};  // normal of the static basic plane
    double GN = 0.0;             // greatest inclination of the insert
    double Mu = 0.0;             // azimuth of the plane of greatest inclination

    friend bool operator==(const TSSKValues&, const TSSKValues&) = default;
};

struct TKSKValues {
    TVector3 OP;  // normal of the kinematic basic plane, of length 1 / cos(Eta)
    double Eta = 0.0;

    friend bool operator==(const TKSKValues&, const TKSKValues&) = default;
};

struct TDSKValues {
    TVector3 SP;       // normal of the section plane
    double Nu = 45.0;  // chip-flow angle

    friend bool operator==(const TDSKValues&, const TDSKValues&) = default;
};

struct TFeedPlanValues {
    TVector3 FP{1.0, 0.0, 0.0};  // normal of the working plane
    double Phi = 0.0;            // main plan angle
    std::int32_t HCE = 0;        // 0-based index into CutEdge of the main segment

    friend bool operator==(const TFeedPlanValues&, const TFeedPlanValues&) = default;
};

struct CSValues {
    TSSKValues SSK;
    TKSKValues KSK;
    TDSKValues DSK;
    TFeedPlanValues FeedPlan;

    friend bool operator==(const CSValues&, const CSValues&) = default;
};

// The point tolerance of the cutting-edge search when nothing else is set: points are
// the same when every coordinate differs by less than this (mm).
inline constexpr double kDefaultPointTolerance = 0.001;

// The kink (degrees) between consecutive cutting-edge segments above which a new edge
// starts, when nothing else is set.
inline constexpr double kDefaultEdgeKinkAngle = 30.0;

// The geometry part of the settings; every document keeps its own copy.
struct TGeometrySettings {
    double Alpha = 0.0;  // largest clearance angle of a flank polygon in ISK
    double Gamma = 0.0;  // largest inclination of the rake surface to OZ
    bool DiscardInt = false;
    std::int32_t TableAccuracy = 0;  // decimals shown, 0..6
    bool MarkNegative = false;
    // Smallest angle (degrees) between the normals of a segment's front and back
    // polygons: pairs closer than this lie on a smooth surface, not on a cutting edge.
    // 0 counts every shared edge.
    double MinNormalAngle = 0.0;
    // Points of the cutting-edge search are the same when every coordinate differs by
    // less than this (mm).
    double PointTolerance = kDefaultPointTolerance;
    // Consecutive segments joined end to end belong to one edge unless the direction
    // turns there by more than this (degrees, 0..180); model/edges.h.
    double EdgeKinkAngle = kDefaultEdgeKinkAngle;

    friend bool operator==(const TGeometrySettings&, const TGeometrySettings&) = default;
};

// The application's defaults for new documents.
inline constexpr TGeometrySettings kDefaultGeometrySettings{10.0, 80.0, true, 4, true};

// The unit an STL file's coordinates are in; the model is kept in millimetres.
enum class TLengthUnit : std::uint8_t { Millimetre, Inch, Metre, Micrometre };

// Where the tool's axis passes after import.
enum class TOriginChoice : std::uint8_t {
    Keep,    // as in the file
    Center,  // through the centre of the bounding box across the axis
    Point,   // through TImportOptions::OriginPoint (in the file's units, before the turn)
};

// How an STL file is brought into the tool's frame (millimetres, axis +Z), applied once
// on import in this order: unit scale, origin, axis turn; and what is repaired then.
struct TImportOptions {
    TLengthUnit Unit = TLengthUnit::Millimetre;
    TVector3 Axis{0.0, 0.0, 1.0};  // the file's tool axis; turned onto +Z
    TOriginChoice Origin = TOriginChoice::Keep;
    TVector3 OriginPoint{};
    bool RepairNormals = true;    // zero, non-finite or non-unit normals from the vertex order
    bool KeepDuplicates = false;  // false: facets with the same three vertices kept once

    friend bool operator==(const TImportOptions&, const TImportOptions&) = default;
};

// Negative-value marks of one angle column, one per segment.
using TMarkedCellsOfCol = std::vector<bool>;
// Index k belongs to table column k + 3.
using TMarkedCells = std::array<TMarkedCellsOfCol, 15>;

}  // namespace tessarin::model
