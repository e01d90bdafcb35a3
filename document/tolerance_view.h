// What the desktop shows of the nominal values with tolerances and of the colour map:
// the verdict of every segment, the summary rows of the property list, the colour of a
// table cell outside a tolerance, and the colours of the cutting edge in the 3-D view.
#pragma once

#include <QColor>
#include <QString>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "model/model.h"
#include "model/tolerances.h"

namespace tessarin::document {

// Background of a table cell whose segment is outside the tolerance of its angle; it
// takes the place of the negative-value pink.
inline const QColor kOutsideToleranceCellColor{255, 165, 0};

// The cutting edge's colours in the 3-D view, 0xAARRGGBB with AA = 0xFF (see
// view::TSceneFrame::SegmentColours).
inline constexpr std::uint32_t kOutsideToleranceEdgeColor = 0xFFE00000;
inline constexpr std::uint32_t kNotANumberEdgeColor = 0xFF909090;

// The angle of table column k: columns 3..17 are the stored angles in the order of
// AllAngles(), a derived code of the cutting-edge group its derived angle (the column and
// chart line of document/derived_columns.h); nothing for the other columns.
std::optional<model::TAngleId> AngleOfColumn(int k);

// "Статическая СК: нормальный передний угол (ssk.gn)".
QString AngleCaption(const model::TAngleId& id);

// The verdict of the model's tolerances on its cutting edge, as the batch tool judges it.
// Judged empty without a cutting edge, without tolerances or with none computed.
model::TToleranceReport JudgeTolerances(const model::TModel& model);

// Segment `segment` (index into the cutting edge) is outside the judged tolerance of
// `id`; false when the report does not cover that segment or that angle.
bool OutsideTolerance(const model::TToleranceReport& report, std::size_t segment,
                      const model::TAngleId& id);

// The property list's rows of the verdict: per judged tolerance "ssk.gn 6 (-0,5..+0,5)"
// with "внутри 150 из 168 (89,3 %), худшее +0,8 (отр. 12)", the tolerances not judged,
// and "Все допуски" for the segments within every judged one. No rows without tolerances.
std::vector<std::pair<QString, QString>> ToleranceRows(const model::TModel& model,
                                                       const model::TToleranceReport& report);

// The cutting edge's colours by the value of `id`, per cutting-edge segment: the ramp of
// view::RampColour from blue (the smallest value) over green to red (the largest), grey for a value
// that is not a number. `range` gets the finite minimum and maximum (NaN, NaN when there is none).
std::vector<std::uint32_t> ColourMapColours(const model::TModel& model, const model::TAngleId& id,
                                            std::pair<double, double>& range);

// Per cutting-edge segment: red when outside some judged tolerance, else 0 (the edge's
// usual colour). Empty when nothing is outside.
std::vector<std::uint32_t> ToleranceColours(const model::TToleranceReport& report);

}  // namespace tessarin::document
