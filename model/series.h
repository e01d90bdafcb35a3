// Chart data of one angle quantity against the polar angle. Plain data: the desktop's
// chart widget draws it, the core only fills it.
#pragma once

#include <vector>

namespace tessarin::model {

struct TChartPoint {
    double X = 0.0;
    double Y = 0.0;

    friend bool operator==(const TChartPoint&, const TChartPoint&) = default;
};

// The points are kept in ascending X; a point whose X equals existing ones goes after
// them, so points added in ascending order are simply appended.
class TSeries {
public:
    void Clear() { Points.clear(); }
    void Add(double x, double y);
    void Reserve(std::size_t count) { Points.reserve(count); }

    const std::vector<TChartPoint>& GetPoints() const { return Points; }

private:
    std::vector<TChartPoint> Points;
};

}  // namespace tessarin::model
