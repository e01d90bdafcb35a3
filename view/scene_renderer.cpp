// One frame of the 3-D view in fixed-function OpenGL 1.1 and GLU.
//
// Everything acts on the model-view matrix; the projection stays the identity, so the
// visible volume is the unit cube and the nearer of two fragments is the one with the
// smaller z.
#include "view/scene_renderer.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "view/vertex_welding.h"
#include "view/view_navigation.h"
#include "view/view_transform.h"

namespace tessarin::view {

namespace {

using geometry::TVector3;

struct TMaterial {
    GLfloat Ambient[4];
    GLfloat Diffuse[4];
    GLfloat Specular[4];
    GLfloat Emission[4];
    GLfloat Shininess;
};

// Kind 0: unsorted and other polygons, 1: front (rake), 2: back (flank).
constexpr TMaterial kMaterials[3] = {
    {{0.5f, 0.55f, 0.6f, 1.0f}, {0.2f, 0.2f, 0.2f, 1.0f}, {0, 0, 0, 1}, {0, 0, 0, 1}, 50.0f},
    {{0.2f, 0.7f, 1.0f, 1.0f}, {0.2f, 0.3f, 0.4f, 1.0f}, {0, 0, 0, 1}, {0, 0, 0, 1}, 50.0f},
    {{0.7f, 0.4f, 0.6f, 1.0f}, {0.8f, 0.2f, 0.2f, 1.0f}, {0, 0, 0, 1}, {0, 0, 0, 1}, 50.0f},
};

constexpr GLfloat kLightPosition[4] = {40000000.0f, 40000000.0f, 4000000.0f, 0.0f};
constexpr GLfloat kLightAmbient[4] = {0.3f, 0.3f, 0.3f, 1.0f};
constexpr GLfloat kLightDiffuse[4] = {0.05f, 0.05f, 0.05f, 1.0f};
constexpr GLfloat kLightSpecular[4] = {0.1f, 0.1f, 0.1f, 1.0f};
constexpr GLfloat kDefaultModelAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};

constexpr GLfloat kDiscRadius = 0.5f;
// Wider than the wire frame's lines, so that the edge stands out over the faces.
constexpr GLfloat kEdgeWidth = 4.0f;
constexpr GLfloat kDiscHeight = 0.005f;

// The largest draw handed to glDrawArrays at once (a multiple of 3, far below the
// GLsizei limit).
constexpr std::size_t kMaxDrawVertices = std::size_t{3} << 22;
constexpr std::size_t kFloatsPerVertex = 6;

void Vertex(const TVector3& v) {
    glVertex3f(static_cast<GLfloat>(v.x), static_cast<GLfloat>(v.y), static_cast<GLfloat>(v.z));
}

void DrawPolygonsOneByOne(const model::TSurface& list) {
    for (const model::TPolygon& polygon : list) {
        glBegin(GL_TRIANGLES);
        glNormal3f(static_cast<GLfloat>(polygon.Normal.x), static_cast<GLfloat>(polygon.Normal.y),
                   static_cast<GLfloat>(polygon.Normal.z));
        Vertex(polygon.Vert1);
        Vertex(polygon.Vert2);
        Vertex(polygon.Vert3);
        glEnd();
    }
}

// The buffer-object calls of the current context, or null where it has none. Taken
// through Qt because the platforms' GL libraries export only OpenGL 1.1 by name.
QOpenGLFunctions* BufferFunctions() {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    if (context == nullptr) {
        return nullptr;
    }
    QOpenGLFunctions* functions = context->functions();
    return functions->hasOpenGLFeature(QOpenGLFunctions::Buffers) ? functions : nullptr;
}

// Copies `bytes` of `data` into a new buffer object bound to `target`; 0 when the
// context has no buffer objects or no room (the caller then keeps the client copy).
GLuint UploadBuffer(GLenum target, const void* data, std::size_t bytes) {
    QOpenGLFunctions* gl = BufferFunctions();
    if (gl == nullptr || bytes == 0 ||
        bytes > static_cast<std::size_t>(std::numeric_limits<GLsizeiptr>::max())) {
        return 0;
    }
    while (glGetError() != GL_NO_ERROR) {
        // Errors left by earlier drawing must not be taken for the upload's.
    }
    GLuint buffer = 0;
    gl->glGenBuffers(1, &buffer);
    gl->glBindBuffer(target, buffer);
    gl->glBufferData(target, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
    gl->glBindBuffer(target, 0);
    if (buffer != 0 && glGetError() != GL_NO_ERROR) {
        gl->glDeleteBuffers(1, &buffer);
        buffer = 0;
    }
    return buffer;
}

// Welding pays when it saves at least a quarter of the vertices. A big list is judged by
// its first polygons first, so that a model whose every triangle has its own normal (a
// smooth surface shaded flat) does not pay for a weld of the whole list in vain.
bool WeldingPays(const float* floats, std::size_t vertexCount) {
    constexpr std::size_t kSampleVertices = std::size_t{3} << 15;
    if (vertexCount <= kSampleVertices * 4) {
        return true;
    }
    std::vector<float> sample(floats, floats + kSampleVertices * kFloatsPerVertex);
    std::vector<std::uint32_t> indices(kSampleVertices);
    const std::size_t kept =
        WeldVertices(sample.data(), kSampleVertices, kFloatsPerVertex, indices.data());
    return kept * 4 <= kSampleVertices * 3;
}

// Per vertex of every polygon: the stored normal, then the vertex, as floats.
void FillFloats(float* out, const model::TSurface& list) {
    for (const model::TPolygon& polygon : list) {
        const float nx = static_cast<float>(polygon.Normal.x);
        const float ny = static_cast<float>(polygon.Normal.y);
        const float nz = static_cast<float>(polygon.Normal.z);
        for (const TVector3* v : {&polygon.Vert1, &polygon.Vert2, &polygon.Vert3}) {
            out[0] = nx;
            out[1] = ny;
            out[2] = nz;
            out[3] = static_cast<float>(v->x);
            out[4] = static_cast<float>(v->y);
            out[5] = static_cast<float>(v->z);
            out += kFloatsPerVertex;
        }
    }
}

void Rotate(const TTurn& turn) {
    glRotated(turn.Angle, turn.Axis.x, turn.Axis.y, turn.Axis.z);
}

void EnableBlending() {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

// The context keeps its state from one frame to the next, and the first things a frame
// draws (the base disc) inherit the polygon mode and line width the previous frame left.
// Setting them to what a previous frame with the same settings leaves makes every frame
// alike, the first included; the rest restores the defaults the drawing relies on, in
// case something else used the context.
void ResetState(bool shaded, bool cutEdgeDrawn, bool viewAids) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_COLOR_MATERIAL);
    // The model-view matrix scales by the fit and the zoom; without renormalising, the
    // normals would scale with it and the shading change with every zoom (white faces
    // on a big model). The stored normals need not be of unit length either.
    if (viewAids) {
        glEnable(GL_NORMALIZE);
    } else {
        glDisable(GL_NORMALIZE);
    }
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_POLYGON_OFFSET_LINE);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POLYGON_SMOOTH);
    glDisable(GL_LIGHTING);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glDepthRange(0.0, 1.0);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glShadeModel(GL_SMOOTH);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, kDefaultModelAmbient);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_FALSE);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
    glPolygonMode(GL_FRONT_AND_BACK, shaded ? GL_FILL : GL_LINE);
    glLineWidth(cutEdgeDrawn ? kEdgeWidth : 1.0f);
}

void LoadMatrix(GLenum mode, const TMatrix4& matrix) {
    glMatrixMode(mode);
    glLoadMatrixd(matrix.M.data());
    glMatrixMode(GL_MODELVIEW);
}

void BeginScene(int width, int height, const TMatrix4& projection) {
    glEnable(GL_DEPTH_TEST);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, width, height);
    LoadMatrix(GL_PROJECTION, projection);
    // The light is placed under its own rotations only, so its direction stays fixed
    // relative to the view while the model turns.
    glLoadIdentity();
    glPushMatrix();
    glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
    glRotatef(135.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(-45.0f, 0.0f, 1.0f, 0.0f);
    glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);
    glLightfv(GL_LIGHT0, GL_AMBIENT, kLightAmbient);
    glLightfv(GL_LIGHT0, GL_SPECULAR, kLightSpecular);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, kLightDiffuse);
    glPopMatrix();
    glFrontFace(GL_CCW);
    glEnable(GL_LIGHT0);
}

// Line strokes of the letters X, Y and Z in a unit box about the origin.
void DrawLetter(int axis) {
    glBegin(GL_LINES);
    switch (axis) {
        case 0:
            glVertex2f(-0.5f, -0.5f);
            glVertex2f(0.5f, 0.5f);
            glVertex2f(-0.5f, 0.5f);
            glVertex2f(0.5f, -0.5f);
            break;
        case 1:
            glVertex2f(-0.5f, 0.5f);
            glVertex2f(0.0f, 0.0f);
            glVertex2f(0.5f, 0.5f);
            glVertex2f(0.0f, 0.0f);
            glVertex2f(0.0f, 0.0f);
            glVertex2f(0.0f, -0.5f);
            break;
        default:
            glVertex2f(-0.5f, 0.5f);
            glVertex2f(0.5f, 0.5f);
            glVertex2f(0.5f, 0.5f);
            glVertex2f(-0.5f, -0.5f);
            glVertex2f(-0.5f, -0.5f);
            glVertex2f(0.5f, -0.5f);
            break;
    }
    glEnd();
}

// The model's axes as the view turns them, in a square of the bottom-left corner that
// keeps clear of the window's edge: X red, Y green, Z blue, each with its letter.
void DrawAxisTriad(const TMatrix4& turns, int width, int height) {
    const int side = std::clamp(std::min(width, height) / 6, 40, 120);
    const int margin = std::max(side / 8, 4);
    if (width < side + 2 * margin || height < side + 2 * margin) {
        return;
    }
    glViewport(margin, margin, side, side);
    glEnable(GL_SCISSOR_TEST);
    glScissor(margin, margin, side, side);
    glClear(GL_DEPTH_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    // The same upturned projection as the scene's, so the triad turns as the model does.
    const TMatrix4 projection = TMatrix4::Scaling(1.0, -1.0, 0.5);
    LoadMatrix(GL_PROJECTION, projection);
    glLoadMatrixd(turns.M.data());
    constexpr double kLength = 0.62;
    static constexpr GLfloat kColours[3][3] = {
        {0.85f, 0.1f, 0.1f}, {0.1f, 0.65f, 0.1f}, {0.1f, 0.2f, 0.9f}};
    glLineWidth(2.0f);
    for (int axis = 0; axis < 3; ++axis) {
        glColor3fv(kColours[axis]);
        glBegin(GL_LINES);
        glVertex3f(0.0f, 0.0f, 0.0f);
        glVertex3f(axis == 0 ? kLength : 0.0, axis == 1 ? kLength : 0.0, axis == 2 ? kLength : 0.0);
        glEnd();
    }
    // The letters face the viewer at the axes' tips, a little beyond them.
    const TMatrix4 toScreen = projection * turns;
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLineWidth(1.5f);
    glDisable(GL_DEPTH_TEST);
    for (int axis = 0; axis < 3; ++axis) {
        const TVector3 tip = toScreen.Apply(
            {axis == 0 ? 0.82 : 0.0, axis == 1 ? 0.82 : 0.0, axis == 2 ? 0.82 : 0.0});
        glColor3fv(kColours[axis]);
        glPushMatrix();
        glTranslated(std::clamp(tip.x, -0.85, 0.85), std::clamp(tip.y, -0.85, 0.85), 0.0);
        glScaled(0.16, 0.16, 1.0);
        DrawLetter(axis);
        glPopMatrix();
    }
    glEnable(GL_DEPTH_TEST);
    glViewport(0, 0, width, height);
}

void SetMaterial(int kind) {
    const TMaterial& material = kMaterials[kind];
    glMaterialfv(GL_FRONT, GL_AMBIENT, material.Ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, material.Diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, material.Specular);
    glMaterialfv(GL_FRONT, GL_EMISSION, material.Emission);
    glMaterialfv(GL_FRONT, GL_SHININESS, &material.Shininess);
}

// The turn of the working plane and the section plane: by their angle to the static
// normal, about the cross product of their normal with Z.
TTurn PlaneTurn(const TVector3& staticNormal, const TVector3& planeNormal) {
    const TVector3 z{0.0, 0.0, 1.0};
    return TurnAbout(geometry::VectorAngle(staticNormal, planeNormal),
                     geometry::CrossProduct(planeNormal, z), planeNormal);
}

}  // namespace

bool TSceneRenderer::TPolygonArray::Matches(const model::TSurface& list) const {
    if (!Built || Data != list.data() || Size != list.size()) {
        return false;
    }
    // A list freed and refilled with as many polygons may get the same storage back;
    // the samples tell such a list apart. Compared bit for bit, so NaN coordinates match.
    for (std::size_t i = 0; i < kSamples && Size > 0; ++i) {
        const std::size_t index = i * (Size - 1) / (kSamples - 1);
        if (std::memcmp(&Samples[i], &list[index], sizeof(model::TPolygon)) != 0) {
            return false;
        }
    }
    return true;
}

void TSceneRenderer::TPolygonArray::Build(const model::TSurface& list, bool useBufferObject) {
    ReleaseBuffer();
    Data = list.data();
    Size = list.size();
    for (std::size_t i = 0; i < kSamples && Size > 0; ++i) {
        Samples[i] = list[i * (Size - 1) / (kSamples - 1)];
    }
    if (Capacity < Size * 3) {
        Floats.reset();
        Floats = std::make_unique_for_overwrite<float[]>(Size * 3 * kFloatsPerVertex);
        Capacity = Size * 3;
    }
    FillFloats(Floats.get(), list);
    VertexCount = Size * 3;
    Indices.reset();
    IndexCount = 0;
    if (VertexCount > 0 && VertexCount <= std::numeric_limits<std::uint32_t>::max() &&
        WeldingPays(Floats.get(), VertexCount)) {
        auto indices = std::make_unique_for_overwrite<std::uint32_t[]>(VertexCount);
        const std::size_t kept =
            WeldVertices(Floats.get(), VertexCount, kFloatsPerVertex, indices.get());
        if (kept * 4 <= VertexCount * 3) {
            Indices = std::move(indices);
            IndexCount = VertexCount;
            VertexCount = kept;
        } else {
            // Too few shared corners after all: the plain arrays again.
            FillFloats(Floats.get(), list);
        }
    }
    if (useBufferObject) {
        Buffer = UploadBuffer(GL_ARRAY_BUFFER, Floats.get(),
                              VertexCount * kFloatsPerVertex * sizeof(float));
        if (Buffer != 0 && IndexCount > 0) {
            IndexBuffer = UploadBuffer(GL_ELEMENT_ARRAY_BUFFER, Indices.get(),
                                       IndexCount * sizeof(std::uint32_t));
            if (IndexBuffer == 0) {
                ReleaseBuffer();
            }
        }
        if (Buffer != 0) {
            Floats.reset();
            Capacity = 0;
            Indices.reset();
        }
    }
    Built = true;
}

void TSceneRenderer::TPolygonArray::ReleaseBuffer() {
    QOpenGLFunctions* gl = BufferFunctions();
    for (GLuint* buffer : {&Buffer, &IndexBuffer}) {
        if (*buffer != 0 && gl != nullptr) {
            gl->glDeleteBuffers(1, buffer);
        }
        *buffer = 0;
    }
}

void TSceneRenderer::TPolygonArray::Clear() {
    ReleaseBuffer();
    Data = nullptr;
    Size = 0;
    VertexCount = 0;
    IndexCount = 0;
    Indices.reset();
    Floats.reset();
    Capacity = 0;
    Built = false;
}

TSceneRenderer::TSceneRenderer() = default;

TSceneRenderer::~TSceneRenderer() {
    // Quadrics are client-side objects of GLU: no context is needed to delete them. The
    // owner has released any buffer objects while their context was current.
    Release();
}

bool TSceneRenderer::HoldsBuffers() const {
    return std::any_of(Arrays.begin(), Arrays.end(),
                       [](const TPolygonArray& array) { return array.Buffer != 0; });
}

void TSceneRenderer::Initialize() {
    for (GLUquadric*& quadric : Quadrics) {
        if (quadric == nullptr) {
            quadric = gluNewQuadric();
            gluQuadricDrawStyle(quadric, GLU_FILL);
        }
    }
}

void TSceneRenderer::Release() {
    for (GLUquadric*& quadric : Quadrics) {
        if (quadric != nullptr) {
            gluDeleteQuadric(quadric);
            quadric = nullptr;
        }
    }
    InvalidateGeometry();
}

void TSceneRenderer::InvalidateGeometry() {
    for (TPolygonArray& array : Arrays) {
        array.Clear();
    }
}

void TSceneRenderer::PaintBlank() {
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void TSceneRenderer::PaintScene(const model::TModel& model, const TSceneFrame& frame) {
    if (frame.Width <= 0 || frame.Height <= 0 || Quadrics[0] == nullptr) {
        PaintBlank();
        return;
    }
    const bool shaded = frame.Display.Shaded;
    const bool editing = frame.Editing != TPanelEdit::None;
    const bool cutEdgeDrawn = model.CutEdgeExist && frame.Display.CutEdge;
    const bool viewAids = !WithoutViewAids;
    const model::TSurFaceData& surface = model.SurfaceData;
    SlotUsed.fill(false);

    const TSceneTransform transform = SceneTransform(model, frame);
    ResetState(shaded, cutEdgeDrawn, viewAids);
    BeginScene(frame.Width, frame.Height, transform.Projection);

    // Without the view aids the base disc comes first, as it always did: translucent and
    // writing depth, it then hides what lies behind it.
    if (frame.Display.CS && !viewAids) {
        glLoadMatrixd(transform.Discs.M.data());
        DrawBaseDisc();
    }
    glLoadMatrixd(transform.Model.M.data());
    OffsetFaces = viewAids;
    if (surface.SurfaceSorted && frame.Display.Faces) {
        DrawPolygons(surface.FrontPolygons, 1, shaded, kFront);
        DrawPolygons(surface.BackPolygons, 2, shaded, kBack);
        DrawPolygons(surface.OtherPolygons, 0, shaded, kOther);
    } else {
        DrawPolygons(surface.Polygons, 0, shaded, kAll);
    }
    if (cutEdgeDrawn) {
        const auto [first, last] = frame.SelectedRange;
        if (frame.ShowSelection) {
            DrawCutEdge(model.SelectCutEdge, first, last, -1, frame.SegmentColours);
        } else {
            DrawCutEdge(model.CutEdge, first, last, model.WorkingCS.FeedPlan.HCE,
                        frame.SegmentColours);
            DrawHighlightedEdge(model.CutEdge, frame.HighlightedEdge);
        }
    }

    // The translucent discs after everything opaque, tested against its depth but not
    // writing their own, so each shows whatever lies behind it.
    glLoadMatrixd(transform.Discs.M.data());
    if (viewAids) {
        glDepthMask(GL_FALSE);
        if (frame.Display.CS) {
            DrawBaseDisc();
        }
    }
    // The working plane shows while the panel edits it, whatever the toggle says.
    if (frame.Display.FeedPlan || frame.Editing == TPanelEdit::WorkingPlane) {
        DrawFeedPlan(model, editing);
    }
    if (model.CurrentCS == model::kDSK) {
        DrawSectionPlane(model, editing);
    }
    if (frame.Display.CS) {
        DrawSideDisc();
    }
    glDepthMask(GL_TRUE);
    if (viewAids) {
        DrawAxisTriad(transform.Turns, frame.Width, frame.Height);
        glEnable(GL_LIGHTING);
    }
    glLoadIdentity();

    // A list that is not drawn any more (the unsorted one after sorting, or the reverse)
    // gives its memory back; a million triangles take 72 MB of floats.
    for (std::size_t slot = 0; slot < Arrays.size(); ++slot) {
        if (PolygonPath == TPolygonPath::VertexArrays && !SlotUsed[slot]) {
            Arrays[slot].Clear();
        }
    }
}

void TSceneRenderer::DrawPolygons(const model::TSurface& list, int kind, bool shaded,
                                  TListSlot slot) {
    glLineWidth(1.0f);
    if (shaded) {
        glEnable(GL_LIGHTING);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    } else {
        glColor3f(0.1f, 0.1f, 0.2f);
        glDisable(GL_LIGHTING);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    }
    SetMaterial(kind);
    if (OffsetFaces) {
        // Faces a little farther than they are, so that lines on them (the cutting edge
        // along their boundary) and discs in their planes win the depth test everywhere.
        glEnable(shaded ? GL_POLYGON_OFFSET_FILL : GL_POLYGON_OFFSET_LINE);
        // Wide lines take their depth from their middle: the offset covers the slope of
        // the face over half the line's width and more.
        glPolygonOffset(kEdgeWidth / 2 + 1.0f, 2.0f);
    }
    if (CullAllPolygons) {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT_AND_BACK);
    }
    DrawPolygonList(list, slot);
    glDisable(GL_CULL_FACE);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_POLYGON_OFFSET_LINE);
}

void TSceneRenderer::DrawPolygonList(const model::TSurface& list, TListSlot slot) {
    if (PolygonPath == TPolygonPath::BeginEnd) {
        DrawPolygonsOneByOne(list);
        return;
    }

    TPolygonArray& array = Arrays[slot];
    SlotUsed[slot] = true;
    if (!array.Matches(list)) {
        try {
            array.Build(list, UseBufferObjects);
        } catch (const std::bad_alloc&) {
            // No room for the float copy of a huge list: the same picture, drawn slower,
            // rather than an exception out of the paint event.
            array.Clear();
            DrawPolygonsOneByOne(list);
            return;
        }
    }
    if (array.VertexCount == 0) {
        return;
    }
    QOpenGLFunctions* gl = array.Buffer != 0 ? BufferFunctions() : nullptr;
    if (array.Buffer != 0 && gl == nullptr) {
        return;  // cannot happen while the context that made the buffer is current
    }
    // With buffers bound the pointers are byte offsets into them, made from integers:
    // arithmetic on a null pointer is not allowed.
    const std::uintptr_t floats =
        gl != nullptr ? 0 : reinterpret_cast<std::uintptr_t>(array.Floats.get());
    const std::uintptr_t indices =
        gl != nullptr ? 0 : reinterpret_cast<std::uintptr_t>(array.Indices.get());
    if (gl != nullptr) {
        gl->glBindBuffer(GL_ARRAY_BUFFER, array.Buffer);
        if (array.IndexCount > 0) {
            gl->glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, array.IndexBuffer);
        }
    }
    constexpr std::size_t vertexBytes = kFloatsPerVertex * sizeof(float);
    constexpr GLsizei stride = static_cast<GLsizei>(vertexBytes);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    if (array.IndexCount > 0) {
        glNormalPointer(GL_FLOAT, stride, reinterpret_cast<const void*>(floats));
        glVertexPointer(3, GL_FLOAT, stride,
                        reinterpret_cast<const void*>(floats + 3 * sizeof(float)));
        for (std::size_t start = 0; start < array.IndexCount; start += kMaxDrawVertices) {
            glDrawElements(
                GL_TRIANGLES,
                static_cast<GLsizei>(std::min(kMaxDrawVertices, array.IndexCount - start)),
                GL_UNSIGNED_INT,
                reinterpret_cast<const void*>(indices + start * sizeof(std::uint32_t)));
        }
    } else {
        for (std::size_t start = 0; start < array.VertexCount; start += kMaxDrawVertices) {
            const std::uintptr_t normals = floats + start * vertexBytes;
            glNormalPointer(GL_FLOAT, stride, reinterpret_cast<const void*>(normals));
            glVertexPointer(3, GL_FLOAT, stride,
                            reinterpret_cast<const void*>(normals + 3 * sizeof(float)));
            glDrawArrays(
                GL_TRIANGLES, 0,
                static_cast<GLsizei>(std::min(kMaxDrawVertices, array.VertexCount - start)));
        }
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    if (gl != nullptr) {
        gl->glBindBuffer(GL_ARRAY_BUFFER, 0);
        gl->glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
}

void TSceneRenderer::DrawCutEdge(const model::TCutEdgeData& list, int first, int last, int main,
                                 const std::vector<std::uint32_t>* colours) {
    glDisable(GL_LIGHTING);
    glLineWidth(kEdgeWidth);
    for (const model::TSegment& segment : list) {
        // Wide arithmetic: a Number read from a file may be any 32-bit value.
        const long long k = static_cast<long long>(segment.Number) - 1;
        glColor3f(0.9f, 0.9f, 0.3f);
        if (colours != nullptr && k >= 0 && static_cast<std::size_t>(k) < colours->size()) {
            if (const std::uint32_t c = (*colours)[static_cast<std::size_t>(k)];
                (c >> 24) == 0xFF) {
                glColor3ub(static_cast<GLubyte>(c >> 16), static_cast<GLubyte>(c >> 8),
                           static_cast<GLubyte>(c));
            }
        }
        if (first <= k && k <= last) {
            glColor3f(1.0f, 0.5f, 0.8f);
        }
        if (k == main) {
            glColor3f(0.25f, 1.0f, 0.4f);
        }
        glBegin(GL_LINES);
        Vertex(segment.Point1);
        Vertex(segment.Point2);
        glEnd();
    }
    glEnable(GL_LIGHTING);
}

void TSceneRenderer::DrawHighlightedEdge(const model::TCutEdgeData& list,
                                         std::pair<int, int> edge) {
    const auto [first, count] = edge;
    const long long size = static_cast<long long>(list.size());
    if (first < 0 || first >= size || count <= 0) {
        return;
    }
    glDisable(GL_LIGHTING);
    // Drawn over the cutting edge's own lines at the same depth.
    GLint depthFunc = GL_LESS;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    glDepthFunc(GL_LEQUAL);
    // Twice as wide as the cutting edge, so it stands out of it wherever it runs.
    glLineWidth(2.0f * kEdgeWidth);
    glColor3f(kHighlightedEdgeColour[0], kHighlightedEdgeColour[1], kHighlightedEdgeColour[2]);
    glBegin(GL_LINES);
    for (long long i = 0; i < std::min<long long>(count, size); ++i) {
        const model::TSegment& segment = list[static_cast<std::size_t>((first + i) % size)];
        Vertex(segment.Point1);
        Vertex(segment.Point2);
    }
    glEnd();
    glLineWidth(kEdgeWidth);
    glDepthFunc(static_cast<GLenum>(depthFunc));
    glEnable(GL_LIGHTING);
}

void TSceneRenderer::DrawBaseDisc() {
    EnableBlending();
    glPushMatrix();
    glDisable(GL_LIGHTING);
    glColor4f(1.0f, 0.0f, 0.2f, 0.5f);
    gluCylinder(Quadrics[0], kDiscRadius, kDiscRadius, kDiscHeight, 32, 32);
    gluDisk(Quadrics[1], 0.0, kDiscRadius, 32, 1);
    glPopMatrix();
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
}

// The translucent disc of the side, working and section planes: rim and face.
void TSceneRenderer::DrawPlaneDisc() {
    gluCylinder(Quadrics[3], kDiscRadius, kDiscRadius, kDiscHeight, 32, 1);
    gluDisk(Quadrics[2], 0.0, kDiscRadius, 32, 2);
}

void TSceneRenderer::DrawSideDisc() {
    EnableBlending();
    glPushMatrix();
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glDisable(GL_LIGHTING);
    glColor4f(0.8f, 0.8f, 1.0f, 0.5f);
    DrawPlaneDisc();
    glPopMatrix();
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
}

void TSceneRenderer::DrawFeedPlan(const model::TModel& model, bool editing) {
    EnableBlending();
    glDisable(GL_LIGHTING);
    // The static normal is always the accepted one; only the plane follows the panel.
    const TVector3 staticNormal = model.AcceptedCS.SSK.OP;
    const TVector3 planeNormal =
        editing ? model.WorkingCS.FeedPlan.FP : model.AcceptedCS.FeedPlan.FP;
    const TTurn turn = PlaneTurn(staticNormal, planeNormal);

    glPushMatrix();
    glTranslatef(0.0f, 0.2f, 0.4f);
    Rotate(TurnAbout(90.0, staticNormal, staticNormal));
    glColor4f(1.0f, 0.3f, 0.4f, 0.25f);
    Rotate(turn);
    gluCylinder(Quadrics[4], 0.005, 0.012, 0.04, 16, 1);
    gluCylinder(Quadrics[5], 0.005, 0.005, 0.2, 16, 1);
    glPopMatrix();

    glPushMatrix();
    Rotate(turn);
    glColor4f(0.0f, 1.0f, 0.4f, 0.25f);
    DrawPlaneDisc();
    glPopMatrix();

    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
}

void TSceneRenderer::DrawSectionPlane(const model::TModel& model, bool editing) {
    EnableBlending();
    const TVector3 staticNormal = model.AcceptedCS.SSK.OP;
    const TVector3 planeNormal = editing ? model.WorkingCS.DSK.SP : model.AcceptedCS.DSK.SP;
    const TTurn turn = PlaneTurn(staticNormal, planeNormal);
    glPushMatrix();
    Rotate(turn);
    glDisable(GL_LIGHTING);
    glColor4f(0.0f, 1.0f, 1.0f, 0.25f);
    DrawPlaneDisc();
    glPopMatrix();
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
}

}  // namespace tessarin::view
