#include "project/table_export.h"

#include <algorithm>
#include <vector>

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

std::string TableToCsv(const model::TModel& model, const std::vector<int>& shown) {
    const char delimiter = model.DecimalSeparator == ',' ? ';' : ',';
    std::size_t rows = 0;
    for (const int k : shown) {
        rows = std::max(rows, std::max<std::size_t>(model.Columns[k].size(), 1) - 1);
    }
    std::string out;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (i != 0) {
            out += delimiter;
        }
        const int k = shown[i];
        std::string title = model::ColumnTitle(k);
        if (k > model::kSelectionColumnOffset) {
            title = "Выборка: " + title;
        }
        AppendCell(out, title, delimiter);
    }
    out += "\r\n";
    for (std::size_t row = 1; row <= rows; ++row) {
        for (std::size_t i = 0; i < shown.size(); ++i) {
            if (i != 0) {
                out += delimiter;
            }
            const model::TStringList& column = model.Columns[shown[i]];
            if (row < column.size()) {
                AppendCell(out, column[row], delimiter);
            }
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace tessarin::project
