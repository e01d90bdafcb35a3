// tessarin-sample: writes the synthetic milling tool as an STL file.
//
//   tessarin-sample [--facets N] [--format ascii|binary] [-o FILE] [--name NAME]
//
// N is an approximate target and may carry a k or m suffix (10k, 2m). The output is the
// same, byte for byte, on every run.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "samples/sample_tool.h"

namespace {

using tessarin::samples::TStlFormat;

constexpr std::string_view kUsage =
    "usage: tessarin-sample [--facets N] [--format ascii|binary] [-o FILE] [--name NAME]\n"
    "  --facets N       approximate number of facets (default 4000; suffix k or m allowed)\n"
    "  --format FORMAT  ascii (default) or binary\n"
    "  -o FILE          output file (default cutter.stl)\n"
    "  --name NAME      solid name (default cutter)\n";

struct TOptions {
    std::int64_t Facets = 4000;
    TStlFormat Format = TStlFormat::Ascii;
    std::string Output = "cutter.stl";
    std::string Name = "cutter";
};

bool ParseCount(std::string_view text, std::int64_t& value) {
    std::int64_t factor = 1;
    if (!text.empty() && (text.back() == 'k' || text.back() == 'K')) {
        factor = 1000;
        text.remove_suffix(1);
    } else if (!text.empty() && (text.back() == 'm' || text.back() == 'M')) {
        factor = 1000000;
        text.remove_suffix(1);
    }
    std::int64_t n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || n <= 0 ||
        n > INT64_MAX / factor) {
        return false;
    }
    value = n * factor;
    return true;
}

void Print(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

// Returns 0 when the options are complete, else the exit code.
int ParseOptions(int argc, char** argv, TOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            Print(stdout, kUsage);
            return -1;
        }
        if (i + 1 >= argc) {
            Print(stderr, "tessarin-sample: " + std::string(arg) + " needs a value\n");
            Print(stderr, kUsage);
            return 2;
        }
        const std::string_view value = argv[++i];
        if (arg == "--facets") {
            if (!ParseCount(value, options.Facets)) {
                Print(stderr, "tessarin-sample: --facets wants a positive count, not \"" +
                                  std::string(value) + "\"\n");
                return 2;
            }
        } else if (arg == "--format") {
            if (value == "ascii") {
                options.Format = TStlFormat::Ascii;
            } else if (value == "binary") {
                options.Format = TStlFormat::Binary;
            } else {
                Print(stderr, "tessarin-sample: --format is ascii or binary, not \"" +
                                  std::string(value) + "\"\n");
                return 2;
            }
        } else if (arg == "-o" || arg == "--output") {
            options.Output = value;
        } else if (arg == "--name") {
            options.Name = value;
        } else {
            Print(stderr, "tessarin-sample: unknown option " + std::string(arg) + "\n");
            Print(stderr, kUsage);
            return 2;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    TOptions options;
    if (const int code = ParseOptions(argc, argv, options); code != 0) {
        return code < 0 ? 0 : code;
    }
    const auto layout = tessarin::samples::LayoutForFacets(options.Facets);
    const auto polygons = tessarin::samples::GenerateSampleTool(layout);
    const auto result =
        tessarin::samples::WriteStl(polygons, options.Format, options.Name, options.Output);
    if (!result) {
        Print(stderr, "tessarin-sample: " + result.Reason() + "\n");
        return 1;
    }
    Print(stderr, "tessarin-sample: " + options.Output + ": " + std::to_string(polygons.size()) +
                      " facets, " + std::to_string(tessarin::samples::CutEdgeSegmentCount(layout)) +
                      " cutting-edge segments under the default sorting\n");
    return 0;
}
