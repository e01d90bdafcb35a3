// The transforms of one frame of the 3-D view computed on the CPU, so that the drawing
// and the picking of segments under the mouse use the very same numbers: the frame's
// matrices are handed to OpenGL as they are, and a click is compared with model points
// taken through them.
//
// Screen mapping: the viewport is the whole drawable; one view unit is half its shorter
// side, so the unit circle about the window's centre is always in sight. The projection
// is orthographic and turns y over (a right-handed view, see scene_renderer.h); the
// visible depth is -kViewDepth .. kViewDepth view units, the nearer fragment having the
// smaller depth.
#pragma once

#include <array>

#include "geometry/vector3.h"
#include "model/model.h"

namespace tessarin::view {

struct TSceneFrame;

inline constexpr double kViewDepth = 8.0;

// A 4 x 4 matrix of doubles in OpenGL's column-major order (element (row r, column c)
// at c * 4 + r), acting on column vectors.
struct TMatrix4 {
    std::array<double, 16> M{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    static TMatrix4 Translation(double x, double y, double z);
    static TMatrix4 Scaling(double x, double y, double z);
    // `angle` degrees about `axis`, as glRotated turns: the axis is normalised, and an
    // axis of no length (or not finite) gives the identity.
    static TMatrix4 Rotation(double angle, const geometry::TVector3& axis);

    friend TMatrix4 operator*(const TMatrix4& a, const TMatrix4& b);
    // The point (x, y, z, 1) transformed, divided by w.
    geometry::TVector3 Apply(const geometry::TVector3& p) const;
};

// The matrices of one frame.
struct TSceneTransform {
    TMatrix4 Projection;
    // View units after pan and rotation: the frame of the coordinate-system discs and
    // the working-plane arrow, with the model's origin at its origin.
    TMatrix4 Discs;
    // Model coordinates, turned into the system shown, scaled by the fit and the zoom
    // and centred by the fit.
    TMatrix4 Model;
    // The turns alone (view rotation and the turn into the system shown), for the axis
    // triad.
    TMatrix4 Turns;
    int Width = 0;  // drawable, device pixels
    int Height = 0;

    // A model point's place in the drawable: x to the right and y downward in device
    // pixels from the top-left corner, z its depth (smaller is nearer).
    geometry::TVector3 ToWindow(const geometry::TVector3& modelPoint) const;
};

// The transform of `frame` for `model` (its shown coordinate system and the working or
// accepted values that turn into it).
TSceneTransform SceneTransform(const model::TModel& model, const TSceneFrame& frame);

}  // namespace tessarin::view
