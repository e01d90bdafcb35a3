// The 3-D view of one document: fixed-function OpenGL 1.1 + GLU drawing of the model,
// its surfaces, the cutting edge, the coordinate-system discs and the working plane, and
// navigation (the toolbar's modes, the wheel, the middle button, the keyboard, seven
// standard views), and picking a cutting-edge segment with the mouse.
//
// The view reads everything it draws at every frame through TSceneInputs and the model,
// so the document and the main window keep the state. The only thing kept between frames
// is a float copy of the polygon lists for OpenGL, which follows the lists by itself
// (see TSceneRenderer::InvalidateGeometry).
#pragma once

#include <QOpenGLWidget>
#include <QSurfaceFormat>

#include <functional>
#include <utility>

#include "geometry/vector3.h"
#include "model/model.h"
#include "view/colour_legend.h"
#include "view/scene_renderer.h"
#include "view/view_navigation.h"

namespace tessarin::view {

// What the view asks its owner at every frame or mouse move. Unset functions read as
// defaults (default toggles, no editing, no selection shown, no rows chosen, no mode).
struct TSceneInputs {
    std::function<TDisplayToggles()> Display;
    std::function<TPanelEdit()> Editing;  // what the parameter panel edits
    std::function<bool()> ShowSelection;  // draw SelectCutEdge instead of CutEdge
    // First and last cutting-edge index of the table rows chosen; (-1, -1) for none.
    std::function<std::pair<int, int>()> SelectedSegmentRange;
    std::function<TMouseMode()> MouseMode;
    // The cutting edge's own colours (TSceneFrame::SegmentColours); null for none.
    std::function<const std::vector<std::uint32_t>*()> SegmentColours;
    // The colour map's legend drawn over the top-right corner; null for none.
    std::function<const TColourLegend*()> Legend;
    // The edge chosen in the edge summary (TSceneFrame::HighlightedEdge); none when unset.
    std::function<std::pair<int, int>()> HighlightedEdge;
};

class TSceneView : public QOpenGLWidget {
    Q_OBJECT

public:
    TSceneView(const model::TModel& model, TSceneInputs inputs, QWidget* parent = nullptr);
    ~TSceneView() override;

    // The context the view asks for: OpenGL 2.1 with the compatibility profile (the
    // fixed-function pipeline), a depth buffer and double buffering. The program may also
    // make it the application's default format before creating any window.
    static QSurfaceFormat SurfaceFormat();

    // View state. ModelScale is 0 until FitModel. Changing a field directly needs
    // update() for the picture to follow.
    geometry::TVector3 ViewPan;
    geometry::TVector3 ViewRotation;  // degrees about X, Y, Z
    double ViewZoom = 1.0;
    double ModelScale = 0.0;
    geometry::TVector3 ModelCentre;  // shown at the view's origin (before pan)

    // Sets ModelScale and ModelCentre from the model's bounding box after an STL import
    // or a project read (view_navigation.h: FitModel), so that the whole model is in
    // sight with a margin in every standard view. Repaints.
    void FitModel();

    // View 0..6: front, back, top, bottom, left, right, isometric. Any number resets pan
    // and zoom; numbers outside 0..6 change no angle. Repaints.
    void SetStandardView(int view);

    // The frame as an image (for "Сохранить изображение..." and the tests).
    QImage GrabScene();

    // For a caller that edits polygons in place (see TSceneRenderer). Repaints.
    void InvalidateGeometry();

    // How the polygons reach OpenGL (the benchmark compares the two).
    void SetPolygonPath(TPolygonPath path);

    // The index of the segment drawn under the widget point `position` (logical pixels)
    // within a few pixels, in the list the view draws (SelectCutEdge while the selection
    // is shown, else CutEdge); -1 for none or when no cutting edge is drawn.
    int SegmentAt(QPoint position) const;
    // The hover text of segment `index` of that list: its number, polar angle and the
    // angles of every system computed, as the table writes them.
    QString SegmentToolTip(int index) const;

    // What the next frame reads besides the model: the inputs asked afresh, the view state.
    TSceneFrame Frame() const;

signals:
    // A click (press and release of the left button without a drag) on a drawn segment:
    // its index in the list the view draws, which is the table's row.
    void SegmentClicked(int index);

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Releases the renderer's objects with the widget's context current.
    void ReleaseRenderer();
    TViewPose Pose() const;
    void SetPose(const TViewPose& pose);
    // The list of segments drawn, or null when no cutting edge is.
    const model::TCutEdgeData* DrawnSegments() const;

    const model::TModel& Model;
    TSceneInputs Inputs;
    TSceneRenderer Renderer;
    bool MouseHeld = false;
    int LastMouseX = 0;
    int LastMouseY = 0;
    QPoint PressPosition;
    bool Dragged = false;  // the held button moved the mouse farther than a click may
    // A click draws the scene even without a loaded model, until the next repaint.
    bool ClickPaint = false;
};

}  // namespace tessarin::view
