// The pure math of the 3-D view: what a mouse drag does to the view in each navigation
// mode, the seven standard views, the fit of a model into the view, and the turns that
// bring a plane's normal onto the view's axis. Nothing here needs OpenGL or a widget.
//
// Angles are in degrees. View units: the visible volume is -1 .. 1 in x, y and z.
#pragma once

#include "geometry/vector3.h"
#include "model/surface_data.h"

namespace tessarin::view {

// The navigation mode chosen on the main window's toolbar; at most one at a time.
enum class TMouseMode { None, Rotate, Pan, Zoom, RotateZ };

// The part of a document window's view state that the mouse changes.
struct TViewPose {
    geometry::TVector3 ViewPan;       // translation of the scene, view units
    geometry::TVector3 ViewRotation;  // degrees about X, then Y, then Z
    double ViewZoom = 1.0;

    friend bool operator==(const TViewPose&, const TViewPose&) = default;
};

// One step of a drag from (fromX, fromY) to (toX, toY), client pixels with y growing
// downward. With dx = fromX - toX and dy = toY - fromY:
//   Rotate:  ViewRotation.y -= dx / 5, ViewRotation.x -= dy / 5, ViewRotation.z := 0
//            (one degree per 5 pixels; any turn about Z is dropped at the first move).
//   Pan:     ViewPan.x -= dx / 800, ViewPan.y -= dy / 800, ViewPan.z := 0.
//   Zoom:    ViewZoom *= 0.1^t, t = d / 500 when dy >= 0, else -d / 500, d the drag
//            length: 500 pixels down (or sideways) divide by 10, 500 up multiply by 10.
//   RotateZ: ViewRotation.z += -d / 5 when dx >= 0, else d / 5 (right turns positive,
//            left or purely vertical negative).
//   None:    no change.
TViewPose DragView(const TViewPose& pose, TMouseMode mode, int fromX, int fromY, int toX, int toY);

// Standard views 0..6: front (90, 0, 0), back (90, 0, 180), top (0, 0, 0), bottom
// (0, 180, 0), left (90, 0, 270), right (90, 0, 90), isometric (30, 0, 0) as angles about
// X, Y, Z. Any other number keeps the angles. Every number resets pan to 0 and zoom to 1.
TViewPose StandardView(const TViewPose& pose, int view);

// How a loaded model is fitted into the view: scaled so that the sphere about the
// centre of its bounding box through the box's corners is 0.9 view units in radius, and
// turned and zoomed about that centre. The whole model then stays inside the unit circle
// of the view (the shorter side of the window, with a margin) and inside the visible
// depth, in every standard view and at any turn. An empty box, a box of no extent or
// one that is not finite gives the scale 1; a centre that is not finite gives the
// origin.
struct TModelFit {
    double Scale = 1.0;
    geometry::TVector3 Centre;
};
TModelFit FitModel(const model::TSurFaceData& surface);
double FitModelScale(const model::TSurFaceData& surface);

// The point of the view plane under the window pixel (x, y) (logical pixels, y
// downward) of a window `width` x `height`: view units from the window's centre, y up.
geometry::TVector3 ViewPointAt(double x, double y, double width, double height);

// The zoom multiplied by `factor` about the view-plane point `at` (ViewPointAt), which
// stays where it is on the screen: the pan moves by (1 - factor) (at - pan).
TViewPose ZoomAbout(const TViewPose& pose, double factor, const geometry::TVector3& at);

// A turn as glRotated takes it: `Angle` degrees about the unit vector `Axis`.
struct TTurn {
    double Angle = 0.0;
    geometry::TVector3 Axis{1.0, 0.0, 0.0};
};

// The turn of `angle` degrees about `axis` (any length), where `axis` is the cross
// product of a plane's normal `normal` with the Z axis (or the reverse). The axis is
// normalised here, so a tiny but valid axis is not mistaken for none. When the axis has
// no length or is not finite the normal is parallel to Z (or degenerate): a zero or
// non-finite normal gives no turn, otherwise the turn is about X, so 0 degrees stays
// put and 180 degrees turns the model upside down.
TTurn TurnAbout(double angle, const geometry::TVector3& axis, const geometry::TVector3& normal);

// The turn that brings `normal` onto the view's Z axis (the turn into the static or
// kinematic system): -VectorAngle(Z, normal) about CrossProduct(Z, normal).
TTurn TurnOntoZ(const geometry::TVector3& normal);

}  // namespace tessarin::view
