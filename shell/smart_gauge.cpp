#include "shell/smart_gauge.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>

#include <algorithm>
#include <memory>

namespace tessarin::shell {

TSmartGauge::TSmartGauge(QLabel& caption, QWidget* parent)
    : QProgressBar(parent), Caption(caption) {
    setTextVisible(false);
    setFixedSize(242, 13);
    setRange(0, 1);
    setValue(0);
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    Clock = [timer] { return timer->elapsed(); };
}

void TSmartGauge::Start(std::string_view text, int maximum) {
    GaugeMaximum = std::max(maximum, 0);
    GaugePosition = 0;
    Caption.setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    Show();
    // The caption must be readable before the operation's first step arrives.
    Caption.repaint();
    repaint();
    LastRefresh = Clock();
    // Counted once nothing can throw any more: a start that fails has no Finish to
    // come, and must not leave the gauge busy.
    ++Depth;
}

void TSmartGauge::Step(int count) {
    if (count > 0) {
        // Adding in 64 bits: a huge count must not wrap past the maximum.
        GaugePosition = static_cast<int>(
            std::min<qint64>(static_cast<qint64>(GaugePosition) + count, GaugeMaximum));
    }
    const qint64 now = Clock();
    if (now - LastRefresh >= RefreshInterval) {
        LastRefresh = now;
        Show();
        Refresh();
    }
}

void TSmartGauge::Finish() {
    Depth = std::max(Depth - 1, 0);
    GaugeMaximum = 0;
    GaugePosition = 0;
    Caption.clear();
    Show();
}

void TSmartGauge::FinishDownTo(int depth) {
    while (Depth > std::max(depth, 0)) {
        Finish();
    }
}

void TSmartGauge::Show() {
    setRange(0, std::max(GaugeMaximum, 1));
    setValue(GaugePosition);
}

void TSmartGauge::Refresh() {
    // Paint, timer and posted events go through; mouse and keyboard input waits in the
    // queue until the operation returns to the event loop.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace tessarin::shell
