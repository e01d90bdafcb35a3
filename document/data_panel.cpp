#include "document/data_panel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "base/number_format.h"
#include "document/angle_chart.h"
#include "document/data_table_model.h"
#include "document/data_tree.h"
#include "document/derived_columns.h"
#include "document/dialogs.h"
#include "model/edges.h"
#include "model/systems.h"
#include "project/output_formats.h"

namespace tessarin::document {

namespace {

constexpr int kHeaderHeight = 40;
constexpr int kRowHeight = 16;
constexpr int kNumberColumnWidth = 30;
constexpr int kDataColumnWidth = 64;

}  // namespace

TDataPanel::TDataPanel(model::TModel& model, bool& showSelection, TDialogs& dialogs,
                       QWidget* parent)
    : QWidget(parent), Model(model), ShowSelection(showSelection), Dialogs(dialogs) {
    setObjectName(QStringLiteral("PanelData"));
    setMinimumWidth(120);
    resize(325, height());
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);

    TreeViewData = new TDataTree;
    connect(TreeViewData, &TDataTree::NodeChanging, this,
            [this](int kind) { ShowSelection = IsSelectionKind(kind); });
    connect(TreeViewData, &QTreeWidget::itemSelectionChanged, this,
            &TDataPanel::TreeViewDataChange);

    GridModel = new TDataTableModel(Model, this);
    GridModel->ChosenRows = [this] { return ChosenRows(); };
    StringGridData = new QTableView;
    StringGridData->setObjectName(QStringLiteral("StringGridData"));
    StringGridData->setModel(GridModel);
    StringGridData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGridData->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGridData->setWordWrap(false);
    StringGridData->setShowGrid(true);
    StringGridData->verticalHeader()->hide();
    StringGridData->verticalHeader()->setMinimumSectionSize(kRowHeight);
    StringGridData->verticalHeader()->setDefaultSectionSize(kRowHeight);
    StringGridData->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* header = StringGridData->horizontalHeader();
    header->setDefaultSectionSize(kDataColumnWidth);
    header->setMinimumSectionSize(12);
    header->setFixedHeight(kHeaderHeight);
    // Long titles take two or three lines of the header.
    header->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
    header->setTextElideMode(Qt::ElideNone);
    header->setHighlightSections(false);
    StringGridData->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(StringGridData, &QWidget::customContextMenuRequested, this, &TDataPanel::ShowTableMenu);
    connect(StringGridData->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        RememberChosenRows();
        emit ChosenRowsChanged();
    });

    // The "№" column over the table's own first column, scrolled with it up and down
    // but not sideways; it shares the table's rows and its chosen rows.
    FrozenNumbers = new QTableView(StringGridData);
    FrozenNumbers->setObjectName(QStringLiteral("FrozenNumberColumn"));
    FrozenNumbers->setModel(GridModel);
    FrozenNumbers->setSelectionModel(StringGridData->selectionModel());
    FrozenNumbers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FrozenNumbers->setSelectionBehavior(QAbstractItemView::SelectRows);
    FrozenNumbers->setFocusPolicy(Qt::NoFocus);
    FrozenNumbers->setWordWrap(false);
    FrozenNumbers->setFrameShape(QFrame::NoFrame);
    FrozenNumbers->verticalHeader()->hide();
    FrozenNumbers->verticalHeader()->setMinimumSectionSize(kRowHeight);
    FrozenNumbers->verticalHeader()->setDefaultSectionSize(kRowHeight);
    FrozenNumbers->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    FrozenNumbers->horizontalHeader()->setFixedHeight(kHeaderHeight);
    FrozenNumbers->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    FrozenNumbers->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    FrozenNumbers->horizontalHeader()->setHighlightSections(false);
    FrozenNumbers->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FrozenNumbers->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FrozenNumbers->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FrozenNumbers, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) {
                ShowTableMenu(StringGridData->viewport()->mapFromGlobal(
                    FrozenNumbers->viewport()->mapToGlobal(position)));
            });
    connect(StringGridData->verticalScrollBar(), &QAbstractSlider::valueChanged,
            FrozenNumbers->verticalScrollBar(), &QAbstractSlider::setValue);
    connect(FrozenNumbers->verticalScrollBar(), &QAbstractSlider::valueChanged,
            StringGridData->verticalScrollBar(), &QAbstractSlider::setValue);
    connect(StringGridData->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int section) {
                if (section == 0) {
                    UpdateNumberColumn();
                }
            });
    connect(GridModel, &QAbstractItemModel::modelReset, this, &TDataPanel::UpdateNumberColumn);
    StringGridData->installEventFilter(this);
    StringGridData->viewport()->installEventFilter(this);
    FrozenNumbers->viewport()->installEventFilter(this);

    CopyAction = new QAction(QStringLiteral("Копировать"), this);
    CopyAction->setShortcut(QKeySequence::Copy);
    CopyAction->setShortcutContext(Qt::WidgetShortcut);
    connect(CopyAction, &QAction::triggered, this, [this] {
        if (!PickMode) {
            QApplication::clipboard()->setText(ChosenRowsText());
        }
    });
    StringGridData->addAction(CopyAction);

    PopupMenuTable = new QMenu(this);
    PopupMenuTable->setObjectName(QStringLiteral("PopupMenuTable"));
    QAction* choose = PopupMenuTable->addAction(QStringLiteral("Выбрать"));
    choose->setObjectName(QStringLiteral("N1"));
    connect(choose, &QAction::triggered, this, &TDataPanel::PickCurrentRow);
    PopupMenuTable->addSeparator();
    QAction* cancel = PopupMenuTable->addAction(QStringLiteral("Отмена"));
    cancel->setObjectName(QStringLiteral("N3"));
    connect(cancel, &QAction::triggered, this, &TDataPanel::LeavePickMode);

    Splitter3 = new QSplitter(Qt::Horizontal);
    Splitter3->setObjectName(QStringLiteral("PanelUp"));
    Splitter3->addWidget(TreeViewData);
    DataTabs = new QTabWidget;
    DataTabs->setObjectName(QStringLiteral("DataTabs"));
    DataTabs->setDocumentMode(true);
    DataTabs->addTab(StringGridData, QStringLiteral("Сегменты"));
    DataTabs->addTab(CreateEdgeTab(), QStringLiteral("Кромки"));
    connect(DataTabs, &QTabWidget::currentChanged, this, [this] {
        if (EdgeSummaryStale && DataTabs->currentIndex() == 1) {
            FillEdgeSummary();
        }
    });
    Splitter3->addWidget(DataTabs);
    Splitter3->setSizes({117, 208});
    Splitter3->setStretchFactor(1, 1);
    Splitter3->setChildrenCollapsible(false);

    DataChart = new TAngleChart;
    connect(DataChart, &TAngleChart::SaveRequested, this, &TDataPanel::SaveChartRequested);
    GBTable = new QGroupBox(QStringLiteral("График"));
    GBTable->setObjectName(QStringLiteral("GBTable"));
    GBTable->setMinimumHeight(2);
    auto* chartLayout = new QVBoxLayout(GBTable);
    chartLayout->setContentsMargins(2, 2, 2, 2);
    chartLayout->addWidget(DataChart);

    Splitter2 = new QSplitter(Qt::Vertical);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->addWidget(Splitter3);
    Splitter2->addWidget(GBTable);
    Splitter2->setHandleWidth(3);
    Splitter2->setStretchFactor(0, 1);
    Splitter2->setStretchFactor(1, 0);
    Splitter2->setChildrenCollapsible(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Splitter2);

    ApplyTableOptions();
    RefreshDataPanel();
}

const std::vector<int>& TDataPanel::ShownColumns() const {
    return Columns;
}

void TDataPanel::BuildDataTree() {
    TreeViewData->Build(Model);
}

bool TDataPanel::SelectKindNode(int kind) {
    QTreeWidgetItem* node = TreeViewData->FindNode(kind);
    if (node == nullptr) {
        Dialogs.Beep();
        Dialogs.Error(this, QStringLiteral("Ошибка дерева данных"));
        return false;
    }
    TreeViewData->SelectNode(node);
    return true;
}

bool TDataPanel::SelectTreeNode(int kind) {
    return SelectKindNode(kind);
}

bool TDataPanel::SelectFirstChild(int rootKind) {
    const std::vector<int>& kinds = TreeViewData->NodeKinds();
    const auto root = std::find(kinds.begin(), kinds.end(), rootKind);
    if (root == kinds.end() || root + 1 == kinds.end() ||
        IsSelectionKind(*(root + 1)) != IsSelectionKind(rootKind) || IsExtraCode(*(root + 1))) {
        Dialogs.Beep();
        Dialogs.Error(this, QStringLiteral("Ошибка дерева данных"));
        return false;
    }
    return SelectKindNode(*(root + 1));
}

void TDataPanel::TreeViewDataChange() {
    const std::vector<int> kinds = TreeViewData->SelectedKinds();
    // The group shown is that of the nodes chosen, however they were chosen.
    if (!kinds.empty()) {
        ShowSelection = IsSelectionKind(kinds.front());
    }
    Columns = ShownColumnsOf(kinds);
    Derived = DerivedColumnsOf(kinds);
    for (QTreeWidgetItem* node : TreeViewData->selectedItems()) {
        node->setExpanded(true);
    }
    RefreshDataPanel();
}

void TDataPanel::RefreshDataPanel() {
    {
        // The reset forgets the chosen rows; what they were is kept in Chosen.
        const QScopedValueRollback<bool> refreshing(Refreshing, true);
        GridModel->SetEdges(model::GroupModelEdges(Model));
        AllColumns = Columns;
        for (const int code : Derived) {
            if (IsSelectionCode(code) == ShowSelection) {
                AllColumns.push_back(code);
            }
        }
        GridModel->Show(AllColumns, ShowSelection);
    }
    RestoreChosenRows();
    // Wide enough for an angle such as "-177,4387" with the document's decimals.
    const int decimals = std::clamp(Model.GetAccuracy(), 0, 6);
    QString widest = QStringLiteral("-000");
    if (decimals > 0) {
        widest += QLatin1Char(Model.DecimalSeparator) + QString(decimals, QLatin1Char('0'));
    }
    const int width = StringGridData->fontMetrics().horizontalAdvance(widest) + 12;
    StringGridData->horizontalHeader()->setDefaultSectionSize(std::max(kDataColumnWidth, width));
    for (int c = 1; c < GridModel->columnCount(); ++c) {
        int columnWidth = std::max(kDataColumnWidth, width);
        if (AllColumns[static_cast<std::size_t>(c)] > model::kColumnCount) {
            // The derived angles' titles are longer than today's: wide enough for the
            // title in two lines, so that the header's three take it whole.
            const QFontMetrics metrics = StringGridData->horizontalHeader()->fontMetrics();
            columnWidth = std::max(columnWidth,
                                   metrics.horizontalAdvance(GridModel->ColumnHeader(c)) / 2 + 16);
        }
        StringGridData->setColumnWidth(c, columnWidth);
    }
    if (!Columns.empty()) {
        // 30 pixels, unless the largest segment number needs more.
        const int numberWidth = StringGridData->fontMetrics().horizontalAdvance(
                                    QString::number(GridModel->rowCount())) +
                                6;
        StringGridData->setColumnWidth(0, std::max(kNumberColumnWidth, numberWidth));
    }
    UpdateNumberColumn();
    DataChart->ShowSeries(Model, AllColumns);
    StringGridData->viewport()->update();
    // The edges and their angles may have changed: the summary is filled again when seen.
    EdgeSummaryStale = true;
    if (DataTabs->currentIndex() == 1) {
        FillEdgeSummary();
    }
    emit ChosenRowsChanged();
}

void TDataPanel::UpdateNumberColumn() {
    const int columns = GridModel->columnCount();
    FrozenNumbers->setVisible(columns > 0);
    if (columns == 0) {
        return;
    }
    for (int c = 1; c < columns; ++c) {
        FrozenNumbers->setColumnHidden(c, true);
    }
    FrozenNumbers->setColumnHidden(0, false);
    const int width = StringGridData->columnWidth(0);
    FrozenNumbers->setColumnWidth(0, width);
    const int frame = StringGridData->frameWidth();
    FrozenNumbers->setGeometry(
        frame, frame, width,
        StringGridData->viewport()->height() + StringGridData->horizontalHeader()->height());
    FrozenNumbers->verticalScrollBar()->setValue(StringGridData->verticalScrollBar()->value());
    FrozenNumbers->raise();
}

bool TDataPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize &&
        (watched == StringGridData || watched == StringGridData->viewport())) {
        UpdateNumberColumn();
    }
    // The wheel over the number column scrolls the table.
    if (watched == FrozenNumbers->viewport() && event->type() == QEvent::Wheel) {
        QCoreApplication::sendEvent(StringGridData->viewport(), event);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TDataPanel::RememberChosenRows() {
    if (Refreshing) {
        return;
    }
    const auto [top, bottom] = ChosenRows();
    const model::TCutEdgeData& shown =
        GridModel->ShowSelection() ? Model.SelectCutEdge : Model.CutEdge;
    const long long rows =
        std::min<long long>(GridModel->rowCount(), static_cast<long long>(shown.size()));
    Chosen.Any = top >= 0 && bottom < rows;
    if (Chosen.Any) {
        Chosen.First = shown[static_cast<std::size_t>(top)];
        Chosen.Last = shown[static_cast<std::size_t>(bottom)];
    }
}

void TDataPanel::RestoreChosenRows() {
    const int rows = GridModel->rowCount();
    if (rows == 0 || GridModel->columnCount() == 0) {
        return;
    }
    // The cutting-edge indices of the remembered ends; a segment is the same one when its
    // end points are (its number changes with a discard).
    const auto indexOf = [this](const model::TSegment& segment) -> long long {
        const model::TCutEdgeData& edge = Model.CutEdge;
        for (std::size_t i = 0; i < edge.size(); ++i) {
            if (edge[i].Point1 == segment.Point1 && edge[i].Point2 == segment.Point2) {
                return static_cast<long long>(i);
            }
        }
        return -1;
    };
    long long first = -1;
    long long last = -1;
    if (Chosen.Any) {
        first = indexOf(Chosen.First);
        last = indexOf(Chosen.Last);
        if (first < 0) {
            first = last;
        } else if (last < 0) {
            last = first;
        }
    }
    int top = -1;
    int bottom = -1;
    if (first >= 0) {
        if (first > last) {
            std::swap(first, last);
        }
        if (!GridModel->ShowSelection()) {
            top = static_cast<int>(first);
            bottom = static_cast<int>(std::min<long long>(last, rows - 1));
        } else {
            // The selected segments between the two ends, by their numbers.
            const model::TCutEdgeData& shown = Model.SelectCutEdge;
            const int count = std::min(rows, static_cast<int>(shown.size()));
            for (int row = 0; row < count; ++row) {
                const long long k =
                    static_cast<long long>(shown[static_cast<std::size_t>(row)].Number) - 1;
                if (first <= k && k <= last) {
                    top = top < 0 ? row : top;
                    bottom = row;
                }
            }
        }
    }
    if (top < 0 || top >= rows) {
        top = 0;
        bottom = 0;
    }
    ChooseRows(top, bottom);
}

std::pair<int, int> TDataPanel::ChosenRows() const {
    const QItemSelection selection = StringGridData->selectionModel()->selection();
    int top = -1;
    int bottom = -1;
    for (const QItemSelectionRange& range : selection) {
        top = top < 0 ? range.top() : std::min(top, range.top());
        bottom = std::max(bottom, range.bottom());
    }
    return {top, bottom};
}

std::pair<int, int> TDataPanel::GetSelectedSegmentRange() const {
    const auto [top, bottom] = ChosenRows();
    const model::TCutEdgeData& shown = ShowSelection ? Model.SelectCutEdge : Model.CutEdge;
    const long long count = static_cast<long long>(Model.CutEdge.size());
    const long long lastRow = std::min<long long>(bottom, static_cast<long long>(shown.size()) - 1);
    // A selection made before a discard keeps its old numbers: only those that still
    // name a segment count, so the range never leaves the cutting edge.
    auto index = [&](long long row) {
        const long long k = static_cast<long long>(shown[static_cast<std::size_t>(row)].Number) - 1;
        return 0 <= k && k < count ? k : -1;
    };
    long long first = -1;
    for (long long row = top; row >= 0 && row <= lastRow && first < 0; ++row) {
        first = index(row);
    }
    long long last = -1;
    for (long long row = lastRow; row >= top && row >= 0 && last < 0; --row) {
        last = index(row);
    }
    if (first < 0 || last < 0) {
        return {-1, -1};
    }
    return {static_cast<int>(std::min(first, last)), static_cast<int>(std::max(first, last))};
}

void TDataPanel::ChooseRows(int first, int last) {
    QItemSelectionModel* selection = StringGridData->selectionModel();
    if (first < 0 || last < first || last >= GridModel->rowCount() ||
        GridModel->columnCount() == 0) {
        selection->clearSelection();
        return;
    }
    const QItemSelection rows(GridModel->index(first, 0),
                              GridModel->index(last, GridModel->columnCount() - 1));
    selection->setCurrentIndex(GridModel->index(first, 0), QItemSelectionModel::NoUpdate);
    selection->select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int TDataPanel::RowOfSegment(int index) const {
    if (index < 0 || GridModel->columnCount() == 0) {
        return -1;
    }
    // By the rows the table shows now.
    const int rows = GridModel->rowCount();
    if (!GridModel->ShowSelection()) {
        return index < rows ? index : -1;
    }
    const model::TCutEdgeData& shown = Model.SelectCutEdge;
    const int count = std::min(rows, static_cast<int>(shown.size()));
    for (int row = 0; row < count; ++row) {
        if (static_cast<long long>(shown[static_cast<std::size_t>(row)].Number) - 1 == index) {
            return row;
        }
    }
    return -1;
}

void TDataPanel::ShowSegmentRow(int index) {
    const int row = RowOfSegment(index);
    if (row < 0) {
        StringGridData->selectionModel()->clearSelection();
        StringGridData->selectionModel()->setCurrentIndex(QModelIndex(),
                                                          QItemSelectionModel::NoUpdate);
        return;
    }
    const QModelIndex cell = GridModel->index(row, 0);
    StringGridData->setCurrentIndex(cell);
    StringGridData->selectionModel()->select(
        cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    StringGridData->scrollTo(cell);
}

// ---- pick mode ---------------------------------------------------------------------

void TDataPanel::EnterPickMode() {
    PickMode = true;
    StringGridData->viewport()->setCursor(Qt::PointingHandCursor);
    ApplyTableOptions();
}

void TDataPanel::DetachPickMenu() {
    PickMode = false;
    StringGridData->viewport()->unsetCursor();
    // Out of pick mode rows are chosen as a range again; otherwise a panel closed
    // without "Выбрать" would leave the table choosing one row at a time.
    ApplyTableOptions();
}

void TDataPanel::LeavePickMode() {
    DetachPickMenu();
    // Column resizing stays on here whatever the setting says, as the grid had it.
    ColumnResizing = true;
    ApplyTableOptions();
}

void TDataPanel::PickCurrentRow() {
    const QModelIndex current = StringGridData->currentIndex();
    int row = current.isValid() ? current.row() : ChosenRows().first;
    const model::TCutEdgeData& shown = ShowSelection ? Model.SelectCutEdge : Model.CutEdge;
    bool picked = false;
    if (row >= 0 && row < static_cast<int>(shown.size())) {
        // The segment's own index, also in the selection group, where the row is not one.
        const long long k = static_cast<long long>(shown[static_cast<std::size_t>(row)].Number) - 1;
        if (0 <= k && k < static_cast<long long>(Model.CutEdge.size())) {
            Model.WorkingCS.FeedPlan.HCE = static_cast<std::int32_t>(k);
            picked = true;
        }
    }
    LeavePickMode();
    if (picked) {
        emit Picked();
    }
}

void TDataPanel::ShowTableMenu(const QPoint& position) {
    const QPoint global = StringGridData->viewport()->mapToGlobal(position);
    if (PickMode) {
        PopupMenuTable->popup(global);
        return;
    }
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* copy = menu->addAction(QStringLiteral("Копировать"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(ChosenRows().first >= 0);
    connect(copy, &QAction::triggered, CopyAction, &QAction::trigger);
    // One entry per table format of the core's list.
    for (const project::TTableFormat& format : project::TableFormats()) {
        QAction* exportTable = menu->addAction(QString::fromUtf8(
            format.Caption.data(), static_cast<qsizetype>(format.Caption.size())));
        exportTable->setEnabled(!Columns.empty());
        const QString key =
            QString::fromUtf8(format.Key.data(), static_cast<qsizetype>(format.Key.size()));
        connect(exportTable, &QAction::triggered, this, [this, key] { emit ExportRequested(key); });
    }
    menu->popup(global);
}

void TDataPanel::ApplyTableOptions() {
    StringGridData->setSelectionMode(PickMode ? QAbstractItemView::SingleSelection
                                              : QAbstractItemView::ContiguousSelection);
    FrozenNumbers->setSelectionMode(StringGridData->selectionMode());
    StringGridData->horizontalHeader()->setSectionResizeMode(
        PickMode || ColumnResizing ? QHeaderView::Interactive : QHeaderView::Fixed);
}

// ---- settings ----------------------------------------------------------------------

void TDataPanel::SetColumnResizing(bool on) {
    ColumnResizing = on;
    ApplyTableOptions();
}

void TDataPanel::SetChartShown(bool shown) {
    ChartBoxHeight = shown ? 230 : 2;
    const int total = std::max(Splitter2->height(), ChartBoxHeight + 100);
    Splitter2->setSizes({total - ChartBoxHeight - Splitter2->handleWidth(), ChartBoxHeight});
}

void TDataPanel::SetFlat(bool flat) {
    for (QFrame* frame :
         std::initializer_list<QFrame*>{TreeViewData, StringGridData, EdgeSummary, DataChart}) {
        frame->setFrameShape(flat ? QFrame::Box : QFrame::StyledPanel);
        frame->setFrameShadow(flat ? QFrame::Plain : QFrame::Sunken);
    }
    GBTable->setFlat(flat);
}

std::vector<model::TAngleId> TDataPanel::ExportedAngles() const {
    std::vector<model::TAngleId> angles;
    if (GridModel->ShowSelection()) {
        return angles;
    }
    for (const int code : AllColumns) {
        if (IsDerivedCode(code) && !IsSelectionCode(code)) {
            const model::TAngleId id = DerivedAngle(code);
            if (Model.DefinedAngles.at(static_cast<std::size_t>(id.System))) {
                angles.push_back(id);
            }
        }
    }
    return angles;
}

// ---- edges -------------------------------------------------------------------------

QWidget* TDataPanel::CreateEdgeTab() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("EdgePage"));
    EdgeAngle = new QComboBox;
    EdgeAngle->setObjectName(QStringLiteral("EdgeAngle"));
    EdgeAngle->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    EdgeAngle->setMinimumContentsLength(12);
    connect(EdgeAngle, &QComboBox::activated, this, [this] { FillEdgeSummary(); });
    EdgeSummary = new QTableWidget;
    EdgeSummary->setObjectName(QStringLiteral("EdgeSummary"));
    EdgeSummary->setEditTriggers(QAbstractItemView::NoEditTriggers);
    EdgeSummary->setSelectionBehavior(QAbstractItemView::SelectRows);
    EdgeSummary->setSelectionMode(QAbstractItemView::SingleSelection);
    EdgeSummary->setWordWrap(false);
    EdgeSummary->verticalHeader()->hide();
    EdgeSummary->verticalHeader()->setDefaultSectionSize(kRowHeight);
    EdgeSummary->verticalHeader()->setMinimumSectionSize(kRowHeight);
    EdgeSummary->horizontalHeader()->setFixedHeight(kHeaderHeight);
    EdgeSummary->horizontalHeader()->setDefaultAlignment(
        Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
    EdgeSummary->horizontalHeader()->setDefaultSectionSize(kDataColumnWidth);
    connect(EdgeSummary, &QTableWidget::itemSelectionChanged, this,
            &TDataPanel::HighlightedEdgeChanged);
    auto* top = new QHBoxLayout;
    top->setContentsMargins(2, 2, 2, 2);
    top->addWidget(new QLabel(QStringLiteral("Угол:")));
    top->addWidget(EdgeAngle, 1);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(top);
    layout->addWidget(EdgeSummary, 1);
    return page;
}

void TDataPanel::FillEdgeSummary() {
    EdgeSummaryStale = false;
    // The angles of the computed systems, the chosen one kept by its key.
    const QString chosenKey = EdgeAngle->currentData().toString();
    {
        const QSignalBlocker blocker(EdgeAngle);
        EdgeAngle->clear();
        for (const model::TAngleId& id : model::AllAngles()) {
            if (Model.DefinedAngles.at(static_cast<std::size_t>(id.System))) {
                EdgeAngle->addItem(QString::fromUtf8(model::SystemInfo(id.System).TitlePrefix) +
                                       QLatin1Char(' ') +
                                       QString::fromUtf8(model::AngleKindInfo(id.Kind).TitleWord),
                                   QString::fromStdString(model::AngleKey(id)));
            }
        }
        const int chosen = EdgeAngle->findData(chosenKey);
        EdgeAngle->setCurrentIndex(chosen >= 0 ? chosen : 0);
    }
    const int previous = EdgeSummary->currentRow();
    const QSignalBlocker blocker(EdgeSummary);
    EdgeSummary->clear();
    const QStringList titles{QStringLiteral("Кромка"),      QStringLiteral("Сегментов"),
                             QStringLiteral("Длина"),       QStringLiteral("Полярный от"),
                             QStringLiteral("Полярный до"), QStringLiteral("Мин."),
                             QStringLiteral("Среднее"),     QStringLiteral("Макс.")};
    EdgeSummary->setColumnCount(static_cast<int>(titles.size()));
    EdgeSummary->setHorizontalHeaderLabels(titles);
    const model::TEdges& edges = GridModel->GetEdges();
    // Only the chosen angle is read: a table of every angle of a million segments would
    // take hundreds of megabytes.
    model::TAngleTable table;
    table.SegmentCount = Model.CutEdge.size();
    const std::optional<model::TAngleId> angle =
        model::AngleOfKey(EdgeAngle->currentData().toString().toStdString());
    if (angle) {
        table.Angles.push_back(*angle);
        table.Values.reserve(Model.CutEdge.size());
        for (const model::TSegment& segment : Model.CutEdge) {
            table.Values.push_back(model::AngleValue(segment, Model.AcceptedCS, *angle));
        }
    }
    const model::TEdgeReport report = model::SummarizeEdges(Model.CutEdge, edges, table);
    const int decimals = Model.GetAccuracy();
    const auto number = [this, decimals](double value) {
        return std::isnan(value) ? QString()
                                 : QString::fromStdString(base::FloatToStrAcc(
                                       decimals, value, Model.DecimalSeparator));
    };
    const int rows = static_cast<int>(report.Edges.size()) + (report.Edges.empty() ? 0 : 1);
    EdgeSummary->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        const bool tool = row == static_cast<int>(report.Edges.size());
        const model::TEdgeSummary& edge =
            tool ? report.Tool : report.Edges[static_cast<std::size_t>(row)];
        QStringList cells{tool ? QStringLiteral("Все") : QString::number(edge.Number),
                          QString::number(edge.Segments), number(edge.Length),
                          number(edge.PolarFrom), number(edge.PolarTo)};
        if (!edge.Angles.empty()) {
            cells << number(edge.Angles.front().Min) << number(edge.Angles.front().Mean)
                  << number(edge.Angles.front().Max);
        }
        for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
            EdgeSummary->setItem(row, c, new QTableWidgetItem(cells[c]));
        }
    }
    EdgeSummary->resizeColumnsToContents();
    if (previous >= 0 && previous < rows - 1) {
        EdgeSummary->selectRow(previous);
    }
    emit HighlightedEdgeChanged();
}

std::pair<int, int> TDataPanel::HighlightedEdge() const {
    const QList<QTableWidgetItem*> items = EdgeSummary->selectedItems();
    const model::TEdges& edges = GridModel->GetEdges();
    if (items.isEmpty() || EdgeSummaryStale) {
        return {-1, 0};
    }
    const int row = items.front()->row();
    if (row < 0 || row >= static_cast<int>(edges.Edges.size())) {
        return {-1, 0};  // the tool's row: every segment is an edge already
    }
    const model::TEdge& edge = edges.Edges[static_cast<std::size_t>(row)];
    return {edge.First, edge.Count};
}

// ---- copying -----------------------------------------------------------------------

QString TDataPanel::ChosenRowsText() const {
    const auto [top, bottom] = ChosenRows();
    if (top < 0) {
        return {};
    }
    QStringList lines;
    QStringList cells;
    for (int c = 0; c < GridModel->columnCount(); ++c) {
        cells << (c == 0 ? QStringLiteral("№") : GridModel->ColumnHeader(c));
    }
    lines << cells.join(QLatin1Char('\t'));
    for (int row = top; row <= bottom; ++row) {
        cells.clear();
        for (int c = 0; c < GridModel->columnCount(); ++c) {
            cells << GridModel->CellText(row, c);
        }
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

}  // namespace tessarin::document
