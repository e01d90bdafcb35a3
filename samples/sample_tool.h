// A synthetic milling tool with indexable inserts, used as the repository's sample model
// and as the benchmark's input at every size.
//
// The tool axis is Z. The body is a stepped cylinder below z = 0: a head whose flat top
// cap (z = 0) ends in a downward-facing undercut rim, the head wall, a step down to the
// shank, the shank wall and a bottom cap. Square positive inserts sit on the top cap,
// one of them centred on the negative X axis, the others evenly spaced around Z; each
// insert is a closed shell of its own that shares no vertex with the body.
//
// Under the default sorting (Gamma 80, Alpha 10, internal polygons discarded) the rake
// face of every insert is front (normal z = cos 6.7 degrees), its outer and its two
// lateral flank faces are back (clearance 7 and 6 degrees, normals pointing away from the
// axis), and its inner flank faces the axis and is discarded. The cutting edge is then the
// outer edge and the two lateral edges of every rake face: one segment per division of
// those edges, exactly CutEdgeSegmentCount(layout) segments. The body's top cap is front
// and its walls are back, but the undercut rim (normal z = -0.71, "other") lies between
// them, so the body adds no cutting edge.
//
// Units are millimetres. Every triangle's vertices run counter-clockwise seen from
// outside, and its stored normal is the unit normal computed from its vertices. Shared
// vertices are bit-identical, so they stay identical after any rounding of the output.
// Generation is deterministic: the same layout gives the same polygons, in the same order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/base_names.h"
#include "model/types.h"

namespace tessarin::samples {

struct TSampleToolLayout {
    int InsertCount = 8;
    double ToolRadius = 40.0;  // radius of the top cap; the outer edges stand 1 mm beyond it
    // Pieces along the outer (and inner) edge of each insert, at least 1. An odd number
    // puts a segment of insert 0's outer edge across the negative X axis.
    int EdgeDivisions = 7;
    int LateralDivisions = 7;  // pieces along each lateral edge, at least 1
    int FlankRows = 2;         // rows of each flank face between rake face and seat, >= 1
    int BodyDivisions = 3;     // body fineness: 16 * BodyDivisions facets around, >= 1
};

// The layout whose facet count comes closest to `targetFacets` (clamped to the smallest
// layout, about 1 k facets). The inserts take about 70 % of the facets, the body the
// rest; the edge divisions, and with them the cutting-edge segments, grow with the
// square root of the target.
TSampleToolLayout LayoutForFacets(std::int64_t targetFacets);

// Exactly the number of polygons GenerateSampleTool(layout) returns.
std::int64_t FacetCount(const TSampleToolLayout& layout);

// Exactly the number of cutting-edge segments the default sorting and the cutting-edge
// search find on the tool: InsertCount * (EdgeDivisions + 2 * LateralDivisions).
std::int64_t CutEdgeSegmentCount(const TSampleToolLayout& layout);

// The polygons: the body first, then the inserts one after another (insert 0 on the
// negative X axis, then counter-clockwise about Z).
model::TSurface GenerateSampleTool(const TSampleToolLayout& layout);

enum class TStlFormat { Ascii, Binary };

// The ASCII STL text of `polygons` in the usual exporter layout ("solid NAME",
// "  facet normal ...", "    outer loop", "      vertex ..." ...), LF line ends, numbers
// in scientific notation with 7 significant digits ("-1.234567e+01"), independent of the
// locale; about 250 bytes per facet.
std::string AsciiStlText(const model::TSurface& polygons, std::string_view name);

// Writes `polygons` as an STL file. Binary: an 80-byte header that does not begin with
// "solid", the facet count and 50 bytes per facet (little-endian float32 values, a zero
// attribute). Streams the output in blocks, so a 2 M-facet ASCII file needs no 500 MB
// buffer. Fails with the file name and the system's reason when the file cannot be
// written; a partly written file is removed.
model::TResult WriteStl(const model::TSurface& polygons, TStlFormat format, std::string_view name,
                        const std::string& path);

}  // namespace tessarin::samples
