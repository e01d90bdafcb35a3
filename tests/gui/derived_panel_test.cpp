// The derived angles and the edges in the data panel: the derived angles' tree nodes of
// the computed systems only, their table columns and chart lines computed from the
// segments, the edge number column, the edge summary tab and the edge it hands to the
// 3-D view.
#include <QComboBox>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtCharts/QLineSeries>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <memory>

#include "base/number_format.h"
#include "document/angle_chart.h"
#include "document/data_panel.h"
#include "document/data_table_model.h"
#include "document/data_tree.h"
#include "document/derived_columns.h"
#include "document/mdi_child.h"
#include "model/angle_keys.h"
#include "model/edges.h"
#include "model/model.h"
#include "shell/main_window.h"
#include "tests/gui/support/memory_settings.h"
#include "tests/gui/support/sample_window.h"
#include "tests/gui/support/scripted_dialogs.h"

using tessarin::document::DerivedCode;
using tessarin::document::EdgeColumnCode;
using tessarin::document::TDataPanel;
using tessarin::document::TDataTree;
using tessarin::document::TMDIChild;
using tessarin::shell::TMainForm;
using tessarin::test::TMemorySettings;
using tessarin::test::TScriptedDialogs;
namespace model = tessarin::model;
namespace base = tessarin::base;

namespace {

const QString kSampleProject = QStringLiteral(TESSARIN_SAMPLES "/cutter.tsf");

void ClickNode(TDataTree& tree, int kind, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QTreeWidgetItem* node = tree.FindNode(kind);
    QVERIFY2(node != nullptr, qPrintable(QString::number(kind)));
    tree.scrollToItem(node);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, keys, tree.visualItemRect(node).center());
}

// The text a derived cell must show: AngleValue with the document's accuracy and
// decimal separator; empty where the angle is not defined.
QString Expected(const model::TModel& m, const model::TSegment& segment,
                 const model::TAngleId& id) {
    const double value = model::AngleValue(segment, m.AcceptedCS, id);
    return std::isnan(value) ? QString()
                             : QString::fromStdString(
                                   base::FloatToStrAcc(m.GetAccuracy(), value, m.DecimalSeparator));
}

// The column of `code` in the table, -1 when it is not shown.
int TableColumnOf(const TDataPanel& panel, int code) {
    const std::vector<int>& columns = panel.TableColumns();
    const auto found = std::find(columns.begin(), columns.end(), code);
    return found == columns.end() ? -1 : static_cast<int>(found - columns.begin());
}

}  // namespace

class TDerivedPanelTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void DerivedNodesOnlyForComputedSystems_data();
    void DerivedNodesOnlyForComputedSystems();
    void DerivedColumnsShowAngleValue();
    void DerivedLinesOnTheChart();
    void ExportAddsTheDerivedColumns();
    void EdgeColumnAndSummary();
    void EdgesFollowTheKinkAngle();
    void Screenshots();

private:
    TMDIChild* OpenSample();

    std::unique_ptr<TScriptedDialogs> Dialogs;
    std::unique_ptr<TMemorySettings> Settings;
    std::unique_ptr<TMainForm> Form;
};

void TDerivedPanelTest::init() {
    Dialogs = std::make_unique<TScriptedDialogs>();
    Settings = std::make_unique<TMemorySettings>();
    Form = std::make_unique<TMainForm>(*Dialogs, *Settings);
}

void TDerivedPanelTest::cleanup() {
    QVERIFY2(Dialogs->Unscripted().isEmpty(), qPrintable(Dialogs->Unscripted().join("; ")));
    Form.reset();
    Settings.reset();
    Dialogs.reset();
}

TMDIChild* TDerivedPanelTest::OpenSample() {
    return tessarin::test::OpenProjectInSizedWindow(*Form, *Dialogs, kSampleProject);
}

void TDerivedPanelTest::DerivedNodesOnlyForComputedSystems_data() {
    QTest::addColumn<int>("definedMask");  // bit s: DefinedAngles[s]
    QTest::newRow("none") << 0;
    QTest::newRow("ISK") << 0b0001;
    QTest::newRow("SSK and DSK") << 0b1010;
    QTest::newRow("all") << 0b1111;
}

void TDerivedPanelTest::DerivedNodesOnlyForComputedSystems() {
    QFETCH(int, definedMask);
    Form->findChild<QAction*>(QStringLiteral("ButtonNew"))->trigger();
    TMDIChild* document = Form->ActiveDocument();
    model::TModel& m = document->Model;
    m.CutEdgeExist = true;
    m.SelectCutEdgeExist = true;
    for (int s = 0; s < model::kSystemCount; ++s) {
        m.DefinedAngles[static_cast<std::size_t>(s)] = (definedMask >> s & 1) != 0;
    }
    document->BuildDataTree();
    TDataTree& tree = document->Data().Tree();
    for (const bool selection : {false, true}) {
        for (int s = 0; s < model::kSystemCount; ++s) {
            QTreeWidgetItem* system =
                tree.FindNode(tessarin::document::SystemNodeKind(s) + (selection ? 20 : 0));
            for (int kind = model::kKindGn; kind < model::kAngleKindCount; ++kind) {
                QTreeWidgetItem* node = tree.FindNode(DerivedCode({s, kind}, selection));
                const bool expected = (definedMask >> s & 1) != 0 && model::AngleDefined(s, kind);
                QCOMPARE(node != nullptr, expected);
                if (node != nullptr) {
                    QCOMPARE(node->parent(), system);
                    QCOMPARE(node->text(0), QString::fromUtf8(model::AngleKindInfo(kind).Caption));
                    QCOMPARE(tessarin::document::IsSelectionKind(TDataTree::KindOf(node)),
                             selection);
                }
            }
        }
        // The edge node closes its group, after the systems.
        QTreeWidgetItem* edges = tree.FindNode(EdgeColumnCode(selection));
        QVERIFY(edges != nullptr);
        QCOMPARE(edges->parent(), tree.topLevelItem(selection ? 1 : 0));
        QCOMPARE(edges->parent()->indexOfChild(edges), edges->parent()->childCount() - 1);
    }
}

void TDerivedPanelTest::DerivedColumnsShowAngleValue() {
    TMDIChild* document = OpenSample();
    const model::TModel& m = document->Model;
    TDataPanel& panel = document->Data();
    QVERIFY(m.DefinedAngles[model::kSSK]);
    const std::vector<model::TAngleId> ids{{model::kSSK, model::kKindGn},
                                           {model::kSSK, model::kKindGf},
                                           {model::kSSK, model::kKindPsi}};
    ClickNode(panel.Tree(), 7);  // SSK rake angle
    for (const model::TAngleId& id : ids) {
        ClickNode(panel.Tree(), DerivedCode(id, false), Qt::ControlModifier);
    }
    // Today's columns as before; the derived ones after them.
    QCOMPARE(panel.ShownColumns(), (std::vector<int>{1, 2, 6}));
    const int rows = panel.TableModel().rowCount();
    QCOMPARE(rows, m.SegmentCount);
    for (std::size_t a = 0; a < ids.size(); ++a) {
        const int column = TableColumnOf(panel, DerivedCode(ids[a], false));
        QCOMPARE(column, static_cast<int>(3 + a));
        QCOMPARE(panel.TableModel().headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("Статич. ") +
                     QString::fromUtf8(model::AngleKindInfo(ids[a].Kind).TitleWord));
        for (const int row : {0, rows / 2, rows - 1}) {
            const QString text = panel.TableModel().CellText(row, column);
            QVERIFY(!text.isEmpty());
            QCOMPARE(text, Expected(m, m.CutEdge[static_cast<std::size_t>(row)], ids[a]));
        }
    }
    QCOMPARE(panel.TableModel().headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Статич. нормальный передний угол"));

    // The selection group computes its cells from the selected segments.
    model::TSelectDlgInqury query;
    query.Ranges.SSK.G.push_back({-90.0, 0.0});
    query.Use[3] = true;
    query.Valid = true;
    QVERIFY(document->Model.MakeSelection(query));
    document->FillSelectionLists();
    document->BuildDataTree();
    const model::TAngleId an{model::kSSK, model::kKindAn};
    ClickNode(panel.Tree(), DerivedCode(an, true));
    QVERIFY(document->ShowSelection);
    const int column = TableColumnOf(panel, DerivedCode(an, true));
    QVERIFY(column > 0);
    QCOMPARE(panel.TableModel().rowCount(), static_cast<int>(m.SelectCutEdge.size()));
    QCOMPARE(panel.TableModel().CellText(0, column), Expected(m, m.SelectCutEdge.front(), an));
    QCOMPARE(panel.TableModel().CellText(panel.TableModel().rowCount() - 1, column),
             Expected(m, m.SelectCutEdge.back(), an));
}

void TDerivedPanelTest::DerivedLinesOnTheChart() {
    TMDIChild* document = OpenSample();
    const model::TModel& m = document->Model;
    TDataPanel& panel = document->Data();
    const model::TAngleId bo{model::kSSK, model::kKindBo};
    ClickNode(panel.Tree(), 7);
    ClickNode(panel.Tree(), DerivedCode(bo, false), Qt::ControlModifier);
    const QList<QLineSeries*> lines = panel.Chart().ShownLines();
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], panel.Chart().Line(6));
    QCOMPARE(lines[1], panel.Chart().Line(DerivedCode(bo, false)));
    QCOMPARE(lines[1]->name(), QStringLiteral("Стат. угол заострения"));
    // Every point is the angle at a segment's polar angle: 90 - rake - clearance.
    const QList<QPointF> points = lines[1]->points();
    QVERIFY(!points.isEmpty());
    for (const QPointF& p : points) {
        const auto segment =
            std::find_if(m.CutEdge.begin(), m.CutEdge.end(),
                         [&](const model::TSegment& s) { return s.Polar == p.x(); });
        QVERIFY(segment != m.CutEdge.end());
        QCOMPARE(p.y(), model::AngleValue(*segment, m.AcceptedCS, bo));
    }
    // The line leaves the chart with its node.
    ClickNode(panel.Tree(), 1);
    QVERIFY(panel.Chart().ShownLines().isEmpty());
}

void TDerivedPanelTest::ExportAddsTheDerivedColumns() {
    TMDIChild* document = OpenSample();
    const model::TModel& m = document->Model;
    TDataPanel& panel = document->Data();
    const model::TAngleId gn{model::kSSK, model::kKindGn};
    ClickNode(panel.Tree(), 7);
    ClickNode(panel.Tree(), DerivedCode(gn, false), Qt::ControlModifier);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("table.csv"));
    Dialogs->ChooseFile(path);
    emit panel.ExportRequested();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.front(), QStringLiteral("№;Угол в ПСК;Статич. передний угол;Статич. "
                                           "нормальный передний угол"));
    // The same text as the table's cell.
    QCOMPARE(lines.at(1).section(QLatin1Char(';'), 3), panel.TableModel().CellText(0, 3));
    QCOMPARE(lines.at(1).section(QLatin1Char(';'), 3), Expected(m, m.CutEdge.front(), gn));
}

void TDerivedPanelTest::EdgeColumnAndSummary() {
    TMDIChild* document = OpenSample();
    const model::TModel& m = document->Model;
    TDataPanel& panel = document->Data();
    const model::TEdges edges = model::GroupModelEdges(m);
    QCOMPARE(edges.Edges.size(), std::size_t{24});

    ClickNode(panel.Tree(), EdgeColumnCode(false));
    QCOMPARE(panel.ShownColumns(), (std::vector<int>{1, 2}));
    const int column = TableColumnOf(panel, EdgeColumnCode(false));
    QCOMPARE(column, 2);
    QCOMPARE(panel.TableModel().ColumnHeader(column), QStringLiteral("Кромка"));
    for (int row = 0; row < panel.TableModel().rowCount(); ++row) {
        const auto edge = edges.EdgeOfSegment[static_cast<std::size_t>(row)];
        QCOMPARE(panel.TableModel().CellText(row, column),
                 QString::number(edges.Edges[static_cast<std::size_t>(edge)].Number));
    }

    // The summary: one row per edge and one for the tool, filled when its tab shows.
    QSignalSpy highlighted(&panel, &TDataPanel::HighlightedEdgeChanged);
    panel.Tabs().setCurrentIndex(1);
    QTableWidget& table = panel.EdgeTable();
    QCOMPARE(table.rowCount(), 25);
    QCOMPARE(table.item(24, 0)->text(), QStringLiteral("Все"));
    QCOMPARE(table.item(24, 1)->text(), QString::number(m.SegmentCount));
    // The angle box lists every angle of the computed systems; the first is chosen.
    int computed = 0;
    for (const model::TAngleId& id : model::AllAngles()) {
        computed += m.DefinedAngles.at(static_cast<std::size_t>(id.System)) ? 1 : 0;
    }
    QCOMPARE(panel.EdgeAngleBox().count(), computed);
    const model::TAngleTable all = model::ComputedAngleTable(m);
    const model::TEdgeReport report = model::SummarizeEdges(m.CutEdge, edges, all);
    const auto number = [&](double value) {
        return QString::fromStdString(
            base::FloatToStrAcc(m.GetAccuracy(), value, m.DecimalSeparator));
    };
    for (const int choice : {0, panel.EdgeAngleBox().count() - 1}) {
        panel.EdgeAngleBox().setCurrentIndex(choice);
        emit panel.EdgeAngleBox().activated(choice);
        const auto id =
            model::AngleOfKey(panel.EdgeAngleBox().currentData().toString().toStdString());
        QVERIFY(id.has_value());
        const auto a = static_cast<std::size_t>(all.IndexOf(*id));
        for (const int row : {0, 11, 23}) {
            const model::TEdgeSummary& edge = report.Edges[static_cast<std::size_t>(row)];
            QCOMPARE(table.item(row, 0)->text(), QString::number(edge.Number));
            QCOMPARE(table.item(row, 1)->text(), QString::number(edge.Segments));
            QCOMPARE(table.item(row, 5)->text(), number(edge.Angles[a].Min));
            QCOMPARE(table.item(row, 6)->text(), number(edge.Angles[a].Mean));
            QCOMPARE(table.item(row, 7)->text(), number(edge.Angles[a].Max));
        }
    }

    // No edge is chosen until a row is; the tool's row chooses none.
    QCOMPARE(panel.HighlightedEdge(), (std::pair<int, int>{-1, 0}));
    highlighted.clear();
    table.selectRow(5);
    QVERIFY(!highlighted.isEmpty());
    QCOMPARE(panel.HighlightedEdge(),
             (std::pair<int, int>{edges.Edges[5].First, edges.Edges[5].Count}));
    table.selectRow(24);
    QCOMPARE(panel.HighlightedEdge(), (std::pair<int, int>{-1, 0}));
}

void TDerivedPanelTest::EdgesFollowTheKinkAngle() {
    TMDIChild* document = OpenSample();
    model::TModel& m = document->Model;
    TDataPanel& panel = document->Data();
    ClickNode(panel.Tree(), EdgeColumnCode(false));
    panel.Tabs().setCurrentIndex(1);
    QCOMPARE(panel.EdgeTable().rowCount(), 25);
    // Any turn stays within an edge: fewer edges, and the column numbers them so.
    m.SurfaceData.GeometrySettings.EdgeKinkAngle = 180.0;
    panel.RefreshDataPanel();
    const model::TEdges edges = model::GroupModelEdges(m);
    QVERIFY(edges.Edges.size() < 24);
    QCOMPARE(panel.EdgeTable().rowCount(), static_cast<int>(edges.Edges.size()) + 1);
    const int column = TableColumnOf(panel, EdgeColumnCode(false));
    const int last = panel.TableModel().rowCount() - 1;
    QCOMPARE(panel.TableModel().CellText(last, column),
             QString::number(edges
                                 .Edges[static_cast<std::size_t>(
                                     edges.EdgeOfSegment[static_cast<std::size_t>(last)])]
                                 .Number));
}

void TDerivedPanelTest::Screenshots() {
    // Not a check: pictures of the table with derived columns and of the edge tab, for
    // a look by eye (TESSARIN_SCREENSHOTS names the folder).
    const QByteArray folder = qgetenv("TESSARIN_SCREENSHOTS");
    if (folder.isEmpty()) {
        QSKIP("TESSARIN_SCREENSHOTS not set");
    }
    TMDIChild* document = OpenSample();
    TDataPanel& panel = document->Data();
    panel.resize(1100, 700);
    panel.show();
    ClickNode(panel.Tree(), 6);
    for (const int kind : {model::kKindGn, model::kKindAn, model::kKindBo, model::kKindGf}) {
        ClickNode(panel.Tree(), DerivedCode({model::kSSK, kind}, false), Qt::ControlModifier);
    }
    ClickNode(panel.Tree(), EdgeColumnCode(false), Qt::ControlModifier);
    QTest::qWait(300);  // the chart lays out its axes after the event loop has run
    QVERIFY(panel.grab().save(QString::fromLocal8Bit(folder) + "/derived_table.png"));
    panel.Tabs().setCurrentIndex(1);
    panel.EdgeTable().selectRow(3);
    QTest::qWait(100);
    QVERIFY(panel.grab().save(QString::fromLocal8Bit(folder) + "/edge_tab.png"));
}

QTEST_MAIN(TDerivedPanelTest)
#include "derived_panel_test.moc"
