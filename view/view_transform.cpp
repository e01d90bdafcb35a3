// The frame's transforms on the CPU, in the order the fixed-function pipeline would
// compose them from glTranslate / glRotate / glScale calls.
#include "view/view_transform.h"

#include <algorithm>
#include <cmath>

#include "view/scene_renderer.h"
#include "view/view_navigation.h"

namespace tessarin::view {

TMatrix4 TMatrix4::Translation(double x, double y, double z) {
    TMatrix4 t;
    t.M[12] = x;
    t.M[13] = y;
    t.M[14] = z;
    return t;
}

TMatrix4 TMatrix4::Scaling(double x, double y, double z) {
    TMatrix4 s;
    s.M[0] = x;
    s.M[5] = y;
    s.M[10] = z;
    return s;
}

TMatrix4 TMatrix4::Rotation(double angle, const geometry::TVector3& axis) {
    const double length = geometry::VectorLength(axis);
    if (!(length > 0.0) || !std::isfinite(length) || !std::isfinite(angle)) {
        return TMatrix4{};
    }
    const double x = axis.x / length;
    const double y = axis.y / length;
    const double z = axis.z / length;
    const double a = angle * M_PI / 180.0;
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double k = 1.0 - c;
    TMatrix4 r;
    r.M = {x * x * k + c,
           y * x * k + z * s,
           x * z * k - y * s,
           0,
           x * y * k - z * s,
           y * y * k + c,
           y * z * k + x * s,
           0,
           x * z * k + y * s,
           y * z * k - x * s,
           z * z * k + c,
           0,
           0,
           0,
           0,
           1};
    return r;
}

TMatrix4 operator*(const TMatrix4& a, const TMatrix4& b) {
    TMatrix4 product;
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += a.M[static_cast<std::size_t>(k * 4 + r)] *
                       b.M[static_cast<std::size_t>(c * 4 + k)];
            }
            product.M[static_cast<std::size_t>(c * 4 + r)] = sum;
        }
    }
    return product;
}

geometry::TVector3 TMatrix4::Apply(const geometry::TVector3& p) const {
    const double x = M[0] * p.x + M[4] * p.y + M[8] * p.z + M[12];
    const double y = M[1] * p.x + M[5] * p.y + M[9] * p.z + M[13];
    const double z = M[2] * p.x + M[6] * p.y + M[10] * p.z + M[14];
    const double w = M[3] * p.x + M[7] * p.y + M[11] * p.z + M[15];
    return {x / w, y / w, z / w};
}

geometry::TVector3 TSceneTransform::ToWindow(const geometry::TVector3& modelPoint) const {
    const geometry::TVector3 ndc = (Projection * Model).Apply(modelPoint);
    return {(ndc.x + 1.0) * 0.5 * Width, (1.0 - ndc.y) * 0.5 * Height, ndc.z};
}

TSceneTransform SceneTransform(const model::TModel& model, const TSceneFrame& frame) {
    TSceneTransform t;
    t.Width = frame.Width;
    t.Height = frame.Height;
    const double w = std::max(frame.Width, 1);
    const double h = std::max(frame.Height, 1);
    const double shorter = std::min(w, h);
    // With the identity the nearer fragment (smaller z) is the one farther along -z, so
    // the viewer would look along +z with y up: a left-handed view, in which every tool
    // appeared mirrored. Turning the picture upside down makes it right-handed; the
    // angles about X and Z and the vertical pan are turned the other way below, so that
    // the standard views look from where their names say, upright, and a drag moves
    // the model with the mouse.
    t.Projection = TMatrix4::Scaling(shorter / w, -shorter / h, 1.0 / kViewDepth);

    const TMatrix4 turn = TMatrix4::Rotation(180.0, {1, 0, 0}) *
                          TMatrix4::Rotation(-frame.ViewRotation.x, {1, 0, 0}) *
                          TMatrix4::Rotation(frame.ViewRotation.y, {0, 1, 0}) *
                          TMatrix4::Rotation(-frame.ViewRotation.z, {0, 0, 1});
    const double scale = frame.ModelScale * frame.ViewZoom;
    const geometry::TVector3& c = frame.ModelCentre;
    // The model turns and zooms about the centre of its box; the discs stay at its
    // origin.
    t.Discs = TMatrix4::Translation(frame.ViewPan.x, -frame.ViewPan.y, frame.ViewPan.z) * turn *
              TMatrix4::Translation(-c.x * scale, -c.y * scale, -c.z * scale);

    TMatrix4 orient;
    const model::CSValues& shown =
        frame.Editing != TPanelEdit::None ? model.WorkingCS : model.AcceptedCS;
    if (model.CurrentCS == model::kSSK || model.CurrentCS == model::kDSK) {
        const TTurn onto = TurnOntoZ(shown.SSK.OP);
        orient = TMatrix4::Rotation(onto.Angle, onto.Axis);
    } else if (model.CurrentCS == model::kKSK) {
        const TTurn onto = TurnOntoZ(shown.KSK.OP);
        orient = TMatrix4::Rotation(onto.Angle, onto.Axis);
    }
    t.Model = t.Discs * orient * TMatrix4::Scaling(scale, scale, scale);
    t.Turns = turn * orient;
    return t;
}

}  // namespace tessarin::view
