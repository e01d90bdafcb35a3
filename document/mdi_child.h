// A document window: one analysed model with its 3-D view, its file identity (caption,
// project file name, source STL name), the replacement of its geometry, the three
// confirmed removals (selection, cutting edge, surface sorting) and the question asked
// when a changed document is closed.
//
// Beside the 3-D view: on the left the side bar of analysis commands with the property
// list (PanelLeft), on the right the data panel with tree, table and chart (PanelData),
// both shown exactly while the model has a cutting edge.
#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "document/document_host.h"
#include "model/base_names.h"
#include "model/model.h"
#include "view/scene_view.h"

class QCloseEvent;
class QKeyEvent;
class QGroupBox;
class QSplitter;

namespace tessarin::document {

class TDataPanel;
class TPropertyList;
class TSideBar;

class TMDIChild final : public QWidget {
    Q_OBJECT

public:
    // The model's texts use `decimalSeparator`; its geometry settings are all zero
    // until the creator copies the application's or a project file's.
    TMDIChild(TDocumentHost& host, char decimalSeparator, QWidget* parent = nullptr);
    ~TMDIChild() override;

    bool Alive = true;           // from creation until FormClose lets the window go
    QString FileName;            // the project file's path, or "Untitled" and a number
    bool HasFileName = false;    // the document has a project file
    QString StlFileName;         // where the current geometry came from; empty for none
    bool ShowSelection = false;  // the table shows the selection group
    model::TModel Model;

    view::TSceneView& View() { return *SceneView; }

    // "Открыть STL...": asks "Уничтожить текущую геометрию?" and, when a cutting edge
    // exists, "Операция уничтожит все рассчитанные данные. Продолжить?". False when a
    // question is declined. Nothing is removed yet: the geometry goes only when a new
    // one is imported in its place (ImportStl).
    bool ConfirmReplaceGeometry();
    // Marks the document changed, asks for an STL file and imports it (ImportStl).
    // Repaints in every case. True when a model was imported.
    bool OpenStl();
    enum class TImportOutcome { Imported, Failed, Cancelled };
    // Reads the file `path` once (with progress), shows "Параметры импорта" with the model
    // check, and on OK removes the old geometry with everything found on it and imports
    // with the options chosen, which become the next import's defaults. A file that does
    // not read shows "Ошибка при открытии файла" with the reason and changes nothing but
    // the changed-marker; "Отмена" changes nothing at all.
    TImportOutcome ImportStl(const QString& path);
    // "Преобразовать модель...": the import dialog for the loaded model, starting from its
    // options. The polygons come from the model's STL file read again when it is still
    // there (StlFilePath), else from the stored polygons taken back into their file's
    // frame (model::UndoToolFrame). OK asks, when the surfaces are sorted, whether the
    // analysis may go (sorting, cutting edge, angles, selection), then imports anew.
    // True when the model was imported anew.
    bool TransformModel();
    // The model's STL file when it is still there: StlFileName as it is, or relative to
    // the project file's folder; empty otherwise.
    QString StlFilePath() const;

    // The removals of the "Геометрия" menu; true when carried out.
    bool RemoveSelection();
    bool RemoveCuttingEdge();  // asks "Операция уничтожит все рассчитанные данные. ..."
    bool RemoveSurfaceSorting();  // removes the cutting edge first when there is one

    // Reads a project into this new document: model, FileName, HasFileName,
    // StlFileName and the view's fit. On failure nothing is touched.
    model::TResult LoadFromProject(const QString& path);
    // Writes the project file; on success FileName is `path`, HasFileName is set and the
    // document is no longer changed. A failed save leaves it changed.
    model::TResult SaveToProject(const QString& path);

    // The window's caption := `caption`, with the changed-marker ("*") shown after it
    // while the model has unsaved changes (see ShowModified).
    void SetCaption(const QString& caption);
    // The caption without the marker.
    QString Caption() const;
    // The marker follows Model.SurfaceData.Modified; called after every command.
    void ShowModified();

    // Repaints the view and shows the side bar and the data panel exactly while a
    // cutting edge exists.
    void FormPaint();

    // The data panel (see TDataPanel): the tree from the model's flags, a node chosen
    // by kind (false after "Ошибка дерева данных" when there is none), table and chart
    // from the chosen nodes.
    void BuildDataTree();
    bool SelectTreeNode(int kind);
    bool SelectFirstChild(int rootKind);
    void RefreshDataPanel();
    // A cutting edge found or read: the tree built again with the "Режущая кромка" node
    // chosen, and the table and chart that follow from it.
    void ShowCuttingEdge();
    // Columns 18..34 from the selection the model has just made (marks the model changed).
    void FillSelectionLists();
    // The property list of the open side-bar group's system.
    void FillPropertyList();
    // "Отбросить отрезки РК": asks for confirmation, naming how many segments remain,
    // then keeps the segments of the table rows chosen, renumbered from 1, keeps the working
    // plane's main segment on the same segment (asks when it is not among them: then it becomes 0)
    // and recomputes the angles computed so far. Without rows chosen it only says so.
    void DiscardSegments();
    // First and last cutting-edge index of the table rows chosen; (-1, -1) for none.
    std::pair<int, int> GetSelectedSegmentRange() const;
    // The side bar's item `item` of group `group` (dxSideBar1ItemClick): its condition,
    // warning or action, then the property list and the command states.
    void SideBarItemClick(int group, int item);

    // Pick mode of the table (the parameter panel's "Указать"): one row at a time and the
    // pop-up "Выбрать" / "Отмена". "Выбрать" sets WorkingCS.FeedPlan.HCE to the row's
    // segment, leaves pick mode and emits SegmentPicked.
    void EnterPickMode();
    // What closing the parameter panel does to pick mode: detach the pop-up and give the
    // table its default pointer and its choice of a range of rows.
    void DetachPickMenu();
    bool InPickMode() const;

    // The interface settings: flat or raised panels, the chart shown, user-sized columns.
    void ApplyPanelStyle();
    void ApplyChartVisibility();
    void ApplyTableColumnSizing();

    void SetSideBarEnabled(bool enabled);
    bool SideBarEnabled() const;
    // Groups 2 and 3 ("Кинематическая СК", "Динамическая СК").
    void SetMovingGroupsShown(bool shown);
    bool SideBarGroupShown(int group) const;
    bool PanelsShown() const;

    // "Допуски...": the tolerance dialog; OK stores its rows in the model (marked changed
    // when they differ) and refreshes the table, chart, view and property list. True when
    // the model's tolerances changed.
    bool EditTolerances();
    // "Цветовая карта...": the angle whose value colours the cutting edge, or none.
    bool ChooseColourMap();
    // The colour map by `id` (nothing: off, the default). While it is on, it takes the
    // place of the red of the segments outside a tolerance.
    void SetColourMap(std::optional<model::TAngleId> id);
    std::optional<model::TAngleId> ColourMapAngle() const { return ColourMap; }
    // The verdict of the model's tolerances, the edge's colours and the legend judged
    // afresh (after angles, segments or tolerances changed); RefreshDataPanel calls it.
    void RefreshTolerances();
    const model::TToleranceReport& Tolerance() const { return ToleranceReport; }
    const std::vector<std::uint32_t>& EdgeColours() const { return SegmentColours; }

    TDataPanel& Data() const { return *PanelData; }
    TSideBar& Bar() const { return *SideBar; }
    TPropertyList& Properties() const { return *PropertyList; }

signals:
    // "Выбрать" in pick mode has set WorkingCS.FeedPlan.HCE.
    void SegmentPicked();

protected:
    // FormClose: the save question of a changed document.
    void closeEvent(QCloseEvent* event) override;
    // FormKeyUp: F1 runs the main window's "Справка". The key is claimed before the
    // main window's shortcut sees it, so the help opens once.
    bool event(QEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    QWidget* CreatePanelLeft();
    // The selection, the cutting edge, the sorting and the polygons go, without a
    // question; the side bar goes back to the tool system.
    void DropGeometry();
    // Shows the import dialog on `polygons`; the options chosen, or nothing.
    std::optional<model::TImportOptions> AskImportOptions(
        const std::shared_ptr<model::TSurface>& polygons, const std::string& name,
        const QString& source, const model::TImportOptions& start);
    void ComputeSequence(int system);
    void ExportTable(const QString& formatKey);
    void SaveChart();

    TDocumentHost& Host;
    view::TSceneView* SceneView = nullptr;
    QWidget* PanelLeft = nullptr;
    TSideBar* SideBar = nullptr;
    QGroupBox* PropertiesBox = nullptr;
    TPropertyList* PropertyList = nullptr;
    QSplitter* Splitter1 = nullptr;
    TDataPanel* PanelData = nullptr;
    bool DataPanelSized = false;  // given its starting width when first shown
    // What the verdict was judged on: the cutting edge's size and existence, the systems
    // computed.
    std::vector<std::uint64_t> ToleranceStamp() const;
    std::vector<std::uint64_t> JudgedStamp;
    model::TToleranceReport ToleranceReport;
    std::optional<model::TAngleId> ColourMap;
    std::vector<std::uint32_t> SegmentColours;
    view::TColourLegend Legend;
    bool LegendShown = false;
};

}  // namespace tessarin::document
