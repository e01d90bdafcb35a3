// The project file (.tsf): plain text, CR LF line ends, fixed English labels, numbers
// in the general number form with the given decimal separator.
#pragma once

#include <string>
#include <string_view>

#include "model/base_names.h"
#include "model/model.h"

namespace tessarin::project {

// The first line of every project file.
inline constexpr std::string_view kProjectHeader = "=====Tessarin 1 TextFile=====";

// Every line of the file but the last two (the empty line and the STL file name), each
// ended by CR LF, appended to `out`. Reads the model and its AcceptedCS; changes nothing.
void AppendModelLines(const model::TModel& model, char decimalSeparator, std::string& out);

// The whole file: the model's lines, an empty line and `stlFileName` (UTF-8), whose CR
// and LF characters are written as blanks so that it stays one line, then the extension
// section (project/project_extensions.h) with the import options, the cutting-edge
// settings, the edge kink and the tolerances that differ from their defaults; with none,
// the file ends with the name.
std::string ProjectText(const model::TModel& model, std::string_view stlFileName,
                        char decimalSeparator);

// Sets the model's Modified flag (saving does not clear it) and writes the file through
// a temporary file. On failure the previous file is intact and the reason names it.
model::TResult SaveProject(model::TModel& model, const std::string& path,
                           std::string_view stlFileName, char decimalSeparator,
                           model::TProgress& progress = model::NullProgress());

}  // namespace tessarin::project
