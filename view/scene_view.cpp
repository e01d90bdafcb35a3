// The document's 3-D view widget: the frame's inputs gathered from the owner, mouse
// navigation, picking, and the drawing handed to TSceneRenderer.
#include "view/scene_view.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <cmath>
#include <string>

#include "base/number_format.h"
#include "model/systems.h"
#include "view/segment_picking.h"
#include "view/view_transform.h"

namespace tessarin::view {

TSceneView::TSceneView(const model::TModel& model, TSceneInputs inputs, QWidget* parent)
    : QOpenGLWidget(parent), Model(model), Inputs(std::move(inputs)) {
    setFormat(SurfaceFormat());
    // A view squeezed to no size at all (the document left behind a maximized one in the
    // window area shrinks to its title bar) lost its picture for good: once shown again
    // the window showed black in its place until the windows were tiled.
    setMinimumSize(32, 32);
    // The keyboard turns and zooms the view once it has been clicked or tabbed to.
    setFocusPolicy(Qt::StrongFocus);
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
    const TModelFit fit = view::FitModel(Model.SurfaceData);
    ModelScale = fit.Scale;
    ModelCentre = fit.Centre;
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
        if (const TColourLegend* legend = Inputs.Legend ? Inputs.Legend() : nullptr) {
            QPainter painter(this);
            DrawColourLegend(painter, rect(), *legend);
        }
    } else {
        TSceneRenderer::PaintBlank();
    }
}

void TSceneView::mousePressEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    LastMouseX = position.x();
    LastMouseY = position.y();
    PressPosition = position;
    Dragged = false;
    MouseHeld = true;
    event->accept();
}

void TSceneView::mouseReleaseEvent(QMouseEvent* event) {
    MouseHeld = false;
    const QPoint position = event->position().toPoint();
    if (event->button() == Qt::LeftButton && rect().contains(position)) {
        ClickPaint = true;
        update();
        if (!Dragged) {
            if (const int index = SegmentAt(position); index >= 0) {
                emit SegmentClicked(index);
            }
        }
    }
    event->accept();
}

void TSceneView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    if (MouseHeld) {
        constexpr int kClickSlack = 3;
        Dragged = Dragged || (position - PressPosition).manhattanLength() > kClickSlack;
        TMouseMode mode = Inputs.MouseMode ? Inputs.MouseMode() : TMouseMode::None;
        // Without a mode button the mouse navigates by itself: the left button turns,
        // the middle one moves in every mode.
        if (event->buttons() & Qt::MiddleButton) {
            mode = TMouseMode::Pan;
        } else if (mode == TMouseMode::None && (event->buttons() & Qt::LeftButton)) {
            mode = TMouseMode::Rotate;
        }
        SetPose(DragView(Pose(), mode, LastMouseX, LastMouseY, position.x(), position.y()));
        // Every move of a drag repaints, whatever the mode.
        update();
    }
    LastMouseX = position.x();
    LastMouseY = position.y();
    event->accept();
}

void TSceneView::wheelEvent(QWheelEvent* event) {
    // One notch (120) enlarges or reduces by a fifth, about the point under the cursor.
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0.0) {
        const QPointF position = event->position();
        const geometry::TVector3 at = ViewPointAt(position.x(), position.y(), width(), height());
        SetPose(ZoomAbout(Pose(), std::pow(1.2, notches), at));
        update();
    }
    event->accept();
}

void TSceneView::keyPressEvent(QKeyEvent* event) {
    constexpr double kStep = 5.0;  // degrees per press of an arrow
    constexpr double kZoomStep = 1.25;
    TViewPose pose = Pose();
    switch (event->key()) {
        case Qt::Key_Left:
            pose.ViewRotation.y -= kStep;
            break;
        case Qt::Key_Right:
            pose.ViewRotation.y += kStep;
            break;
        case Qt::Key_Up:
            pose.ViewRotation.x += kStep;
            break;
        case Qt::Key_Down:
            pose.ViewRotation.x -= kStep;
            break;
        // +/- zoom about the middle of the window.
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            pose = ZoomAbout(pose, kZoomStep, geometry::TVector3{});
            break;
        case Qt::Key_Minus:
            pose = ZoomAbout(pose, 1.0 / kZoomStep, geometry::TVector3{});
            break;
        case Qt::Key_Home:
            // The whole model in sight again, seen from where it is now.
            pose.ViewPan = {};
            pose.ViewZoom = 1.0;
            SetPose(pose);
            FitModel();
            event->accept();
            return;
        default:
            QOpenGLWidget::keyPressEvent(event);
            return;
    }
    SetPose(pose);
    update();
    event->accept();
}

bool TSceneView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = SegmentAt(help->pos());
        if (index >= 0) {
            QToolTip::showText(help->globalPos(), SegmentToolTip(index), this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QOpenGLWidget::event(event);
}

const model::TCutEdgeData* TSceneView::DrawnSegments() const {
    const TDisplayToggles display = Inputs.Display ? Inputs.Display() : TDisplayToggles{};
    if (!Model.CutEdgeExist || !display.CutEdge || !Model.SurfaceData.SurfaceExist) {
        return nullptr;
    }
    const bool selection = Inputs.ShowSelection && Inputs.ShowSelection();
    return selection ? &Model.SelectCutEdge : &Model.CutEdge;
}

int TSceneView::SegmentAt(QPoint position) const {
    const model::TCutEdgeData* list = DrawnSegments();
    if (list == nullptr) {
        return -1;
    }
    const qreal ratio = devicePixelRatioF();
    return PickSegment(*list, SceneTransform(Model, Frame()), position.x() * ratio,
                       position.y() * ratio, kPickRadius * ratio);
}

QString TSceneView::SegmentToolTip(int index) const {
    const model::TCutEdgeData* list = DrawnSegments();
    if (list == nullptr || index < 0 || static_cast<std::size_t>(index) >= list->size()) {
        return {};
    }
    const model::TSegment& segment = (*list)[static_cast<std::size_t>(index)];
    const int accuracy = Model.GetAccuracy();
    const char separator = Model.DecimalSeparator;
    auto number = [&](double value) {
        return QString::fromStdString(base::FloatToStrAcc(accuracy, value, separator)) +
               QChar(0x00B0);
    };
    QString text = QStringLiteral("Отрезок %1\nПолярный угол %2")
                       .arg(segment.Number)
                       .arg(number(segment.Polar));
    for (int system = 0; system < model::kSystemCount; ++system) {
        if (!Model.DefinedAngles[static_cast<std::size_t>(system)]) {
            continue;
        }
        const model::TSystemInfo& info = model::SystemInfo(system);
        const auto angles = model::SegmentAngles(segment, system);
        QStringList parts;
        for (int angle = 0; angle < info.AngleCount; ++angle) {
            parts.append(
                QString::fromUtf8(model::kAngles[static_cast<std::size_t>(angle)].TitleWord) +
                QLatin1Char(' ') + number(angles[static_cast<std::size_t>(angle)]));
        }
        text += QStringLiteral("\n") + QString::fromUtf8(info.Caption) + QStringLiteral(": ") +
                parts.join(QStringLiteral(", "));
    }
    return text;
}

TSceneFrame TSceneView::Frame() const {
    TSceneFrame frame;
    const qreal ratio = devicePixelRatioF();
    frame.Width = static_cast<int>(std::lround(width() * ratio));
    frame.Height = static_cast<int>(std::lround(height() * ratio));
    if (Inputs.Display) {
        frame.Display = Inputs.Display();
    }
    if (Inputs.Editing) {
        frame.Editing = Inputs.Editing();
    }
    frame.ShowSelection = Inputs.ShowSelection && Inputs.ShowSelection();
    if (Inputs.SelectedSegmentRange) {
        frame.SelectedRange = Inputs.SelectedSegmentRange();
    }
    if (Inputs.SegmentColours) {
        frame.SegmentColours = Inputs.SegmentColours();
    }
    if (Inputs.HighlightedEdge) {
        frame.HighlightedEdge = Inputs.HighlightedEdge();
    }
    frame.ViewPan = ViewPan;
    frame.ViewRotation = ViewRotation;
    frame.ViewZoom = ViewZoom;
    frame.ModelScale = ModelScale;
    frame.ModelCentre = ModelCentre;
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
