// The 3-D view of one document: fixed-function OpenGL 1.1 + GLU drawing of the model,
// its surfaces, the cutting edge, the coordinate-system discs and the working plane, and
// mouse navigation (rotate, pan, zoom, rotate about Z, seven standard views).
//
// The view reads everything it draws at every frame through TSceneInputs, so the
// document and the main window keep the state and the view never caches the model.
#pragma once

#include <QOpenGLWidget>

#include <functional>
#include <utility>

#include "geometry/vector3.h"
#include "model/model.h"

namespace tessarin::view {

// The main window's application-wide display toggles (one state for all documents).
struct TDisplayToggles {
    bool Faces = true;      // "Отображать поверхности": colour polygons by class
    bool CutEdge = true;    // "Отображать РК"
    bool Shaded = true;     // "Тонирование" down; false: "Каркас"
    bool CS = false;        // "Отображать СК"
    bool FeedPlan = false;  // "Отображать рабочую плоскость"
};

enum class TMouseMode { None, Rotate, Pan, Zoom, RotateZ };

// What the view asks its owner at every frame or mouse move. Unset functions read as
// defaults (default toggles, no editing, no selection shown, no rows chosen, no mode).
struct TSceneInputs {
    std::function<TDisplayToggles()> Display;
    std::function<bool()> Editing;        // the parameter panel is open: draw WorkingCS
    std::function<bool()> ShowSelection;  // draw SelectCutEdge instead of CutEdge
    // First and last cutting-edge index of the table rows chosen; (-1, -1) for none.
    std::function<std::pair<int, int>()> SelectedSegmentRange;
    std::function<TMouseMode()> MouseMode;
};

class TSceneView : public QOpenGLWidget {
    Q_OBJECT

public:
    TSceneView(const model::TModel& model, TSceneInputs inputs, QWidget* parent = nullptr);
    ~TSceneView() override;

    // View state. ModelScale is 0 until FitModel.
    geometry::TVector3 ViewPan;
    geometry::TVector3 ViewRotation;  // degrees about X, Y, Z
    double ViewZoom = 1.0;
    double ModelScale = 0.0;

    // Sets ModelScale from the model's bounding box after an STL import or a project
    // read: 0.6 / Xmax when Xmax > Ymax, else 0.6 / Ymax.
    void FitModel();

    // View 0..6: front, back, top, bottom, left, right, isometric. Any number resets pan
    // and zoom; numbers outside 0..6 change no angle. Repaints.
    void SetStandardView(int view);

    // The frame as an image (for "Сохранить изображение..." and the tests).
    QImage GrabScene();

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    struct TImpl;
    const model::TModel& Model;
    TSceneInputs Inputs;
    bool MouseHeld = false;
    int LastMouseX = 0;
    int LastMouseY = 0;
};

}  // namespace tessarin::view
