// Mouse navigation, standard views, the model fit and the turns into a plane's system,
// as pure functions and through the view widget's mouse handling (no drawing: the view is
// never shown, so no OpenGL context is needed).
#include <QtTest>

#include <cmath>
#include <limits>

#include "model/model.h"
#include "view/scene_view.h"
#include "view/view_navigation.h"

using tessarin::geometry::TVector3;
using tessarin::view::TMouseMode;
using tessarin::view::TTurn;
using tessarin::view::TViewPose;

Q_DECLARE_METATYPE(TVector3)
Q_DECLARE_METATYPE(TViewPose)
Q_DECLARE_METATYPE(TMouseMode)

namespace {

bool Near(double actual, double expected) {
    return std::abs(actual - expected) <= 1e-12 * std::max(1.0, std::abs(expected));
}

bool Near(const TVector3& actual, const TVector3& expected) {
    return Near(actual.x, expected.x) && Near(actual.y, expected.y) && Near(actual.z, expected.z);
}

QByteArray Show(const TVector3& v) {
    return QByteArray("(") + QByteArray::number(v.x, 'g', 17) + ", " +
           QByteArray::number(v.y, 'g', 17) + ", " + QByteArray::number(v.z, 'g', 17) + ")";
}

QByteArray Show(const TViewPose& pose) {
    return "rotation " + Show(pose.ViewRotation) + " pan " + Show(pose.ViewPan) + " zoom " +
           QByteArray::number(pose.ViewZoom, 'g', 17);
}

void ComparePose(const TViewPose& actual, const TViewPose& expected) {
    const bool same = Near(actual.ViewRotation, expected.ViewRotation) &&
                      Near(actual.ViewPan, expected.ViewPan) &&
                      Near(actual.ViewZoom, expected.ViewZoom);
    QVERIFY2(same, ("got " + Show(actual) + ", expected " + Show(expected)).constData());
}

// Rodrigues' formula: v turned by angle degrees about the unit axis.
TVector3 Turned(const TVector3& v, const TTurn& turn) {
    const double a = turn.Angle * M_PI / 180.0;
    const TVector3& k = turn.Axis;
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double dot = k.x * v.x + k.y * v.y + k.z * v.z;
    const TVector3 cross = tessarin::geometry::CrossProduct(k, v);
    return TVector3{v.x * c + cross.x * s + k.x * dot * (1 - c),
                    v.y * c + cross.y * s + k.y * dot * (1 - c),
                    v.z * c + cross.z * s + k.z * dot * (1 - c)};
}

// A move with no button held (QTest only moves the cursor then).
void MoveWithoutButton(QWidget* widget, QPoint position) {
    QMouseEvent event(QEvent::MouseMove, position, widget->mapToGlobal(position), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// A pose away from every default, so that a reset or a kept field shows.
const TViewPose kBackView{{0.1, -0.2, 0.3}, {90.0, 0.0, 180.0}, 2.5};

}  // namespace

class TViewNavigationTest : public QObject {
    Q_OBJECT

private slots:
    void DragsPerMode_data();
    void DragsPerMode();
    void StandardViews_data();
    void StandardViews();
    void FitModelScale_data();
    void FitModelScale();
    void ZoomKeepsThePointUnderTheCursor_data();
    void ZoomKeepsThePointUnderTheCursor();
    void TurnOntoZ_data();
    void TurnOntoZ();
    void WidgetDragFollowsTheButtonAndTheMode();
    void WidgetStandardViewAndFit();
    void WidgetNavigatesWithoutModeButtons();
    void WidgetKeyboard_data();
    void WidgetKeyboard();
};

void TViewNavigationTest::DragsPerMode_data() {
    QTest::addColumn<TMouseMode>("mode");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<TViewPose>("expected");

    const QPoint start(200, 200);
    TViewPose p = kBackView;

    // One degree per 5 pixels; the turn about Z is dropped at the first move, so the back
    // view (Z 180) jumps to a front-like orientation.
    p = kBackView;
    p.ViewRotation = {90.0, 10.0, 0.0};
    QTest::newRow("rotate 50 right") << TMouseMode::Rotate << start << QPoint(250, 200) << p;
    p.ViewRotation = {95.0, 0.0, 0.0};
    QTest::newRow("rotate 25 up") << TMouseMode::Rotate << start << QPoint(200, 175) << p;
    p.ViewRotation = {86.0, -2.0, 0.0};
    QTest::newRow("rotate 10 left 20 down") << TMouseMode::Rotate << start << QPoint(190, 220) << p;
    p.ViewRotation = {90.0, 0.2, 0.0};
    QTest::newRow("rotate 1 right") << TMouseMode::Rotate << start << QPoint(201, 200) << p;

    // One view unit per 800 pixels, right and up positive; pan z is reset.
    p = kBackView;
    p.ViewPan = {0.1, -0.1, 0.0};
    QTest::newRow("pan 80 up") << TMouseMode::Pan << start << QPoint(200, 120) << p;
    p.ViewPan = {0.3, -0.2, 0.0};
    QTest::newRow("pan 160 right") << TMouseMode::Pan << start << QPoint(360, 200) << p;
    p.ViewPan = {0.0, -0.25, 0.0};
    QTest::newRow("pan 80 left 40 down") << TMouseMode::Pan << start << QPoint(120, 240) << p;

    // Zoom by 0.1^t: the length sets the amount, only upward drags enlarge.
    const double factor100 = std::pow(10.0, 0.2);
    p = kBackView;
    p.ViewZoom = 2.5 * factor100;
    QTest::newRow("zoom 100 up") << TMouseMode::Zoom << start << QPoint(200, 100) << p;
    p.ViewZoom = 2.5 / factor100;
    QTest::newRow("zoom 100 down") << TMouseMode::Zoom << start << QPoint(200, 300) << p;
    QTest::newRow("zoom 100 right") << TMouseMode::Zoom << start << QPoint(300, 200) << p;
    QTest::newRow("zoom 100 left") << TMouseMode::Zoom << start << QPoint(100, 200) << p;
    p.ViewZoom = 0.25;
    QTest::newRow("zoom 500 right and down") << TMouseMode::Zoom << start << QPoint(500, 600) << p;
    p.ViewZoom = 25.0;
    QTest::newRow("zoom 500 left and up") << TMouseMode::Zoom << start << QPoint(-100, -200) << p;
    p.ViewZoom = 2.5;
    QTest::newRow("zoom without moving") << TMouseMode::Zoom << start << start << p;

    // One degree per 5 pixels of length: right positive, left or vertical negative.
    p = kBackView;
    p.ViewRotation = {90.0, 0.0, 175.0};
    QTest::newRow("rotate Z 25 down") << TMouseMode::RotateZ << start << QPoint(200, 225) << p;
    QTest::newRow("rotate Z 25 up") << TMouseMode::RotateZ << start << QPoint(200, 175) << p;
    p.ViewRotation = {90.0, 0.0, 186.0};
    QTest::newRow("rotate Z 30 right") << TMouseMode::RotateZ << start << QPoint(230, 200) << p;
    p.ViewRotation = {90.0, 0.0, 174.0};
    QTest::newRow("rotate Z 30 left") << TMouseMode::RotateZ << start << QPoint(170, 200) << p;
    p.ViewRotation = {90.0, 0.0, 190.0};
    QTest::newRow("rotate Z 30 right 40 up")
        << TMouseMode::RotateZ << start << QPoint(230, 160) << p;

    QTest::newRow("no mode") << TMouseMode::None << start << QPoint(300, 50) << kBackView;
}

void TViewNavigationTest::DragsPerMode() {
    QFETCH(TMouseMode, mode);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(TViewPose, expected);
    ComparePose(tessarin::view::DragView(kBackView, mode, from.x(), from.y(), to.x(), to.y()),
                expected);
}

void TViewNavigationTest::StandardViews_data() {
    QTest::addColumn<int>("view");
    QTest::addColumn<TVector3>("rotation");

    QTest::newRow("0 front") << 0 << TVector3{90, 0, 0};
    QTest::newRow("1 back") << 1 << TVector3{90, 0, 180};
    QTest::newRow("2 top") << 2 << TVector3{0, 0, 0};
    QTest::newRow("3 bottom") << 3 << TVector3{0, 180, 0};
    QTest::newRow("4 left") << 4 << TVector3{90, 0, 270};
    QTest::newRow("5 right") << 5 << TVector3{90, 0, 90};
    QTest::newRow("6 isometric") << 6 << TVector3{30, 0, 0};
    // Numbers outside the table keep the angles but still reset pan and zoom.
    QTest::newRow("7 keeps the angles") << 7 << TVector3{12, -34, 56};
    QTest::newRow("-1 keeps the angles") << -1 << TVector3{12, -34, 56};
}

void TViewNavigationTest::StandardViews() {
    QFETCH(int, view);
    QFETCH(TVector3, rotation);
    const TViewPose start{{0.4, 0.5, 0.6}, {12, -34, 56}, 0.125};
    ComparePose(tessarin::view::StandardView(start, view), TViewPose{{}, rotation, 1.0});
}

void TViewNavigationTest::FitModelScale_data() {
    QTest::addColumn<TVector3>("low");
    QTest::addColumn<TVector3>("high");
    QTest::addColumn<double>("scale");
    QTest::addColumn<TVector3>("centre");

    // The sphere through the box's corners, about its centre, is 0.9 view units across
    // half: the whole model stays in sight at any turn.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("cube about the origin")
        << TVector3{-1, -1, -1} << TVector3{1, 1, 1} << 0.9 / std::sqrt(3.0) << TVector3{};
    // A cutter with a long shank: the length along the axis counts as much as the width.
    QTest::newRow("long shank") << TVector3{-10, -10, 0} << TVector3{10, 10, 100}
                                << 0.9 / (std::sqrt(10800.0) / 2) << TVector3{0, 0, 50};
    QTest::newRow("flat plate") << TVector3{0, 0, 0} << TVector3{30, 40, 0} << 0.036
                                << TVector3{15, 20, 0};
    QTest::newRow("model at negative x and y")
        << TVector3{-10, -4, -2} << TVector3{0, 0, 3} << 0.9 / (std::sqrt(141.0) / 2)
        << TVector3{-5, -2, 0.5};
    QTest::newRow("empty box") << TVector3{} << TVector3{} << 1.0 << TVector3{};
    QTest::newRow("NaN Xmax") << TVector3{} << TVector3{nan, 3, 0} << 1.0 << TVector3{};
    QTest::newRow("NaN box") << TVector3{nan, nan, nan} << TVector3{nan, nan, nan} << 1.0
                             << TVector3{};
    QTest::newRow("denormal extent")
        << TVector3{} << TVector3{1e-320, 0, 0} << 1.0 << TVector3{5e-321, 0, 0};
}

void TViewNavigationTest::FitModelScale() {
    QFETCH(TVector3, low);
    QFETCH(TVector3, high);
    QFETCH(double, scale);
    QFETCH(TVector3, centre);
    tessarin::model::TSurFaceData surface;
    surface.Xmin = low.x;
    surface.Ymin = low.y;
    surface.Zmin = low.z;
    surface.Xmax = high.x;
    surface.Ymax = high.y;
    surface.Zmax = high.z;
    const tessarin::view::TModelFit fit = tessarin::view::FitModel(surface);
    QVERIFY2(Near(fit.Scale, scale), QByteArray::number(fit.Scale, 'g', 17).constData());
    QVERIFY2(Near(fit.Centre, centre), Show(fit.Centre).constData());
    QCOMPARE(tessarin::view::FitModelScale(surface), fit.Scale);
}

void TViewNavigationTest::ZoomKeepsThePointUnderTheCursor_data() {
    QTest::addColumn<double>("factor");
    QTest::addColumn<TVector3>("at");
    QTest::addColumn<TVector3>("pan");
    QTest::newRow("enlarge about a corner") << 1.2 << TVector3{0.7, -0.4, 0} << TVector3{};
    QTest::newRow("reduce, panned")
        << 1 / 1.44 << TVector3{-0.3, 0.9, 0} << TVector3{0.2, 0.1, 0.3};
    QTest::newRow("about the pan point itself")
        << 3.0 << TVector3{0.2, 0.1, 0} << TVector3{0.2, 0.1, 0};
}

void TViewNavigationTest::ZoomKeepsThePointUnderTheCursor() {
    QFETCH(double, factor);
    QFETCH(TVector3, at);
    QFETCH(TVector3, pan);
    const TViewPose before{pan, {10, 20, 30}, 1.5};
    const TViewPose after = tessarin::view::ZoomAbout(before, factor, at);
    // A model point drawn at `at` lies at pan + zoom * v for some v of the turned model;
    // after the zoom it must still be drawn there.
    const double vx = (at.x - before.ViewPan.x) / before.ViewZoom;
    const double vy = (at.y - before.ViewPan.y) / before.ViewZoom;
    QVERIFY(Near(after.ViewPan.x + after.ViewZoom * vx, at.x));
    QVERIFY(Near(after.ViewPan.y + after.ViewZoom * vy, at.y));
    QVERIFY(Near(after.ViewZoom, before.ViewZoom * factor));
    QCOMPARE(after.ViewRotation, before.ViewRotation);
    QCOMPARE(after.ViewPan.z, before.ViewPan.z);
}

void TViewNavigationTest::TurnOntoZ_data() {
    QTest::addColumn<TVector3>("normal");
    QTest::addColumn<bool>("degenerate");

    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("Z itself") << TVector3{0, 0, 1} << false;
    QTest::newRow("tilted") << TVector3{0.6, 0, 0.8} << false;
    QTest::newRow("along Y") << TVector3{0, 1, 0} << false;
    QTest::newRow("not of unit length") << TVector3{1, 2, 3} << false;
    QTest::newRow("below the basic plane") << TVector3{0.6, 0, -0.8} << false;
    // Opposite to Z the cross product has no length: the turn is 180 degrees about X.
    QTest::newRow("opposite to Z") << TVector3{0, 0, -1} << false;
    QTest::newRow("opposite to Z, longer") << TVector3{0, 0, -2.5} << false;
    // The axis is far shorter than glRotate accepts as an axis; the turn must still be
    // (nearly) upside down rather than none.
    QTest::newRow("nearly opposite to Z") << TVector3{1e-9, 0, -1} << false;
    // No normal at all: no turn.
    QTest::newRow("zero") << TVector3{0, 0, 0} << true;
    QTest::newRow("NaN") << TVector3{nan, 0, 1} << true;
}

void TViewNavigationTest::TurnOntoZ() {
    QFETCH(TVector3, normal);
    QFETCH(bool, degenerate);
    const TTurn turn = tessarin::view::TurnOntoZ(normal);
    QVERIFY(std::abs(tessarin::geometry::VectorLength(turn.Axis) - 1.0) < 1e-12);
    if (degenerate) {
        QCOMPARE(turn.Angle, 0.0);
        return;
    }
    const TVector3 turned = Turned(normal, turn);
    const double length = tessarin::geometry::VectorLength(normal);
    const bool onZ = std::abs(turned.x) < 1e-9 * length && std::abs(turned.y) < 1e-9 * length &&
                     std::abs(turned.z - length) < 1e-9 * length;
    QVERIFY2(onZ, ("turned to " + Show(turned)).constData());
}

void TViewNavigationTest::WidgetDragFollowsTheButtonAndTheMode() {
    tessarin::model::TModel model(',');
    TMouseMode mode = TMouseMode::Rotate;
    tessarin::view::TSceneInputs inputs;
    inputs.MouseMode = [&mode] { return mode; };
    tessarin::view::TSceneView view(model, inputs);
    view.resize(400, 400);

    // The first move measures from the press position. (The right button: without a
    // mode the left one turns the view by itself.)
    QTest::mousePress(&view, Qt::RightButton, {}, QPoint(100, 100));
    QTest::mouseMove(&view, QPoint(150, 100));
    QVERIFY(Near(view.ViewRotation, TVector3{0, 10, 0}));
    QTest::mouseMove(&view, QPoint(150, 125));
    QVERIFY(Near(view.ViewRotation, TVector3{-5, 10, 0}));

    // The mode is read at every move.
    mode = TMouseMode::Pan;
    QTest::mouseMove(&view, QPoint(150, 45));
    QVERIFY(Near(view.ViewPan, TVector3{0, 0.1, 0}));
    mode = TMouseMode::None;
    QTest::mouseMove(&view, QPoint(10, 10));
    QVERIFY(Near(view.ViewPan, TVector3{0, 0.1, 0}));
    QVERIFY(Near(view.ViewRotation, TVector3{-5, 10, 0}));
    mode = TMouseMode::RotateZ;
    QTest::mouseMove(&view, QPoint(10, 35));
    QVERIFY(Near(view.ViewRotation, TVector3{-5, 10, -5}));
    QTest::mouseRelease(&view, Qt::RightButton, {}, QPoint(10, 35));

    // Without a held button nothing turns; the next drag starts at its own press.
    mode = TMouseMode::Zoom;
    MoveWithoutButton(&view, QPoint(10, 500));
    QCOMPARE(view.ViewZoom, 1.0);
    QTest::mousePress(&view, Qt::RightButton, {}, QPoint(200, 300));
    QTest::mouseMove(&view, QPoint(200, 200));
    QVERIFY(Near(view.ViewZoom, std::pow(10.0, 0.2)));
    QTest::mouseRelease(&view, Qt::RightButton, {}, QPoint(200, 200));
    MoveWithoutButton(&view, QPoint(200, 0));
    QVERIFY(Near(view.ViewZoom, std::pow(10.0, 0.2)));
}

void TViewNavigationTest::WidgetStandardViewAndFit() {
    tessarin::model::TModel model(',');
    model.SurfaceData.Xmax = 50.0;
    model.SurfaceData.Ymax = 20.0;
    tessarin::view::TSceneView view(model, {});
    QCOMPARE(view.ModelScale, 0.0);
    view.FitModel();
    const tessarin::view::TModelFit fit = tessarin::view::FitModel(model.SurfaceData);
    QVERIFY(Near(view.ModelScale, fit.Scale));
    QVERIFY(Near(view.ModelCentre, TVector3{25, 10, 0}));

    view.ViewPan = {0.5, 0.5, 0.5};
    view.ViewZoom = 3.0;
    view.SetStandardView(1);
    QVERIFY(Near(view.ViewRotation, TVector3{90, 0, 180}));
    QCOMPARE(view.ViewPan, TVector3{});
    QCOMPARE(view.ViewZoom, 1.0);

    view.ViewZoom = 3.0;
    view.SetStandardView(9);
    QVERIFY(Near(view.ViewRotation, TVector3{90, 0, 180}));
    QCOMPARE(view.ViewZoom, 1.0);
    // Fitting never touches the navigation state.
    QVERIFY(Near(view.ModelScale, fit.Scale));
}

void TViewNavigationTest::WidgetNavigatesWithoutModeButtons() {
    tessarin::model::TModel model(',');
    TMouseMode mode = TMouseMode::None;
    tessarin::view::TSceneInputs inputs;
    inputs.MouseMode = [&mode] { return mode; };
    tessarin::view::TSceneView view(model, inputs);
    view.resize(400, 300);

    // No mode: the left button turns as "Вращать" does.
    QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(&view, QPoint(150, 75));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(150, 75));
    QVERIFY2(Near(view.ViewRotation, TVector3{5, 10, 0}), Show(view.ViewRotation).constData());

    // The middle button moves in every mode.
    for (const TMouseMode m : {TMouseMode::None, TMouseMode::Zoom, TMouseMode::RotateZ}) {
        mode = m;
        view.ViewPan = {};
        QTest::mousePress(&view, Qt::MiddleButton, {}, QPoint(200, 200));
        QTest::mouseMove(&view, QPoint(280, 200));
        QTest::mouseRelease(&view, Qt::MiddleButton, {}, QPoint(280, 200));
        QVERIFY2(Near(view.ViewPan, TVector3{0.1, 0, 0}), Show(view.ViewPan).constData());
    }
    QVERIFY(Near(view.ViewRotation, TVector3{5, 10, 0}));
    QCOMPARE(view.ViewZoom, 1.0);

    // The wheel zooms by a fifth a notch, about the point under the cursor: 300 pixels
    // high, one view unit is 150 pixels; (350, 75) is (1, 0.5) from the centre.
    view.ViewPan = {0.2, -0.1, 0};
    const QPointF cursor(350, 75);
    QWheelEvent wheel(cursor, view.mapToGlobal(cursor), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&view, &wheel);
    QVERIFY(Near(view.ViewZoom, 1.2));
    QVERIFY2(Near(view.ViewPan, TVector3{1 - 1.2 * 0.8, 0.5 - 1.2 * 0.6, 0}),
             Show(view.ViewPan).constData());
}

void TViewNavigationTest::WidgetKeyboard_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<TViewPose>("expected");
    const TViewPose start{{0.2, 0.1, 0}, {10, 20, 30}, 2.0};
    TViewPose p = start;
    p.ViewRotation = {10, 25, 30};
    QTest::newRow("right") << int(Qt::Key_Right) << p;
    p.ViewRotation = {10, 15, 30};
    QTest::newRow("left") << int(Qt::Key_Left) << p;
    p.ViewRotation = {15, 20, 30};
    QTest::newRow("up") << int(Qt::Key_Up) << p;
    p.ViewRotation = {5, 20, 30};
    QTest::newRow("down") << int(Qt::Key_Down) << p;
    // +/- zoom about the middle of the window.
    p = start;
    p.ViewZoom = 2.5;
    p.ViewPan = {0.25, 0.125, 0};
    QTest::newRow("plus") << int(Qt::Key_Plus) << p;
    p.ViewZoom = 1.6;
    p.ViewPan = {0.16, 0.08, 0};
    QTest::newRow("minus") << int(Qt::Key_Minus) << p;
    // Home fits: pan and zoom reset, the turn kept.
    p = start;
    p.ViewPan = {};
    p.ViewZoom = 1.0;
    QTest::newRow("home") << int(Qt::Key_Home) << p;
}

void TViewNavigationTest::WidgetKeyboard() {
    QFETCH(int, key);
    QFETCH(TViewPose, expected);
    tessarin::model::TModel model(',');
    model.SurfaceData.Xmax = 3.0;
    model.SurfaceData.Ymax = 4.0;
    tessarin::view::TSceneView view(model, {});
    view.resize(400, 400);
    view.ViewPan = {0.2, 0.1, 0};
    view.ViewRotation = {10, 20, 30};
    view.ViewZoom = 2.0;
    QTest::keyClick(&view, static_cast<Qt::Key>(key));
    ComparePose(TViewPose{view.ViewPan, view.ViewRotation, view.ViewZoom}, expected);
    if (key == Qt::Key_Home) {
        QVERIFY(Near(view.ModelScale, 0.9 / 2.5));
    }
}

QTEST_MAIN(TViewNavigationTest)
#include "view_navigation_test.moc"
