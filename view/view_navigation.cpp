// Mouse navigation, standard views and the fit of a model into the 3-D view.
#include "view/view_navigation.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tessarin::view {

namespace {

using geometry::TVector3;

constexpr double kFitRadius = 0.9;

bool IsFinite(const TVector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

}  // namespace

TViewPose DragView(const TViewPose& pose, TMouseMode mode, int fromX, int fromY, int toX, int toY) {
    // dx runs old minus new, dy new minus old: moving right or up makes the angles and
    // the pan grow, as the formulas below rely on.
    const double dx = static_cast<double>(fromX) - static_cast<double>(toX);
    const double dy = static_cast<double>(toY) - static_cast<double>(fromY);
    const double length = std::sqrt(dx * dx + dy * dy);
    TViewPose result = pose;
    switch (mode) {
        case TMouseMode::Rotate:
            result.ViewRotation.y = pose.ViewRotation.y - dx / 5.0;
            result.ViewRotation.x = pose.ViewRotation.x - dy / 5.0;
            result.ViewRotation.z = 0.0;
            break;
        case TMouseMode::Pan:
            result.ViewPan.x = pose.ViewPan.x - dx / 800.0;
            result.ViewPan.y = pose.ViewPan.y - dy / 800.0;
            result.ViewPan.z = 0.0;
            break;
        case TMouseMode::Zoom: {
            const double t = dy >= 0.0 ? length / 500.0 : -length / 500.0;
            result.ViewZoom = pose.ViewZoom * std::pow(0.1, t);
            break;
        }
        case TMouseMode::RotateZ: {
            const double t = dx >= 0.0 ? -length / 5.0 : length / 5.0;
            result.ViewRotation.z = pose.ViewRotation.z + t;
            break;
        }
        case TMouseMode::None:
            break;
    }
    return result;
}

TViewPose StandardView(const TViewPose& pose, int view) {
    static constexpr std::array<TVector3, 7> kViews{{
        {90.0, 0.0, 0.0},    // front
        {90.0, 0.0, 180.0},  // back
        {0.0, 0.0, 0.0},     // top
        {0.0, 180.0, 0.0},   // bottom
        {90.0, 0.0, 270.0},  // left
        {90.0, 0.0, 90.0},   // right
        {30.0, 0.0, 0.0},    // isometric
    }};
    TViewPose result = pose;
    if (view >= 0 && view < static_cast<int>(kViews.size())) {
        result.ViewRotation = kViews[static_cast<std::size_t>(view)];
    }
    result.ViewPan = TVector3{};
    result.ViewZoom = 1.0;
    return result;
}

TModelFit FitModel(const model::TSurFaceData& surface) {
    TModelFit fit;
    const TVector3 low{surface.Xmin, surface.Ymin, surface.Zmin};
    const TVector3 high{surface.Xmax, surface.Ymax, surface.Zmax};
    const TVector3 centre{(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2};
    if (IsFinite(centre)) {
        fit.Centre = centre;
    }
    const double radius = geometry::VectorLength(geometry::VectorFromTo(low, high)) / 2;
    // Written so that a NaN radius takes the fallback rather than a NaN scale.
    if (radius > 0.0 && std::isfinite(radius)) {
        const double scale = kFitRadius / radius;
        fit.Scale = std::isfinite(scale) ? scale : 1.0;
    }
    return fit;
}

double FitModelScale(const model::TSurFaceData& surface) {
    return FitModel(surface).Scale;
}

TVector3 ViewPointAt(double x, double y, double width, double height) {
    const double unit = std::max(std::min(width, height), 1.0) / 2;
    return {(x - width / 2) / unit, (height / 2 - y) / unit, 0.0};
}

TViewPose ZoomAbout(const TViewPose& pose, double factor, const TVector3& at) {
    TViewPose result = pose;
    result.ViewZoom = pose.ViewZoom * factor;
    result.ViewPan.x = at.x - factor * (at.x - pose.ViewPan.x);
    result.ViewPan.y = at.y - factor * (at.y - pose.ViewPan.y);
    return result;
}

TTurn TurnAbout(double angle, const TVector3& axis, const TVector3& normal) {
    const double length = geometry::VectorLength(axis);
    if (length > 0.0 && std::isfinite(length)) {
        // glRotate treats a short axis (below about 1e-4 once converted to float) as no
        // axis at all and skips the turn; a unit axis keeps nearly opposite normals right.
        return TTurn{angle, TVector3{axis.x / length, axis.y / length, axis.z / length}};
    }
    const double normalLength = geometry::VectorLength(normal);
    if (!(normalLength > 0.0) || !IsFinite(normal)) {
        return TTurn{0.0, TVector3{1.0, 0.0, 0.0}};
    }
    return TTurn{angle, TVector3{1.0, 0.0, 0.0}};
}

TTurn TurnOntoZ(const TVector3& normal) {
    const TVector3 z{0.0, 0.0, 1.0};
    return TurnAbout(-geometry::VectorAngle(z, normal), geometry::CrossProduct(z, normal), normal);
}

}  // namespace tessarin::view
