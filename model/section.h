// Sections of the model by a plane: the mesh's outline in the plane, and the wedge of one
// cutting-edge segment in one of its section planes with the angles the table gives.
//
// Outline rule. A vertex within kOnPlaneTolerance of the plane lies on it. The outline is
// that of the plane moved by an infinitely small step against its normal: a vertex on the
// plane counts as above it, a facet is cut when it has a vertex strictly below and one on
// or above, and the cut runs between the points where its edges from below to on-or-above
// meet the plane (an on-plane vertex is itself such a point). So a facet lying in the
// plane gives nothing by itself; its outline comes once from the facets below it that
// meet it, and a face of a solid that lies in the plane shows when the solid lies below
// the plane and not when it lies above. No piece is given twice and a closed mesh gives
// closed loops.
#pragma once

#include <optional>
#include <vector>

#include "geometry/vector3.h"
#include "model/angles.h"
#include "model/facet_index.h"
#include "model/types.h"

namespace tessarin::model {

using geometry::TVector2;

// Distance (mm) within which a vertex lies on the cutting plane.
inline constexpr double kOnPlaneTolerance = 1e-9;

// A plane with its own 2-D frame: unit Normal, unit AxisU and AxisV with AxisU x AxisV =
// Normal; the point Origin is (0, 0) of the frame. Plane coordinates are in mm.
struct TPlaneFrame {
    TVector3 Origin;
    TVector3 Normal;
    TVector3 AxisU;
    TVector3 AxisV;
};

// The frame of the plane through `point` with normal `normal` (any length). AxisU is
// `axisU`'s part in the plane, normalised; without it, the unit axis X, Y or Z least
// along the normal (the first of equals), projected. Nullopt when the normal (or the
// given axis's part in the plane) is shorter than 1e-12 or not finite.
std::optional<TPlaneFrame> MakePlaneFrame(const TVector3& point, const TVector3& normal);
std::optional<TPlaneFrame> MakePlaneFrame(const TVector3& point, const TVector3& normal,
                                          const TVector3& axisU);

// Plane coordinates of a point (its projection onto the plane).
TVector2 PlanePoint(const TPlaneFrame& frame, const TVector3& p);

// One piece of the outline in plane coordinates. A closed one does not repeat its first
// point at the end.
struct TSectionPolyline {
    std::vector<TVector2> Points;
    bool Closed = false;
};

// The outline in a canonical form that does not depend on the order of the facets, nor
// of their vertices, nor on repeated facets: pieces are chained through shared points
// (points of one mesh edge, or one on-plane vertex, found bit for bit, so facets must
// share their vertices exactly, as STL files do); a loop runs with the solid on its left
// (counter-clockwise around material, clockwise around a hole) as the facets' vertex
// order tells, counter-clockwise where that does not decide, and starts at its smallest
// point; the pieces are ordered by their first point. A point where more than two pieces
// meet (a saddle vertex on the plane, a non-manifold edge) is passed through in a fixed
// order.
struct TSectionOutline {
    std::vector<TSectionPolyline> Polylines;
};

// The section by the plane of `frame` of the facets the index was built on, or of
// `polygons` (every facet tried).
TSectionOutline SectionOfMesh(const TFacetIndex& index, const TPlaneFrame& frame);
TSectionOutline SectionOfMesh(const TSurface& polygons, const TPlaneFrame& frame);

// ---- The wedge of a segment ----------------------------------------------------------

// Pn at right angles to the segment; Po the main section plane; Pf the working plane; Pp
// the back plane. Each passes through the segment's midpoint.
enum class TWedgePlane { Pn, Po, Pf, Pp };

// An arc about the edge point in the plane's frame: from Start, Sweep degrees
// (counter-clockwise from AxisU towards AxisV when positive).
struct TSectionArc {
    double Start = 0.0;
    double Sweep = 0.0;
};

// What a section view draws for one segment. Frame: origin at the segment's midpoint (the
// edge point), AxisU the basic plane's trace pointing into the tool (r of angles.h),
// AxisV at right angles to it along N (u), Normal = r x u (the segment's direction for
// Pn). Traces are unit directions from the edge point in plane coordinates: the basic
// plane's (1, 0), the rake face's (cos g, -sin g) into the tool, the flank's
// (sin a, -cos a) downwards. Arcs: gamma from the basic plane's trace to the rake trace
// (start 0, sweep -g), alpha from the downward normal of the basic plane to the flank
// trace (start -90, sweep a), beta from the flank trace to the rake trace (start a - 90,
// sweep 90 - g - a).
struct TWedgeSection {
    TPlaneFrame Frame;
    TSectionFrame Section;
    TVector2 ReferenceTrace;
    TVector2 RakeTrace;
    TVector2 FlankTrace;
    double Rake = 0.0;       // gamma, degrees
    double Clearance = 0.0;  // alpha
    double Wedge = 0.0;      // beta = 90 - gamma - alpha
    TSectionArc RakeArc;
    TSectionArc ClearanceArc;
    TSectionArc WedgeArc;
};

// The wedge of `segment` in `plane` of `system`, measured with FrameOf(accepted, system)
// and the section frames of angles.h, so that gamma, alpha, beta are the derived angles of
// AngleValues (for Po those of beta_o; in the dynamic system that gamma_o is the main
// section's, not the stored rake angle of its own section plane). Nullopt where the plane
// is not defined: Pf and Pp in ISK (no working plane), a working-plane normal along N, a
// segment along N for Pn and Po.
std::optional<TWedgeSection> WedgeSectionOf(const TSegment& segment, const CSValues& accepted,
                                            int system, TWedgePlane plane);

}  // namespace tessarin::model
