#include "project/output_formats.h"

#include <array>

#include "base/text_file.h"
#include "project/table_export.h"

namespace tessarin::project {

using base::WriteFileAtomically;

namespace {

std::string ProduceCsv(const model::TModel& model, const std::vector<int>& columns,
                       TTableReader reader, const TTableExtras& extras) {
    std::string text = reader == TTableReader::Spreadsheet ? "\xEF\xBB\xBF" : "";
    text += TableToCsv(model, columns, extras);
    return text;
}

constexpr std::array kFormats{
    TTableFormat{"csv",
                 "Also write the data table to this file (\";\" between cells when the decimal "
                 "separator is \",\")",
                 "Экспорт в CSV...", "Экспорт в CSV", "Файлы CSV (*.csv)", "csv", ProduceCsv},
};

}  // namespace

std::span<const TTableFormat> TableFormats() {
    return kFormats;
}

const TTableFormat* FindTableFormat(std::string_view key) {
    for (const TTableFormat& format : kFormats) {
        if (format.Key == key) {
            return &format;
        }
    }
    return nullptr;
}

model::TResult WriteTable(const TTableFormat& format, const model::TModel& model,
                          const std::vector<int>& columns, TTableReader reader,
                          const std::string& path, const TTableExtras& extras) {
    return WriteFileAtomically(path, format.Produce(model, columns, reader, extras));
}

}  // namespace tessarin::project
