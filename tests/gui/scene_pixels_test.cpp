// The 3-D view really drawn (X server with Mesa) and read back pixel by pixel: the white
// background, the materials of the three polygon classes under light 0, the wire frame,
// the colours of the cutting edge, the base disc, the centring in non-square windows and
// the turn into the static or kinematic system.
//
// Every scene is seen from the top (all view angles 0) in a 400 x 400 window unless a
// test says otherwise. The view turns the model 180 degrees about X, so with the fit
// factor s a model point (x, y) lands at the pixel (200 + 200 s x, 200 + 200 s y): model
// +Y runs down the image. The tests fit every model with Xmax = 1, so s = 0.6.
#include <QtTest>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "model/model.h"
#include "view/scene_view.h"

using tessarin::geometry::TVector3;
using tessarin::model::TPolygon;
using tessarin::model::TSegment;
using tessarin::model::TSurface;
using tessarin::view::TDisplayToggles;
using tessarin::view::TPanelEdit;
using tessarin::view::TSceneView;

using TKinds = std::array<int, 3>;  // material kind of the left, centre and right triangle

Q_DECLARE_METATYPE(TVector3)
Q_DECLARE_METATYPE(TKinds)
Q_DECLARE_METATYPE(TPanelEdit)

namespace {

constexpr int kSide = 400;
constexpr double kScale = 0.6;  // 0.6 / Xmax with Xmax = 1
constexpr double kZ = 0.2;      // every test polygon lies a little above the basic plane
constexpr int kTolerance = 3;   // per channel, 8-bit

// A pixel of a model point in the top view of the square window: x to the right, y up.
QPoint Pixel(double x, double y, double scale = kScale) {
    return QPoint(static_cast<int>(std::lround(kSide / 2 + kSide / 2 * scale * x)),
                  static_cast<int>(std::lround(kSide / 2 - kSide / 2 * scale * y)));
}

QColor Rgb(double r, double g, double b) {
    auto channel = [](double c) {
        return static_cast<int>(std::lround(std::clamp(c, 0.0, 1.0) * 255.0));
    };
    return QColor(channel(r), channel(g), channel(b));
}

const QColor kWhite(255, 255, 255);
const QColor kWire = Rgb(0.1, 0.1, 0.2);
const QColor kEdge = Rgb(0.9, 0.9, 0.3);
const QColor kChosen = Rgb(1.0, 0.5, 0.8);
const QColor kMain = Rgb(0.25, 1.0, 0.4);

// The materials' ambient and diffuse colours; specular and emission are black.
struct TMaterial {
    std::array<double, 3> Ambient;
    std::array<double, 3> Diffuse;
};
constexpr TMaterial kMaterials[3] = {
    {{0.5, 0.55, 0.6}, {0.2, 0.2, 0.2}},  // 0: unsorted and other
    {{0.2, 0.7, 1.0}, {0.2, 0.3, 0.4}},   // 1: front
    {{0.7, 0.4, 0.6}, {0.8, 0.2, 0.2}},   // 2: back
};

// Fixed-function lighting of a polygon facing the viewer with one directional light and
// no specular term: colour = Ka (0.2 global + 0.3 light ambient) + max(0, n.l) Kd 0.05.
// The light's position (4e7, 4e7, 4e6, 0) is turned by 90 degrees about Z after
// 135 - 45 = 90 about Y, which points it to (-4e7, 4e6, -4e7): the unit direction has
// z = -10 / sqrt(201). The stored normal (0, 0, nz) reaches the eye turned 180 degrees
// about X and renormalised, whatever its length and the model-view scale, so
// n.l = sign(nz) * 10 / sqrt(201) (0 for a zero normal).
QColor Lit(int kind, double nz = 1.0) {
    const double unit = nz > 0.0 ? 1.0 : nz < 0.0 ? -1.0 : 0.0;
    const double dot = std::max(0.0, unit * 10.0 / std::sqrt(201.0));
    const TMaterial& m = kMaterials[kind];
    std::array<double, 3> c{};
    for (std::size_t i = 0; i < 3; ++i) {
        c[i] = m.Ambient[i] * 0.5 + dot * m.Diffuse[i] * 0.05;
    }
    return Rgb(c[0], c[1], c[2]);
}

bool Close(const QColor& actual, const QColor& expected, int tolerance = kTolerance) {
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance;
}

QByteArray Show(const QColor& c) {
    return QByteArray::number(c.red()) + "," + QByteArray::number(c.green()) + "," +
           QByteArray::number(c.blue());
}

QColor At(const QImage& image, QPoint p) {
    return image.pixelColor(p);
}

// The colour at p must be `expected`.
#define EXPECT_COLOUR_AT(image, point, expected)                                            \
    do {                                                                                    \
        const QColor actual_ = At(image, point);                                            \
        QVERIFY2(Close(actual_, expected), ("at " + QByteArray::number((point).x()) + "," + \
                                            QByteArray::number((point).y()) + ": " +        \
                                            Show(actual_) + ", expected " + Show(expected)) \
                                               .constData());                               \
    } while (false)

// Some pixel within `radius` of p (a thin or wide line need not hit p exactly) has the
// expected colour; with white expected, every pixel there must be white.
bool FoundNear(const QImage& image, QPoint p, const QColor& expected, int radius) {
    bool any = false;
    bool all = true;
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            const bool close = Close(At(image, p + QPoint(dx, dy)), expected);
            any = any || close;
            all = all && close;
        }
    }
    return expected == kWhite ? all : any;
}

TPolygon Triangle(TVector3 a, TVector3 b, TVector3 c, TVector3 normal = {0, 0, 1}) {
    return TPolygon{a, b, c, normal};
}

// Three triangles side by side across the middle of the window, each about 100 pixels
// wide: left (around x = -1), centre (x = 0) and right (x = 1).
TPolygon Left() {
    return Triangle({-1.4, -0.4, kZ}, {-0.6, -0.4, kZ}, {-1.0, 0.4, kZ});
}
TPolygon Centre(TVector3 normal = {0, 0, 1}) {
    return Triangle({-0.4, -0.4, kZ}, {0.4, -0.4, kZ}, {0.0, 0.4, kZ}, normal);
}
TPolygon Right() {
    return Triangle({0.6, -0.4, kZ}, {1.4, -0.4, kZ}, {1.0, 0.4, kZ});
}
// Inside each triangle, well away from its edges.
const std::array<QPoint, 3> kInside{Pixel(-1.0, -0.1), Pixel(0.0, -0.1), Pixel(1.0, -0.1)};

TSegment Segment(int number, TVector3 p1, TVector3 p2) {
    TSegment s;
    s.Point1 = p1;
    s.Point2 = p2;
    s.Direct = tessarin::geometry::VectorFromTo(p1, p2);
    s.Number = number;
    return s;
}

// Four horizontal segments numbered 1..4 below the triangles, 24 pixels apart, over
// white background (the line colours are drawn unlit, so they come out exactly).
tessarin::model::TCutEdgeData FourSegments() {
    tessarin::model::TCutEdgeData edge;
    for (int i = 0; i < 4; ++i) {
        const double y = 0.8 + 0.2 * i;
        edge.push_back(Segment(i + 1, {-1.0, y, kZ}, {1.0, y, kZ}));
    }
    return edge;
}
QPoint SegmentPixel(int index) {
    return Pixel(0.0, 0.8 + 0.2 * index);
}

// One document's scene: a model, the main window's toggles and the view.
class TScene {
public:
    TScene() {
        // Xmax = 1 gives the fit factor 0.6.
        Model.SurfaceData.Xmax = 1.0;
        Model.SurfaceData.Ymax = 0.5;
    }
    TScene(const TScene&) = delete;
    TScene& operator=(const TScene&) = delete;

    void SetPolygons(TSurface polygons) {
        Model.SurfaceData.Polygons = std::move(polygons);
        Model.SurfaceData.PolygonCount = static_cast<int>(Model.SurfaceData.Polygons.size());
        Model.SurfaceData.SurfaceExist = true;
    }

    // Front, back and other, as a sorting would leave them.
    void SetSorted(TSurface front, TSurface back, TSurface other) {
        TSurface all;
        for (const TSurface* list : {&front, &back, &other}) {
            all.insert(all.end(), list->begin(), list->end());
        }
        SetPolygons(std::move(all));
        Model.SurfaceData.FrontPolygons = std::move(front);
        Model.SurfaceData.BackPolygons = std::move(back);
        Model.SurfaceData.OtherPolygons = std::move(other);
        Model.SurfaceData.FrontCount = static_cast<int>(Model.SurfaceData.FrontPolygons.size());
        Model.SurfaceData.BackCount = static_cast<int>(Model.SurfaceData.BackPolygons.size());
        Model.SurfaceData.SurfaceSorted = true;
    }

    void SetCutEdge(tessarin::model::TCutEdgeData edge) {
        Model.CutEdge = std::move(edge);
        Model.SegmentCount = static_cast<int>(Model.CutEdge.size());
        Model.CutEdgeExist = true;
    }

    TSceneView& View(int width = kSide, int height = kSide) {
        if (!SceneView) {
            tessarin::view::TSceneInputs inputs;
            inputs.Display = [this] { return Display; };
            inputs.Editing = [this] { return Editing; };
            inputs.ShowSelection = [this] { return ShowSelection; };
            inputs.SelectedSegmentRange = [this] { return Range; };
            inputs.HighlightedEdge = [this] { return Highlight; };
            SceneView = std::make_unique<TSceneView>(Model, inputs);
            SceneView->setFixedSize(width, height);
            SceneView->show();
            if (!QTest::qWaitForWindowExposed(SceneView.get())) {
                qWarning("the view was not exposed");
            }
            // The scenes are placed by hand rather than fitted: the model's origin at
            // the window's centre, 0.6 view units per model unit.
            SceneView->ModelScale = kScale;
            SceneView->ModelCentre = {};
            SceneView->update();
        }
        return *SceneView;
    }

    QImage Grab(int width = kSide, int height = kSide) {
        return View(width, height).GrabScene().convertToFormat(QImage::Format_RGB32);
    }

    tessarin::model::TModel Model{','};
    TDisplayToggles Display;
    TPanelEdit Editing = TPanelEdit::None;
    bool ShowSelection = false;
    std::pair<int, int> Range{-1, -1};
    std::pair<int, int> Highlight{-1, 0};  // first index and count of the chosen edge

private:
    std::unique_ptr<TSceneView> SceneView;
};

}  // namespace

class TScenePixelsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void WithoutModelOnlyAClickDraws();
    void MaterialsByClass_data();
    void MaterialsByClass();
    void ShadingIsTheSameAtEveryScale_data();
    void ShadingIsTheSameAtEveryScale();
    void WireFrameIsOneColourWhateverTheClass();
    void CutEdgeColours_data();
    void CutEdgeColours();
    void HighlightedEdgeStandsOut_data();
    void HighlightedEdgeStandsOut();
    void BaseDiscWhenCoordinateSystemsShown();
    void OriginAtTheWindowCentre_data();
    void OriginAtTheWindowCentre();
    void TurnIntoTheShownSystem_data();
    void TurnIntoTheShownSystem();
    void ArraysFollowAListRefilledInPlace();
    void StandardViewsLookFromWhereTheirNamesSay_data();
    void StandardViewsLookFromWhereTheirNamesSay();
    void ArraysAndBeginEndDrawTheSamePicture_data();
    void ArraysAndBeginEndDrawTheSamePicture();
    void CutEdgeShowsWholeOverTheFaces_data();
    void CutEdgeShowsWholeOverTheFaces();
    void DiscInTheTopFacesPlaneIsEven();
    void WorkingPlaneShownWhileEdited_data();
    void WorkingPlaneShownWhileEdited();
    void AxisTriadInTheCorner_data();
    void AxisTriadInTheCorner();
    void ClickOnADrawnSegmentChoosesIt_data();
    void ClickOnADrawnSegmentChoosesIt();
    void HoverTextOfASegment();
};

void TScenePixelsTest::initTestCase() {
    QSurfaceFormat::setDefaultFormat(TSceneView::SurfaceFormat());
}

void TScenePixelsTest::WithoutModelOnlyAClickDraws() {
    TScene scene;
    scene.Display.CS = true;
    const QPoint inDisc(200, 130);

    // No model loaded: the window is white, whatever the toggles ask for.
    QImage image = scene.Grab();
    QCOMPARE(image.size(), QSize(kSide, kSide));
    for (const QPoint p : {QPoint(0, 0), QPoint(399, 399), QPoint(200, 200), inDisc}) {
        EXPECT_COLOUR_AT(image, p, kWhite);
    }

    // A click draws the scene once: the base disc, translucent red over white, (1, 0,
    // 0.2) * 0.5 + white * 0.5.
    QTest::mouseClick(&scene.View(), Qt::LeftButton, {}, QPoint(10, 10));
    image = scene.Grab();
    EXPECT_COLOUR_AT(image, inDisc, Rgb(1.0, 0.5, 0.6));
    EXPECT_COLOUR_AT(image, QPoint(0, 0), kWhite);

    // The next repaint shows the white background again.
    image = scene.Grab();
    EXPECT_COLOUR_AT(image, inDisc, kWhite);
}

void TScenePixelsTest::MaterialsByClass_data() {
    QTest::addColumn<bool>("sorted");
    QTest::addColumn<bool>("faces");
    QTest::addColumn<TKinds>("kinds");

    QTest::newRow("unsorted") << false << true << TKinds{0, 0, 0};
    QTest::newRow("sorted: front, back, other") << true << true << TKinds{1, 2, 0};
    QTest::newRow("sorted, surfaces not shown") << true << false << TKinds{0, 0, 0};
}

void TScenePixelsTest::MaterialsByClass() {
    QFETCH(bool, sorted);
    QFETCH(bool, faces);
    QFETCH(TKinds, kinds);
    TScene scene;
    scene.Display.Faces = faces;
    if (sorted) {
        scene.SetSorted({Left()}, {Centre()}, {Right()});
    } else {
        scene.SetPolygons({Left(), Centre(), Right()});
    }
    const QImage image = scene.Grab();
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_COLOUR_AT(image, kInside[i], Lit(kinds[i]));
    }
    for (const QPoint p :
         {QPoint(0, 0), QPoint(399, 0), QPoint(0, 399), QPoint(399, 399), Pixel(0.0, -1.0)}) {
        EXPECT_COLOUR_AT(image, p, kWhite);
    }
}

void TScenePixelsTest::ShadingIsTheSameAtEveryScale_data() {
    QTest::addColumn<TVector3>("normal");
    QTest::addColumn<double>("modelScale");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<double>("nz");

    // The back material (diffuse 0.8 red) shows the diffuse term best. Unnormalised, the
    // normals grew with 1 / (fit x zoom): faces went white on a big model and changed
    // colour at every zoom.
    QTest::newRow("unit normal") << TVector3{0, 0, 1} << kScale << 1.0 << 1.0;
    QTest::newRow("zoom 2") << TVector3{0, 0, 1} << kScale << 2.0 << 1.0;
    QTest::newRow("zoom 0.5") << TVector3{0, 0, 1} << kScale << 0.5 << 1.0;
    QTest::newRow("fit of a 100 mm model, zoomed to the same size")
        << TVector3{0, 0, 1} << 0.006 << 100.0 << 1.0;
    QTest::newRow("normal of length 3") << TVector3{0, 0, 3} << kScale << 1.0 << 1.0;
    QTest::newRow("normal facing away: ambient only")
        << TVector3{0, 0, -1} << kScale << 1.0 << -1.0;
    QTest::newRow("zero normal: ambient only") << TVector3{0, 0, 0} << kScale << 1.0 << 0.0;
}

void TScenePixelsTest::ShadingIsTheSameAtEveryScale() {
    QFETCH(TVector3, normal);
    QFETCH(double, modelScale);
    QFETCH(double, zoom);
    QFETCH(double, nz);
    TScene scene;
    scene.SetSorted({}, {Centre(normal)}, {});
    scene.View().ModelScale = modelScale;
    scene.View().ViewZoom = zoom;
    const QImage image = scene.Grab();
    // The zoom scales about the centre; the pixel stays inside the triangle.
    EXPECT_COLOUR_AT(image, Pixel(0.0, -0.1, modelScale * zoom), Lit(2, nz));
}

void TScenePixelsTest::WireFrameIsOneColourWhateverTheClass() {
    TScene scene;
    scene.Display.Shaded = false;
    scene.SetSorted({Left()}, {Centre()}, {Right()});
    const QImage image = scene.Grab();
    for (int i = 0; i < 3; ++i) {
        const double x = -1.0 + i;
        // Edges only: the middle of the triangle stays white, its slanted sides (at
        // x -+ 0.2 on the line y = 0) and its base (y = -0.4) are in the wire colour.
        QVERIFY(FoundNear(image, kInside[static_cast<std::size_t>(i)], kWhite, 3));
        QVERIFY2(FoundNear(image, Pixel(x - 0.2, 0.0), kWire, 2), QByteArray::number(i));
        QVERIFY2(FoundNear(image, Pixel(x + 0.2, 0.0), kWire, 2), QByteArray::number(i));
        QVERIFY2(FoundNear(image, Pixel(x, -0.4), kWire, 2), QByteArray::number(i));
    }
}

void TScenePixelsTest::CutEdgeColours_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("toggle");
    QTest::addColumn<bool>("selection");  // the selection of segments 2 and 4 is shown
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("main");  // WorkingCS.FeedPlan.HCE
    QTest::addColumn<QList<QColor>>("colours");

    const QColor e = kEdge;
    const QColor c = kChosen;
    const QColor m = kMain;
    const QColor w = kWhite;
    QTest::newRow("no rows chosen, main segment 1")
        << true << true << false << -1 << -1 << 0 << QList<QColor>{m, e, e, e};
    QTest::newRow("rows 2..3 chosen, main 4")
        << true << true << false << 1 << 2 << 3 << QList<QColor>{e, c, c, m};
    QTest::newRow("main inside the chosen rows wins")
        << true << true << false << 0 << 3 << 2 << QList<QColor>{c, c, m, c};
    QTest::newRow("main beyond the cutting edge")
        << true << true << false << -1 << -1 << 7 << QList<QColor>{e, e, e, e};
    // The range comes from the segments' numbers; no segment is the main one.
    QTest::newRow("selection, both rows chosen")
        << true << true << true << 1 << 3 << 1 << QList<QColor>{w, c, w, c};
    QTest::newRow("selection, second row chosen")
        << true << true << true << 3 << 3 << 1 << QList<QColor>{w, e, w, c};
    QTest::newRow("cutting edge not shown")
        << true << false << false << 0 << 3 << 0 << QList<QColor>{w, w, w, w};
    QTest::newRow("no cutting edge")
        << false << true << false << 0 << 3 << 0 << QList<QColor>{w, w, w, w};
}

void TScenePixelsTest::CutEdgeColours() {
    QFETCH(bool, exists);
    QFETCH(bool, toggle);
    QFETCH(bool, selection);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, main);
    QFETCH(QList<QColor>, colours);
    TScene scene;
    scene.SetSorted({Left()}, {Centre()}, {Right()});
    scene.SetCutEdge(FourSegments());
    scene.Model.CutEdgeExist = exists;
    scene.Model.SelectCutEdge = {scene.Model.CutEdge[1], scene.Model.CutEdge[3]};
    scene.Model.SelectCutEdgeExist = true;
    scene.Model.WorkingCS.FeedPlan.HCE = main;
    scene.Display.CutEdge = toggle;
    scene.ShowSelection = selection;
    scene.Range = {first, last};
    const QImage image = scene.Grab();
    for (int i = 0; i < 4; ++i) {
        const QColor expected = colours[i];
        // Lines are 3 pixels wide: the one pixel row nearest the line may be its edge.
        QVERIFY2(FoundNear(image, SegmentPixel(i), expected, 1),
                 ("segment " + QByteArray::number(i + 1) + ": " + Show(At(image, SegmentPixel(i))) +
                  ", expected " + Show(expected))
                     .constData());
    }
}

void TScenePixelsTest::HighlightedEdgeStandsOut_data() {
    QTest::addColumn<bool>("selection");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<bool>>("highlighted");
    QTest::newRow("none") << false << -1 << 0 << QList<bool>{false, false, false, false};
    QTest::newRow("segments 2..3") << false << 1 << 2 << QList<bool>{false, true, true, false};
    QTest::newRow("across the end") << false << 3 << 2 << QList<bool>{true, false, false, true};
    QTest::newRow("over the chosen rows")
        << false << 0 << 1 << QList<bool>{true, false, false, false};
    QTest::newRow("beyond the cutting edge")
        << false << 9 << 2 << QList<bool>{false, false, false, false};
    QTest::newRow("not while the selection shows")
        << true << 1 << 3 << QList<bool>{false, false, false, false};
}

void TScenePixelsTest::HighlightedEdgeStandsOut() {
    QFETCH(bool, selection);
    QFETCH(int, first);
    QFETCH(int, count);
    QFETCH(QList<bool>, highlighted);
    TScene scene;
    scene.SetSorted({Left()}, {Centre()}, {Right()});
    scene.SetCutEdge(FourSegments());
    scene.Model.SelectCutEdge = {scene.Model.CutEdge[1], scene.Model.CutEdge[3]};
    scene.Model.SelectCutEdgeExist = true;
    scene.ShowSelection = selection;
    scene.Range = {0, 0};
    scene.Highlight = {first, count};
    const QColor edge =
        Rgb(tessarin::view::kHighlightedEdgeColour[0], tessarin::view::kHighlightedEdgeColour[1],
            tessarin::view::kHighlightedEdgeColour[2]);
    const QImage image = scene.Grab();
    for (int i = 0; i < 4; ++i) {
        const QPoint centre = SegmentPixel(i);
        const QByteArray where = "segment " + QByteArray::number(i + 1);
        QVERIFY2(Close(At(image, centre), edge) == highlighted[i],
                 (where + ": " + Show(At(image, centre))).constData());
        // Twice as wide as the cutting edge: two pixels off its middle it still shows,
        // where a plain segment, 3 pixels wide, leaves the background.
        const bool wide = Close(At(image, centre + QPoint(0, 2)), edge) ||
                          Close(At(image, centre - QPoint(0, 2)), edge);
        QVERIFY2(wide == highlighted[i], where.constData());
        if (!highlighted[i]) {
            EXPECT_COLOUR_AT(image, centre + QPoint(0, 3), kWhite);
        }
    }
}

void TScenePixelsTest::BaseDiscWhenCoordinateSystemsShown() {
    TScene scene;
    scene.SetSorted({Left()}, {Centre()}, {Right()});
    // 70 pixels above the centre: inside the disc of radius 0.5 (100 pixels), clear of
    // the triangles and of the side disc, which is seen edge on along the middle row.
    const QPoint inDisc(200, 130);
    const QPoint outside(200, 20);
    EXPECT_COLOUR_AT(scene.Grab(), inDisc, kWhite);

    scene.Display.CS = true;
    const QImage image = scene.Grab();
    // (1, 0, 0.2) at alpha 0.5 over white.
    EXPECT_COLOUR_AT(image, inDisc, Rgb(1.0, 0.5, 0.6));
    EXPECT_COLOUR_AT(image, outside, kWhite);
    // The model above the basic plane stays in front of the disc.
    EXPECT_COLOUR_AT(image, kInside[1], Lit(2));
}

void TScenePixelsTest::OriginAtTheWindowCentre_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("square") << QSize(400, 400);
    QTest::newRow("wide 400 x 300") << QSize(400, 300);
    QTest::newRow("tall 300 x 400") << QSize(300, 400);
    QTest::newRow("very wide 500 x 200") << QSize(500, 200);
}

void TScenePixelsTest::OriginAtTheWindowCentre() {
    QFETCH(QSize, size);
    TScene scene;
    // A small square about the origin: 0.06 view units across half its side, 12 to 15
    // pixels in these windows.
    const double a = 0.1;
    scene.SetPolygons({Triangle({-a, -a, kZ}, {a, -a, kZ}, {a, a, kZ}),
                       Triangle({-a, -a, kZ}, {a, a, kZ}, {-a, a, kZ})});
    const QImage image = scene.Grab(size.width(), size.height());
    QCOMPARE(image.size(), size);
    const QPoint centre(size.width() / 2, size.height() / 2);
    // The square viewport's side is the larger of width and height.
    const double side = std::max(size.width(), size.height());
    EXPECT_COLOUR_AT(image, centre, Lit(0, 1.0));
    const int off = static_cast<int>(side / 2 * kScale * a) + 8;
    for (const QPoint d : {QPoint(off, 0), QPoint(-off, 0), QPoint(0, off), QPoint(0, -off)}) {
        EXPECT_COLOUR_AT(image, centre + d, kWhite);
    }
}

void TScenePixelsTest::TurnIntoTheShownSystem_data() {
    QTest::addColumn<int>("system");
    QTest::addColumn<TVector3>("accepted");  // the normal of the system shown, accepted
    QTest::addColumn<TVector3>("working");   // and being edited
    QTest::addColumn<bool>("editing");
    // Where the model point (0, 1.2) shows, as a model point of the unturned view, and
    // whether the triangle was turned over (it then faces away from the light).
    QTest::addColumn<QPointF>("shownAt");
    QTest::addColumn<bool>("turned");

    const TVector3 up{0, 0, 1};
    const TVector3 down{0, 0, -1};
    const QPointF stays(0.0, 1.2);
    const QPointF flipped(0.0, -1.2);  // 180 degrees about X
    // Tilted from -Z towards X and Y by 1e-7 each: the turn is nearly 180 degrees about
    // the diagonal (-1, 1, 0), which takes (x, y) to (-y, -x). Its cross product is far
    // shorter than the axes glRotate accepts, so the turn must not be left out.
    const double t = 1e-7;
    const TVector3 nearlyDown{t, t, -std::sqrt(1 - 2 * t * t)};
    QTest::newRow("tool system never turns") << 0 << down << down << false << stays << false;
    QTest::newRow("static, basic normal") << 1 << up << up << false << stays << false;
    QTest::newRow("static, opposite to Z") << 1 << down << down << false << flipped << true;
    QTest::newRow("static, nearly opposite to Z")
        << 1 << nearlyDown << up << false << QPointF(-1.2, 0.0) << true;
    QTest::newRow("dynamic turns as static") << 3 << down << up << false << flipped << true;
    QTest::newRow("kinematic, opposite to Z") << 2 << down << up << false << flipped << true;
    QTest::newRow("kinematic, not yet defined") << 2 << TVector3{} << up << false << stays << false;
    QTest::newRow("editing shows the working normal") << 1 << up << down << true << flipped << true;
    QTest::newRow("accepted normal when not editing") << 1 << up << down << false << stays << false;
}

void TScenePixelsTest::TurnIntoTheShownSystem() {
    QFETCH(int, system);
    QFETCH(TVector3, accepted);
    QFETCH(TVector3, working);
    QFETCH(bool, editing);
    QFETCH(QPointF, shownAt);
    QFETCH(bool, turned);
    TScene scene;
    // One triangle far below the centre, outside every disc.
    scene.SetPolygons({Triangle({-0.3, 1.0, kZ}, {0.3, 1.0, kZ}, {0.0, 1.6, kZ})});
    scene.Model.CurrentCS = static_cast<std::uint8_t>(system);
    scene.Editing = editing ? TPanelEdit::System : TPanelEdit::None;
    // The static normal of the other record stays the basic one, so only the system
    // shown decides. The kinematic rows set the static normal opposite to Z to show
    // that the kinematic normal is the one used.
    if (system == 2) {
        scene.Model.AcceptedCS.KSK.OP = accepted;
        scene.Model.WorkingCS.KSK.OP = working;
        scene.Model.AcceptedCS.SSK.OP = TVector3{0, 0, -1};
        scene.Model.WorkingCS.SSK.OP = TVector3{0, 0, -1};
    } else {
        scene.Model.AcceptedCS.SSK.OP = accepted;
        scene.Model.WorkingCS.SSK.OP = working;
    }
    const QImage image = scene.Grab();
    if (turned) {
        EXPECT_COLOUR_AT(image, Pixel(0.0, 1.2), kWhite);
    }
    EXPECT_COLOUR_AT(image, Pixel(shownAt.x(), shownAt.y()), turned ? Lit(0, -1.0) : Lit(0));
}

void TScenePixelsTest::ArraysFollowAListRefilledInPlace() {
    TScene scene;
    scene.SetPolygons({Left()});
    QImage image = scene.Grab();
    EXPECT_COLOUR_AT(image, kInside[0], Lit(0));
    EXPECT_COLOUR_AT(image, kInside[2], kWhite);

    // A list emptied and refilled with as many polygons keeps its storage: same address,
    // same size, other polygons.
    const TPolygon* storage = scene.Model.SurfaceData.Polygons.data();
    scene.Model.SurfaceData.Polygons.clear();
    scene.Model.SurfaceData.Polygons.push_back(Right());
    QCOMPARE(scene.Model.SurfaceData.Polygons.data(), storage);
    image = scene.Grab();
    EXPECT_COLOUR_AT(image, kInside[0], kWhite);
    EXPECT_COLOUR_AT(image, kInside[2], Lit(0));
}

namespace {

// A cube of half-side 0.15 around `centre`, its faces with their outward normals.
TSurface Cube(TVector3 centre) {
    constexpr double h = 0.15;
    TSurface faces;
    for (int axis = 0; axis < 3; ++axis) {
        for (const double side : {-1.0, 1.0}) {
            // Two unit vectors spanning the face, and the face's outward normal.
            TVector3 u{};
            TVector3 v{};
            TVector3 n{};
            (axis == 0 ? u.y : axis == 1 ? u.z : u.x) = h;
            (axis == 0 ? v.z : axis == 1 ? v.x : v.y) = h;
            (axis == 0 ? n.x : axis == 1 ? n.y : n.z) = side;
            const TVector3 c{centre.x + n.x * h, centre.y + n.y * h, centre.z + n.z * h};
            auto at = [&](double a, double b) {
                return TVector3{c.x + a * u.x + b * v.x, c.y + a * u.y + b * v.y,
                                c.z + a * u.z + b * v.z};
            };
            faces.push_back(Triangle(at(-1, -1), at(1, -1), at(1, 1), n));
            faces.push_back(Triangle(at(-1, -1), at(1, 1), at(-1, 1), n));
        }
    }
    return faces;
}

// Which material a pixel shows: 1 front (blue), 2 back (mauve), 0 other (grey), -1 none.
int MaterialAt(const QImage& image, QPoint p) {
    const QColor c = At(image, p);
    if (c == kWhite) {
        return -1;
    }
    if (c.blue() > c.red() + 40) {
        return 1;
    }
    return c.red() > c.green() + 25 ? 2 : 0;
}

}  // namespace

void TScenePixelsTest::StandardViewsLookFromWhereTheirNamesSay_data() {
    // Four cubes: on +x (front material, 1), on +y (back material, 2), on -y and on +z
    // (other material, 0). `seen` lists the material shown at the centre and one unit to
    // the right, left, up and down on the screen ("-" for background). A mirrored view
    // swaps one pair of sides; a view from the wrong side shows another cube in the
    // centre. A cube behind the origin shows where no cube lies in front of it.
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("seen");
    QTest::newRow("top: x right, y up") << 2 << "01-20";
    QTest::newRow("bottom: x left, y up") << 3 << "0-120";
    QTest::newRow("front: from -y, x right, z up") << 0 << "01-0-";
    QTest::newRow("back: from +y, x left, z up") << 1 << "2-10-";
    QTest::newRow("left: from -x, y left, z up") << 4 << "1020-";
    QTest::newRow("right: from +x, y right, z up") << 5 << "1200-";
}

void TScenePixelsTest::StandardViewsLookFromWhereTheirNamesSay() {
    QFETCH(int, view);
    QFETCH(QString, seen);
    TScene scene;
    TSurface other = Cube({0, -1, 0});
    const TSurface top = Cube({0, 0, 1});
    other.insert(other.end(), top.begin(), top.end());
    scene.SetSorted(Cube({1, 0, 0}), Cube({0, 1, 0}), other);
    scene.View().SetStandardView(view);
    const QImage image = scene.Grab();
    const std::array<QPoint, 5> places{Pixel(0, 0), Pixel(1, 0), Pixel(-1, 0), Pixel(0, 1),
                                       Pixel(0, -1)};
    QString actual;
    for (const QPoint p : places) {
        const int material = MaterialAt(image, p);
        actual += material < 0 ? QChar('-') : QChar('0' + material);
    }
    QCOMPARE(actual, seen);
}

void TScenePixelsTest::ArraysAndBeginEndDrawTheSamePicture_data() {
    QTest::addColumn<bool>("shaded");
    QTest::addColumn<bool>("sharedCorners");
    QTest::newRow("shaded") << true << false;
    QTest::newRow("wire frame") << false << false;
    // Flat faces whose triangles share their corners are drawn through welded indices.
    QTest::newRow("shaded, shared corners") << true << true;
    QTest::newRow("wire frame, shared corners") << false << true;
}

void TScenePixelsTest::ArraysAndBeginEndDrawTheSamePicture() {
    QFETCH(bool, shaded);
    QFETCH(bool, sharedCorners);
    TScene scene;
    scene.Display.Shaded = shaded;
    scene.Display.CS = true;
    TSurface front;
    TSurface back;
    if (sharedCorners) {
        // Two slanted grids of 6 x 6 squares, each square two triangles with the face's
        // normal; a corner inside a grid belongs to six triangles.
        for (int face = 0; face < 2; ++face) {
            const double tilt = face == 0 ? 0.3 : -0.4;
            const TVector3 normal = tessarin::geometry::Normalize({-tilt, 0.0, 1.0});
            auto corner = [&](int i, int j) {
                const double x = -0.9 + 0.3 * i + (face == 0 ? 0.0 : 0.1);
                return TVector3{x, -0.9 + 0.3 * j, kZ + tilt * x};
            };
            for (int i = 0; i < 6; ++i) {
                for (int j = 0; j < 6; ++j) {
                    TSurface& list = face == 0 ? front : back;
                    list.push_back(
                        Triangle(corner(i, j), corner(i + 1, j), corner(i + 1, j + 1), normal));
                    list.push_back(
                        Triangle(corner(i, j), corner(i + 1, j + 1), corner(i, j + 1), normal));
                }
            }
        }
    } else {
        // A fan of slanted triangles with assorted normals, so that lighting varies.
        for (int i = 0; i < 24; ++i) {
            const double a0 = i * M_PI / 12.0;
            const double a1 = (i + 1) * M_PI / 12.0;
            const TPolygon p = Triangle({0, 0, 0.5}, {std::cos(a0), std::sin(a0), kZ},
                                        {std::cos(a1), std::sin(a1), kZ},
                                        {std::cos(a0), std::sin(a1), 0.5 + 0.1 * i});
            (i % 2 == 0 ? front : back).push_back(p);
        }
    }
    scene.SetSorted(front, back, {Left()});
    scene.SetCutEdge(FourSegments());
    scene.View().ViewRotation = {30.0, 20.0, 10.0};
    const QImage arrays = scene.Grab();
    scene.View().SetPolygonPath(tessarin::view::TPolygonPath::BeginEnd);
    const QImage beginEnd = scene.Grab();
    QVERIFY(arrays != QImage());
    QCOMPARE(arrays, beginEnd);
}

namespace {

int CountColour(const QImage& image, const QColor& colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += Close(image.pixelColor(x, y), colour) ? 1 : 0;
        }
    }
    return count;
}

// A square face of half-side 1.5 at height z, its normal up.
TSurface Plate(double z) {
    return {Triangle({-1.5, -1.5, z}, {1.5, -1.5, z}, {1.5, 1.5, z}),
            Triangle({-1.5, -1.5, z}, {1.5, 1.5, z}, {-1.5, 1.5, z})};
}

}  // namespace

void TScenePixelsTest::CutEdgeShowsWholeOverTheFaces_data() {
    QTest::addColumn<TVector3>("rotation");
    QTest::addColumn<bool>("shaded");
    QTest::newRow("top view") << TVector3{0, 0, 0} << true;
    QTest::newRow("turned") << TVector3{30, 20, 10} << true;
    QTest::newRow("steeply turned") << TVector3{70, -35, 0} << true;
    QTest::newRow("wire frame, turned") << TVector3{30, 20, 10} << false;
}

void TScenePixelsTest::CutEdgeShowsWholeOverTheFaces() {
    QFETCH(TVector3, rotation);
    QFETCH(bool, shaded);
    // The edge lies in the face, as a cutting edge lies on the boundary of its faces:
    // drawn at the same depth, it came out broken wherever the face won the depth test.
    auto edgePixels = [&](bool withFace) {
        TScene scene;
        scene.Display.Shaded = shaded;
        scene.SetSorted(withFace ? Plate(kZ) : TSurface{}, {}, {});
        scene.SetCutEdge({Segment(1, {-1.2, 0.3, kZ}, {1.2, -0.2, kZ}),
                          Segment(2, {1.2, -0.2, kZ}, {0.4, -1.1, kZ})});
        scene.View().ViewRotation = rotation;
        return CountColour(scene.Grab(), kEdge);
    };
    const int alone = edgePixels(false);
    const int overFace = edgePixels(true);
    QVERIFY(alone > 300);
    QVERIFY2(overFace >= alone * 95 / 100,
             (QByteArray::number(overFace) + " of " + QByteArray::number(alone)).constData());
}

void TScenePixelsTest::DiscInTheTopFacesPlaneIsEven() {
    TScene scene;
    scene.Display.CS = true;
    // The face lies in the basic plane, where the base disc is drawn.
    scene.SetSorted({}, {}, Plate(0.0));
    // Turned about Y only, the side disc stays edge on, out of the way.
    for (const TVector3 rotation : {TVector3{0, 0, 0}, TVector3{0, 25, 0}}) {
        scene.View().ViewRotation = rotation;
        const QImage image = scene.Grab();
        // (1, 0, 0.2) at alpha 0.5 over the lit face, the same at every pixel: no stripes
        // of the face's own colour.
        const QColor lit = Lit(0);
        const QColor expected = Rgb(0.5 + lit.redF() / 2, lit.greenF() / 2, 0.1 + lit.blueF() / 2);
        for (int y = 150; y <= 190; y += 2) {
            for (int x = 160; x <= 240; x += 2) {
                EXPECT_COLOUR_AT(image, QPoint(x, y), expected);
            }
        }
    }
}

void TScenePixelsTest::WorkingPlaneShownWhileEdited_data() {
    QTest::addColumn<bool>("toggle");
    QTest::addColumn<TPanelEdit>("editing");
    QTest::addColumn<bool>("shown");
    QTest::newRow("neither") << false << TPanelEdit::None << false;
    QTest::newRow("the panel edits it") << false << TPanelEdit::WorkingPlane << true;
    // The panel open for a coordinate system shows no working plane of its own.
    QTest::newRow("the panel edits a system") << false << TPanelEdit::System << false;
    QTest::newRow("the toggle") << true << TPanelEdit::None << true;
    QTest::newRow("the toggle while a system is edited") << true << TPanelEdit::System << true;
}

void TScenePixelsTest::WorkingPlaneShownWhileEdited() {
    QFETCH(bool, toggle);
    QFETCH(TPanelEdit, editing);
    QFETCH(bool, shown);
    TScene scene;
    scene.SetPolygons({Left()});
    // Tilted by about 37 degrees from the basic plane about -Y: seen from the top, the
    // disc keeps its full extent along y.
    scene.Model.WorkingCS.FeedPlan.FP = {0.6, 0.0, 0.8};
    scene.Model.AcceptedCS.FeedPlan.FP = {0.6, 0.0, 0.8};
    scene.Display.FeedPlan = toggle;
    scene.Editing = editing;
    const QImage image = scene.Grab();
    // (0, 1, 0.4) at alpha 0.25 over white.
    EXPECT_COLOUR_AT(image, QPoint(200, 130), shown ? Rgb(0.75, 1.0, 0.85) : kWhite);
}

void TScenePixelsTest::AxisTriadInTheCorner_data() {
    QTest::addColumn<int>("view");
    QTest::addColumn<QColor>("right");  // the axis drawn to the right of the triad's centre
    QTest::addColumn<QColor>("up");     // and the one drawn upward
    const QColor red(217, 26, 26);
    const QColor green(26, 166, 26);
    const QColor blue(26, 51, 230);
    QTest::newRow("top: X right, Y up") << 2 << red << green;
    QTest::newRow("front: X right, Z up") << 0 << red << blue;
    QTest::newRow("right: Y right, Z up") << 5 << green << blue;
}

void TScenePixelsTest::AxisTriadInTheCorner() {
    QFETCH(int, view);
    QFETCH(QColor, right);
    QFETCH(QColor, up);
    TScene scene;
    scene.SetPolygons({Left()});
    scene.View().SetStandardView(view);
    const QImage image = scene.Grab();
    // A 66-pixel square 8 pixels from the bottom-left corner; the axes are 20 pixels long.
    const QPoint centre(8 + 33, kSide - 8 - 33);
    QVERIFY2(FoundNear(image, centre + QPoint(12, 0), right, 1),
             Show(At(image, centre + QPoint(12, 0))));
    QVERIFY2(FoundNear(image, centre + QPoint(0, -12), up, 1),
             Show(At(image, centre + QPoint(0, -12))));
    // Clear of the window's edges.
    for (int i = 0; i < kSide; ++i) {
        EXPECT_COLOUR_AT(image, QPoint(i, kSide - 1), kWhite);
        EXPECT_COLOUR_AT(image, QPoint(0, i), kWhite);
    }
}

void TScenePixelsTest::ClickOnADrawnSegmentChoosesIt_data() {
    QTest::addColumn<bool>("selection");
    QTest::addColumn<int>("chosen");    // the one drawn pink (cutting-edge index)
    QTest::addColumn<int>("expected");  // the index the click gives, in the list drawn
    QTest::newRow("first") << false << 0 << 0;
    QTest::newRow("third") << false << 2 << 2;
    QTest::newRow("last") << false << 3 << 3;
    // With the selection shown the index is the one in the selection (its table row).
    QTest::newRow("selection, segment 4") << true << 3 << 1;
}

void TScenePixelsTest::ClickOnADrawnSegmentChoosesIt() {
    QFETCH(bool, selection);
    QFETCH(int, chosen);
    QFETCH(int, expected);
    TScene scene;
    scene.SetSorted({Left()}, {Centre()}, {Right()});
    scene.SetCutEdge(FourSegments());
    scene.Model.SelectCutEdge = {scene.Model.CutEdge[1], scene.Model.CutEdge[3]};
    scene.Model.SelectCutEdgeExist = true;
    scene.ShowSelection = selection;
    scene.Range = {chosen, chosen};
    scene.Model.WorkingCS.FeedPlan.HCE = -1;
    TSceneView& view = scene.View();
    view.ViewRotation = {35.0, -20.0, 15.0};
    view.ViewZoom = 0.8;
    const QImage image = scene.Grab();
    // A pixel of the drawn pink line, well inside it (all eight neighbours pink too).
    QPoint target(-1, -1);
    for (int y = 1; y < kSide - 1 && target.x() < 0; ++y) {
        for (int x = 1; x < kSide - 1 && target.x() < 0; ++x) {
            bool inside = true;
            for (int d = 0; d < 9; ++d) {
                inside = inside && Close(At(image, QPoint(x - 1 + d % 3, y - 1 + d / 3)), kChosen);
            }
            if (inside) {
                target = QPoint(x, y);
            }
        }
    }
    QVERIFY(target.x() >= 0);
    QSignalSpy clicked(&view, &TSceneView::SegmentClicked);
    QTest::mouseClick(&view, Qt::LeftButton, {}, target);
    QCOMPARE(clicked.size(), 1);
    QCOMPARE(clicked.front().front().toInt(), expected);
    QCOMPARE(view.SegmentAt(target), expected);

    // Far from every segment, or at the end of a drag, a click chooses nothing.
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mousePress(&view, Qt::RightButton, {}, target + QPoint(0, 40));
    QTest::mouseMove(&view, target);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, target);
    QCOMPARE(clicked.size(), 1);
    // Without the cutting edge shown there is nothing to pick.
    scene.Display.CutEdge = false;
    QCOMPARE(view.SegmentAt(target), -1);
}

void TScenePixelsTest::HoverTextOfASegment() {
    TScene scene;
    scene.SetPolygons({Left()});
    scene.SetCutEdge(FourSegments());
    tessarin::model::TSegment& segment = scene.Model.CutEdge[2];
    segment.Polar = -12.5;
    segment.SSK = {7.5, 4.25, -1.0, 90.0};  // A, G, L, F
    scene.Model.DefinedAngles = {false, true, false, false};
    scene.Model.SurfaceData.GeometrySettings.TableAccuracy = 2;
    // As the table writes them: the accuracy's decimals, the document's separator.
    TSceneView& view = scene.View();
    const QString text = view.SegmentToolTip(view.SegmentAt(SegmentPixel(2)));
    QCOMPARE(text, QStringLiteral("Отрезок 3\nПолярный угол -12,5°\nСтатическая СК: передний "
                                  "угол 4,25°, задний угол 7,5°, угол наклона РК -1,00°, угол "
                                  "в плане 90,00°"));
    QCOMPARE(view.SegmentToolTip(-1), QString());
    QCOMPARE(view.SegmentToolTip(4), QString());
}

QTEST_MAIN(TScenePixelsTest)
#include "scene_pixels_test.moc"
