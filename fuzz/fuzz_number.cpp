// Fuzzes the number reading and the general number form: whatever reads must write
// back to a text that reads to the same 15-digit value.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/number_format.h"

using namespace tessarin::base;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const char separator : {',', '.', kEitherSeparator}) {
        double value = 0.0;
        if (!StrToFloat(text, separator, value)) {
            continue;
        }
        const char written = separator == kEitherSeparator ? ',' : separator;
        const std::string form = FloatToStr(value, written);
        if (!std::isfinite(value)) {
            continue;
        }
        double back = 0.0;
        if (!StrToFloat(form, written, back) || FloatToStr(back, written) != form) {
            std::abort();
        }
        for (int n = 0; n <= 6; ++n) {
            (void)FloatToStrAcc(n, value, written);
        }
    }
    std::int32_t integer = 0;
    if (StrToInt(text, integer) && IntToStr(integer).empty()) {
        std::abort();
    }
    bool flag = false;
    (void)StrToFlag(text, ',', flag);
    return 0;
}
