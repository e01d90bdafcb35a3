#include "project/table_export.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "base/number_format.h"

namespace tessarin::project {

namespace {

// Quotes a cell that holds the delimiter, a quote or a line break.
void AppendCell(std::string& out, const std::string& cell, char delimiter) {
    if (cell.find_first_of(std::string{delimiter, '"', '\r', '\n'}) == std::string::npos) {
        out += cell;
        return;
    }
    out += '"';
    for (const char c : cell) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
}

}  // namespace

std::vector<int> ColumnsWithData(const model::TModel& model) {
    std::vector<int> shown;
    for (int k = 1; k <= model::kColumnCount; ++k) {
        // Line 0 is the header row; a column holds data when it has more.
        if (model.Columns[k].size() > 1) {
            shown.push_back(k);
        }
    }
    return shown;
}

std::string TableToCsv(const model::TModel& model) {
    return TableToCsv(model, ColumnsWithData(model));
}

std::string TableToCsv(const model::TModel& model, const std::vector<int>& shown,
                       const TTableExtras& extras) {
    const char delimiter = model.DecimalSeparator == ',' ? ';' : ',';
    std::vector<std::string> titles;
    std::vector<const model::TStringList*> columns;
    for (const int k : shown) {
        std::string title = model::ColumnTitle(k);
        if (k > model::kSelectionColumnOffset) {
            title = "Выборка: " + title;
        }
        titles.push_back(std::move(title));
        columns.push_back(&model.Columns[k]);
    }
    // Laid out as table columns are: a header line, then one cell per segment.
    std::array<model::TStringList, 6> points;
    if (extras.EndPoints) {
        constexpr std::array<const char*, 6> kTitles{"Точка 1 X", "Точка 1 Y", "Точка 1 Z",
                                                     "Точка 2 X", "Точка 2 Y", "Точка 2 Z"};
        for (std::size_t c = 0; c < points.size(); ++c) {
            points[c].reserve(model.CutEdge.size() + 1);
            points[c].emplace_back();
            titles.emplace_back(kTitles[c]);
            columns.push_back(&points[c]);
        }
        for (const model::TSegment& segment : model.CutEdge) {
            const std::array<double, 6> values{segment.Point1.x, segment.Point1.y,
                                               segment.Point1.z, segment.Point2.x,
                                               segment.Point2.y, segment.Point2.z};
            for (std::size_t c = 0; c < points.size(); ++c) {
                points[c].push_back(base::FloatToStr(values[c], model.DecimalSeparator));
            }
        }
    }

    std::vector<model::TStringList> angles(extras.Angles.size());
    for (std::size_t c = 0; c < angles.size(); ++c) {
        const model::TAngleId& id = extras.Angles[c];
        titles.push_back(std::string(model::SystemInfo(id.System).TitlePrefix) + " " +
                         model::AngleKindInfo(id.Kind).TitleWord);
        angles[c].reserve(model.CutEdge.size() + 1);
        angles[c].emplace_back();
        for (const model::TSegment& segment : model.CutEdge) {
            const double value = model::AngleValue(segment, model.AcceptedCS, id);
            angles[c].push_back(std::isnan(value) ? std::string()
                                                  : base::FloatToStrAcc(model.GetAccuracy(), value,
                                                                        model.DecimalSeparator));
        }
        columns.push_back(&angles[c]);
    }

    std::size_t rows = 0;
    for (const model::TStringList* column : columns) {
        rows = std::max(rows, std::max<std::size_t>(column->size(), 1) - 1);
    }
    std::string out;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        if (i != 0) {
            out += delimiter;
        }
        AppendCell(out, titles[i], delimiter);
    }
    out += "\r\n";
    for (std::size_t row = 1; row <= rows; ++row) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (i != 0) {
                out += delimiter;
            }
            const model::TStringList& column = *columns[i];
            if (row < column.size()) {
                AppendCell(out, column[row], delimiter);
            }
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace tessarin::project
