// Sorting of the loaded polygons into rake (front), flank (back) and other surfaces by
// the z of each stored normal, and the pass that moves flank polygons facing the tool
// axis (bore walls and the like) to the other surface.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>

#include "geometry/vector3.h"
#include "model/surface_data.h"

namespace tessarin::model {

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
constexpr double kRightAngle = std::numbers::pi / 2.0;

// A flank polygon faces the tool axis when the angle between the direction from the
// axis to its centroid and its horizontal normal exceeds a right angle. An undefined
// angle (centroid on the axis, no horizontal normal, a coordinate that is not finite)
// counts as facing the axis.
//
// Angle2D also gives NaN when rounding pushes the cosine of two parallel vectors just
// above 1, which happens for a good share of facets whose normal points straight away
// from the axis (the outer wall of a round tool body). Such a facet is as external as a
// facet can be, so that case is told apart and kept.
bool FacesAxis(const TPolygon& polygon) {
    const geometry::TVector2 c{(polygon.Vert1.x + polygon.Vert2.x + polygon.Vert3.x) / 3.0,
                               (polygon.Vert1.y + polygon.Vert2.y + polygon.Vert3.y) / 3.0};
    const geometry::TVector2 n{polygon.Normal.x, polygon.Normal.y};
    const double angle = geometry::Angle2D(c, n);
    if (angle <= kRightAngle) {
        return false;
    }
    if (!std::isnan(angle)) {
        return true;
    }
    const double q = (c.x * n.x + c.y * n.y) /
                     (std::sqrt(c.x * c.x + c.y * c.y) * std::sqrt(n.x * n.x + n.y * n.y));
    return !(q > 1.0);
}

}  // namespace

void TSurFaceData::SortSurfaces(TProgress& progress) {
    Modified = true;
    // Sorting replaces any earlier result instead of appending to it.
    FrontPolygons.clear();
    BackPolygons.clear();
    OtherPolygons.clear();

    const double cg = std::cos(GeometrySettings.Gamma * kRadiansPerDegree);
    const double sa = std::sin(GeometrySettings.Alpha * kRadiansPerDegree);

    // Independent tests: when Gamma + Alpha exceeds a right angle a polygon can be both
    // rake and flank. A NaN z passes neither and lands in the other list.
    const auto isFront = [cg](double nz) { return nz > cg; };
    const auto isBack = [sa](double nz) {
        return (0.0 <= nz && nz < sa) || (-sa < nz && nz <= 0.0);
    };

    {
        // No polygons gives a maximum of -1, which the scope raises to 0.
        TProgressScope scope(progress, "Сортировка поверхностей >>",
                             ProgressMaximum(Polygons.size()));
        // The lists are sized before they are filled: on a large model the copies are
        // most of the work, and growing by doubling would touch every page twice. The
        // other list also gets room for the flank polygons the second pass may move.
        std::size_t frontCount = 0;
        std::size_t backCount = 0;
        std::size_t otherCount = 0;
        for (const TPolygon& polygon : Polygons) {
            const bool front = isFront(polygon.Normal.z);
            const bool back = isBack(polygon.Normal.z);
            frontCount += front ? 1 : 0;
            backCount += back ? 1 : 0;
            otherCount += front || back ? 0 : 1;
        }
        FrontPolygons.reserve(frontCount);
        BackPolygons.reserve(backCount);
        OtherPolygons.reserve(otherCount + (GeometrySettings.DiscardInt ? backCount : 0));

        TBatchedSteps steps(progress);
        for (std::size_t i = 0; i < Polygons.size(); ++i) {
            const TPolygon& polygon = Polygons[i];
            const bool front = isFront(polygon.Normal.z);
            const bool back = isBack(polygon.Normal.z);
            if (front) {
                FrontPolygons.push_back(polygon);
            }
            if (back) {
                BackPolygons.push_back(polygon);
            }
            if (!front && !back) {
                OtherPolygons.push_back(polygon);
            }
            if (i > 0) {
                steps.Add();
            }
        }
        FrontCount = static_cast<std::int32_t>(FrontPolygons.size());
        BackCount = static_cast<std::int32_t>(BackPolygons.size());
        OtherCount = static_cast<std::int32_t>(OtherPolygons.size());
    }

    if (GeometrySettings.DiscardInt) {
        TProgressScope scope(progress, "Исключение внутренних полигонов", 0);
        TBatchedSteps steps(progress);
        // A discarded slot is filled with the then-last flank polygon, which is examined
        // next. Later steps visit the flank list in exactly this order, so it is kept
        // rather than replaced by an order-preserving removal.
        std::size_t f = 0;
        std::size_t m = BackPolygons.size();
        while (f != m) {
            steps.Add();
            if (!FacesAxis(BackPolygons[f])) {
                ++f;
                continue;
            }
            OtherPolygons.push_back(BackPolygons[f]);
            --m;
            BackPolygons[f] = BackPolygons[m];
            BackPolygons.resize(m);
        }
        steps.Add();
        BackCount = static_cast<std::int32_t>(BackPolygons.size());
        OtherCount = static_cast<std::int32_t>(OtherPolygons.size());
    }

    SurfaceSorted = true;
}

}  // namespace tessarin::model
