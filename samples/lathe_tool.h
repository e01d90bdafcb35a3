// A single-point lathe tool made of exact planes, built from the angles a tool drawing
// gives: side rake, back rake, side relief, end relief, side and end cutting-edge angles,
// with a sharp or a facetted nose. The reference whose working-plane angles are known.
//
// Tool frame (before placing): Z up, the feed along -X, the shank running back from the
// nose along -Y. The rake face is one plane through the nose, z = -tan(side rake) x +
// tan(back rake) y: it falls along +X (into the tool from the side edge) and back along
// -Y. The side cutting edge leaves the nose backwards at the side cutting-edge angle from
// -Y (plan angle 90 - that angle against the feed), the end cutting edge leaves it along
// +X, turned back by the end cutting-edge angle (its plan angle). The side flank contains
// the side edge and falls back by the side relief in the working plane (the X-Z plane),
// the end flank contains the end edge and falls back by the end relief in the back plane
// (the Y-Z plane). A nose radius replaces the corner by an arc of chords whose flanks are the
// facets of a cone with its apex deep below on the line where the two flanks meet, so that
// they join the flanks and each other along straight lines. The shank
// closes with two more sides, from the side edge's end back to the shank's end and from
// there up to the end edge's end, both undercut 35 degrees; the bottom lies parallel to
// the rake face.
//
// Placing: the tool is turned about Z so that its nose points away from the azimuth Mu,
// shifted so that Z passes through its rake face behind the nose, and tipped nose up by
// GN with the rotation the static system is defined with (the static normal of GN, Mu is
// the tool's Z). The tip brings both flanks within 10 degrees of upright (relief angles
// of more than 10 degrees would otherwise make them "other"), so the default sorting
// (Gamma 80, Alpha 10, internal polygons discarded) takes the rake face as front, the side,
// nose and end flanks as back and every other face as other; the cutting edge is the end
// edge, the nose and the side edge, in that polar order, each segment running with the
// tool on its left seen from above (towards the nose along the end edge, away from it
// along the side edge).
//
// With the static system GN, Mu and the working plane Phi = end cutting-edge angle on an
// end-edge segment, the working plane's trace runs along the feed and its normal back
// along the shank: the side edge reads gamma_f = side rake, alpha_f = side relief, the end
// edge gamma_p = back rake, alpha_p = end relief; both read gamma_p = back rake, and the
// end edge gamma_f = -side rake (the tool lies ahead of it along the feed, where the rake
// face rises). Any other angles need their own tip: one that brings every flank normal
// within 10 degrees of horizontal and keeps the undercut sides more than 10 degrees below.
#pragma once

#include <cstdint>

#include "model/types.h"

namespace tessarin::samples {

struct TLatheToolLayout {
    // Degrees.
    double SideRake = 15.0;
    double BackRake = 15.0;
    double SideRelief = 15.0;
    double EndRelief = 15.0;
    double SideCuttingEdgeAngle = 15.0;
    double EndCuttingEdgeAngle = 25.0;  // with the side angle 15, an 80-degree nose
    double NoseRadius = 0.0;            // mm; 0 is a sharp corner
    int NoseFacets = 6;                 // chords of the nose arc, at least 1
    double SideEdgeLength = 10.0;       // mm, from the corner the two edges' lines meet in
    double EndEdgeLength = 8.0;
    int SideDivisions = 5;  // segments along each straight edge, at least 1
    int EndDivisions = 4;
    double ShankLength = 16.0;  // mm behind the nose
    double Thickness = 5.0;     // mm, at right angles to the rake face
    // Placing (degrees): the static system the tool's own Z is the normal of.
    double Tilt = 22.0;          // GN
    double TiltAzimuth = 180.0;  // Mu: the nose points the other way
};

// The nose angle between the two cutting edges in the basic plane, 180 minus both plan
// angles: 90 + side cutting-edge angle - end cutting-edge angle.
double NoseAngle(const TLatheToolLayout& layout);

// Exactly the number of cutting-edge segments the default sorting finds:
// SideDivisions + EndDivisions, and NoseFacets more with a nose radius.
std::int64_t LatheCutEdgeSegmentCount(const TLatheToolLayout& layout);

// A tool-frame direction (X, Y, Z as above) in the placed model.
model::TVector3 PlacedDirection(const TLatheToolLayout& layout, const model::TVector3& v);

// The horizontal directions of the two edges in the tool frame, pointing as the segments
// run: the side edge away from the nose, the end edge towards it.
model::TVector3 SideEdgeDirection(const TLatheToolLayout& layout);
model::TVector3 EndEdgeDirection(const TLatheToolLayout& layout);

// The polygons, placed; every triangle counter-clockwise seen from outside with its unit
// normal; faces meeting along an edge share its vertices bit for bit. A closed convex
// shell.
model::TSurface GenerateLatheTool(const TLatheToolLayout& layout);

}  // namespace tessarin::samples
