#include "document/mdi_child.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QSaveFile>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "document/angle_chart.h"
#include "document/data_panel.h"
#include "document/data_table_model.h"
#include "document/data_tree.h"
#include "document/dialogs.h"
#include "document/import_dialog.h"
#include "document/property_list.h"
#include "document/side_bar.h"
#include "document/tolerance_dialog.h"
#include "document/tolerance_view.h"
#include "model/analysis_steps.h"
#include "model/stl_import.h"
#include "project/output_formats.h"
#include "project/project_reader.h"
#include "project/project_writer.h"

namespace tessarin::document {

namespace {

const QString kOpenError = QStringLiteral("Ошибка при открытии файла");
const QString kDestroyResults =
    QStringLiteral("Операция уничтожит все рассчитанные данные. Продолжить?");

// Paths go to the core in the file system's encoding, which is what fopen and mmap
// expect; names stored in project files stay UTF-8.
std::string NativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString FromCore(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

TMDIChild::TMDIChild(TDocumentHost& host, char decimalSeparator, QWidget* parent)
    : QWidget(parent), Model(decimalSeparator), Host(host) {
    view::TSceneInputs inputs;
    inputs.Display = [this] { return Host.DisplayToggles(); };
    inputs.Editing = [this] {
        // The working plane's own mode of the panel, 4, shows the plane being edited.
        switch (Host.ManagePanelMode()) {
            case 0:
                return view::TPanelEdit::None;
            case 4:
                return view::TPanelEdit::WorkingPlane;
            default:
                return view::TPanelEdit::System;
        }
    };
    inputs.ShowSelection = [this] { return ShowSelection; };
    inputs.SelectedSegmentRange = [this] { return GetSelectedSegmentRange(); };
    inputs.MouseMode = [this] { return Host.MouseMode(); };
    inputs.SegmentColours = [this]() -> const std::vector<std::uint32_t>* {
        return SegmentColours.empty() ? nullptr : &SegmentColours;
    };
    inputs.Legend = [this]() -> const view::TColourLegend* {
        return LegendShown && Model.CutEdgeExist ? &Legend : nullptr;
    };
    inputs.HighlightedEdge = [this] {
        return PanelData != nullptr ? PanelData->HighlightedEdge() : std::pair<int, int>{-1, 0};
    };
    SceneView = new view::TSceneView(Model, std::move(inputs));
    SceneView->setObjectName(QStringLiteral("SceneView"));

    PanelLeft = CreatePanelLeft();
    PanelData = new TDataPanel(Model, ShowSelection, Host.Dialogs());
    PanelData->TableModel().OutsideTolerance = [this](int row, int k) {
        const std::optional<model::TAngleId> id = AngleOfColumn(k);
        return id && OutsideTolerance(ToleranceReport, static_cast<std::size_t>(row), *id);
    };
    connect(PanelData, &TDataPanel::ChosenRowsChanged, SceneView, qOverload<>(&QWidget::update));
    connect(PanelData, &TDataPanel::HighlightedEdgeChanged, SceneView,
            qOverload<>(&QWidget::update));
    connect(PanelData, &TDataPanel::Picked, this, [this] {
        SceneView->update();
        emit SegmentPicked();
    });
    // A click on a drawn segment chooses its table row: the view draws the list the
    // table shows, so its index is the row.
    connect(SceneView, &view::TSceneView::SegmentClicked, this, [this](int row) {
        const model::TCutEdgeData& drawn = ShowSelection ? Model.SelectCutEdge : Model.CutEdge;
        if (row < 0 || static_cast<std::size_t>(row) >= drawn.size()) {
            return;
        }
        PanelData->ShowSegmentRow(ShowSelection ? drawn[static_cast<std::size_t>(row)].Number - 1
                                                : row);
        // What the tooltip says, on one line.
        Host.ShowStatus(
            SceneView->SegmentToolTip(row).replace(QLatin1Char('\n'), QStringLiteral("; ")));
        SceneView->update();
    });
    connect(PanelData, &TDataPanel::ExportRequested, this, &TMDIChild::ExportTable);
    connect(PanelData, &TDataPanel::SaveChartRequested, this, &TMDIChild::SaveChart);
    Splitter1 = new QSplitter(Qt::Horizontal);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->addWidget(SceneView);
    Splitter1->addWidget(PanelData);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setChildrenCollapsible(false);
    // A handle that can be seen and caught between the view and the data panel.
    Splitter1->setHandleWidth(7);
    Splitter1->setStyleSheet(QStringLiteral(
        "QSplitter#Splitter1::handle { background: palette(mid); border-left: 1px solid "
        "palette(dark); border-right: 1px solid palette(light); }"
        "QSplitter#Splitter1::handle:hover { background: palette(highlight); }"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(PanelLeft);
    layout->addWidget(Splitter1, 1);

    // FormCreate: the interface settings as they are now.
    ApplyPanelStyle();
    ApplyChartVisibility();
    ApplyTableColumnSizing();
    FormPaint();
}

TMDIChild::~TMDIChild() {
    Host.DocumentDestroyed(*this);
    // The view draws from Model; it must go before the model does, not with the
    // children that QWidget deletes after our members are gone.
    delete SceneView;
    SceneView = nullptr;
    // So does the data panel, whose table and chart read the model.
    delete PanelData;
    PanelData = nullptr;
}

QWidget* TMDIChild::CreatePanelLeft() {
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("PanelLeft"));
    panel->setFixedWidth(189);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);

    SideBar = new TSideBar;
    // The side bar's clicks run guarded: an angle computation that runs out of memory is
    // reported by the host, and the document stays.
    connect(SideBar, &TSideBar::ActiveGroupChanged, this, [this](int group) {
        Host.RunGuarded([this, group] {
            // dxSideBar1ChangeActiveGroup: the view draws the open group's system.
            Model.CurrentCS = static_cast<std::uint8_t>(group);
            SceneView->update();
            FillPropertyList();
        });
    });
    connect(SideBar, &TSideBar::ItemClicked, this, [this](int group, int item) {
        Host.RunGuarded([this, group, item] { SideBarItemClick(group, item); });
    });

    PropertiesBox = new QGroupBox(QStringLiteral("Свойства"));
    auto* propertiesLayout = new QVBoxLayout(PropertiesBox);
    propertiesLayout->setContentsMargins(0, 0, 0, 0);
    PropertyList = new TPropertyList;
    propertiesLayout->addWidget(PropertyList);

    auto* split = new QSplitter(Qt::Vertical);
    split->setObjectName(QStringLiteral("Splitter4"));
    split->setHandleWidth(9);
    split->addWidget(SideBar);
    split->addWidget(PropertiesBox);
    split->setSizes({342, 207});
    split->setChildrenCollapsible(false);
    layout->addWidget(split);
    return panel;
}

// ---- geometry --------------------------------------------------------------------

bool TMDIChild::ConfirmReplaceGeometry() {
    TDialogs& dialogs = Host.Dialogs();
    dialogs.Beep();
    if (dialogs.Question(this, QStringLiteral("Уничтожить текущую геометрию?")) != TAnswer::Yes) {
        return false;
    }
    if (Model.CutEdgeExist) {
        dialogs.Beep();
        if (dialogs.Question(this, kDestroyResults) != TAnswer::Yes) {
            return false;
        }
    }
    return true;
}

void TMDIChild::DropGeometry() {
    const bool hadCutEdge = Model.CutEdgeExist;
    if (Model.SelectCutEdgeExist) {
        RemoveSelection();
    }
    if (Model.SurfaceData.SurfaceSorted) {
        model::RemoveSorting(Model);
    }
    Model.ClearSurface();
    StlFileName.clear();
    if (hadCutEdge) {
        SideBar->SetActiveGroup(0);
        SetMovingGroupsShown(false);
    }
    Model.CurrentCS = model::kISK;
    FillPropertyList();
}

bool TMDIChild::OpenStl() {
    // Before the dialog: even a cancelled import leaves the document changed.
    Model.SurfaceData.Modified = true;
    const QString name = Host.Dialogs().OpenFileName(
        this, QStringLiteral("Открыть STL"), QStringLiteral("Файлы стереолитографии (*.stl)"),
        Host.DialogFolder());
    if (!name.isEmpty() && QFileInfo::exists(name)) {
        return ImportStl(name) == TImportOutcome::Imported;
    }
    FormPaint();
    return false;
}

std::optional<model::TImportOptions> TMDIChild::AskImportOptions(
    const std::shared_ptr<model::TSurface>& polygons, const std::string& name,
    const QString& source, const model::TImportOptions& start) {
    // The dialog and its worker are gone when this returns, so the caller holds the
    // polygons alone again and may take them.
    TImportDialog dialog(polygons, name, source, start, Model.DecimalSeparator, this);
    if (Host.Dialogs().RunModal(dialog) != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Options();
}

TMDIChild::TImportOutcome TMDIChild::ImportStl(const QString& path) {
    auto polygons = std::make_shared<model::TSurface>();
    const std::string name = NativePath(path);
    if (const model::TResult read = model::ReadStlPolygons(name, *polygons, Host.Progress());
        !read) {
        // As a load that fails: the document counts as changed.
        Model.SurfaceData.Modified = true;
        Host.Dialogs().Beep();
        Host.Dialogs().Error(this, kOpenError, FromCore(read.Reason()));
        FormPaint();
        return TImportOutcome::Failed;
    }
    const std::optional<model::TImportOptions> options =
        AskImportOptions(polygons, name, QStringLiteral("Файл: ") + path, Host.ImportDefaults());
    if (!options) {
        FormPaint();
        return TImportOutcome::Cancelled;
    }
    Host.SetImportDefaults(*options);
    DropGeometry();
    const model::TResult loaded = model::ImportPolygons(Model.SurfaceData, std::move(*polygons),
                                                        name, *options, nullptr, Host.Progress());
    if (loaded) {
        StlFileName = path;
        SceneView->FitModel();
    } else {
        Host.Dialogs().Beep();
        Host.Dialogs().Error(this, kOpenError, FromCore(loaded.Reason()));
    }
    FillPropertyList();
    FormPaint();
    return loaded ? TImportOutcome::Imported : TImportOutcome::Failed;
}

QString TMDIChild::StlFilePath() const {
    if (StlFileName.isEmpty()) {
        return {};
    }
    const QFileInfo given(StlFileName);
    if (given.isFile()) {
        return given.absoluteFilePath();
    }
    if (given.isRelative() && HasFileName) {
        const QFileInfo beside(QFileInfo(FileName).absoluteDir(), StlFileName);
        if (beside.isFile()) {
            return beside.absoluteFilePath();
        }
    }
    return {};
}

bool TMDIChild::TransformModel() {
    if (!Model.SurfaceData.SurfaceExist) {
        return false;
    }
    const model::TImportOptions current = Model.SurfaceData.ImportOptions;
    auto polygons = std::make_shared<model::TSurface>();
    std::string name;
    QString source;
    // The file gives the model as it was before any option touched it, repairs and all;
    // the stored polygons are what is left without it.
    const QString file = StlFilePath();
    if (!file.isEmpty()) {
        name = NativePath(file);
        if (model::ReadStlPolygons(name, *polygons, Host.Progress())) {
            source = QStringLiteral("Файл: ") + file;
        }
    }
    if (source.isEmpty()) {
        *polygons = Model.SurfaceData.Polygons;
        model::UndoToolFrame(*polygons, current);
        name = StlFileName.isEmpty() ? std::string("model") : StlFileName.toStdString();
        source = QStringLiteral(
            "Файл модели недоступен: преобразуются полигоны документа, возвращённые в "
            "координаты файла (удалённые повторные грани не восстанавливаются, центр "
            "габаритов остаётся в начале координат)");
    }
    const std::optional<model::TImportOptions> options =
        AskImportOptions(polygons, name, source, current);
    if (!options) {
        return false;
    }
    TDialogs& dialogs = Host.Dialogs();
    if (Model.SurfaceData.SurfaceSorted) {
        dialogs.Beep();
        if (dialogs.Question(this, QStringLiteral("Преобразование модели удалит сортировку "
                                                  "поверхностей, режущую кромку, рассчитанные "
                                                  "углы и выборку. Продолжить?")) != TAnswer::Yes) {
            return false;
        }
    }
    const QString stlName = StlFileName;
    DropGeometry();
    const model::TResult loaded = model::ImportPolygons(Model.SurfaceData, std::move(*polygons),
                                                        name, *options, nullptr, Host.Progress());
    if (loaded) {
        StlFileName = stlName;
        SceneView->FitModel();
    } else {
        dialogs.Beep();
        dialogs.Error(this, QStringLiteral("Ошибка при преобразовании модели"),
                      FromCore(loaded.Reason()));
    }
    FillPropertyList();
    FormPaint();
    return loaded.Ok();
}

bool TMDIChild::RemoveSelection() {
    ShowSelection = false;
    model::ClearSelection(Model);
    BuildDataTree();
    SelectFirstChild(1);
    FormPaint();
    return true;
}

bool TMDIChild::RemoveCuttingEdge() {
    TDialogs& dialogs = Host.Dialogs();
    dialogs.Beep();
    if (dialogs.Question(this, kDestroyResults) != TAnswer::Yes) {
        return false;
    }
    if (Model.SelectCutEdgeExist) {
        RemoveSelection();
    }
    model::RemoveCutEdge(Model);
    // The model is back on the tool system without any defined one: so is the side bar,
    // or a cutting edge found again would show a group whose system is not the model's.
    SideBar->SetActiveGroup(0);
    SetMovingGroupsShown(false);
    FillPropertyList();
    FormPaint();
    return true;
}

bool TMDIChild::RemoveSurfaceSorting() {
    if (Model.CutEdgeExist && !RemoveCuttingEdge()) {
        return false;
    }
    Model.ClearSorting();
    FormPaint();
    return true;
}

// ---- files -----------------------------------------------------------------------

model::TResult TMDIChild::LoadFromProject(const QString& path) {
    std::string stlName;
    model::TResult read = project::LoadProject(Model, NativePath(path), stlName, Host.Progress());
    if (read) {
        FileName = path;
        HasFileName = true;
        StlFileName = FromCore(stlName);
        SceneView->FitModel();
        RefreshTolerances();
        if (Model.CutEdgeExist) {
            // The side bar opens on the system the project was saved with; the moving
            // groups are there with the working plane, as the command states have them.
            SetMovingGroupsShown(Model.ExistedCS[model::kExistedFeedPlan]);
            const int group = Model.CurrentCS;
            if (group < TSideBar::kGroupCount && SideBar->GroupShown(group)) {
                SideBar->SetActiveGroup(group);
            } else {
                Model.CurrentCS = model::kISK;
            }
        }
    }
    return read;
}

model::TResult TMDIChild::SaveToProject(const QString& path) {
    model::TResult saved = project::SaveProject(Model, NativePath(path), StlFileName.toStdString(),
                                                Model.DecimalSeparator, Host.Progress());
    if (saved) {
        FileName = path;
        HasFileName = true;
        // The writer marks the model changed as it writes; what is on disk now is the
        // document, so closing it has nothing to ask.
        Model.SurfaceData.Modified = false;
    }
    ShowModified();
    return saved;
}

void TMDIChild::SetCaption(const QString& caption) {
    // Qt shows "*" in place of "[*]" while the window is modified; a "[*]" of the name
    // itself is doubled so that it stays text.
    QString title = caption;
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(caption.isEmpty() ? QString() : title + QStringLiteral("[*]"));
    ShowModified();
}

QString TMDIChild::Caption() const {
    QString title = windowTitle();
    if (title.endsWith(QStringLiteral("[*]"))) {
        title.chop(3);
    }
    title.replace(QStringLiteral("[*][*]"), QStringLiteral("[*]"));
    return title;
}

void TMDIChild::ShowModified() {
    setWindowModified(Model.SurfaceData.Modified);
}

void TMDIChild::closeEvent(QCloseEvent* event) {
    if (Host.Busy()) {
        event->ignore();
        return;
    }
    if (Model.SurfaceData.Modified) {
        const TAnswer answer = Host.Dialogs().Question(
            this, QStringLiteral("Сохранить изменения в файле ") + FileName, true);
        if (answer == TAnswer::Cancel) {
            event->ignore();
            return;
        }
        if (answer == TAnswer::Yes) {
            const bool saved = HasFileName ? Host.SaveDocument(*this) : Host.SaveDocumentAs(*this);
            // The user asked for the changes to be kept: a cancelled or failed save
            // must not throw them away with the window.
            if (!saved) {
                event->ignore();
                return;
            }
        }
    }
    Alive = false;
    event->accept();
    Host.DocumentClosed(*this);
}

// ---- view and panels --------------------------------------------------------------

void TMDIChild::FormPaint() {
    // Without a model the view has nothing but its white background to draw, so it is
    // repainted either way: a removed geometry must not stay on the screen.
    SceneView->update();
    const bool cutEdge = Model.CutEdgeExist;
    PanelLeft->setVisible(cutEdge);
    PanelData->setVisible(cutEdge);
    if (cutEdge && !DataPanelSized) {
        // The data panel starts 325 pixels wide; the view takes what the window gains.
        constexpr int kDataPanelWidth = 325;
        Splitter1->setSizes({std::max(Splitter1->width() - kDataPanelWidth, 1), kDataPanelWidth});
        DataPanelSized = true;
    }
}

void TMDIChild::BuildDataTree() {
    PanelData->BuildDataTree();
}

void TMDIChild::ShowCuttingEdge() {
    BuildDataTree();
    SelectTreeNode(1);
    RefreshDataPanel();
}

bool TMDIChild::SelectTreeNode(int kind) {
    return PanelData->SelectTreeNode(kind);
}

bool TMDIChild::SelectFirstChild(int rootKind) {
    return PanelData->SelectFirstChild(rootKind);
}

void TMDIChild::RefreshDataPanel() {
    RefreshTolerances();
    PanelData->RefreshDataPanel();
}

void TMDIChild::RefreshTolerances() {
    JudgedStamp = ToleranceStamp();
    ToleranceReport = JudgeTolerances(Model);
    LegendShown = false;
    if (ColourMap && Model.CutEdgeExist) {
        std::pair<double, double> range;
        SegmentColours = ColourMapColours(Model, *ColourMap, range);
        Legend.Title = QString::fromStdString(model::AngleKey(*ColourMap));
        Legend.Min = range.first;
        Legend.Max = range.second;
        Legend.DecimalSeparator = Model.DecimalSeparator;
        Legend.Decimals = std::clamp(Model.GetAccuracy(), 0, 3);
        LegendShown = true;
    } else {
        SegmentColours = ToleranceColours(ToleranceReport);
    }
    FillPropertyList();
    PanelData->Table().viewport()->update();
    SceneView->update();
}

bool TMDIChild::EditTolerances() {
    TToleranceDialog dialog(Model, this);
    if (Host.Dialogs().RunModal(dialog) != QDialog::Accepted || !dialog.Valid()) {
        return false;
    }
    model::TToleranceSet set = dialog.Tolerances();
    if (set == Model.Tolerances) {
        return false;
    }
    Model.Tolerances = std::move(set);
    Model.SurfaceData.Modified = true;
    ShowModified();
    RefreshDataPanel();
    return true;
}

bool TMDIChild::ChooseColourMap() {
    TColourMapDialog dialog(Model, ColourMap, this);
    if (Host.Dialogs().RunModal(dialog) != QDialog::Accepted) {
        return false;
    }
    SetColourMap(dialog.Chosen());
    return true;
}

void TMDIChild::SetColourMap(std::optional<model::TAngleId> id) {
    ColourMap = id;
    RefreshTolerances();
}

void TMDIChild::FillSelectionLists() {
    Model.FillSelectionLists();
}

std::vector<std::uint64_t> TMDIChild::ToleranceStamp() const {
    std::vector<std::uint64_t> stamp{static_cast<std::uint64_t>(Model.CutEdge.size()),
                                     Model.CutEdgeExist ? 1u : 0u};
    for (const bool computed : Model.DefinedAngles) {
        stamp.push_back(computed ? 1u : 0u);
    }
    return stamp;
}

void TMDIChild::FillPropertyList() {
    // A definition accepted in the parameter panel may have forgotten angles: a verdict
    // judged on them is not shown.
    if (JudgedStamp != ToleranceStamp()) {
        RefreshTolerances();
        return;
    }
    TPropertyRows rows = PropertyRows(Model);
    // The tolerance verdict stays in sight whatever system the side bar shows.
    for (auto& row : ToleranceRows(Model, ToleranceReport)) {
        rows.push_back(std::move(row));
    }
    PropertyList->Fill(rows);
}

std::pair<int, int> TMDIChild::GetSelectedSegmentRange() const {
    return PanelData->GetSelectedSegmentRange();
}

// ---- side bar ----------------------------------------------------------------------

void TMDIChild::SideBarItemClick(int group, int item) {
    // The side bar's items and the steps they take; the rules and their warnings are
    // the core's, shared with the batch tool.
    struct TItem {
        int Group;
        int Item;
        model::TStep Step;
        int PanelMode;  // 0: a compute step; else the parameter panel's mode
    };
    static constexpr std::array<TItem, 8> kItems{{
        {0, 0, model::TStep::ComputeISK, 0},
        {1, 0, model::TStep::DefineSSK, 1},
        {1, 1, model::TStep::DefineFeedPlan, 4},
        {1, 2, model::TStep::ComputeSSK, 0},
        {2, 0, model::TStep::DefineKSK, 2},
        {2, 1, model::TStep::ComputeKSK, 0},
        {3, 0, model::TStep::DefineDSK, 3},
        {3, 1, model::TStep::ComputeDSK, 0},
    }};
    const auto entry = std::find_if(kItems.begin(), kItems.end(), [&](const TItem& candidate) {
        return candidate.Group == group && candidate.Item == item;
    });
    if (entry != kItems.end()) {
        const model::TStepCheck check = model::CheckStep(Model, entry->Step);
        if (!check.Allowed()) {
            TDialogs& dialogs = Host.Dialogs();
            if (check.Beep) {
                dialogs.Beep();
            }
            dialogs.Warning(this, QString::fromStdString(check.Warning));
        } else if (entry->PanelMode != 0) {
            Host.OpenManagePanel(entry->PanelMode);
        } else {
            ComputeSequence(group);
        }
    }
    FillPropertyList();
    Host.UpdateCommandStates();
}

void TMDIChild::ComputeSequence(int system) {
    if (Model.SegmentCount <= 0) {
        return;
    }
    model::ComputeSystem(Model, system, Host.Progress());
    RefreshDataPanel();
    BuildDataTree();
    SelectTreeNode(SystemNodeKind(system));
    PanelData->Table().viewport()->update();
    SceneView->update();
}

// ---- discarding segments -----------------------------------------------------------

void TMDIChild::DiscardSegments() {
    Model.SurfaceData.Modified = true;
    const auto [first, last] = GetSelectedSegmentRange();
    TDialogs& dialogs = Host.Dialogs();
    if (const model::TStepCheck check = model::CheckKeepSegments(Model, first, last);
        !check.Allowed()) {
        dialogs.Beep();
        dialogs.Warning(this, QString::fromStdString(check.Warning));
        return;
    }
    // The segments outside the rows go for good: the user sees how many stay.
    const int kept = last - first + 1;
    if (dialogs.Question(this, QStringLiteral("Отбросить отрезки РК вне выбранных строк? "
                                              "Останется отрезков: %1 из %2.")
                                   .arg(kept)
                                   .arg(Model.CutEdge.size())) != TAnswer::Yes) {
        return;
    }
    if (model::MainSegmentOutside(Model, first, last) &&
        dialogs.Question(this, QStringLiteral("Главная режущая кромка не входит в выбранный "
                                              "диапазон, при отсечении возможно искажение "
                                              "некоторых данных. Продолжить?")) != TAnswer::Yes) {
        return;
    }
    const bool hadSelection = Model.SelectCutEdgeExist;
    model::KeepSegments(Model, first, last, Host.Progress());
    if (hadSelection && !Model.SelectCutEdgeExist) {
        // Every selected segment was discarded: the selection group goes from the tree.
        ShowSelection = false;
        BuildDataTree();
        SelectFirstChild(kCutEdgeRootKind);
    }
    RefreshDataPanel();
    FillPropertyList();
    SceneView->update();
}

// ---- pick mode, settings -----------------------------------------------------------

void TMDIChild::EnterPickMode() {
    PanelData->EnterPickMode();
}

void TMDIChild::DetachPickMenu() {
    PanelData->DetachPickMenu();
}

bool TMDIChild::InPickMode() const {
    return PanelData->InPickMode();
}

void TMDIChild::ApplyPanelStyle() {
    const bool flat = Host.DocumentSettings().FlatPanels;
    PanelData->SetFlat(flat);
    PropertyList->setFrameShape(flat ? QFrame::Box : QFrame::StyledPanel);
    PropertyList->setFrameShadow(flat ? QFrame::Plain : QFrame::Sunken);
    PropertiesBox->setFlat(flat);
}

void TMDIChild::ApplyChartVisibility() {
    PanelData->SetChartShown(Host.DocumentSettings().ViewChart);
}

void TMDIChild::ApplyTableColumnSizing() {
    PanelData->SetColumnResizing(Host.DocumentSettings().CustomTable);
}

// ---- table export, chart image -----------------------------------------------------

void TMDIChild::ExportTable(const QString& formatKey) {
    const project::TTableFormat* format = formatKey.isEmpty()
                                              ? &project::TableFormats().front()
                                              : project::FindTableFormat(formatKey.toStdString());
    if (format == nullptr) {
        return;
    }
    const auto text = [](std::string_view view) {
        return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
    };
    TDialogs& dialogs = Host.Dialogs();
    QString proposed = QFileInfo(FileName).completeBaseName() + '.' + text(format->Extension);
    if (const QString folder = Host.DialogFolder(); !folder.isEmpty()) {
        proposed = QDir(folder).filePath(proposed);
    }
    const QString name =
        dialogs.SaveFileName(this, text(format->DialogTitle), text(format->Filter), proposed);
    if (name.isEmpty()) {
        return;
    }
    // The core's writer, as for projects: links, modes and hard links of the file stay.
    if (const model::TResult written = project::WriteTable(
            *format, Model, PanelData->ShownColumns(), project::TTableReader::Spreadsheet,
            NativePath(name), project::TTableExtras{false, PanelData->ExportedAngles()});
        !written) {
        dialogs.Beep();
        dialogs.Error(this, QStringLiteral("Ошибка при сохранении файла"),
                      FromCore(written.Reason()));
    }
}

void TMDIChild::SaveChart() {
    TDialogs& dialogs = Host.Dialogs();
    QString proposed = QFileInfo(FileName).completeBaseName() + QStringLiteral("_chart.png");
    if (const QString folder = Host.DialogFolder(); !folder.isEmpty()) {
        proposed = QDir(folder).filePath(proposed);
    }
    const QString name = dialogs.SaveFileName(
        this, QStringLiteral("Сохранить график"),
        QStringLiteral("Изображения PNG (*.png);;Рисунки SVG (*.svg)"), proposed);
    if (name.isEmpty()) {
        return;
    }
    if (!PanelData->Chart().SaveImage(name)) {
        dialogs.Beep();
        dialogs.Error(this, QStringLiteral("Ошибка при сохранении файла"),
                      QStringLiteral("cannot write the image %1").arg(name));
    }
}

// ---- window events -----------------------------------------------------------------

bool TMDIChild::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void TMDIChild::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && !event->isAutoRepeat()) {
        Host.ShowHelp();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void TMDIChild::SetSideBarEnabled(bool enabled) {
    SideBar->setEnabled(enabled);
}

bool TMDIChild::SideBarEnabled() const {
    return SideBar->isEnabled();
}

void TMDIChild::SetMovingGroupsShown(bool shown) {
    SideBar->SetGroupShown(2, shown);
    SideBar->SetGroupShown(3, shown);
}

bool TMDIChild::SideBarGroupShown(int group) const {
    return SideBar->GroupShown(group);
}

bool TMDIChild::PanelsShown() const {
    return !PanelLeft->isHidden() && !PanelData->isHidden();
}

}  // namespace tessarin::document
