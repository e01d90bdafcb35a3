#include "model/series.h"

#include <algorithm>

namespace tessarin::model {

void TSeries::Add(double x, double y) {
    // The common case: points arrive in ascending X. A NaN X cannot be ordered and is
    // appended as it comes.
    if (Points.empty() || !(x < Points.back().X)) {
        Points.push_back({x, y});
        return;
    }
    const auto at =
        std::upper_bound(Points.begin(), Points.end(), x,
                         [](double value, const TChartPoint& p) { return value < p.X; });
    Points.insert(at, {x, y});
}

}  // namespace tessarin::model
