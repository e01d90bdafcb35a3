#include "view/colour_legend.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <QRect>

#include <algorithm>
#include <cmath>

#include "base/number_format.h"

namespace tessarin::view {

namespace {

std::uint32_t Rgb(double r, double g, double b) {
    const auto byte = [](double c) {
        return static_cast<std::uint32_t>(std::lround(std::clamp(c, 0.0, 1.0) * 255.0));
    };
    return 0xFF000000u | (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

}  // namespace

std::uint32_t RampColour(double t) {
    if (!(t >= 0.0)) {
        t = 0.0;
    }
    const double x = std::min(t, 1.0) * 4.0;
    if (x < 1.0) {
        return Rgb(0.0, x, 1.0);
    }
    if (x < 2.0) {
        return Rgb(0.0, 1.0, 2.0 - x);
    }
    if (x < 3.0) {
        return Rgb(x - 2.0, 1.0, 0.0);
    }
    return Rgb(1.0, 4.0 - x, 0.0);
}

void DrawColourLegend(QPainter& painter, const QRect& area, const TColourLegend& legend) {
    constexpr int kMargin = 10;
    constexpr int kBarWidth = 18;
    constexpr int kTicks = 5;
    const QFontMetrics metrics(painter.font());
    const int line = metrics.height();
    const int barHeight = std::clamp(area.height() / 3, 60, 240);
    const bool values =
        std::isfinite(legend.Min) && std::isfinite(legend.Max) && legend.Min <= legend.Max;
    const auto label = [&](double v) {
        return QString::fromStdString(
            base::FloatToStrAcc(legend.Decimals, v, legend.DecimalSeparator));
    };
    int labelWidth = metrics.horizontalAdvance(legend.Title);
    if (values) {
        labelWidth =
            std::max({labelWidth, metrics.horizontalAdvance(label(legend.Min)) + kBarWidth + 6,
                      metrics.horizontalAdvance(label(legend.Max)) + kBarWidth + 6});
    }
    const int width = std::max(labelWidth, kBarWidth) + 8;
    const int height = line + 6 + (values ? barHeight + line : line);
    const QRect box(area.right() - kMargin - width, area.top() + kMargin, width, height);
    painter.save();
    painter.setPen(QColor(80, 80, 80));
    painter.setBrush(QColor(255, 255, 255, 220));
    painter.drawRect(box);
    painter.setPen(Qt::black);
    painter.drawText(box.left() + 4, box.top() + 2 + metrics.ascent(), legend.Title);
    if (!values) {
        painter.drawText(box.left() + 4, box.top() + 4 + line + metrics.ascent(),
                         QStringLiteral("нет значений"));
        painter.restore();
        return;
    }
    const int barTop = box.top() + line + 6 + line / 2;
    const int barLeft = box.left() + 4;
    for (int y = 0; y < barHeight; ++y) {
        // The maximum at the top.
        const double t = 1.0 - static_cast<double>(y) / std::max(barHeight - 1, 1);
        painter.setPen(QColor::fromRgb(RampColour(t)));
        painter.drawLine(barLeft, barTop + y, barLeft + kBarWidth - 1, barTop + y);
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    // Around the bar, so that its first and last rows keep the ramp's ends.
    painter.drawRect(barLeft - 1, barTop - 1, kBarWidth + 1, barHeight + 1);
    for (int i = 0; i < kTicks; ++i) {
        const double f = static_cast<double>(i) / (kTicks - 1);
        const int y = barTop + static_cast<int>(std::lround(f * (barHeight - 1)));
        const double v = legend.Max - f * (legend.Max - legend.Min);
        painter.drawLine(barLeft + kBarWidth, y, barLeft + kBarWidth + 3, y);
        painter.drawText(barLeft + kBarWidth + 6, y + metrics.ascent() / 2 - 1, label(v));
    }
    painter.restore();
}

}  // namespace tessarin::view
