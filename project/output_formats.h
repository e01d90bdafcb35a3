// The table's output formats as one list, read by the desktop's export menu and by the
// batch tool's options: a new format is one entry here and the function that writes it.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/base_names.h"
#include "model/model.h"
#include "project/table_export.h"

namespace tessarin::project {

// Who reads the file. The desktop exports for spreadsheet programs, which read UTF-8
// only when a byte-order mark announces it; the batch tool's tables go to scripts and
// start with the first title.
enum class TTableReader { Script, Spreadsheet };

struct TTableFormat {
    std::string_view Key;          // "csv"; the batch tool's option is "--" + Key + " FILE"
    std::string_view BatchHelp;    // that option's help text, English like the tool's
    std::string_view Caption;      // the export menu's entry, "Экспорт в CSV..."
    std::string_view DialogTitle;  // the file dialog's title
    std::string_view Filter;       // the file dialog's filter in Qt's form
    std::string_view Extension;    // without the dot; proposed file names end with it
    // The file's bytes: a header row and one row per segment for the table columns
    // `columns` (1..34) in that order, cells as the model's texts (numbers with the
    // model's decimal separator), then the extras asked for.
    std::string (*Produce)(const model::TModel& model, const std::vector<int>& columns,
                           TTableReader reader, const TTableExtras& extras);
};

// Every format; the first is the one an export without a named format uses.
std::span<const TTableFormat> TableFormats();

// The format with this key, or nullptr.
const TTableFormat* FindTableFormat(std::string_view key);

// Produces the table in `format` and writes it with WriteFileAtomically; the reason of
// a failure names the file.
model::TResult WriteTable(const TTableFormat& format, const model::TModel& model,
                          const std::vector<int>& columns, TTableReader reader,
                          const std::string& path, const TTableExtras& extras = {});

}  // namespace tessarin::project
