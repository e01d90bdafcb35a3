// The drawing of one frame of the 3-D view with fixed-function OpenGL 1.1 and GLU, apart
// from any widget: the document's view draws through it, and so does the benchmark into
// an offscreen framebuffer.
//
// The scene: the polygons coloured by class (front, back, other) once they are sorted,
// shaded with light 0 or as a wire frame; the cutting edge as thick lines with the chosen
// table rows and the working plane's main segment highlighted; translucent discs for the
// basic plane, the side plane, the working plane with its arrow and the section plane;
// and the turn of the model into the static or kinematic system being looked at.
//
// The projection is orthographic (view_transform.h): one view unit is half the shorter
// side of the drawable, whose centre is the view's origin. The view is right-handed: the
// top view looks down the tool's axis with x to the right and y up, the front view from
// -y with z up, the left view from -x. Every frame is drawn completely from the model and
// the frame's inputs.
//
// Faces are pushed back a little in depth, so that the cutting edge on their boundary
// and the coordinate-system discs lying in one of their planes are drawn over them
// whole, not in stripes; the translucent discs come after everything opaque. Normals are
// renormalised after the model-view transform, so the shading is the same at every fit
// and zoom. An axis triad (X red, Y green, Z blue) in the bottom-left corner shows the
// model's axes as the view turns them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "geometry/vector3.h"
#include "model/model.h"

struct GLUquadric;

namespace tessarin::view {

// The main window's application-wide display toggles (one state for all documents).
struct TDisplayToggles {
    bool Faces = true;    // "Отображать поверхности": colour polygons by class
    bool CutEdge = true;  // "Отображать РК"
    bool Shaded = true;   // "Тонирование" down; false: "Каркас"
    bool CS = false;      // "Отображать СК"
    bool FeedPlan = false;  // "Отображать рабочую плоскость"
};

// What the parameter panel edits: nothing (it is closed), a coordinate system, or the
// working plane.
enum class TPanelEdit : std::uint8_t { None, System, WorkingPlane };

// Everything one frame reads besides the model.
// The colour of the edge chosen in the edge summary (cyan), unlike any other of the scene.
inline constexpr std::array<float, 3> kHighlightedEdgeColour{0.0f, 0.75f, 1.0f};

struct TSceneFrame {
    int Width = 0;  // drawable size in device pixels
    int Height = 0;
    TDisplayToggles Display;
    // While the panel edits anything the planes follow WorkingCS; while it edits the working
    // plane that plane shows, whatever the toggle says.
    TPanelEdit Editing = TPanelEdit::None;
    bool ShowSelection = false;  // draw SelectCutEdge instead of CutEdge
    // First and last cutting-edge index (Number - 1) of the chosen table rows; the
    // segments in between are drawn in the chosen colour. (-1, -1) for none.
    std::pair<int, int> SelectedRange{-1, -1};
    // The cutting edge's own colour per cutting-edge index (Number - 1), 0xAARRGGBB: AA
    // 0xFF sets it, 0 (and an index past the end, or no list) keeps the usual yellow. The
    // chosen rows and the main segment are highlighted over it. Owned by the caller.
    const std::vector<std::uint32_t>* SegmentColours = nullptr;
    // The edge chosen in the edge summary: its first cutting-edge index and its segment
    // count, running past the end on from 0. Drawn over the cutting edge wider and in
    // the edge colour; (-1, 0) for none. Not drawn while the selection is shown.
    std::pair<int, int> HighlightedEdge{-1, 0};
    geometry::TVector3 ViewPan;
    geometry::TVector3 ViewRotation;  // degrees about X, then Y, then Z
    double ViewZoom = 1.0;
    double ModelScale = 0.0;
    // The model point shown at the view's origin (before pan): the centre of its box.
    geometry::TVector3 ModelCentre;
};

// How the polygons reach OpenGL. The picture is the same either way: vertex arrays of
// 32-bit floats (one draw per list, the stored normal repeated at each vertex), or one
// glBegin/glEnd per triangle, kept for the benchmark's comparison.
//
// Corners repeated bit for bit (position and normal: the triangles of one flat face) are
// welded and drawn through indices when that saves at least a quarter of the vertices,
// so each is transformed and lit once; otherwise every polygon has its own three.
//
// The arrays live in a buffer object of the context where it has them (OpenGL 1.5 and
// later, as every driver of the last twenty years): uploaded once when the list
// changes, not copied from client memory at every frame. Client-side arrays remain the
// way when the context has no buffer objects or no room for one.
enum class TPolygonPath { VertexArrays, BeginEnd };

class TSceneRenderer {
public:
    TSceneRenderer();
    ~TSceneRenderer();
    TSceneRenderer(const TSceneRenderer&) = delete;
    TSceneRenderer& operator=(const TSceneRenderer&) = delete;

    // Creates the six quadrics. Call once with the context current, before PaintScene.
    void Initialize();
    // Releases the quadrics and the cached arrays; PaintScene needs Initialize again.
    // The context the arrays were made in must be current if any buffer object is held
    // (HoldsBuffers); otherwise no context is needed.
    void Release();
    bool HoldsBuffers() const;

    // Draws one frame into the framebuffer bound in the current context, clearing it to
    // white first. Leaves the matrix stack as it found it.
    void PaintScene(const model::TModel& model, const TSceneFrame& frame);

    // Clears the framebuffer to white and draws nothing (the view of a window without a
    // model).
    static void PaintBlank();

    // The float arrays of a polygon list are rebuilt by themselves when the list's
    // storage, size or a sample of its polygons changes; a caller that edits polygons in
    // place without changing any of those calls this.
    void InvalidateGeometry();

    TPolygonPath PolygonPath = TPolygonPath::VertexArrays;
    // Off: the arrays stay in client memory even where buffer objects exist (for the
    // benchmark's comparison).
    bool UseBufferObjects = true;
    // For the benchmark only: every polygon is culled once transformed and lit, so a
    // frame times the geometry stage (hand-over, transformation, lighting) without
    // the rasterisation.
    bool CullAllPolygons = false;
    // For the benchmark only: the frame without the states that keep the picture true
    // (normalised normals, faces pushed back behind the edge and the discs, the discs
    // after the model without writing depth, the axis triad), to compare frame times.
    bool WithoutViewAids = false;

private:
    // The interleaved normal-and-vertex floats of one polygon list.
    struct TPolygonArray {
        static constexpr std::size_t kSamples = 8;
        const model::TPolygon* Data = nullptr;
        std::size_t Size = 0;
        std::array<model::TPolygon, kSamples> Samples{};
        // Per vertex: nx, ny, nz, x, y, z; left uninitialised until written, so a rebuild
        // of a million triangles does not zero 72 MB first.
        // Freed once they are in the buffer objects.
        std::unique_ptr<float[]> Floats;
        std::size_t Capacity = 0;  // vertices Floats has room for
        std::size_t VertexCount = 0;
        // The welded corners: three indices per polygon into the vertices, or none when
        // too few corners are shared and every polygon has its own three vertices.
        std::unique_ptr<std::uint32_t[]> Indices;
        std::size_t IndexCount = 0;
        unsigned int Buffer = 0;       // the buffer object holding the floats; 0 for none
        unsigned int IndexBuffer = 0;  // and the one holding the indices
        bool Built = false;

        bool Matches(const model::TSurface& list) const;
        void Build(const model::TSurface& list, bool useBufferObject);
        void ReleaseBuffer();
        void Clear();
    };

    // The lists as the frame draws them: Polygons, FrontPolygons, BackPolygons,
    // OtherPolygons.
    enum TListSlot : std::size_t { kAll = 0, kFront = 1, kBack = 2, kOther = 3 };

    void DrawPolygons(const model::TSurface& list, int kind, bool shaded, TListSlot slot);
    void DrawPolygonList(const model::TSurface& list, TListSlot slot);
    static void DrawCutEdge(const model::TCutEdgeData& list, int first, int last, int main,
                            const std::vector<std::uint32_t>* colours);
    static void DrawHighlightedEdge(const model::TCutEdgeData& list, std::pair<int, int> edge);
    void DrawBaseDisc();
    void DrawPlaneDisc();
    void DrawSideDisc();
    void DrawFeedPlan(const model::TModel& model, bool editing);
    void DrawSectionPlane(const model::TModel& model, bool editing);

    std::array<GLUquadric*, 6> Quadrics{};  // Q1 .. Q6
    std::array<TPolygonArray, 4> Arrays;
    std::array<bool, 4> SlotUsed{};
    bool OffsetFaces = true;  // this frame pushes the faces back
};

}  // namespace tessarin::view
