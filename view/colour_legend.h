// The colour ramp of the 3-D view's colour map and its legend: a vertical colour bar with
// the angle's name, its maximum at the top, its minimum at the bottom and three values
// between, drawn with QPainter in the top-right corner of the view.
#pragma once

#include <QString>

#include <cstdint>

class QPainter;
class QRect;

namespace tessarin::view {

// Colour of the ramp at t in [0, 1] (clamped; NaN is 0), 0xFFRRGGBB: blue, cyan, green,
// yellow, red in four equal steps.
std::uint32_t RampColour(double t);

struct TColourLegend {
    QString Title;  // the angle's key ("ssk.g")
    double Min = 0.0;
    double Max = 0.0;
    char DecimalSeparator = ',';
    int Decimals = 2;
};

// The legend's bar and labels inside `area` (the widget's rectangle), at its top-right
// corner. A legend without finite Min <= Max says "нет значений" under its title.
void DrawColourLegend(QPainter& painter, const QRect& area, const TColourLegend& legend);

}  // namespace tessarin::view
