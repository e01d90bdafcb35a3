// The data table as delimiter-separated text, for spreadsheets and scripts.
#pragma once

#include <string>
#include <vector>

#include "model/angle_keys.h"
#include "model/model.h"

namespace tessarin::project {

// One header row with the column titles, then one row per segment: every table column
// (1..34) that holds data, in column order. Cells are the table's own texts (numbers
// with the model's decimal separator); the delimiter is ";" when the decimal separator
// is ",", else ",". The selection's columns have as many rows as there are selected
// segments; shorter columns leave their cells empty. Lines end with CR LF.
std::string TableToCsv(const model::TModel& model);

// The table columns (1..34) that hold data, in column order: what the batch tool writes.
std::vector<int> ColumnsWithData(const model::TModel& model);

// What a table may hold besides the table's own columns.
struct TTableExtras {
    // Six columns after the others, "Точка 1 X" .. "Точка 2 Z": the two end points of every
    // segment of the cutting edge, one row per segment, in the general number form.
    bool EndPoints = false;
    // Then one column per angle asked for, titled as the table titles its angles
    // ("Статич. нормальный передний угол"): its value (model/angle_keys.h AngleValue) at
    // every segment of the cutting edge with the table's accuracy; an angle not defined at
    // a segment leaves its cell empty. The angles' systems must be computed.
    std::vector<model::TAngleId> Angles;
};

// The same for the given table columns (1..34) in the given order, whether or not they
// hold data: what a document window's table shows; then the extras asked for. Without
// extras the text is that of the columns alone.
std::string TableToCsv(const model::TModel& model, const std::vector<int>& columns,
                       const TTableExtras& extras = {});

}  // namespace tessarin::project
