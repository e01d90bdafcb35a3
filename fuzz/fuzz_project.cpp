// Fuzzes the project reader: whatever reads must load into a model, write, read again
// and write the same bytes a second time (a saved project always opens again and
// stays as it was).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/file_list.h"
#include "model/model.h"
#include "project/project_reader.h"
#include "project/project_writer.h"

using namespace tessarin;

namespace {

// Loads the record into a fresh model and writes it with `separator`.
std::string Rewrite(model::TFileList&& list, char separator) {
    const std::string name = list.StlFileName;
    model::TModel loaded(separator);
    loaded.LoadFileList(std::move(list));
    return project::ProjectText(loaded, name, separator);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    model::TFileList list;
    if (!project::ParseProject(text, list)) {
        return 0;
    }
    // The first byte picks the separator, so both forms are written.
    const char separator = size > 0 && (data[0] & 1) != 0 ? '.' : ',';
    const std::string once = Rewrite(std::move(list), separator);

    model::TFileList again;
    const model::TResult reread = project::ParseProject(once, again);
    if (!reread) {
        std::fprintf(stderr, "written project does not read: %s\n", reread.Reason().c_str());
        std::abort();
    }
    if (Rewrite(std::move(again), separator) != once) {
        std::fprintf(stderr, "second write differs from the first\n");
        std::abort();
    }
    return 0;
}
