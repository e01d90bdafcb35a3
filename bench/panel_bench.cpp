// tessarin-panel-bench: how long a document window takes to open its data panel on a
// long cutting edge: the tree built, every node chosen (all 17 columns in the table and
// all 15 lines on the chart), and the table and chart drawn once.
//
//   QT_QPA_PLATFORM=offscreen build/release/bench/tessarin-panel-bench [SEGMENTS]
//
// SEGMENTS defaults to 100 000; the target is 0.5 s for filling and drawing together.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTableView>
#include <QTreeWidgetItemIterator>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "document/angle_chart.h"
#include "document/data_panel.h"
#include "document/data_tree.h"
#include "document/derived_columns.h"
#include "document/mdi_child.h"
#include "shell/main_window.h"
#include "tests/gui/support/memory_settings.h"
#include "tests/gui/support/scripted_dialogs.h"

namespace {

constexpr double kTargetSeconds = 0.5;

// A ring of segments whose rake and flank faces turn along it, so that the angles change
// sign and the chart's lines are not flat.
void MakeCuttingEdge(tessarin::model::TModel& m, int count) {
    using tessarin::geometry::TVector3;
    m.CutEdge.resize(static_cast<std::size_t>(count));
    const double pi = 3.14159265358979323846;
    for (int i = 0; i < count; ++i) {
        const double t0 = -pi + 2.0 * pi * i / count;
        const double t1 = -pi + 2.0 * pi * (i + 1) / count;
        tessarin::model::TSegment& s = m.CutEdge[static_cast<std::size_t>(i)];
        s.Point1 = {40.0 * std::cos(t0), 40.0 * std::sin(t0), 5.0 + std::sin(7.0 * t0)};
        s.Point2 = {40.0 * std::cos(t1), 40.0 * std::sin(t1), 5.0 + std::sin(7.0 * t1)};
        s.Direct = {s.Point2.x - s.Point1.x, s.Point2.y - s.Point1.y, s.Point2.z - s.Point1.z};
        s.Polar = (t0 + t1) * 90.0 / pi;
        const double tilt = 0.2 * std::sin(5.0 * t0);
        s.Front.Normal = {tilt * std::cos(t0), tilt * std::sin(t0), 1.0};
        s.Back.Normal = {std::cos(t0), std::sin(t0), -0.1 + tilt};
    }
    m.SegmentCount = count;
    m.CutEdgeExist = true;
    m.FillNumberColumns();
    m.ExistedCS = {true, true, true, true};
    for (int system = 0; system < 4; ++system) {
        m.ComputeAngles(system);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (count <= 0) {
        std::fprintf(stderr, "usage: tessarin-panel-bench [SEGMENTS]\n");
        return 2;
    }
    tessarin::test::TScriptedDialogs dialogs;
    tessarin::test::TMemorySettings settings;
    tessarin::shell::TMainForm form(dialogs, settings);
    form.findChild<QAction*>(QStringLiteral("ButtonNew"))->trigger();
    tessarin::document::TMDIChild* document = form.ActiveDocument();
    document->resize(1600, 1000);
    MakeCuttingEdge(document->Model, count);
    tessarin::document::TDataPanel& panel = document->Data();

    QElapsedTimer timer;
    timer.start();
    document->BuildDataTree();
    document->SelectTreeNode(1);
    panel.Tree().selectAll();  // every node of the one group: columns 1..17, 15 lines
    document->FormPaint();
    const qint64 filled = timer.nsecsElapsed();
    const QImage table = panel.Table().grab().toImage();
    const QImage chart = panel.Chart().grab().toImage();
    const qint64 drawn = timer.nsecsElapsed();

    const double fillSeconds = static_cast<double>(filled) / 1e9;
    const double totalSeconds = static_cast<double>(drawn) / 1e9;
    std::printf("segments %d, table columns %zu, chart lines %lld\n", count,
                panel.ShownColumns().size(),
                static_cast<long long>(panel.Chart().ShownLines().size()));
    std::printf("fill (tree, table, chart)  %.3f s\n", fillSeconds);
    std::printf("first drawing              %.3f s\n", totalSeconds - fillSeconds);
    std::printf("total                      %.3f s  (target %.1f s: %s)\n", totalSeconds,
                kTargetSeconds, totalSeconds < kTargetSeconds ? "met" : "MISSED");

    // Then every derived angle's node (31 columns and lines computed from the segments)
    // and the edge node as well.
    timer.restart();
    {
        const QSignalBlocker blocker(panel.Tree());
        for (QTreeWidgetItemIterator it(&panel.Tree()); *it != nullptr; ++it) {
            if (tessarin::document::IsExtraCode(tessarin::document::TDataTree::KindOf(*it))) {
                (*it)->setSelected(true);
            }
        }
    }
    emit panel.Tree().itemSelectionChanged();
    document->FormPaint();
    const QImage derivedTable = panel.Table().grab().toImage();
    const QImage derivedChart = panel.Chart().grab().toImage();
    std::printf("with the derived angles: table columns %zu, chart lines %lld, %.3f s\n",
                panel.TableColumns().size(),
                static_cast<long long>(panel.Chart().ShownLines().size()),
                static_cast<double>(timer.nsecsElapsed()) / 1e9);
    return table.isNull() || chart.isNull() || derivedTable.isNull() || derivedChart.isNull() ? 1
                                                                                              : 0;
}
