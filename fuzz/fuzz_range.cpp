// Fuzzes the range lists of the selection dialog under both decimal separators: no
// crash, a list is accepted exactly when every ";"-piece is a range, and every bound
// is a value the number reading gives for the text on its side of the first "..".
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/number_format.h"
#include "model/selection.h"

using namespace tessarin;

namespace {

// The bound read afresh from its own text must be the same value.
void CheckBound(std::string_view text, char separator, double bound) {
    double value = 0.0;
    if (std::isnan(bound) || !base::StrToFloat(text, separator, value) || value != bound) {
        std::abort();
    }
    // A finite bound also survives its written form (what the dialog would show).
    if (std::isfinite(bound) &&
        !base::StrToFloat(base::FloatToStr(bound, separator), separator, value)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const char separator : {',', '.'}) {
        model::TAnRanges ranges;
        const bool ok = model::ParseRanges(text, separator, ranges);

        // Walk the pieces independently and hold each parsed range against them.
        std::string_view rest = text;
        std::size_t index = 0;
        bool allPiecesParse = true;
        for (;;) {
            const std::size_t semicolon = rest.find(';');
            const std::string_view piece = rest.substr(0, semicolon);
            const std::size_t dots = piece.find("..");
            model::TAnRange single;
            const bool pieceOk = model::ParseRange(piece, separator, single);
            if (!pieceOk) {
                allPiecesParse = false;
                break;
            }
            if (index >= ranges.size()) {
                std::abort();  // a piece that parses must have been appended
            }
            const model::TAnRange& range = ranges[index++];
            CheckBound(piece.substr(0, dots), separator, range.Lo);
            CheckBound(piece.substr(dots + 2), separator, range.Hi);
            if (semicolon == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(semicolon + 1);
        }
        // Only ranges that were read are kept, and the list is accepted exactly when
        // every piece is a range.
        if (ok != allPiecesParse || index != ranges.size()) {
            std::abort();
        }
    }
    return 0;
}
