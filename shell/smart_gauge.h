// The progress gauge of the main window's status bar: every long operation of the core
// (STL import, sorting, cutting-edge search, project reading and writing) reports
// through it.
//
// While an operation runs the gauge repaints the window at a bounded rate (at most once
// per refresh interval, 50 ms unless changed) by letting pending paint and timer events
// through, but holds back user input until the operation has ended: no command can run
// inside another, and no window can be closed under the operation.
#pragma once

#include <QProgressBar>

#include <functional>
#include <string_view>

#include "model/base_names.h"

class QLabel;

namespace tessarin::shell {

class TSmartGauge final : public QProgressBar, public model::TProgress {
    Q_OBJECT

public:
    // `caption` is the status bar panel that shows the operation's text.
    TSmartGauge(QLabel& caption, QWidget* parent = nullptr);

    // Range 0..maximum (a negative maximum counts as 0), position 0, the text shown and
    // repainted at once.
    void Start(std::string_view text, int maximum) override;
    // Position + count, stopping at the maximum; repaints when the interval has passed.
    void Step(int count = 1) override;
    // Empty text, range 0..0, position 0.
    void Finish() override;

    // The gauge's own range: QProgressBar shows a busy animation for 0..0, so the bar
    // keeps 0..1 then and these tell what the operation set.
    int Maximum() const { return GaugeMaximum; }
    int Position() const { return GaugePosition; }
    // An operation has started and not yet finished.
    bool Busy() const { return Depth > 0; }
    // How many operations have started and not yet finished (they may nest).
    int OperationDepth() const { return Depth; }
    // Finishes the operations started since the gauge stood at `depth`: those of a
    // command that threw before it could finish them.
    void FinishDownTo(int depth);

    // Milliseconds between two repaints during an operation.
    void SetRefreshInterval(int milliseconds) { RefreshInterval = milliseconds; }
    // A monotonic clock in milliseconds; the default is a QElapsedTimer.
    void SetClock(std::function<qint64()> clock) { Clock = std::move(clock); }

private:
    void Show();
    void Refresh();

    QLabel& Caption;
    int GaugeMaximum = 0;
    int GaugePosition = 0;
    int Depth = 0;
    int RefreshInterval = 50;
    qint64 LastRefresh = 0;
    std::function<qint64()> Clock;
};

}  // namespace tessarin::shell
