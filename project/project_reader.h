// Reading a project file back into a new model.
#pragma once

#include <string>
#include <string_view>

#include "model/base_names.h"
#include "model/file_list.h"
#include "model/model.h"

namespace tessarin::project {

// Parses a whole project text into `list`. Numbers are read with either "," or "." as
// separator, and "NAN", "INF", "-INF" read too. Fails on the first line that does not
// read, with a reason "line N: expected ..." (1-based); a count that is negative, or
// whose records could not fit in the bytes that remain even at their shortest, fails
// before anything is allocated for it. The line before the STL file name must be empty;
// the last line of the file must end with a line break. After the name may come the
// extension section (project/project_extensions.h), whose every line must read; its
// import options go to the record's ImportOptions, its cutting-edge settings and edge
// kink to its GeometrySettings, its tolerances to its Tolerances. Other text after a name
// is not read; after an empty name, none may follow. Steps `progress` six times, once
// per group of sections; the caller starts and finishes it.
model::TResult ParseProject(std::string_view text, model::TFileList& list,
                            model::TProgress& progress = model::NullProgress());

// Reads the file and, only when every line parsed, loads it into `model` (a new, empty
// one) and sets `stlFileName`. On failure neither is touched and the reason names the
// file and the line.
model::TResult LoadProject(model::TModel& model, const std::string& path, std::string& stlFileName,
                           model::TProgress& progress = model::NullProgress());

}  // namespace tessarin::project
