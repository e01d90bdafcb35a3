// The angle chart under the data table (DataChart in the group box "График"): the
// computed angles along the cutting edge against the segments' polar angle, one line per
// angle column the table shows.
//
// The chart owns its 15 lines, one per angle column 3..17, each with the title, colour
// (rake blue, clearance red, inclination green, plan angle black) and pen (tool system
// dotted, static solid, kinematic dashed, dynamic dash-dot) that never change; their
// points are copied from the model's series when they are put on the chart.
//
// A rectangle dragged with the left button zooms in (animated); the context menu resets
// the zoom and saves the chart as PNG or SVG. A line of many thousand points is drawn
// from a reduced copy that keeps every pixel column's extremes; zooming in redraws it
// from the model's points in the new range.
//
// The derived angles of the cutting-edge group (document/derived_columns.h) have lines
// too, made when first shown, coloured by their kind with their system's pen; their
// points are computed from the segments each time they are put on the chart.
#pragma once

#include <QtCharts/QChartView>

#include <array>
#include <map>
#include <vector>

#include "model/model.h"

class QLineSeries;
class QValueAxis;

namespace tessarin::document {

class TAngleChart final : public QChartView {
    Q_OBJECT

public:
    explicit TAngleChart(QWidget* parent = nullptr);
    ~TAngleChart() override;

    // Takes every line off the chart, then puts on it the line of each column 3..17 of
    // `columns`, in that order, with the model's points, then the line of each derived
    // code of the cutting-edge group whose system's angles are computed. The legend shows unless
    // exactly one line is on the chart; the axes fit the points.
    void ShowSeries(const model::TModel& model, const std::vector<int>& columns);

    // The line of column k (3..17), whether or not it is on the chart; the line of a
    // derived code once it has been shown, else null.
    QLineSeries* Line(int k) const;
    // The lines on the chart, in order.
    QList<QLineSeries*> ShownLines() const;
    bool LegendShown() const;
    // The axes show while lines are on the chart; each is titled with its unit ("°").
    bool AxesShown() const;

    // The tolerance band of a charted angle that has a tolerance in the model:
    // nominal + lower .. nominal + upper, drawn as a shaded strip between two dashed lines
    // in the colour of the angle's line. The axes take the band in.
    struct TToleranceBand {
        int Column = 0;
        double Low = 0.0;
        double High = 0.0;
    };
    const std::vector<TToleranceBand>& ToleranceBands() const { return Bands; }

    // Back to the whole chart after zooming in.
    void ResetZoom();
    // Writes the chart as SVG when `path` ends in ".svg", else as PNG. False on failure.
    bool SaveImage(const QString& path);

signals:
    // "Сохранить график..." was chosen; the document asks for the name.
    void SaveRequested();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    // The right button opens the context menu instead of zooming out one step.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void drawForeground(QPainter* painter, const QRectF& rect) override;

private:
    void FitAxes(const model::TModel& model, const std::vector<int>& shown);
    // The number of labels of each axis from the room the plot has.
    void FitTickCounts();
    // The shown lines' points for the present X range, reduced when there are many.
    void DrawPoints();
    const std::vector<model::TChartPoint>& PointsOf(int k) const;
    QLineSeries* DerivedLine(int code);

    const model::TModel* Model = nullptr;
    std::vector<int> ShownColumns;
    std::vector<TToleranceBand> Bands;
    bool Fitting = false;

    std::array<QLineSeries*, 15> Lines{};
    std::map<int, QLineSeries*> DerivedLines;
    std::map<int, std::vector<model::TChartPoint>> DerivedPoints;
    QValueAxis* AxisX = nullptr;
    QValueAxis* AxisY = nullptr;
};

}  // namespace tessarin::document
