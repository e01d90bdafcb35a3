// The "Вид" menu and toolbar: the navigation modes of the 3-D views, shading or wire
// frame, the standard views, the display toggles shared by all documents and the
// view's image saved to a file.
#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "shell/main_window.h"

namespace tessarin::shell {

namespace {

const QString kSaveError = QStringLiteral("Ошибка при сохранении файла");

}  // namespace

using document::TMDIChild;

// The standard views' numbers are the view's: 0 front, 1 back, 2 top, 3 bottom,
// 4 left, 5 right, 6 isometric; the menu lists left and right before top and bottom.
std::vector<TCommand> TMainForm::ViewCommands() {
    return {
        {.Action = &TMainForm::ButtonRotate,
         .Name = "ButtonRotate",
         .Caption = "Вращать",
         .Run = [](TMainForm& form) { form.NavigationModeClicked(form.ButtonRotate); },
         .Enabling = {TCommandKind::View, &TCommandContext::Loaded},
         .Checkable = true,
         .WhileBusy = true},
        {.Action = &TMainForm::ButtonPan,
         .Name = "ButtonPan",
         .Caption = "Двигать",
         .Run = [](TMainForm& form) { form.NavigationModeClicked(form.ButtonPan); },
         .Enabling = {TCommandKind::View, &TCommandContext::Loaded},
         .Checkable = true,
         .WhileBusy = true},
        {.Action = &TMainForm::ButtonZoom,
         .Name = "ButtonZoom",
         .Caption = "Увеличить/уменьшить",
         .Run = [](TMainForm& form) { form.NavigationModeClicked(form.ButtonZoom); },
         .Enabling = {TCommandKind::View, &TCommandContext::Loaded},
         .Checkable = true,
         .WhileBusy = true},
        {.Action = &TMainForm::ButtonRotateZ,
         .Name = "ButtonRotateZ",
         .Caption = "Вращать вокруг Z",
         .Run = [](TMainForm& form) { form.NavigationModeClicked(form.ButtonRotateZ); },
         .Enabling = {TCommandKind::View, &TCommandContext::Loaded},
         .Checkable = true,
         .WhileBusy = true},
        {.Action = &TMainForm::ButtonViewShaded,
         .Name = "ButtonViewShaded",
         .Caption = "Тонирование",
         .Run = &TMainForm::RepaintDocuments,
         .Enabling = {TCommandKind::View, &TCommandContext::Loaded},
         .Checkable = true,
         .Checked = true,
         .WhileBusy = true},
        {.Action = &TMainForm::ButtonViewKarkas,
         .Name = "ButtonViewKarkas",
         .Caption = "Каркас",
         .Run = &TMainForm::RepaintDocuments,
         .Enabling = {TCommandKind::View, &TCommandContext::Loaded},
         .Checkable = true,
         .WhileBusy = true},
        {.Action = &TMainForm::ButtonViewFront,
         .Name = "ButtonViewFront",
         .Caption = "Вид спереди",
         .Run = [](TMainForm& form) { form.ShowStandardView(0); },
         .Enabling = {TCommandKind::View, &TCommandContext::Loaded}},
        {.Action = &TMainForm::ButtonViewBack,
         .Name = "ButtonViewBack",
         .Caption = "Вид сзади",
         .Run = [](TMainForm& form) { form.ShowStandardView(1); },
         .Enabling = {TCommandKind::View, &TCommandContext::Loaded}},
        {.Action = &TMainForm::ButtonViewLeft,
         .Name = "ButtonViewLeft",
         .Caption = "Вид слева",
         .Run = [](TMainForm& form) { form.ShowStandardView(4); },
         .Enabling = {TCommandKind::View, &TCommandContext::Loaded}},
        {.Action = &TMainForm::ButtonViewRight,
         .Name = "ButtonViewRight",
         .Caption = "Вид справа",
         .Run = [](TMainForm& form) { form.ShowStandardView(5); },
         .Enabling = {TCommandKind::View, &TCommandContext::Loaded}},
        {.Action = &TMainForm::ButtonViewTop,
         .Name = "ButtonViewTop",
         .Caption = "Вид сверху",
         .Run = [](TMainForm& form) { form.ShowStandardView(2); },
         .Enabling = {TCommandKind::View, &TCommandContext::Loaded}},
        {.Action = &TMainForm::ButtonViewBottom,
         .Name = "ButtonViewBottom",
         .Caption = "Вид снизу",
         .Run = [](TMainForm& form) { form.ShowStandardView(3); },
         .Enabling = {TCommandKind::View, &TCommandContext::Loaded}},
        {.Action = &TMainForm::ButtonViewIso,
         .Name = "ButtonViewIso",
         .Caption = "Изо",
         .Run = [](TMainForm& form) { form.ShowStandardView(6); },
         .Enabling = {TCommandKind::View, &TCommandContext::Loaded}},
        {.Action = &TMainForm::ButtonViewFaces,
         .Name = "ButtonViewFaces",
         .Caption = "Отображать поверхности",
         .Run = &TMainForm::RepaintDocuments,
         .Enabling = {TCommandKind::View, &TCommandContext::FacesShown},
         .Checkable = true,
         .Checked = true,
         .WhileBusy = true},
        {.Action = &TMainForm::ButtonViewCutEdge,
         .Name = "ButtonViewCutEdge",
         .Caption = "Отображать РК",
         .Run = &TMainForm::RepaintDocuments,
         .Enabling = {TCommandKind::View, &TCommandContext::CutEdge},
         .Checkable = true,
         .Checked = true,
         .WhileBusy = true},
        {.Action = &TMainForm::ButtonViewCS,
         .Name = "ButtonViewCS",
         .Caption = "Отображать СК",
         .Run = &TMainForm::RepaintDocuments,
         .Enabling = {TCommandKind::View, &TCommandContext::Loaded},
         .Checkable = true,
         .WhileBusy = true},
        {.Action = &TMainForm::ButtonViewFeedPlan,
         .Name = "ButtonViewFeedPlan",
         .Caption = "Отображать рабочую плоскость",
         .Run = &TMainForm::RepaintDocuments,
         .Enabling = {TCommandKind::View, &TCommandContext::FeedPlanShown},
         .Checkable = true,
         .WhileBusy = true},
        {.Action = &TMainForm::ButtonSaveImage,
         .Name = "ButtonSaveImage",
         .Caption = "Сохранить изображение...",
         .Hint = "Сохранить изображение",
         .Run = &TMainForm::ButtonSaveImageClick,
         .Enabling = {TCommandKind::View, &TCommandContext::Loaded}},
        {.Action = &TMainForm::ButtonColourMap,
         .Name = "ButtonColourMap",
         .Caption = "Цветовая карта...",
         .Hint = "Цветовая карта",
         .Run = &TMainForm::ButtonColourMapClick,
         .Enabling = {TCommandKind::View, &TCommandContext::AnglesComputed}},
    };
}

void TMainForm::CreateViewMenu() {
    // Shading and wire frame are a radio pair: the down button stays down when clicked.
    auto* shading = new QActionGroup(this);
    shading->setExclusive(true);
    shading->addAction(ButtonViewShaded);
    shading->addAction(ButtonViewKarkas);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&Вид"));
    view->setObjectName(QStringLiteral("MenuView"));
    view->addAction(ButtonRotate);
    view->addAction(ButtonPan);
    view->addAction(ButtonZoom);
    view->addAction(ButtonRotateZ);
    view->addSeparator();
    view->addAction(ButtonViewShaded);
    view->addAction(ButtonViewKarkas);
    QMenu* standard = view->addMenu(QStringLiteral("Стандартные виды"));
    standard->setObjectName(QStringLiteral("MenuStandardViews"));
    standard->addAction(ButtonViewFront);
    standard->addAction(ButtonViewBack);
    standard->addAction(ButtonViewLeft);
    standard->addAction(ButtonViewRight);
    standard->addAction(ButtonViewTop);
    standard->addAction(ButtonViewBottom);
    standard->addSeparator();
    standard->addAction(ButtonViewIso);
    view->addSeparator();
    view->addAction(ButtonViewFaces);
    view->addAction(ButtonViewCutEdge);
    view->addAction(ButtonViewCS);
    view->addAction(ButtonViewFeedPlan);
    view->addAction(ButtonColourMap);
    view->addSeparator();
    view->addAction(ButtonSaveImage);
}

void TMainForm::ButtonColourMapClick() {
    if (TMDIChild* document = ActiveDocument(); document != nullptr) {
        document->ChooseColourMap();
    }
    UpdateCommandStates();
}

void TMainForm::CreateViewToolBar() {
    ToolBarView = addToolBar(QStringLiteral("Вид"));
    ToolBarView->setObjectName(QStringLiteral("ToolBarView"));
    for (QAction* action : {ButtonRotate, ButtonPan, ButtonZoom, ButtonRotateZ}) {
        ToolBarView->addAction(action);
    }
    ToolBarView->addSeparator();
    ToolBarView->addAction(ButtonViewShaded);
    ToolBarView->addAction(ButtonViewKarkas);
    ToolBarView->addSeparator();
    for (QAction* action : {ButtonViewFront, ButtonViewBack, ButtonViewLeft, ButtonViewRight,
                            ButtonViewTop, ButtonViewBottom, ButtonViewIso}) {
        ToolBarView->addAction(action);
    }
    ToolBarView->addSeparator();
    for (QAction* action : {ButtonViewFaces, ButtonViewCutEdge, ButtonViewCS, ButtonViewFeedPlan}) {
        ToolBarView->addAction(action);
    }
}

void TMainForm::ShowStandardView(int view) {
    if (TMDIChild* document = ActiveDocument(); document != nullptr) {
        document->View().SetStandardView(view);
    }
}

void TMainForm::NavigationModeClicked(QAction* clicked) {
    if (!clicked->isChecked()) {
        return;  // a down button clicked again: no mode
    }
    for (QAction* mode : {ButtonRotate, ButtonPan, ButtonZoom, ButtonRotateZ}) {
        if (mode != clicked) {
            mode->setChecked(false);
        }
    }
}

view::TDisplayToggles TMainForm::DisplayToggles() const {
    view::TDisplayToggles toggles;
    toggles.Faces = ButtonViewFaces->isChecked();
    toggles.CutEdge = ButtonViewCutEdge->isChecked();
    toggles.Shaded = ButtonViewShaded->isChecked();
    toggles.CS = ButtonViewCS->isChecked();
    toggles.FeedPlan = ButtonViewFeedPlan->isChecked();
    return toggles;
}

view::TMouseMode TMainForm::MouseMode() const {
    // Later tests override earlier ones; the buttons exclude each other anyway.
    view::TMouseMode mode = view::TMouseMode::None;
    if (ButtonRotate->isChecked()) {
        mode = view::TMouseMode::Rotate;
    }
    if (ButtonPan->isChecked()) {
        mode = view::TMouseMode::Pan;
    }
    if (ButtonZoom->isChecked()) {
        mode = view::TMouseMode::Zoom;
    }
    if (ButtonRotateZ->isChecked()) {
        mode = view::TMouseMode::RotateZ;
    }
    return mode;
}

void TMainForm::RepaintDocuments() {
    // The display toggles are one state for all documents; tiled windows show it too.
    for (const TDocumentSlot& slot : DocumentSlots) {
        if (slot.Alive()) {
            slot.Window->FormPaint();
        }
    }
}

void TMainForm::ButtonSaveImageClick() {
    TMDIChild* document = ActiveDocument();
    if (document == nullptr) {
        return;
    }
    QString proposed = QFileInfo(document->FileName).completeBaseName() + QStringLiteral(".png");
    if (const QString folder = DialogFolder(); !folder.isEmpty()) {
        proposed = QDir(folder).filePath(proposed);
    }
    const QString name =
        DialogService.SaveFileName(this, QStringLiteral("Сохранить изображение"),
                                   QStringLiteral("Изображения PNG (*.png)"), proposed);
    if (name.isEmpty()) {
        return;
    }
    const QImage image = document->View().GrabScene();
    if (image.isNull() || !image.save(name, "PNG")) {
        DialogService.Error(this, kSaveError,
                            QStringLiteral("cannot write the image %1").arg(name));
    }
}

}  // namespace tessarin::shell
