// The data panel of a document window: the tree built from the model's flags, the
// columns and chart lines chosen by clicking nodes (with the refusal of a multiple
// choice across both groups), the cell colours, the segment range of the chosen rows,
// pick mode, discarding segments, copying and exporting the table.
#include <QLabel>
#include <QtTest>

#include <algorithm>

#include <QScrollBar>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <memory>

#include "document/angle_chart.h"
#include "document/data_panel.h"
#include "document/data_table_model.h"
#include "document/data_tree.h"
#include "document/mdi_child.h"
#include "model/model.h"
#include "shell/main_window.h"
#include "tests/gui/support/memory_settings.h"
#include "tests/gui/support/sample_window.h"
#include "tests/gui/support/scripted_dialogs.h"

using tessarin::document::TDataPanel;
using tessarin::document::TDataTree;
using tessarin::document::TMDIChild;
using tessarin::shell::TAnswer;
using tessarin::shell::TMainForm;
using tessarin::test::TMemorySettings;
using tessarin::test::TScriptedDialogs;
namespace model = tessarin::model;

using TKinds = std::vector<int>;
Q_DECLARE_METATYPE(TKinds)

namespace {

const QString kSampleProject = QStringLiteral(TESSARIN_SAMPLES "/cutter.tsf");
const QString kOutsideQuestion = QStringLiteral(
    "Question: Главная режущая кромка не входит в выбранный диапазон, при "
    "отсечении возможно искажение некоторых данных. Продолжить?");

// The confirmation "Отбросить отрезки РК" asks first, naming what stays.
QString DiscardQuestion(int kept, int total) {
    return QStringLiteral(
               "Question: Отбросить отрезки РК вне выбранных строк? Останется "
               "отрезков: %1 из %2.")
        .arg(kept)
        .arg(total);
}

// A click on the tree node of `kind`, with the keys held, as the mouse makes it.
void ClickNode(TDataTree& tree, int kind, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QTreeWidgetItem* node = tree.FindNode(kind);
    QVERIFY2(node != nullptr, qPrintable(QString::number(kind)));
    tree.scrollToItem(node);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, keys, tree.visualItemRect(node).center());
}

// The selection of the sample: every segment with a negative tool rake angle.
model::TSelectDlgInqury NegativeToolRake() {
    model::TSelectDlgInqury query;
    query.Ranges.ISK.G.push_back({-90.0, 0.0});
    query.Use[0] = true;
    query.Valid = true;
    return query;
}

}  // namespace

class TDataPanelTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void BuildDataTree_data();
    void BuildDataTree();
    void NodesChooseColumnsAndLines_data();
    void NodesChooseColumnsAndLines();
    void DynamicLinesKeepTheirPens();
    void LongLinesAreDrawnReduced();
    void ClickedSegmentChoosesItsRow();
    void CellColours_data();
    void CellColours();
    void HeadersWrapTheTitles();
    void SegmentRangeInBothGroups();
    void TreeTakesOneGroupOnly_data();
    void TreeTakesOneGroupOnly();
    void ChosenRowsSurviveRefreshes();
    void NumberColumnStaysInView();
    void ChartAxesOnlyWithLines();
    void PickModeSetsTheMainSegment();
    void Discard_data();
    void Discard();
    void DiscardTwiceAndWithOldSelection();
    void RemovingTheSelectionShowsTheCuttingEdge();
    void CopyAndExport();
    void SettingsShapeThePanel();
    void MissingNodeIsReported();

private:
    TMDIChild* OpenSample();
    TMDIChild* NewEmptyDocument();

    std::unique_ptr<TScriptedDialogs> Dialogs;
    std::unique_ptr<TMemorySettings> Settings;
    std::unique_ptr<TMainForm> Form;
};

void TDataPanelTest::init() {
    Dialogs = std::make_unique<TScriptedDialogs>();
    Settings = std::make_unique<TMemorySettings>();
    Form = std::make_unique<TMainForm>(*Dialogs, *Settings);
    // Never shown: the offscreen platform has no OpenGL for the 3-D view.
}

void TDataPanelTest::cleanup() {
    QVERIFY2(Dialogs->Unscripted().isEmpty(), qPrintable(Dialogs->Unscripted().join("; ")));
    Form.reset();
    Settings.reset();
    Dialogs.reset();
}

TMDIChild* TDataPanelTest::OpenSample() {
    return tessarin::test::OpenProjectInSizedWindow(*Form, *Dialogs, kSampleProject);
}

TMDIChild* TDataPanelTest::NewEmptyDocument() {
    Form->findChild<QAction*>(QStringLiteral("ButtonNew"))->trigger();
    return Form->ActiveDocument();
}

// ---- tree ------------------------------------------------------------------------

void TDataPanelTest::BuildDataTree_data() {
    QTest::addColumn<bool>("selection");
    QTest::addColumn<int>("definedMask");  // bit s: DefinedAngles[s]
    QTest::addColumn<TKinds>("kinds");
    QTest::newRow("cutting edge only") << false << 0 << TKinds{1};
    QTest::newRow("ISK") << false << 0b0001 << TKinds{1, 2, 3, 4, 5};
    QTest::newRow("SSK without ISK") << false << 0b0010 << TKinds{1, 6, 7, 8, 9, 10};
    QTest::newRow("KSK and DSK") << false << 0b1100
                                 << TKinds{1, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    QTest::newRow("ISK with a selection")
        << true << 0b0001 << TKinds{1, 2, 3, 4, 5, 21, 22, 23, 24, 25};
    QTest::newRow("all with a selection")
        << true << 0b1111
        << TKinds{1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                  21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40};
    QTest::newRow("selection and SSK, DSK")
        << true << 0b1010 << TKinds{1,  6,  7,  8,  9,  10, 16, 17, 18, 19, 20,
                                    21, 26, 27, 28, 29, 30, 36, 37, 38, 39, 40};
}

void TDataPanelTest::BuildDataTree() {
    QFETCH(bool, selection);
    QFETCH(int, definedMask);
    QFETCH(TKinds, kinds);
    TMDIChild* document = NewEmptyDocument();
    model::TModel& m = document->Model;
    m.CutEdgeExist = true;
    m.SelectCutEdgeExist = selection;
    for (int s = 0; s < 4; ++s) {
        m.DefinedAngles[static_cast<std::size_t>(s)] = (definedMask >> s & 1) != 0;
    }
    document->BuildDataTree();
    TDataTree& tree = document->Data().Tree();
    // Today's nodes stay as they were; the derived angles' nodes and the edge nodes
    // (derived_panel_test) come between and after them.
    TKinds stored;
    std::copy_if(tree.NodeKinds().begin(), tree.NodeKinds().end(), std::back_inserter(stored),
                 [](int kind) { return !tessarin::document::IsExtraCode(kind); });
    QCOMPARE(stored, kinds);
    const auto storedChildren = [](const QTreeWidgetItem* node) {
        int count = 0;
        for (int c = 0; c < node->childCount(); ++c) {
            count += tessarin::document::IsExtraCode(TDataTree::KindOf(node->child(c))) ? 0 : 1;
        }
        return count;
    };

    // Captions and nesting: systems under their group's root, angles under their system.
    QTreeWidgetItem* root = tree.topLevelItem(0);
    QCOMPARE(root->text(0), QStringLiteral("Режущая кромка"));
    QCOMPARE(tree.topLevelItemCount(), selection ? 2 : 1);
    if (selection) {
        QCOMPARE(tree.topLevelItem(1)->text(0), QStringLiteral("Выборка"));
    }
    if (QTreeWidgetItem* dsk = tree.FindNode(16); dsk != nullptr) {
        QCOMPARE(dsk->text(0), QStringLiteral("Динамическая СК"));
        QCOMPARE(dsk->parent(), root);
        QCOMPARE(storedChildren(dsk), 4);
        QCOMPARE(dsk->child(3)->text(0), QStringLiteral("Угол в плане"));
    }
    if (QTreeWidgetItem* isk = tree.FindNode(2); isk != nullptr) {
        QCOMPARE(storedChildren(isk), 3);
        QCOMPARE(isk->child(2)->text(0), QStringLiteral("Угол наклона РК"));
    }
}

void TDataPanelTest::NodesChooseColumnsAndLines_data() {
    QTest::addColumn<TKinds>("clicks");  // the first plain, the others with Ctrl
    QTest::addColumn<TKinds>("columns");
    QTest::addColumn<bool>("showSelection");
    QTest::addColumn<int>("lines");
    QTest::addColumn<bool>("legend");
    QTest::newRow("nothing chosen") << TKinds{} << TKinds{} << false << 0 << true;
    QTest::newRow("cutting edge") << TKinds{1} << TKinds{1, 2} << false << 0 << true;
    QTest::newRow("system with its child")
        << TKinds{2, 3} << TKinds{1, 2, 3, 4, 5} << false << 3 << true;
    QTest::newRow("child then its system")
        << TKinds{3, 2} << TKinds{1, 2, 3, 4, 5} << false << 3 << true;
    QTest::newRow("ISK rake and DSK plan angle")
        << TKinds{3, 20} << TKinds{1, 2, 3, 17} << false << 2 << true;
    QTest::newRow("one angle") << TKinds{8} << TKinds{1, 2, 7} << false << 1 << false;
    QTest::newRow("selection system")
        << TKinds{26} << TKinds{18, 19, 23, 24, 25, 26} << true << 0 << true;
    QTest::newRow("selection angles")
        << TKinds{23, 40} << TKinds{18, 19, 20, 34} << true << 0 << true;
    QTest::newRow("Ctrl across into the selection changes nothing")
        << TKinds{3, 22} << TKinds{1, 2, 3} << false << 1 << false;
    QTest::newRow("Ctrl across into the cutting edge changes nothing")
        << TKinds{22, 3} << TKinds{18, 19, 20, 21, 22} << true << 0 << true;
}

void TDataPanelTest::NodesChooseColumnsAndLines() {
    QFETCH(TKinds, clicks);
    QFETCH(TKinds, columns);
    QFETCH(bool, showSelection);
    QFETCH(int, lines);
    QFETCH(bool, legend);
    TMDIChild* document = OpenSample();
    QVERIFY(document->Model.MakeSelection(NegativeToolRake()));
    document->FillSelectionLists();
    document->BuildDataTree();
    TDataPanel& panel = document->Data();
    // A Ctrl-click on the only chosen node leaves none chosen: no columns, no lines.
    ClickNode(panel.Tree(), 1);
    ClickNode(panel.Tree(), 1, Qt::ControlModifier);
    QVERIFY(panel.Tree().SelectedKinds().empty());
    QVERIFY(panel.ShownColumns().empty());

    for (std::size_t i = 0; i < clicks.size(); ++i) {
        ClickNode(panel.Tree(), clicks[i], i == 0 ? Qt::NoModifier : Qt::ControlModifier);
    }
    QCOMPARE(panel.ShownColumns(), columns);
    QCOMPARE(document->ShowSelection, showSelection);
    QCOMPARE(panel.TableModel().columnCount(), static_cast<int>(columns.size()));
    const int rows = showSelection ? static_cast<int>(document->Model.SelectCutEdge.size())
                                   : document->Model.SegmentCount;
    QCOMPARE(panel.TableModel().rowCount(), rows);
    QCOMPARE(panel.Chart().ShownLines().size(), lines);
    QCOMPARE(panel.Chart().LegendShown(), legend);
    // The table shows the model's own texts.
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const model::TStringList& list = document->Model.Columns[columns[c]];
        QCOMPARE(panel.TableModel().CellText(rows - 1, static_cast<int>(c)),
                 QString::fromStdString(list.at(static_cast<std::size_t>(rows))));
    }
}

void TDataPanelTest::DynamicLinesKeepTheirPens() {
    TMDIChild* document = OpenSample();
    TDataPanel& panel = document->Data();
    ClickNode(panel.Tree(), 16);
    const QList<QLineSeries*> lines = panel.Chart().ShownLines();
    QCOMPARE(lines.size(), 4);
    const QStringList titles{
        QStringLiteral("Дин. передний угол"), QStringLiteral("Дин. задний угол"),
        QStringLiteral("Дин. угол наклона РК"), QStringLiteral("Дин. угол в плане")};
    const QList<QColor> colours{QColor(0, 0, 255), QColor(255, 0, 0), QColor(0, 128, 0),
                                QColor(0, 0, 0)};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(lines[i]->name(), titles[i]);
        QCOMPARE(lines[i]->pen().color(), colours[i]);
        QCOMPARE(lines[i]->pen().style(), Qt::DashDotLine);
        QCOMPARE(lines[i]->pen().width(), 1);
        QVERIFY(!lines[i]->pointsVisible());
    }
    QVERIFY(panel.Chart().LegendShown());
    // The lines are the model's series: same points, ascending polar angle.
    const std::vector<model::TChartPoint>& points = document->Model.Series(14).GetPoints();
    QCOMPARE(lines[0]->count(), static_cast<int>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i) {
        QCOMPARE(lines[0]->at(static_cast<int>(i)), QPointF(points[i].X, points[i].Y));
    }
    // The static system's lines are solid, the tool system's dotted, the kinematic dashed.
    QCOMPARE(panel.Chart().Line(6)->pen().style(), Qt::SolidLine);
    QCOMPARE(panel.Chart().Line(3)->pen().style(), Qt::DotLine);
    QCOMPARE(panel.Chart().Line(13)->pen().style(), Qt::DashLine);
}

void TDataPanelTest::LongLinesAreDrawnReduced() {
    model::TModel m(',');
    constexpr int kCount = 20000;
    for (int i = 0; i < kCount; ++i) {
        const double x = -180.0 + 360.0 * i / kCount;
        // A single spike must survive the reduction.
        m.Series(5).Add(x, i == 12345 ? 80.0 : std::sin(x / 7.0));
    }
    tessarin::document::TAngleChart chart;
    chart.resize(600, 300);
    chart.ShowSeries(m, {5});
    QLineSeries* line = chart.Line(5);
    QVERIFY(line->count() < 4100);
    double top = -1e9;
    for (const QPointF& p : line->points()) {
        top = std::max(top, p.y());
    }
    QCOMPARE(top, 80.0);
    QCOMPARE(line->at(0).x(), -180.0);
    QCOMPARE(line->at(line->count() - 1).x(), m.Series(5).GetPoints().back().X);
    QVERIFY(!chart.LegendShown());

    // Zoomed in, the line shows every point of the range again.
    auto* axis = static_cast<QValueAxis*>(chart.chart()->axes(Qt::Horizontal).front());
    axis->setRange(10.0, 20.0);
    std::vector<QPointF> inRange;
    for (const model::TChartPoint& p : m.Series(5).GetPoints()) {
        if (p.X >= 10.0 && p.X <= 20.0) {
            inRange.emplace_back(p.X, p.Y);
        }
    }
    const QList<QPointF> drawn = line->points();
    QCOMPARE(drawn.size(),
             static_cast<qsizetype>(inRange.size()) + 2);  // and a neighbour each side
    QCOMPARE(drawn[1], inRange.front());
    QCOMPARE(drawn[drawn.size() - 2], inRange.back());
    chart.ResetZoom();
}

// ---- cells -----------------------------------------------------------------------

void TDataPanelTest::ClickedSegmentChoosesItsRow() {
    TMDIChild* document = OpenSample();
    TDataPanel& panel = document->Data();
    ClickNode(panel.Tree(), 1);
    emit document->View().SegmentClicked(41);
    QCOMPARE(panel.ChosenRows(), std::make_pair(41, 41));
    // The status bar says which segment it is.
    QVERIFY2(Form->StatusPanel(0).text().contains(QStringLiteral("42")),
             qPrintable(Form->StatusPanel(0).text()));
    QCOMPARE(document->GetSelectedSegmentRange(), std::make_pair(41, 41));
    // In the selection group the view draws the selection: its index is the table's row.
    QVERIFY(document->Model.MakeSelection(NegativeToolRake()));
    document->FillSelectionLists();
    document->BuildDataTree();
    ClickNode(panel.Tree(), 21);
    QVERIFY(document->ShowSelection);
    emit document->View().SegmentClicked(1);
    QCOMPARE(panel.ChosenRows(), std::make_pair(1, 1));
    const int number = document->Model.SelectCutEdge[1].Number;
    QCOMPARE(document->GetSelectedSegmentRange(), std::make_pair(number - 1, number - 1));
}

void TDataPanelTest::CellColours_data() {
    QTest::addColumn<bool>("selectionGroup");
    QTest::addColumn<bool>("markNegative");
    QTest::addColumn<bool>("rowChosen");
    QTest::addColumn<int>("column");  // table column
    QTest::addColumn<QColor>("colour");
    const QColor pink(255, 136, 153);
    const QColor paleBlue(238, 238, 255);
    QTest::newRow("negative") << false << true << false << 2 << pink;
    QTest::newRow("negative in a chosen row") << false << true << true << 2 << QColor();
    QTest::newRow("negative, marks off") << false << false << false << 2 << QColor();
    QTest::newRow("number column") << false << true << false << 0 << QColor();
    QTest::newRow("polar column") << false << true << false << 1 << QColor();
    QTest::newRow("positive") << false << true << false << 3 << QColor();
    QTest::newRow("selection data") << true << false << false << 2 << paleBlue;
    QTest::newRow("selection polar") << true << true << false << 1 << paleBlue;
    QTest::newRow("selection number") << true << true << false << 0 << QColor();
    QTest::newRow("selection chosen row") << true << false << true << 2 << QColor();
}

void TDataPanelTest::CellColours() {
    QFETCH(bool, selectionGroup);
    QFETCH(bool, markNegative);
    QFETCH(bool, rowChosen);
    QFETCH(int, column);
    QFETCH(QColor, colour);
    TMDIChild* document = OpenSample();
    model::TModel& m = document->Model;
    m.SurfaceData.GeometrySettings.MarkNegative = markNegative;
    QVERIFY(m.MakeSelection(NegativeToolRake()));
    document->FillSelectionLists();
    document->BuildDataTree();
    TDataPanel& panel = document->Data();
    // Columns №, polar, ISK rake (negative at the 4th segment), ISK clearance (positive).
    ClickNode(panel.Tree(), selectionGroup ? 23 : 3);
    ClickNode(panel.Tree(), selectionGroup ? 24 : 4, Qt::ControlModifier);
    const int row = selectionGroup ? 0 : 3;
    QVERIFY(m.MarkedCells[0][static_cast<std::size_t>(selectionGroup ? 3 : row)]);
    QVERIFY(!m.MarkedCells[1][3]);
    panel.ChooseRows(rowChosen ? row : row + 2, rowChosen ? row : row + 2);

    QCOMPARE(panel.TableModel().CellColor(row, column), colour);
    // What the table really draws: the cell's lower right corner, clear of its text.
    QTableView& table = panel.Table();
    table.scrollTo(panel.TableModel().index(row, column));
    const QRect cell = table.visualRect(panel.TableModel().index(row, column));
    const QImage image = table.viewport()->grab().toImage();
    const QColor drawn = image.pixelColor(cell.right() - 3, cell.bottom() - 2);
    if (colour.isValid()) {
        QCOMPARE(drawn, colour);
    } else {
        QVERIFY2(drawn != QColor(255, 136, 153) && drawn != QColor(238, 238, 255),
                 qPrintable(drawn.name()));
    }
}

void TDataPanelTest::HeadersWrapTheTitles() {
    TMDIChild* document = OpenSample();
    TDataPanel& panel = document->Data();
    ClickNode(panel.Tree(), 6);
    QCOMPARE(panel.TableModel().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("№"));
    QCOMPARE(panel.TableModel().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Угол в ПСК"));
    QCOMPARE(panel.TableModel().headerData(5, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Статич. угол в плане"));
    QHeaderView* header = panel.Table().horizontalHeader();
    QCOMPARE(header->height(), 40);
    QVERIFY((header->defaultAlignment() & Qt::TextWordWrap) != 0);
    QCOMPARE(panel.Table().columnWidth(0), 30);
    QCOMPARE(panel.Table().verticalHeader()->defaultSectionSize(), 16);

    // The selection group's first header is its empty item 0.
    QVERIFY(document->Model.MakeSelection(NegativeToolRake()));
    document->FillSelectionLists();
    document->BuildDataTree();
    ClickNode(panel.Tree(), 21);
    QCOMPARE(panel.TableModel().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
             QString());
}

void TDataPanelTest::SegmentRangeInBothGroups() {
    TMDIChild* document = OpenSample();
    model::TModel& m = document->Model;
    TDataPanel& panel = document->Data();
    // The table starts with its first row chosen.
    QCOMPARE(document->GetSelectedSegmentRange(), std::make_pair(0, 0));
    panel.ChooseRows(2, 6);
    QCOMPARE(document->GetSelectedSegmentRange(), std::make_pair(2, 6));

    QVERIFY(m.MakeSelection(NegativeToolRake()));
    QVERIFY(m.SelectCutEdge.size() >= 3);
    document->FillSelectionLists();
    document->BuildDataTree();
    ClickNode(panel.Tree(), 22);
    QVERIFY(document->ShowSelection);
    panel.ChooseRows(1, 2);
    // Indices into the cutting edge from the segments' numbers, not the row positions.
    QCOMPARE(document->GetSelectedSegmentRange(),
             std::make_pair(m.SelectCutEdge[1].Number - 1, m.SelectCutEdge[2].Number - 1));
    QVERIFY(m.SelectCutEdge[1].Number - 1 != 1);
}

void TDataPanelTest::TreeTakesOneGroupOnly_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("from");  // the node the gesture starts on
    QTest::addColumn<int>("to");    // where a drag ends
    QTest::newRow("drag down into the selection") << "drag" << 2 << 26;
    QTest::newRow("drag up into the cutting edge") << "drag" << 22 << 6;
    QTest::newRow("Ctrl+A in the cutting edge") << "all" << 6 << 0;
    QTest::newRow("Ctrl+A in the selection") << "all" << 26 << 0;
}

void TDataPanelTest::TreeTakesOneGroupOnly() {
    QFETCH(QString, how);
    QFETCH(int, from);
    QFETCH(int, to);
    TMDIChild* document = OpenSample();
    QVERIFY(document->Model.MakeSelection(NegativeToolRake()));
    document->FillSelectionLists();
    document->BuildDataTree();
    TDataPanel& panel = document->Data();
    TDataTree& tree = panel.Tree();
    ClickNode(tree, from);
    if (how == QStringLiteral("drag")) {
        // The button held while the mouse moves from node to node, as a drag makes it.
        const QPoint start = tree.visualItemRect(tree.FindNode(from)).center();
        const QPoint end = tree.visualItemRect(tree.FindNode(to)).center();
        QTest::mousePress(tree.viewport(), Qt::LeftButton, Qt::NoModifier, start);
        for (int step = 1; step <= 8; ++step) {
            const QPoint at = start + (end - start) * step / 8;
            QMouseEvent move(QEvent::MouseMove, at, tree.viewport()->mapToGlobal(at), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(tree.viewport(), &move);
        }
        QTest::mouseRelease(tree.viewport(), Qt::LeftButton, Qt::NoModifier, end);
    } else {
        QTest::keyClick(&tree, Qt::Key_A, Qt::ControlModifier);
    }

    const bool selectionGroup = tessarin::document::IsSelectionKind(from);
    const TKinds kinds = tree.SelectedKinds();
    QVERIFY(kinds.size() > 1);
    for (const int kind : kinds) {
        QCOMPARE(tessarin::document::IsSelectionKind(kind), selectionGroup);
    }
    QCOMPARE(document->ShowSelection, selectionGroup);
    // The columns of one group only: 1..17 or 18..34.
    for (const int column : panel.ShownColumns()) {
        QVERIFY2(selectionGroup ? column >= 18 : column <= 17, qPrintable(QString::number(column)));
    }
    QCOMPARE(panel.TableModel().rowCount(),
             static_cast<int>(selectionGroup ? document->Model.SelectCutEdge.size()
                                             : document->Model.CutEdge.size()));
}

void TDataPanelTest::ChosenRowsSurviveRefreshes() {
    TMDIChild* document = OpenSample();
    model::TModel& m = document->Model;
    TDataPanel& panel = document->Data();
    QCOMPARE(panel.ChosenRows(), std::make_pair(0, 0));
    panel.ChooseRows(4, 8);
    const model::TSegment first = m.CutEdge[4];

    // A click on another node, an angle computation, a new accuracy.
    ClickNode(panel.Tree(), 6);
    QCOMPARE(panel.ChosenRows(), std::make_pair(4, 8));
    document->SideBarItemClick(1, 2);  // the static system's angles, computed again
    QCOMPARE(Dialogs->Transcript(), QStringList{});
    QCOMPARE(panel.ChosenRows(), std::make_pair(4, 8));
    m.SurfaceData.GeometrySettings.TableAccuracy = 2;
    m.RefillColumns();
    document->RefreshDataPanel();
    QCOMPARE(panel.ChosenRows(), std::make_pair(4, 8));

    // The selection group shows the chosen segments that are selected, by their numbers.
    QVERIFY(m.MakeSelection(NegativeToolRake()));
    document->FillSelectionLists();
    document->BuildDataTree();
    ClickNode(panel.Tree(), 21);
    const auto [top, bottom] = panel.ChosenRows();
    QVERIFY(top >= 0);
    for (const int row : {top, bottom}) {
        const int number = m.SelectCutEdge[static_cast<std::size_t>(row)].Number;
        QVERIFY2(number >= 5 && number <= 9, qPrintable(QString::number(number)));
    }
    // None of them selected: the first row.
    ClickNode(panel.Tree(), 1);
    panel.ChooseRows(m.SegmentCount - 1, m.SegmentCount - 1);
    const bool lastSelected = m.SelectCutEdge.back().Number == m.SegmentCount;
    ClickNode(panel.Tree(), 21);
    QCOMPARE(panel.ChosenRows().first,
             lastSelected ? static_cast<int>(m.SelectCutEdge.size()) - 1 : 0);

    // A discard keeps the chosen segments, and they stay chosen: a second discard has its
    // rows without choosing them again.
    ClickNode(panel.Tree(), 1);
    panel.ChooseRows(4, 8);
    m.AcceptedCS.FeedPlan.HCE = 6;
    Dialogs->Answer({TAnswer::Yes, TAnswer::Yes});
    document->DiscardSegments();
    QCOMPARE(m.SegmentCount, 5);
    QCOMPARE(m.CutEdge.front().Point1, first.Point1);
    QCOMPARE(panel.ChosenRows(), std::make_pair(0, 4));
    panel.ChooseRows(1, 2);
    document->DiscardSegments();
    QCOMPARE(m.SegmentCount, 2);
    QVERIFY(!Dialogs->Transcript().contains(
        QStringLiteral("Warning: Не выбраны строки таблицы с отрезками РК")));
    QCOMPARE(panel.ChosenRows(), std::make_pair(0, 1));
}

void TDataPanelTest::NumberColumnStaysInView() {
    TMDIChild* document = OpenSample();
    TDataPanel& panel = document->Data();
    QTableView& table = panel.Table();
    QTableView& numbers = panel.NumberColumn();
    ClickNode(panel.Tree(), 6);
    ClickNode(panel.Tree(), 11, Qt::ControlModifier);
    ClickNode(panel.Tree(), 16, Qt::ControlModifier);
    table.resize(300, 400);
    QCoreApplication::processEvents();
    QVERIFY(table.horizontalScrollBar()->maximum() > 0);

    for (const int scrolled : {0, table.horizontalScrollBar()->maximum()}) {
        table.horizontalScrollBar()->setValue(scrolled);
        QVERIFY(!numbers.isHidden());
        QCOMPARE(numbers.geometry().left(), table.frameWidth());
        QCOMPARE(numbers.columnWidth(0), table.columnWidth(0));
        QCOMPARE(numbers.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("№"));
        for (int c = 1; c < table.model()->columnCount(); ++c) {
            QVERIFY(numbers.isColumnHidden(c));
        }
    }
    // Up and down it goes with the table, and it shows the same chosen rows.
    table.verticalScrollBar()->setValue(40);
    QCOMPARE(numbers.verticalScrollBar()->value(), 40);
    panel.ChooseRows(3, 5);
    QCOMPARE(numbers.selectionModel(), table.selectionModel());
}

void TDataPanelTest::ChartAxesOnlyWithLines() {
    TMDIChild* document = OpenSample();
    TDataPanel& panel = document->Data();
    // The project opens on the cutting edge's node: no lines, no axes.
    QVERIFY(panel.Chart().ShownLines().isEmpty());
    QVERIFY(!panel.Chart().AxesShown());
    ClickNode(panel.Tree(), 6);
    QVERIFY(panel.Chart().AxesShown());
    for (QAbstractAxis* axis : panel.Chart().chart()->axes()) {
        QVERIFY2(axis->titleText().endsWith(QStringLiteral(", °")), qPrintable(axis->titleText()));
    }
    // However narrow the chart, its labels do not crowd: at most one per 48 pixels.
    panel.Chart().resize(160, 120);
    ClickNode(panel.Tree(), 7);
    for (QAbstractAxis* axis : panel.Chart().chart()->axes()) {
        const auto* values = qobject_cast<QValueAxis*>(axis);
        QVERIFY(values != nullptr);
        QVERIFY(values->tickCount() >= 2);
        QVERIFY(values->tickCount() <= 4);
    }
    ClickNode(panel.Tree(), 1);
    QVERIFY(!panel.Chart().AxesShown());
}

void TDataPanelTest::PickModeSetsTheMainSegment() {
    TMDIChild* document = OpenSample();
    TDataPanel& panel = document->Data();
    QTableView& table = panel.Table();
    QSignalSpy picked(document, &TMDIChild::SegmentPicked);
    QMenu* popup = panel.findChild<QMenu*>(QStringLiteral("PopupMenuTable"));
    QVERIFY(popup != nullptr);
    QStringList captions;
    for (QAction* action : popup->actions()) {
        captions << (action->isSeparator() ? QStringLiteral("—") : action->text());
    }
    QCOMPARE(captions, (QStringList{"Выбрать", "—", "Отмена"}));

    document->EnterPickMode();
    QVERIFY(document->InPickMode());
    QCOMPARE(table.selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(table.viewport()->cursor().shape(), Qt::PointingHandCursor);
    // "Отмена" leaves the main segment alone.
    table.setCurrentIndex(panel.TableModel().index(7, 0));
    popup->findChild<QAction*>(QStringLiteral("N3"), Qt::FindDirectChildrenOnly);
    for (QAction* action : popup->actions()) {
        if (action->text() == QStringLiteral("Отмена")) {
            action->trigger();
        }
    }
    QVERIFY(!document->InPickMode());
    QCOMPARE(document->Model.WorkingCS.FeedPlan.HCE, 0);
    QCOMPARE(picked.count(), 0);
    QCOMPARE(table.selectionMode(), QAbstractItemView::ContiguousSelection);
    QCOMPARE(table.viewport()->cursor().shape(), Qt::ArrowCursor);

    document->EnterPickMode();
    QTest::mouseClick(table.viewport(), Qt::LeftButton, Qt::NoModifier,
                      table.visualRect(panel.TableModel().index(5, 1)).center());
    for (QAction* action : popup->actions()) {
        if (action->text() == QStringLiteral("Выбрать")) {
            action->trigger();
        }
    }
    QCOMPARE(document->Model.WorkingCS.FeedPlan.HCE, 5);
    QCOMPARE(picked.count(), 1);
    QVERIFY(!document->InPickMode());

    // In the selection group the row's segment is picked, not the row's position.
    QVERIFY(document->Model.MakeSelection(NegativeToolRake()));
    document->FillSelectionLists();
    document->BuildDataTree();
    ClickNode(panel.Tree(), 21);
    document->EnterPickMode();
    table.setCurrentIndex(panel.TableModel().index(2, 0));
    panel.PickCurrentRow();
    QCOMPARE(document->Model.WorkingCS.FeedPlan.HCE, document->Model.SelectCutEdge[2].Number - 1);

    // Closing the parameter panel only detaches the pop-up and the pointer.
    document->EnterPickMode();
    document->DetachPickMenu();
    QVERIFY(!document->InPickMode());
    QCOMPARE(table.viewport()->cursor().shape(), Qt::ArrowCursor);
}

// ---- discarding ------------------------------------------------------------------

void TDataPanelTest::Discard_data() {
    QTest::addColumn<int>("firstRow");  // 1-based table rows, as the user counts them
    QTest::addColumn<int>("lastRow");
    QTest::addColumn<int>("hce");
    QTest::addColumn<int>("answer");  // -1 no question, 0 No, 1 Yes
    QTest::addColumn<int>("segments");
    QTest::addColumn<int>("newHce");
    QTest::newRow("rows 3..7, main segment inside") << 3 << 7 << 4 << -1 << 5 << 2;
    QTest::newRow("main segment first") << 3 << 7 << 2 << -1 << 5 << 0;
    QTest::newRow("main segment outside, yes") << 3 << 7 << 0 << 1 << 5 << 0;
    QTest::newRow("main segment past the end, yes") << 3 << 7 << 9 << 1 << 5 << 0;
    QTest::newRow("main segment outside, no") << 3 << 7 << 100 << 0 << 168 << 100;
}

void TDataPanelTest::Discard() {
    QFETCH(int, firstRow);
    QFETCH(int, lastRow);
    QFETCH(int, hce);
    QFETCH(int, answer);
    QFETCH(int, segments);
    QFETCH(int, newHce);
    TMDIChild* document = OpenSample();
    model::TModel& m = document->Model;
    m.AcceptedCS.FeedPlan.HCE = hce;
    m.SurfaceData.Modified = false;
    const model::TCutEdgeData before = m.CutEdge;
    TDataPanel& panel = document->Data();
    ClickNode(panel.Tree(), 16);
    panel.ChooseRows(firstRow - 1, lastRow - 1);
    Dialogs->Answer({TAnswer::Yes});
    if (answer >= 0) {
        Dialogs->Answer({answer == 1 ? TAnswer::Yes : TAnswer::No});
    }

    document->DiscardSegments();

    QStringList transcript{DiscardQuestion(lastRow - firstRow + 1, 168)};
    if (answer >= 0) {
        transcript << kOutsideQuestion;
    }
    QCOMPARE(Dialogs->Transcript(), transcript);
    QVERIFY(m.SurfaceData.Modified);
    QCOMPARE(m.SegmentCount, segments);
    QCOMPARE(static_cast<int>(m.CutEdge.size()), segments);
    QCOMPARE(m.AcceptedCS.FeedPlan.HCE, newHce);
    if (answer == 0) {
        QCOMPARE(m.CutEdge, before);
        return;
    }
    for (int i = 0; i < segments; ++i) {
        const model::TSegment& kept = m.CutEdge[static_cast<std::size_t>(i)];
        QCOMPARE(kept.Number, i + 1);
        QCOMPARE(kept.Point1, before[static_cast<std::size_t>(firstRow - 1 + i)].Point1);
        QCOMPARE(m.Columns[1][static_cast<std::size_t>(i + 1)], std::to_string(i + 1));
    }
    QCOMPARE(m.Columns[1].size(), static_cast<std::size_t>(segments + 1));
    // Every system computed before is computed again on the kept segments.
    for (const int k : {3, 6, 10, 14}) {
        QCOMPARE(m.Columns[k].size(), static_cast<std::size_t>(segments + 1));
        QCOMPARE(m.Series(k).GetPoints().size(), static_cast<std::size_t>(segments));
        QCOMPARE(m.MarkedCells[static_cast<std::size_t>(k - 3)].size(),
                 static_cast<std::size_t>(segments));
    }
    QCOMPARE(panel.TableModel().rowCount(), segments);
    QCOMPARE(panel.Chart().Line(14)->count(), segments);
}

void TDataPanelTest::DiscardTwiceAndWithOldSelection() {
    TMDIChild* document = OpenSample();
    model::TModel& m = document->Model;
    QVERIFY(m.MakeSelection(NegativeToolRake()));
    document->FillSelectionLists();
    const model::TCutEdgeData selection = m.SelectCutEdge;
    const model::TCutEdgeData before = m.CutEdge;
    m.AcceptedCS.FeedPlan.HCE = 10;
    TDataPanel& panel = document->Data();
    ClickNode(panel.Tree(), 1);
    panel.ChooseRows(5, 24);  // segments 6..25 remain, the main segment is the 6th
    // "Нет" to the confirmation keeps everything.
    Dialogs->Answer({TAnswer::No});
    document->DiscardSegments();
    QCOMPARE(m.CutEdge, before);
    QCOMPARE(Dialogs->Transcript(), QStringList{DiscardQuestion(20, 168)});
    Dialogs->Clear();
    Dialogs->Answer({TAnswer::Yes, TAnswer::Yes});
    document->DiscardSegments();
    QCOMPARE(m.SegmentCount, 20);
    QCOMPARE(m.AcceptedCS.FeedPlan.HCE, 5);
    panel.ChooseRows(2, 7);  // of the renumbered ones: old segments 8..13
    document->DiscardSegments();
    QCOMPARE(m.SegmentCount, 6);
    QCOMPARE(m.AcceptedCS.FeedPlan.HCE, 3);
    QCOMPARE(m.CutEdge.front().Point1, before[7].Point1);
    QCOMPARE(m.CutEdge.back().Point1, before[12].Point1);
    QCOMPARE(Dialogs->Transcript(),
             (QStringList{DiscardQuestion(20, 168), DiscardQuestion(6, 20)}));

    // The selection follows the segments it names: those of old segments 8..13 stay,
    // renumbered 1..6 with them; the others left with the discarded segments.
    model::TCutEdgeData expected;
    for (model::TSegment segment : selection) {
        if (segment.Number >= 8 && segment.Number <= 13) {
            segment.Number -= 7;
            expected.push_back(segment);
        }
    }
    QCOMPARE(m.SelectCutEdge.size(), expected.size());
    QCOMPARE(m.SelectCutEdgeExist, !expected.empty());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(m.SelectCutEdge[i].Number, expected[i].Number);
        QCOMPARE(m.SelectCutEdge[i].Point1, expected[i].Point1);
        QCOMPARE(m.SelectCutEdge[i].Point1, m.CutEdge[std::size_t(expected[i].Number - 1)].Point1);
    }
    if (!expected.empty()) {
        document->BuildDataTree();
        ClickNode(panel.Tree(), 21);
        panel.ChooseRows(0, static_cast<int>(expected.size()) - 1);
        const auto [first, last] = document->GetSelectedSegmentRange();
        QCOMPARE(std::make_pair(first, last),
                 std::make_pair(expected.front().Number - 1, expected.back().Number - 1));
    }
}

void TDataPanelTest::RemovingTheSelectionShowsTheCuttingEdge() {
    TMDIChild* document = OpenSample();
    QVERIFY(document->Model.MakeSelection(NegativeToolRake()));
    document->FillSelectionLists();
    document->BuildDataTree();
    TDataPanel& panel = document->Data();
    ClickNode(panel.Tree(), 26);
    QVERIFY(document->ShowSelection);
    QVERIFY(document->RemoveSelection());
    QVERIFY(!document->ShowSelection);
    QCOMPARE(panel.Tree().topLevelItemCount(), 1);
    QCOMPARE(panel.Tree().SelectedKinds(), TKinds{2});
    QCOMPARE(panel.ShownColumns(), (TKinds{1, 2, 3, 4, 5}));
}

void TDataPanelTest::CopyAndExport() {
    TMDIChild* document = OpenSample();
    TDataPanel& panel = document->Data();
    ClickNode(panel.Tree(), 3);
    panel.ChooseRows(3, 4);
    const model::TModel& m = document->Model;
    const QString expected =
        QStringLiteral("№\tУгол в ПСК\tИнструм. передний угол\n") +
        QStringLiteral("4\t%1\t%2\n5\t%3\t%4\n")
            .arg(QString::fromStdString(m.Columns[2][4]), QString::fromStdString(m.Columns[3][4]),
                 QString::fromStdString(m.Columns[2][5]), QString::fromStdString(m.Columns[3][5]));
    QCOMPARE(panel.ChosenRowsText(), expected);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("table.csv"));
    Dialogs->ChooseFile(path);
    emit panel.ExportRequested();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), m.SegmentCount + 2);  // header, rows, the empty rest
    QCOMPARE(lines[0], QStringLiteral("№;Угол в ПСК;Инструм. передний угол"));
    QCOMPARE(lines[4], QStringLiteral("4;%1;%2").arg(QString::fromStdString(m.Columns[2][4]),
                                                     QString::fromStdString(m.Columns[3][4])));

    // The chart as a picture, in either form.
    for (const QString& name : {QStringLiteral("chart.png"), QStringLiteral("chart.svg")}) {
        Dialogs->ChooseFile(folder.filePath(name));
        emit panel.SaveChartRequested();
        QVERIFY2(QFileInfo(folder.filePath(name)).size() > 100, qPrintable(name));
    }
    QFile svg(folder.filePath(QStringLiteral("chart.svg")));
    QVERIFY(svg.open(QIODevice::ReadOnly));
    QVERIFY(svg.readAll().contains("<svg"));
    QCOMPARE(Dialogs->Transcript().size(), 3);  // the three file dialogs, no error
}

void TDataPanelTest::SettingsShapeThePanel() {
    Settings->Values.ViewChart = false;
    Settings->Values.CustomTable = false;
    Settings->Values.FlatPanels = true;
    TMDIChild* document = OpenSample();
    TDataPanel& panel = document->Data();
    QCOMPARE(panel.ChartHeight(), 2);
    QCOMPARE(panel.Table().horizontalHeader()->sectionResizeMode(1), QHeaderView::Fixed);
    QCOMPARE(panel.Table().frameShadow(), QFrame::Plain);
    QVERIFY(panel.ChartBox().isFlat());

    Settings->Values.ViewChart = true;
    Settings->Values.CustomTable = true;
    Settings->Values.FlatPanels = false;
    document->ApplyPanelStyle();
    document->ApplyChartVisibility();
    document->ApplyTableColumnSizing();
    QCOMPARE(panel.ChartHeight(), 230);
    QCOMPARE(panel.Table().horizontalHeader()->sectionResizeMode(1), QHeaderView::Interactive);
    QCOMPARE(panel.Table().frameShadow(), QFrame::Sunken);
    QVERIFY(!panel.ChartBox().isFlat());
}

void TDataPanelTest::MissingNodeIsReported() {
    TMDIChild* document = OpenSample();
    TDataPanel& panel = document->Data();
    ClickNode(panel.Tree(), 7);
    QVERIFY(!document->SelectTreeNode(30));
    QVERIFY(!document->SelectFirstChild(21));
    QCOMPARE(Dialogs->Transcript(),
             (QStringList{"Error: Ошибка дерева данных", "Error: Ошибка дерева данных"}));
    QCOMPARE(panel.Tree().SelectedKinds(), TKinds{7});
    QVERIFY(document->SelectFirstChild(1));
    QCOMPARE(panel.Tree().SelectedKinds(), TKinds{2});
}

QTEST_MAIN(TDataPanelTest)
#include "data_panel_test.moc"
