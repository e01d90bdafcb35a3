// The "Геометрия" menu and toolbar: the analysis road from the sorted surfaces to the
// cutting edge and the selection, and the removals that take it back.
#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "shell/main_window.h"
#include "shell/select_dialog.h"
#include "shell/smart_gauge.h"

namespace tessarin::shell {

using document::TMDIChild;

std::vector<TCommand> TMainForm::GeometryCommands() {
    return {
        {.Action = &TMainForm::ButtonSortFaces,
         .Name = "ButtonSortFaces",
         .Caption = "Определить поверхности",
         .Run = &TMainForm::ButtonSortFacesClick,
         .Enabling = {TCommandKind::Geometry, &TCommandContext::Loaded}},
        {.Action = &TMainForm::ButtonCutEdge,
         .Name = "ButtonCutEdge",
         .Caption = "Определить режущую кромку",
         .Run = &TMainForm::ButtonCutEdgeClick,
         .Enabling = {TCommandKind::Geometry, &TCommandContext::Sorted}},
        {.Action = &TMainForm::ButtonDiscardCutEdge,
         .Name = "ButtonDiscardCutEdge",
         .Caption = "Отбросить отрезки РК",
         .Run = &TMainForm::ButtonDiscardCutEdgeClick,
         .Enabling = {TCommandKind::Geometry, &TCommandContext::CutEdge}},
        {.Action = &TMainForm::ButtonSelection,
         .Name = "ButtonSelection",
         .Caption = "Выборка",
         .Run = &TMainForm::ButtonSelectionClick,
         .Enabling = {TCommandKind::Geometry, &TCommandContext::AnglesComputed}},
        {.Action = &TMainForm::ButtonRemoveSortFaces,
         .Name = "ButtonRemoveSortFaces",
         .Caption = "Удалить сортировку поверхностей",
         .Run = &TMainForm::ButtonRemoveSortFacesClick,
         .Enabling = {TCommandKind::Geometry, &TCommandContext::Sorted}},
        {.Action = &TMainForm::ButtonRemoveCE,
         .Name = "ButtonRemoveCE",
         .Caption = "Удалить РК",
         .Run = &TMainForm::ButtonRemoveCEClick,
         .Enabling = {TCommandKind::Geometry, &TCommandContext::CutEdge}},
        {.Action = &TMainForm::ButtonRemoveSelect,
         .Name = "ButtonRemoveSelect",
         .Caption = "Удалить выборку",
         .Run = &TMainForm::ButtonRemoveSelectClick,
         .Enabling = {TCommandKind::Geometry, &TCommandContext::SelectionMade}},
        {.Action = &TMainForm::ButtonTransformModel,
         .Name = "ButtonTransformModel",
         .Caption = "Преобразовать модель...",
         .Hint = "Преобразовать модель",
         .Run = &TMainForm::ButtonTransformModelClick,
         .Enabling = {TCommandKind::Geometry, &TCommandContext::Loaded}},
        {.Action = &TMainForm::ButtonTolerances,
         .Name = "ButtonTolerances",
         .Caption = "Допуски...",
         .Hint = "Допуски",
         .Run = &TMainForm::ButtonTolerancesClick,
         .Enabling = {TCommandKind::Geometry, &TCommandContext::AnglesComputed}},
    };
}

void TMainForm::CreateGeometryMenu() {
    QMenu* geometry = menuBar()->addMenu(QStringLiteral("&Геометрия"));
    geometry->setObjectName(QStringLiteral("MenuGeometry"));
    geometry->addAction(ButtonSortFaces);
    geometry->addAction(ButtonCutEdge);
    geometry->addSeparator();
    geometry->addAction(ButtonDiscardCutEdge);
    geometry->addAction(ButtonSelection);
    geometry->addSeparator();
    geometry->addAction(ButtonRemoveSortFaces);
    geometry->addAction(ButtonRemoveCE);
    geometry->addAction(ButtonRemoveSelect);
    geometry->addSeparator();
    geometry->addAction(ButtonTransformModel);
    geometry->addAction(ButtonTolerances);
}

void TMainForm::CreateGeometryToolBar() {
    ToolBarGeometry = addToolBar(QStringLiteral("Геометрия"));
    ToolBarGeometry->setObjectName(QStringLiteral("ToolBarGeometry"));
    ToolBarGeometry->addAction(ButtonSortFaces);
    ToolBarGeometry->addAction(ButtonCutEdge);
    ToolBarGeometry->addSeparator();
    ToolBarGeometry->addAction(ButtonDiscardCutEdge);
    ToolBarGeometry->addAction(ButtonSelection);
    ToolBarGeometry->addSeparator();
    ToolBarGeometry->addAction(ButtonRemoveSortFaces);
    ToolBarGeometry->addAction(ButtonRemoveCE);
    ToolBarGeometry->addAction(ButtonRemoveSelect);
}

void TMainForm::ButtonSortFacesClick() {
    TMDIChild* document = ActiveDocument();
    if (document == nullptr) {
        return;
    }
    if (document->Model.SurfaceData.SurfaceSorted && !document->RemoveSurfaceSorting()) {
        return;
    }
    document->Model.SurfaceData.SortSurfaces(*SmartGauge);
    document->FormPaint();
    UpdateCommandStates();
}

void TMainForm::ButtonCutEdgeClick() {
    TMDIChild* document = ActiveDocument();
    if (document == nullptr) {
        return;
    }
    if (document->Model.CutEdgeExist && !document->RemoveCuttingEdge()) {
        return;
    }
    if (const model::TResult found = document->Model.FindCutEdge(*SmartGauge); found) {
        document->ShowCuttingEdge();
    } else {
        // Nothing found, or a search refused for a model whose scale does not fit the
        // point tolerance: the reason says which.
        DialogService.Beep();
        DialogService.Warning(this, QString::fromStdString(found.Reason()));
    }
    // Also after an empty search: the old cutting edge may have been removed.
    UpdateCommandStates();
    document->FormPaint();
}

void TMainForm::ButtonDiscardCutEdgeClick() {
    if (TMDIChild* document = ActiveDocument(); document != nullptr) {
        document->DiscardSegments();
    }
}

void TMainForm::ButtonSelectionClick() {
    TMDIChild* document = ActiveDocument();
    if (document == nullptr) {
        UpdateCommandStates();
        return;
    }
    model::TModel& model = document->Model;
    SelectDlg->Prepare(model.SelectCutEdgeExist, model.DefinedAngles, model.DecimalSeparator);
    const int result = DialogService.RunModal(*SelectDlg);
    if (result == QDialog::Accepted && SelectDlg->OKPressed && !SelectDlg->AllEmpty &&
        SelectDlg->Query.Valid) {
        if (model.MakeSelection(SelectDlg->Query, *SmartGauge)) {
            document->FillSelectionLists();
            document->BuildDataTree();
            // Choosing the group's first system shows the selection in the table and the
            // chart; a tree without one has already been reported.
            document->SelectFirstChild(21);
        } else {
            // The previous selection, if any, stays.
            DialogService.Beep();
            DialogService.Warning(
                this, QStringLiteral("Отрезки, удовлетворяющие условиям выборки, не найдены"));
        }
        document->View().update();
    }
    UpdateCommandStates();
}

void TMainForm::ButtonRemoveSortFacesClick() {
    if (TMDIChild* document = ActiveDocument(); document != nullptr) {
        document->RemoveSurfaceSorting();
    }
    UpdateCommandStates();
}

void TMainForm::ButtonRemoveCEClick() {
    if (TMDIChild* document = ActiveDocument(); document != nullptr) {
        document->RemoveCuttingEdge();
    }
    UpdateCommandStates();
}

void TMainForm::ButtonTransformModelClick() {
    if (TMDIChild* document = ActiveDocument(); document != nullptr) {
        document->TransformModel();
    }
    UpdateCommandStates();
}

void TMainForm::ButtonTolerancesClick() {
    if (TMDIChild* document = ActiveDocument(); document != nullptr) {
        document->EditTolerances();
    }
    UpdateCommandStates();
}

void TMainForm::ButtonRemoveSelectClick() {
    if (TMDIChild* document = ActiveDocument(); document != nullptr) {
        document->RemoveSelection();
    }
    UpdateCommandStates();
}

}  // namespace tessarin::shell
