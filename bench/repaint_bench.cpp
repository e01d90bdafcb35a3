// tessarin-repaint-bench: how often the main window repaints while the program's own
// commands import, sort and search a big model. Needs an X server:
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/release/bench/tessarin-repaint-bench FILE.stl
//
// For each command it prints the time, the number of repaints of the progress gauge and
// the longest gap between two repaints while the operation runs (from the command's start
// to the gauge's last report), against the target of a repaint at least every 100 ms;
// then the time from that last report until the command returned, in which the command
// finishes its work and the window draws the result (the 3-D view of the whole model).
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "shell/main_window.h"
#include "shell/smart_gauge.h"
#include "tests/gui/support/memory_settings.h"
#include "tests/gui/support/scripted_dialogs.h"

namespace {

constexpr qint64 kTargetGapMs = 100;

// Records the moment of every paint event of the watched widget.
class TPaintClock : public QObject {
public:
    QElapsedTimer Timer;
    std::vector<qint64> Paints;

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            Paints.push_back(Timer.elapsed());
        }
        return false;
    }

    // The gauge's clock: the time of the operation's last report to the gauge.
    qint64 LastReport = 0;
    qint64 Now() {
        LastReport = Timer.elapsed();
        return LastReport;
    }

    // Longest gap between the command's start, the paints up to `end` and `end`.
    qint64 LongestGap(qint64 end) const {
        qint64 gap = 0;
        qint64 previous = 0;
        for (const qint64 paint : Paints) {
            if (paint > end) {
                break;
            }
            gap = std::max(gap, paint - previous);
            previous = paint;
        }
        return std::max(gap, end - previous);
    }
};

void Settle(QApplication& app) {
    for (int i = 0; i < 20; ++i) {
        app.processEvents();
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tessarin-repaint-bench FILE.stl\n");
        return 2;
    }
    tessarin::test::TScriptedDialogs dialogs;
    tessarin::test::TMemorySettings settings;
    tessarin::shell::TMainForm form(dialogs, settings);
    form.resize(1200, 800);
    form.show();
    Settle(app);
    form.findChild<QAction*>("ButtonNew")->trigger();
    Settle(app);

    TPaintClock clock;
    clock.Timer.start();
    form.Gauge().installEventFilter(&clock);
    form.Gauge().SetClock([&clock] { return clock.Now(); });
    dialogs.ChooseFile(QString::fromLocal8Bit(argv[1]));
    bool allMet = true;
    std::printf("%-18s %10s %9s %12s %-15s %s\n", "command", "time", "repaints", "longest gap",
                "target", "then until done");
    for (const char* name : {"ButtonOpenSTL", "ButtonSortFaces", "ButtonCutEdge"}) {
        clock.Paints.clear();
        clock.Timer.start();
        clock.LastReport = 0;
        form.findChild<QAction*>(name)->trigger();
        const qint64 total = clock.Timer.elapsed();
        const qint64 gap = clock.LongestGap(clock.LastReport);
        const bool met = gap <= kTargetGapMs;
        allMet = allMet && met;
        std::printf("%-18s %7lld ms %9zu %9lld ms <= %lld ms %-6s %7lld ms\n", name,
                    static_cast<long long>(total), clock.Paints.size(), static_cast<long long>(gap),
                    static_cast<long long>(kTargetGapMs), met ? "ok" : "MISSED",
                    static_cast<long long>(total - clock.LastReport));
        Settle(app);
    }
    const auto* document = form.ActiveDocument();
    std::printf("%d polygons, %d segments\n", document->Model.SurfaceData.PolygonCount,
                document->Model.SegmentCount);
    std::fflush(stdout);
    // The documents would ask whether to save on a normal exit.
    std::_Exit(allMet ? 0 : 1);
}
