#include "document/angle_chart.h"

#include <QContextMenuEvent>
#include <QLocale>
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

#include "document/derived_columns.h"
#include "document/tolerance_view.h"
#include "model/angle_keys.h"
#include "model/systems.h"

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

// A line of more points than this is drawn from a reduced copy: 100 000 points on a
// chart a few hundred pixels wide cost seconds in the chart's path building and show
// nothing more than their per-column extremes.
constexpr std::size_t kMaxDrawnPoints = 4000;
constexpr std::size_t kBuckets = kMaxDrawnPoints / 4;

// The points of `points` (ascending X) that matter for drawing the X range [lo, hi]:
// all of them when there are few, else per bucket of X the first, lowest, highest and
// last point in their order, and the neighbours just outside the range so that the line
// runs to the edges.
QList<QPointF> DrawnPoints(const std::vector<model::TChartPoint>& points, double lo, double hi) {
    QList<QPointF> drawn;
    auto begin = std::lower_bound(points.begin(), points.end(), lo,
                                  [](const model::TChartPoint& p, double x) { return p.X < x; });
    auto end = std::upper_bound(points.begin(), points.end(), hi,
                                [](double x, const model::TChartPoint& p) { return x < p.X; });
    if (begin != points.begin()) {
        --begin;
    }
    if (end != points.end()) {
        ++end;
    }
    const auto count = static_cast<std::size_t>(end - begin);
    if (count <= kMaxDrawnPoints || !(lo < hi)) {
        drawn.reserve(static_cast<qsizetype>(count));
        for (auto it = begin; it != end; ++it) {
            drawn.append(QPointF(it->X, it->Y));
        }
        return drawn;
    }
    drawn.reserve(static_cast<qsizetype>(kBuckets * 4 + 2));
    const double width = (hi - lo) / static_cast<double>(kBuckets);
    auto it = begin;
    while (it != end) {
        // Points outside [lo, hi] and NaN positions form buckets of their own.
        const double bucket = std::floor((it->X - lo) / width);
        auto last = it;
        auto low = it;
        auto high = it;
        auto next = it + 1;
        while (next != end && std::floor((next->X - lo) / width) == bucket) {
            if (next->Y < low->Y) {
                low = next;
            }
            if (next->Y > high->Y) {
                high = next;
            }
            last = next;
            ++next;
        }
        std::array<decltype(it), 4> picks{it, low, high, last};
        std::sort(picks.begin(), picks.end());
        for (std::size_t i = 0; i < picks.size(); ++i) {
            if (i == 0 || picks[i] != picks[i - 1]) {
                drawn.append(QPointF(picks[i]->X, picks[i]->Y));
            }
        }
        it = next;
    }
    return drawn;
}

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
    // The chart sits in a narrow panel: small print keeps four titles and the axis
    // labels readable.
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.8));
    chart->legend()->setFont(small);
    // Only the axes move: animating 100 000 points at every refresh would freeze the
    // window, while a zoom should be seen to happen.
    chart->setAnimationOptions(QChart::GridAxisAnimations);
    chart->setAnimationDuration(250);
    setChart(chart);
    setRenderHint(QPainter::Antialiasing, false);
    setRubberBand(QChartView::RectangleRubberBand);

    AxisX = new QValueAxis;
    AxisY = new QValueAxis;
    AxisX->setLabelFormat(QStringLiteral("%.6g"));
    AxisY->setLabelFormat(QStringLiteral("%.6g"));
    AxisX->setRange(0.0, 1.0);
    AxisY->setRange(0.0, 1.0);
    AxisX->setLabelsFont(small);
    AxisY->setLabelsFont(small);
    AxisX->setTickCount(7);
    // Both axes measure angles in degrees: the segments' polar angle along, the angles
    // of the lines up.
    AxisX->setTitleText(QStringLiteral("Полярный угол, °"));
    AxisY->setTitleText(QStringLiteral("Угол, °"));
    AxisX->setTitleFont(small);
    AxisY->setTitleFont(small);
    chart->addAxis(AxisX, Qt::AlignBottom);
    chart->addAxis(AxisY, Qt::AlignLeft);
    // Zooming into a long line brings back the detail the reduced copy left out.
    connect(AxisX, &QValueAxis::rangeChanged, this, [this] {
        if (!Fitting) {
            DrawPoints();
        }
    });

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
}

TAngleChart::~TAngleChart() {
    for (const auto& [code, line] : DerivedLines) {
        if (line->chart() != nullptr) {
            chart()->removeSeries(line);
        }
        line->setParent(this);
    }
    // The lines are ours: the chart would delete those it holds.
    for (QLineSeries* line : Lines) {
        if (line->chart() != nullptr) {
            chart()->removeSeries(line);
        }
        line->setParent(this);
    }
}

QLineSeries* TAngleChart::Line(int k) const {
    if (IsDerivedCode(k)) {
        const auto found = DerivedLines.find(k);
        return found != DerivedLines.end() ? found->second : nullptr;
    }
    return Lines.at(static_cast<std::size_t>(k - 3));
}

QLineSeries* TAngleChart::DerivedLine(int code) {
    QLineSeries*& line = DerivedLines[code];
    if (line == nullptr) {
        const model::TAngleId id = DerivedAngle(code);
        // Rake angles blue shades, clearance angles red ones, wedge angles purple, the
        // approach angle grey; the system's pen as for the stored angles.
        static const std::array<QColor, model::kAngleKindCount> kColours{kRake,
                                                                         kClearance,
                                                                         kInclination,
                                                                         kPlan,
                                                                         QColor(0, 128, 255),
                                                                         QColor(255, 128, 0),
                                                                         QColor(128, 0, 128),
                                                                         QColor(192, 0, 192),
                                                                         QColor(0, 160, 160),
                                                                         QColor(160, 80, 0),
                                                                         QColor(64, 64, 160),
                                                                         QColor(160, 64, 64),
                                                                         QColor(128, 128, 128)};
        static constexpr std::array<Qt::PenStyle, model::kSystemCount> kPens{
            Qt::DotLine, Qt::SolidLine, Qt::DashLine, Qt::DashDotLine};
        line = new QLineSeries(this);
        // The chart's short system prefixes, as the stored angles' lines have them.
        static constexpr std::array<const char*, model::kSystemCount> kPrefixes{"Инстр.", "Стат.",
                                                                                "Кин.", "Дин."};
        line->setName(QString::fromUtf8(kPrefixes.at(static_cast<std::size_t>(id.System))) +
                      QLatin1Char(' ') +
                      QString::fromUtf8(model::AngleKindInfo(id.Kind).TitleWord));
        QPen pen(kColours.at(static_cast<std::size_t>(id.Kind)));
        pen.setWidth(1);
        pen.setStyle(kPens.at(static_cast<std::size_t>(id.System)));
        pen.setCosmetic(true);
        line->setPen(pen);
        line->setPointsVisible(false);
    }
    return line;
}

const std::vector<model::TChartPoint>& TAngleChart::PointsOf(int k) const {
    if (IsDerivedCode(k)) {
        static const std::vector<model::TChartPoint> kNone;
        const auto found = DerivedPoints.find(k);
        return found != DerivedPoints.end() ? found->second : kNone;
    }
    return Model->Series(k).GetPoints();
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
    for (QLineSeries* line : ShownLines()) {
        view->removeSeries(line);
        // removeSeries hands the line back without a parent; it stays ours.
        line->setParent(this);
    }
    std::vector<int> shown;
    for (const int k : columns) {
        if (k >= 3 && k <= 17 && std::find(shown.begin(), shown.end(), k) == shown.end()) {
            shown.push_back(k);
        }
    }
    DerivedPoints.clear();
    std::vector<int> derived;
    std::array<bool, model::kSystemCount> systems{};
    for (const int k : columns) {
        if (!IsDerivedCode(k) || IsSelectionCode(k) ||
            std::find(derived.begin(), derived.end(), k) != derived.end()) {
            continue;
        }
        const model::TAngleId id = DerivedAngle(k);
        if (model.DefinedAngles.at(static_cast<std::size_t>(id.System))) {
            derived.push_back(k);
            systems.at(static_cast<std::size_t>(id.System)) = true;
        }
    }
    // One pass over the segments per system, all of its kinds at once, straight into
    // the lines' point lists (a million points a line: no copies).
    for (int system = 0; system < model::kSystemCount; ++system) {
        if (!systems.at(static_cast<std::size_t>(system))) {
            continue;
        }
        std::vector<std::pair<int, std::vector<model::TChartPoint>*>> kinds;
        for (const int k : derived) {
            if (DerivedAngle(k).System == system) {
                std::vector<model::TChartPoint>& points = DerivedPoints[k];
                points.reserve(model.CutEdge.size());
                kinds.emplace_back(DerivedAngle(k).Kind, &points);
            }
        }
        for (const model::TSegment& segment : model.CutEdge) {
            const std::array<double, model::kAngleKindCount> values =
                model::AngleValues(segment, model.AcceptedCS, system);
            for (const auto& [kind, points] : kinds) {
                // An angle not defined at a segment leaves no point there.
                if (const double value = values.at(static_cast<std::size_t>(kind));
                    !std::isnan(value)) {
                    points->push_back({segment.Polar, value});
                }
            }
        }
        // The cutting edge is in polar order; should it not be, the points are put in
        // ascending X as the model's series keep theirs (equal X in their order).
        for (const auto& [kind, points] : kinds) {
            if (!std::is_sorted(points->begin(), points->end(),
                                [](const model::TChartPoint& a, const model::TChartPoint& b) {
                                    return a.X < b.X;
                                })) {
                std::stable_sort(points->begin(), points->end(),
                                 [](const model::TChartPoint& a, const model::TChartPoint& b) {
                                     return a.X < b.X;
                                 });
            }
        }
    }
    for (const int k : derived) {
        DerivedLine(k);
        shown.push_back(k);
    }
    Model = &model;
    Bands.clear();
    for (const int k : shown) {
        const std::optional<model::TAngleId> id = AngleOfColumn(k);
        for (const model::TTolerance& t : model.Tolerances) {
            if (id && t.Angle == *id) {
                Bands.push_back({k, t.Nominal + t.Lower, t.Nominal + t.Upper});
            }
        }
    }
    // Axis labels with the document's decimal separator.
    view->setLocale(model.DecimalSeparator == ',' ? QLocale(QLocale::Russian, QLocale::Russia)
                                                  : QLocale::c());
    view->setLocalizeNumbers(true);
    // The axes first, from the model's points: every line put on the chart afterwards
    // is laid out once, on its final scale.
    FitTickCounts();
    FitAxes(model, shown);
    for (const int k : shown) {
        QLineSeries* line = Line(k);
        line->clear();
        view->addSeries(line);
        line->attachAxis(AxisX);
        line->attachAxis(AxisY);
    }
    ShownColumns = shown;
    DrawPoints();
    view->legend()->setVisible(shown.size() != 1);
    // A chart without lines (the cutting edge's node chosen) has nothing to measure.
    AxisX->setVisible(!shown.empty());
    AxisY->setVisible(!shown.empty());
}

bool TAngleChart::AxesShown() const {
    return AxisX->isVisible() && AxisY->isVisible();
}

void TAngleChart::FitTickCounts() {
    // As many labels as fit side by side (and one above the other): in the narrow panel
    // seven labels of "-177,5" would run into each other.
    constexpr int kLabelWidth = 48;
    constexpr int kLabelHeight = 24;
    // The plot takes the view less the room of the labels and titles of the other axis.
    constexpr int kAxisRoom = 60;
    const int across = std::max(width() - kAxisRoom, 0) / kLabelWidth + 1;
    const int up = std::max(height() - kAxisRoom, 0) / kLabelHeight + 1;
    AxisX->setTickCount(std::clamp(across, 2, 7));
    AxisY->setTickCount(std::clamp(up, 2, 5));
}

void TAngleChart::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    FitTickCounts();
}

void TAngleChart::DrawPoints() {
    if (Model == nullptr) {
        return;
    }
    for (const int k : ShownColumns) {
        Line(k)->replace(DrawnPoints(PointsOf(k), AxisX->min(), AxisX->max()));
    }
}

void TAngleChart::FitAxes(const model::TModel& /*model*/, const std::vector<int>& shown) {
    // The axes span the points of the lines shown (0..1 for none).
    double xMin = std::numeric_limits<double>::infinity();
    double xMax = -xMin;
    double yMin = xMin;
    double yMax = -xMin;
    for (const int k : shown) {
        for (const model::TChartPoint& p : PointsOf(k)) {
            // Not-a-number angles have no place on an axis.
            if (std::isfinite(p.X) && std::isfinite(p.Y)) {
                xMin = std::min(xMin, p.X);
                xMax = std::max(xMax, p.X);
                yMin = std::min(yMin, p.Y);
                yMax = std::max(yMax, p.Y);
            }
        }
    }
    if (xMin <= xMax) {
        for (const TToleranceBand& band : Bands) {
            yMin = std::min(yMin, band.Low);
            yMax = std::max(yMax, band.High);
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
    Fitting = true;
    // New data is shown at once; only the user's zoom is animated.
    const QChart::AnimationOptions animation = chart()->animationOptions();
    chart()->setAnimationOptions(QChart::NoAnimation);
    chart()->zoomReset();
    AxisX->setRange(xMin, xMax);
    AxisY->setRange(yMin, yMax);
    AxisX->applyNiceNumbers();
    AxisY->applyNiceNumbers();
    chart()->setAnimationOptions(animation);
    Fitting = false;
}

void TAngleChart::drawForeground(QPainter* painter, const QRectF& rect) {
    QChartView::drawForeground(painter, rect);
    if (Bands.empty() || !AxesShown()) {
        return;
    }
    const QRectF plot = chart()->plotArea();
    painter->save();
    painter->setClipRect(chart()->mapToScene(plot).boundingRect());
    for (const TToleranceBand& band : Bands) {
        const QPointF low =
            chart()->mapToScene(chart()->mapToPosition(QPointF(AxisX->min(), band.Low)));
        const QPointF high =
            chart()->mapToScene(chart()->mapToPosition(QPointF(AxisX->min(), band.High)));
        const QRectF strip(QPointF(chart()->mapToScene(plot.topLeft()).x(), high.y()),
                           QPointF(chart()->mapToScene(plot.topRight()).x(), low.y()));
        QColor colour = kLineStyles.at(static_cast<std::size_t>(band.Column - 3)).Colour;
        QColor fill = colour;
        fill.setAlpha(40);
        painter->fillRect(strip.normalized(), fill);
        QPen pen(colour, 1.0, Qt::DashLine);
        pen.setCosmetic(true);
        painter->setPen(pen);
        painter->drawLine(QPointF(strip.left(), low.y()), QPointF(strip.right(), low.y()));
        painter->drawLine(QPointF(strip.left(), high.y()), QPointF(strip.right(), high.y()));
    }
    painter->restore();
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
