// The document's 3-D view widget: the frame's inputs gathered from the owner, mouse
// navigation, and the drawing handed to TSceneRenderer.
#include "view/scene_view.h"

#include <QMouseEvent>
#include <QOpenGLContext>

#include <cmath>

namespace tessarin::view {

TSceneView::TSceneView(const model::TModel& model, TSceneInputs inputs, QWidget* parent)
    : QOpenGLWidget(parent), Model(model), Inputs(std::move(inputs)) {
    setFormat(SurfaceFormat());
}

TSceneView::~TSceneView() {
    ReleaseRenderer();
    // The base class destroys the context, whose last signal must not reach the part of
    // this object that is already gone.
    if (QOpenGLContext* glContext = context()) {
        disconnect(glContext, nullptr, this, nullptr);
    }
}

void TSceneView::ReleaseRenderer() {
    // The polygon buffers belong to the context; the quadrics and client arrays do not.
    const bool current = Renderer.HoldsBuffers() && context() != nullptr;
    if (current) {
        makeCurrent();
    }
    Renderer.Release();
    if (current) {
        doneCurrent();
    }
}

QSurfaceFormat TSceneView::SurfaceFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setDepthBufferSize(24);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    return format;
}

void TSceneView::FitModel() {
    ModelScale = FitModelScale(Model.SurfaceData);
    update();
}

void TSceneView::SetStandardView(int view) {
    SetPose(StandardView(Pose(), view));
    update();
}

QImage TSceneView::GrabScene() {
    return grabFramebuffer();
}

void TSceneView::InvalidateGeometry() {
    Renderer.InvalidateGeometry();
    update();
}

void TSceneView::SetPolygonPath(TPolygonPath path) {
    Renderer.PolygonPath = path;
    update();
}

void TSceneView::initializeGL() {
    // The widget gets a new context when it moves to another top-level window; the old
    // one takes the renderer's buffers with it.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &TSceneView::ReleaseRenderer,
            Qt::UniqueConnection);
    Renderer.Initialize();
}

void TSceneView::resizeGL(int /*width*/, int /*height*/) {
    // The viewport is set at every frame from the widget's size.
}

void TSceneView::paintGL() {
    // Without a model the window shows its white background; a click draws the scene
    // anyway, with whatever the toggles ask for.
    const bool draw = Model.SurfaceData.SurfaceExist || ClickPaint;
    ClickPaint = false;
    if (draw) {
        Renderer.PaintScene(Model, Frame());
    } else {
        TSceneRenderer::PaintBlank();
    }
}

void TSceneView::mousePressEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    LastMouseX = position.x();
    LastMouseY = position.y();
    MouseHeld = true;
    event->accept();
}

void TSceneView::mouseReleaseEvent(QMouseEvent* event) {
    MouseHeld = false;
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        ClickPaint = true;
        update();
    }
    event->accept();
}

void TSceneView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    if (MouseHeld) {
        const TMouseMode mode = Inputs.MouseMode ? Inputs.MouseMode() : TMouseMode::None;
        SetPose(DragView(Pose(), mode, LastMouseX, LastMouseY, position.x(), position.y()));
        // Every move of a drag repaints, whatever the mode.
        update();
    }
    LastMouseX = position.x();
    LastMouseY = position.y();
    event->accept();
}

TSceneFrame TSceneView::Frame() const {
    TSceneFrame frame;
    const qreal ratio = devicePixelRatioF();
    frame.Width = static_cast<int>(std::lround(width() * ratio));
    frame.Height = static_cast<int>(std::lround(height() * ratio));
    if (Inputs.Display) {
        frame.Display = Inputs.Display();
    }
    frame.Editing = Inputs.Editing && Inputs.Editing();
    frame.ShowSelection = Inputs.ShowSelection && Inputs.ShowSelection();
    if (Inputs.SelectedSegmentRange) {
        frame.SelectedRange = Inputs.SelectedSegmentRange();
    }
    frame.ViewPan = ViewPan;
    frame.ViewRotation = ViewRotation;
    frame.ViewZoom = ViewZoom;
    frame.ModelScale = ModelScale;
    return frame;
}

TViewPose TSceneView::Pose() const {
    return TViewPose{ViewPan, ViewRotation, ViewZoom};
}

void TSceneView::SetPose(const TViewPose& pose) {
    ViewPan = pose.ViewPan;
    ViewRotation = pose.ViewRotation;
    ViewZoom = pose.ViewZoom;
}

}  // namespace tessarin::view
