#include "document/angle_chart.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgGenerator>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessarin::document {

namespace {

struct TLineStyle {
    const char* Title;
    QColor Colour;
    Qt::PenStyle Pen;
};

const QColor kRake(0, 0, 255);
const QColor kClearance(255, 0, 0);
const QColor kInclination(0, 128, 0);
const QColor kPlan(0, 0, 0);

const std::array<TLineStyle, 15> kLineStyles{{
    {"Инстр. передний угол", kRake, Qt::DotLine},
    {"Инстр. задний угол", kClearance, Qt::DotLine},
    {"Инстр. угол наклона РК", kInclination, Qt::DotLine},
    {"Стат. передний угол", kRake, Qt::SolidLine},
    {"Стат. задний угол", kClearance, Qt::SolidLine},
    {"Стат. угол наклона РК", kInclination, Qt::SolidLine},
    {"Стат. угол в плане", kPlan, Qt::SolidLine},
    {"Кин. передний угол", kRake, Qt::DashLine},
    {"Кин. задний угол", kClearance, Qt::DashLine},
    {"Кин. угол наклона РК", kInclination, Qt::DashLine},
    {"Кин. угол в плане", kPlan, Qt::DashLine},
    {"Дин. передний угол", kRake, Qt::DashDotLine},
    {"Дин. задний угол", kClearance, Qt::DashDotLine},
    {"Дин. угол наклона РК", kInclination, Qt::DashDotLine},
    {"Дин. угол в плане", kPlan, Qt::DashDotLine},
}};

}  // namespace

TAngleChart::TAngleChart(QWidget* parent) : QChartView(parent) {
    setObjectName(QStringLiteral("DataChart"));
    auto* chart = new QChart;
    chart->setBackgroundBrush(Qt::white);
    chart->setBackgroundRoundness(0);
    chart->setPlotAreaBackgroundVisible(false);
    chart->setDropShadowEnabled(false);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->legend()->setAlignment(Qt::AlignBottom);
    // Only the axes move: animating 100 000 points at every refresh would freeze the
    // window, while a zoom should be seen to happen.
    chart->setAnimationOptions(QChart::GridAxisAnimations);
    setChart(chart);
    setRenderHint(QPainter::Antialiasing, false);
    setRubberBand(QChartView::RectangleRubberBand);

    AxisX = new QValueAxis;
    AxisY = new QValueAxis;
    AxisX->setLabelFormat(QStringLiteral("%g"));
    AxisY->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(AxisX, Qt::AlignBottom);
    chart->addAxis(AxisY, Qt::AlignLeft);

    for (std::size_t i = 0; i < Lines.size(); ++i) {
        auto* line = new QLineSeries(this);
        line->setName(QString::fromUtf8(kLineStyles[i].Title));
        QPen pen(kLineStyles[i].Colour);
        pen.setWidth(1);
        pen.setStyle(kLineStyles[i].Pen);
        pen.setCosmetic(true);
        line->setPen(pen);
        line->setPointsVisible(false);
        Lines[i] = line;
    }
    chart->legend()->setVisible(true);
    FitAxes();
}

TAngleChart::~TAngleChart() {
    // The lines are ours: the chart would delete those it holds.
    for (QLineSeries* line : Lines) {
        if (line->chart() != nullptr) {
            chart()->removeSeries(line);
        }
        line->setParent(this);
    }
}

QLineSeries* TAngleChart::Line(int k) const {
    return Lines.at(static_cast<std::size_t>(k - 3));
}

QList<QLineSeries*> TAngleChart::ShownLines() const {
    QList<QLineSeries*> shown;
    for (QAbstractSeries* series : chart()->series()) {
        shown.append(static_cast<QLineSeries*>(series));
    }
    return shown;
}

bool TAngleChart::LegendShown() const {
    return chart()->legend()->isVisible();
}

void TAngleChart::ShowSeries(const model::TModel& model, const std::vector<int>& columns) {
    QChart* view = chart();
    for (QLineSeries* line : Lines) {
        if (line->chart() != nullptr) {
            view->removeSeries(line);
            // removeSeries hands the line back without a parent; it stays ours.
            line->setParent(this);
        }
    }
    int shown = 0;
    for (const int k : columns) {
        if (k < 3 || k > 17) {
            continue;
        }
        QLineSeries* line = Line(k);
        const std::vector<model::TChartPoint>& points = model.Series(k).GetPoints();
        QList<QPointF> copy;
        copy.reserve(static_cast<qsizetype>(points.size()));
        for (const model::TChartPoint& point : points) {
            copy.append(QPointF(point.X, point.Y));
        }
        line->replace(copy);
        view->addSeries(line);
        line->attachAxis(AxisX);
        line->attachAxis(AxisY);
        ++shown;
    }
    view->legend()->setVisible(shown != 1);
    FitAxes();
}

void TAngleChart::FitAxes() {
    double xMin = std::numeric_limits<double>::infinity();
    double xMax = -xMin;
    double yMin = xMin;
    double yMax = -xMin;
    for (const QLineSeries* line : ShownLines()) {
        const QList<QPointF> points = line->points();
        for (const QPointF& p : points) {
            // Not-a-number angles have no place on an axis.
            if (std::isfinite(p.x()) && std::isfinite(p.y())) {
                xMin = std::min(xMin, p.x());
                xMax = std::max(xMax, p.x());
                yMin = std::min(yMin, p.y());
                yMax = std::max(yMax, p.y());
            }
        }
    }
    if (!(xMin <= xMax)) {
        xMin = 0.0;
        xMax = 1.0;
        yMin = 0.0;
        yMax = 1.0;
    }
    if (xMin == xMax) {
        xMin -= 1.0;
        xMax += 1.0;
    }
    if (yMin == yMax) {
        yMin -= 1.0;
        yMax += 1.0;
    }
    chart()->zoomReset();
    AxisX->setRange(xMin, xMax);
    AxisY->setRange(yMin, yMax);
    AxisY->applyNiceNumbers();
}

void TAngleChart::ResetZoom() {
    chart()->zoomReset();
}

bool TAngleChart::SaveImage(const QString& path) {
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator generator;
        generator.setFileName(path);
        generator.setSize(size());
        generator.setViewBox(rect());
        generator.setTitle(QStringLiteral("График"));
        QPainter painter;
        if (!painter.begin(&generator)) {
            return false;
        }
        render(&painter);
        return painter.end();
    }
    return grab().save(path, "PNG");
}

void TAngleChart::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("Сбросить масштаб"), this, &TAngleChart::ResetZoom);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Сохранить график..."), this, &TAngleChart::SaveRequested);
    menu.exec(event->globalPos());
}

void TAngleChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void TAngleChart::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        // QChartView would zoom out one step here; the context menu follows instead.
        event->ignore();
        return;
    }
    QChartView::mouseReleaseEvent(event);
}

}  // namespace tessarin::document
