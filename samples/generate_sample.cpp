// tessarin-sample: writes the synthetic milling tool or the reference lathe tool as an STL
// file.
//
//   tessarin-sample [--tool cutter|lathe] [--facets N] [--nose-radius R]
//                   [--format ascii|binary] [-o FILE] [--name NAME]
//
// N is an approximate target and may carry a k or m suffix (10k, 2m); it sizes the milling
// tool only. R gives the lathe tool a facetted nose. The output is the same, byte for
// byte, on every run.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "samples/lathe_tool.h"
#include "samples/sample_tool.h"

namespace {

using tessarin::samples::TStlFormat;

constexpr std::string_view kUsage =
    "usage: tessarin-sample [--tool cutter|lathe] [--facets N] [--nose-radius R]\n"
    "                       [--format ascii|binary] [-o FILE] [--name NAME]\n"
    "  --tool TOOL      cutter (default): the milling tool; lathe: the reference lathe tool\n"
    "                   (15 degrees rake, relief and side cutting-edge angle, 80-degree nose)\n"
    "  --facets N       approximate number of facets (default 4000; suffix k or m allowed)\n"
    "  --nose-radius R  the lathe tool's nose radius in mm (default 0, a sharp nose)\n"
    "  --format FORMAT  ascii (default) or binary\n"
    "  -o FILE          output file (default cutter.stl or lathe.stl)\n"
    "  --name NAME      solid name (default cutter or lathe)\n";

struct TOptions {
    bool Lathe = false;
    std::int64_t Facets = 4000;
    double NoseRadius = 0.0;
    TStlFormat Format = TStlFormat::Ascii;
    std::string Output;  // empty: after the tool
    std::string Name;
};

bool ParseLength(std::string_view text, double& value) {
    double v = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || !(v >= 0.0) ||
        v > 5.0) {
        return false;
    }
    value = v;
    return true;
}

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

std::string FormatNumber(double v) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, result.ptr);
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
        if (arg == "--tool") {
            if (value == "cutter" || value == "lathe") {
                options.Lathe = value == "lathe";
            } else {
                Print(stderr, "tessarin-sample: --tool is cutter or lathe, not \"" +
                                  std::string(value) + "\"\n");
                return 2;
            }
        } else if (arg == "--nose-radius") {
            if (!ParseLength(value, options.NoseRadius)) {
                Print(stderr, "tessarin-sample: --nose-radius wants 0 to 5 (mm), not \"" +
                                  std::string(value) + "\"\n");
                return 2;
            }
        } else if (arg == "--facets") {
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
    const char* tool = options.Lathe ? "lathe" : "cutter";
    if (options.Output.empty()) {
        options.Output = std::string(tool) + ".stl";
    }
    if (options.Name.empty()) {
        options.Name = tool;
    }
    tessarin::model::TSurface polygons;
    std::int64_t segments = 0;
    std::string hint;
    if (options.Lathe) {
        tessarin::samples::TLatheToolLayout layout;
        layout.NoseRadius = options.NoseRadius;
        polygons = tessarin::samples::GenerateLatheTool(layout);
        segments = tessarin::samples::LatheCutEdgeSegmentCount(layout);
        // The segments run in polar order from the end edge's far end: segment 0 is on it.
        hint = "; its own Z is the static normal --ssk " + FormatNumber(layout.Tilt) + "," +
               FormatNumber(layout.TiltAzimuth) + ", the working plane along the feed --feedplan " +
               FormatNumber(layout.EndCuttingEdgeAngle) + ",0";
    } else {
        const auto layout = tessarin::samples::LayoutForFacets(options.Facets);
        polygons = tessarin::samples::GenerateSampleTool(layout);
        segments = tessarin::samples::CutEdgeSegmentCount(layout);
    }
    const auto result =
        tessarin::samples::WriteStl(polygons, options.Format, options.Name, options.Output);
    if (!result) {
        Print(stderr, "tessarin-sample: " + result.Reason() + "\n");
        return 1;
    }
    Print(stderr, "tessarin-sample: " + options.Output + ": " + std::to_string(polygons.size()) +
                      " facets, " + std::to_string(segments) +
                      " cutting-edge segments under the default sorting" + hint + "\n");
    return 0;
}
