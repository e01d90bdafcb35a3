#include "document/mdi_child.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "project/project_reader.h"
#include "project/project_writer.h"
#include "shell/dialogs.h"

namespace tessarin::document {

namespace {

const QString kOpenError = QStringLiteral("Ошибка при открытии файла");

// Paths go to the core in the file system's encoding, which is what fopen and mmap
// expect; names stored in project files stay UTF-8.
std::string NativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString FromCore(const std::string& text) {
    return QString::fromStdString(text);
}

struct TSideBarGroup {
    const char* Caption;
    std::array<const char*, 3> Items;  // nullptr ends the list
};

constexpr std::array<TSideBarGroup, 4> kSideBarGroups{{
    {"Инструментальная СК", {"Рассчитать углы", nullptr, nullptr}},
    {"Статическая СК",
     {"Определить систему координат", "Определить рабочую плоскость", "Рассчитать углы"}},
    {"Кинематическая СК", {"Определить систему координат", "Рассчитать углы", nullptr}},
    {"Динамическая СК", {"Определить систему координат", "Рассчитать углы", nullptr}},
}};

}  // namespace

TMDIChild::TMDIChild(TDocumentHost& host, char decimalSeparator, QWidget* parent)
    : QWidget(parent), Model(decimalSeparator), Host(host) {
    view::TSceneInputs inputs;
    inputs.Display = [this] { return Host.DisplayToggles(); };
    inputs.Editing = [this] { return Host.PanelOpen(); };
    inputs.ShowSelection = [this] { return ShowSelection; };
    inputs.SelectedSegmentRange = [this] { return GetSelectedSegmentRange(); };
    inputs.MouseMode = [this] { return Host.MouseMode(); };
    SceneView = new view::TSceneView(Model, std::move(inputs));
    SceneView->setObjectName(QStringLiteral("SceneView"));

    PanelLeft = CreatePanelLeft();
    PanelData = CreatePanelData();
    Splitter1 = new QSplitter(Qt::Horizontal);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->addWidget(SceneView);
    Splitter1->addWidget(PanelData);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setChildrenCollapsible(false);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(PanelLeft);
    layout->addWidget(Splitter1, 1);

    FormPaint();
}

TMDIChild::~TMDIChild() {
    Host.DocumentDestroyed(*this);
    // The view draws from Model; it must go before the model does, not with the
    // children that QWidget deletes after our members are gone.
    delete SceneView;
    SceneView = nullptr;
}

QWidget* TMDIChild::CreatePanelLeft() {
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("PanelLeft"));
    panel->setFixedWidth(189);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);

    SideBar = new QWidget;
    SideBar->setObjectName(QStringLiteral("SideBar"));
    SideBar->setAutoFillBackground(true);
    QPalette palette = SideBar->palette();
    palette.setColor(QPalette::Window, QColor(166, 202, 240));
    SideBar->setPalette(palette);
    auto* barLayout = new QVBoxLayout(SideBar);
    for (std::size_t g = 0; g < kSideBarGroups.size(); ++g) {
        auto* group = new QGroupBox(QString::fromUtf8(kSideBarGroups[g].Caption));
        auto* groupLayout = new QVBoxLayout(group);
        for (std::size_t i = 0; i < kSideBarGroups[g].Items.size(); ++i) {
            if (kSideBarGroups[g].Items[i] == nullptr) {
                break;
            }
            // Items read as links, wrapped to the bar's width like the captions of a
            // side bar's large-icon items.
            auto* item = new QLabel(QStringLiteral("<a href=\"item\">%1</a>")
                                        .arg(QString::fromUtf8(kSideBarGroups[g].Items[i])));
            item->setWordWrap(true);
            item->setAlignment(Qt::AlignCenter);
            item->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                          Qt::LinksAccessibleByKeyboard);
            const int groupIndex = static_cast<int>(g);
            const int itemIndex = static_cast<int>(i);
            connect(item, &QLabel::linkActivated, this,
                    [this, groupIndex, itemIndex] { SideBarItemClick(groupIndex, itemIndex); });
            groupLayout->addWidget(item);
        }
        SideBarGroups[g] = group;
        barLayout->addWidget(group);
    }
    barLayout->addStretch(1);
    SetMovingGroupsShown(false);
    layout->addWidget(SideBar, 342);

    auto* properties = new QGroupBox(QStringLiteral("Свойства"));
    auto* propertiesLayout = new QVBoxLayout(properties);
    propertiesLayout->setContentsMargins(0, 0, 0, 0);
    PropertyList = new QTableWidget(0, 2);
    PropertyList->setObjectName(QStringLiteral("ValueListEditor1"));
    PropertyList->setHorizontalHeaderLabels(
        {QStringLiteral("Параметр"), QStringLiteral("Значение")});
    PropertyList->verticalHeader()->hide();
    PropertyList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PropertyList->setColumnWidth(0, 112);
    PropertyList->setColumnWidth(1, 65);
    PropertyList->horizontalHeader()->setStretchLastSection(true);
    propertiesLayout->addWidget(PropertyList);
    layout->addWidget(properties, 207);
    return panel;
}

QWidget* TMDIChild::CreatePanelData() {
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("PanelData"));
    panel->setMinimumWidth(120);
    panel->resize(325, panel->height());
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::white);
    panel->setPalette(palette);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* up = new QSplitter(Qt::Horizontal);
    TreeViewData = new QTreeWidget;
    TreeViewData->setObjectName(QStringLiteral("TreeViewData"));
    TreeViewData->setHeaderHidden(true);
    TreeViewData->setIndentation(19);
    StringGridData = new QTableWidget;
    StringGridData->setObjectName(QStringLiteral("StringGridData"));
    StringGridData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    up->addWidget(TreeViewData);
    up->addWidget(StringGridData);
    up->setSizes({117, 208});

    auto* chart = new QGroupBox(QStringLiteral("График"));
    chart->setObjectName(QStringLiteral("GBTable"));
    chart->setMinimumHeight(120);

    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(up);
    split->addWidget(chart);
    split->setSizes({400, 236});
    layout->addWidget(split);
    return panel;
}

// ---- geometry --------------------------------------------------------------------

bool TMDIChild::RemoveGeometry() {
    shell::TDialogs& dialogs = Host.Dialogs();
    dialogs.Beep();
    if (dialogs.Question(this, QStringLiteral("Уничтожить текущую геометрию?")) !=
        shell::TAnswer::Yes) {
        return false;
    }
    const bool ok = Model.SurfaceData.SurfaceSorted ? RemoveSurfaceSorting() : true;
    if (ok) {
        Model.ClearSurface();
        StlFileName.clear();
    }
    return ok;
}

void TMDIChild::OpenStl() {
    // Before the dialog: even a cancelled import leaves the document changed.
    Model.SurfaceData.Modified = true;
    const QString name = Host.Dialogs().OpenFileName(
        this, QStringLiteral("Открыть STL"), QStringLiteral("Файлы стереолитографии (*.stl)"),
        Host.DialogFolder());
    if (!name.isEmpty() && QFileInfo::exists(name)) {
        ImportStl(name);
        return;
    }
    FormPaint();
}

bool TMDIChild::ImportStl(const QString& path) {
    const model::TResult loaded = Model.SurfaceData.LoadSTL(NativePath(path), Host.Progress());
    if (loaded) {
        StlFileName = path;
        SceneView->FitModel();
    } else {
        Host.Dialogs().Beep();
        Host.Dialogs().Error(this, kOpenError, FromCore(loaded.Reason()));
    }
    FormPaint();
    return loaded.Ok();
}

bool TMDIChild::RemoveSelection() {
    ShowSelection = false;
    Model.SelectCutEdgeExist = false;
    Model.SelectCutEdge.clear();
    for (int k = 1 + model::kSelectionColumnOffset; k <= model::kColumnCount; ++k) {
        Model.Columns[k].clear();
    }
    // Dropping the selection changes what the project file holds.
    Model.SurfaceData.Modified = true;
    BuildDataTree();
    SelectFirstChild(1);
    FormPaint();
    return true;
}

bool TMDIChild::RemoveCuttingEdge() {
    shell::TDialogs& dialogs = Host.Dialogs();
    dialogs.Beep();
    if (dialogs.Question(
            this, QStringLiteral("Операция уничтожит все рассчитанные данные. Продолжить?")) !=
        shell::TAnswer::Yes) {
        return false;
    }
    if (Model.SelectCutEdgeExist) {
        RemoveSelection();
    }
    Model.ClearCutEdge();
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
    }
    return read;
}

model::TResult TMDIChild::SaveToProject(const QString& path) {
    model::TResult saved = project::SaveProject(Model, NativePath(path), StlFileName.toStdString(),
                                                Model.DecimalSeparator, Host.Progress());
    if (saved) {
        FileName = path;
        HasFileName = true;
    }
    return saved;
}

void TMDIChild::closeEvent(QCloseEvent* event) {
    if (Host.Busy()) {
        event->ignore();
        return;
    }
    if (Model.SurfaceData.Modified) {
        const shell::TAnswer answer = Host.Dialogs().Question(
            this, QStringLiteral("Сохранить изменения в файле ") + FileName, true);
        if (answer == shell::TAnswer::Cancel) {
            event->ignore();
            return;
        }
        if (answer == shell::TAnswer::Yes) {
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
}

void TMDIChild::BuildDataTree() {}

void TMDIChild::SelectTreeNode(int /*kind*/) {}

void TMDIChild::SelectFirstChild(int /*rootKind*/) {}

void TMDIChild::RefreshDataPanel() {}

void TMDIChild::FillPropertyList() {}

void TMDIChild::DiscardSegments() {}

std::pair<int, int> TMDIChild::GetSelectedSegmentRange() const {
    return {-1, -1};
}

void TMDIChild::SideBarItemClick(int /*group*/, int /*item*/) {
    FillPropertyList();
    Host.UpdateCommandStates();
}

void TMDIChild::EnterPickMode() {}

void TMDIChild::DetachPickMenu() {}

bool TMDIChild::InPickMode() const {
    return false;
}

void TMDIChild::ApplyPanelStyle() {}

void TMDIChild::ApplyChartVisibility() {}

void TMDIChild::ApplyTableColumnSizing() {}

void TMDIChild::SetSideBarEnabled(bool enabled) {
    SideBar->setEnabled(enabled);
}

bool TMDIChild::SideBarEnabled() const {
    return SideBar->isEnabled();
}

void TMDIChild::SetMovingGroupsShown(bool shown) {
    SideBarGroups[2]->setVisible(shown);
    SideBarGroups[3]->setVisible(shown);
}

bool TMDIChild::SideBarGroupShown(int group) const {
    return !SideBarGroups.at(static_cast<std::size_t>(group))->isHidden();
}

bool TMDIChild::PanelsShown() const {
    return !PanelLeft->isHidden() && !PanelData->isHidden();
}

}  // namespace tessarin::document
