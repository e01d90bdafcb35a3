// The project file's extension section: what a project holds beyond the first format's
// lines, written after the STL file name as
//
//   -----Extensions-----
//   key:value
//   ...
//
// each line ended by CR LF like the rest of the file. Numbers are in the general number
// form with the file's decimal separator. Keys and values:
//   Units           mm | inch | m | um               the STL file's unit
//   Axis            x;y;z                            the file's tool axis, not zero
//   Origin          keep | center | x;y;z            where the axis passes
//   RepairNormals   yes | no
//   KeepDuplicates  yes | no
//   MinNormalAngle  degrees, 0..180                  smallest angle of a cutting edge
//   PointTolerance  mm, positive                     point tolerance of the edge search
//   EdgeKinkAngle   degrees, 0..180                  kink that starts a new edge
//   tolerance.KEY   NOMINAL;LOW;HIGH                 a nominal value of the angle KEY
//                                                    ("ssk.gn") with its deviations,
//                                                    LOW <= 0 <= HIGH, finite
// A tolerance's numbers are written with "." whatever the file's separator, in the
// shortest form that reads back to the same double; one line per tolerance, in the
// order of model::AllAngles(). A tolerance of an angle this version does not know is
// skipped like an unknown key.
// The section holds only the keys whose values differ from their defaults, in this order,
// and is left out when none does, so a project the first format can express is written
// byte for byte as that format writes it.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "model/base_names.h"
#include "model/tolerances.h"
#include "model/types.h"

namespace tessarin::project {

inline constexpr std::string_view kExtensionsHeader = "-----Extensions-----";

// The values the section carries; the defaults are those of a section left out.
struct TProjectExtensions {
    model::TImportOptions ImportOptions{};
    double MinNormalAngle = 0.0;
    double PointTolerance = model::kDefaultPointTolerance;
    double EdgeKinkAngle = model::kDefaultEdgeKinkAngle;
    model::TToleranceSet Tolerances;  // none by default

    friend bool operator==(const TProjectExtensions&, const TProjectExtensions&) = default;
};

// Appends the section, header and lines, when some value differs from its default;
// nothing otherwise. An Origin point is written only with TOriginChoice::Point.
void AppendExtensions(std::string& out, const TProjectExtensions& values, char decimalSeparator);

// Reads the lines of a section that follow its header into `values`, which start as the
// defaults. Numbers read with "," or "." as separator. Keys it does not know are skipped
// (a later version's); a line without a colon, with an empty key, with a key given
// before, or with a value its known key does not take is refused with the reason
// "line N: expected ...", N being `firstLineNumber` for lines[0] and counting on. Empty
// lines at the very end are allowed.
model::TResult ReadExtensions(std::span<const std::string_view> lines, std::size_t firstLineNumber,
                              TProjectExtensions& values);

}  // namespace tessarin::project
