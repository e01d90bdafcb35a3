// tessarin-bench: speed and memory of the analysis road on generated milling tools.
//
//   tessarin-bench [--sizes 10k,100k,1m,2m] [--quick] [--repeat N] [--data DIR] [--cli PATH]
//                  [--regenerate] [--import-only]
//
// Every figure is the best of N runs (default 3) on a warm page cache. See bench/README.md.
#include <malloc.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/bench_child.h"
#include "bench/bench_report.h"
#include "model/angle_keys.h"
#include "model/cut_edge.h"
#include "model/edges.h"
#include "model/model.h"
#include "model/model_check.h"
#include "model/section.h"
#include "model/selection.h"
#include "model/tolerances.h"
#include "project/json_result.h"
#include "project/project_reader.h"
#include "project/project_writer.h"
#include "samples/sample_tool.h"
#ifdef TESSARIN_BENCH_REFERENCE
#include "tests/support/cut_edge_reference.h"
#endif

namespace {

namespace fs = std::filesystem;
using tessarin::bench::BestOf;
using tessarin::bench::Fixed;
using tessarin::bench::Seconds;
using tessarin::bench::TReport;
using tessarin::bench::TTarget;
using tessarin::model::TModel;
using tessarin::model::TSurFaceData;
using tessarin::samples::TSampleToolLayout;
using tessarin::samples::TStlFormat;

constexpr char kSeparator = ',';

// Targets, all for the 2-core machines the project is built on.
constexpr double kAsciiImportMBs = 500.0;
constexpr double kBinaryImportMBs = 600.0;
constexpr double kCutEdgeSeconds1M = 0.3;
constexpr double kProjectWriteMBs = 150.0;
constexpr double kProjectReadMBs = 300.0;
constexpr double kPeakMegabytes1M = 600.0;
constexpr double kAngleSeconds100k = 0.2;
constexpr double kEdgeSeconds100k = 0.1;
constexpr double kJsonMBps = 100.0;
// Every angle of every system (the stored ones and the derived ones read with AngleValue)
// of 100 k segments.
constexpr double kAllAngleSeconds100k = 0.3;
constexpr double kRoadSeconds1M = 3.0;
// One plane section of the mesh, the facet index built before.
constexpr double kSectionMilliseconds1M = 50.0;

constexpr std::int64_t kMillion = 1000000;

struct TSize {
    std::string Label;  // as given: "10k", "1m"
    std::int64_t Facets = 0;
};

struct TOptions {
    std::vector<TSize> Sizes;
    int Repeat = 3;
    std::string DataDir = TESSARIN_BENCH_DATA_DIR;
    std::string Cli;
    bool Regenerate = false;
    bool ImportOnly = false;  // the import figures only
    // Hidden: run the road once on FILE, write OUT and exit (the peak-memory child).
    std::optional<std::pair<std::string, std::string>> RoadChild;
};

constexpr std::string_view kUsage =
    "usage: tessarin-bench [--sizes 10k,100k,1m,2m] [--quick] [--repeat N] [--data DIR]\n"
    "                      [--cli PATH] [--regenerate] [--import-only]\n"
    "  --sizes LIST   model sizes in facets (suffix k or m), default 10k,100k,1m,2m\n"
    "  --quick        10k and 100k only\n"
    "  --repeat N     runs per figure, the best counts (default 3)\n"
    "  --data DIR     folder of the generated models (default bench/data)\n"
    "  --cli PATH     the batch tool for the peak-memory run (default: the one built with it)\n"
    "  --regenerate   write the models again even when they exist\n"
    "  --import-only  the STL import figures only (with and without the model check)\n";

void Print(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

bool ParseCount(std::string_view text, std::int64_t& value) {
    std::int64_t factor = 1;
    if (!text.empty() && (text.back() == 'k' || text.back() == 'K')) {
        factor = 1000;
        text.remove_suffix(1);
    } else if (!text.empty() && (text.back() == 'm' || text.back() == 'M')) {
        factor = kMillion;
        text.remove_suffix(1);
    }
    std::int64_t n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || n <= 0 ||
        n > INT32_MAX / factor) {
        return false;
    }
    value = n * factor;
    return true;
}

bool ParseSizes(std::string_view text, std::vector<TSize>& sizes) {
    sizes.clear();
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view piece = text.substr(0, comma);
        TSize size{std::string(piece), 0};
        if (!ParseCount(piece, size.Facets)) {
            return false;
        }
        sizes.push_back(size);
        if (comma == std::string_view::npos) {
            return true;
        }
        text.remove_prefix(comma + 1);
    }
}

// Returns 0 to go on, otherwise 1 + the exit code.
int ParseOptions(int argc, char** argv, TOptions& options) {
    ParseSizes("10k,100k,1m,2m", options.Sizes);
#ifdef TESSARIN_CLI_PATH
    options.Cli = TESSARIN_CLI_PATH;
#endif
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= argc) {
                Print("tessarin-bench: " + std::string(arg) + " needs a value\n");
                return std::nullopt;
            }
            return std::string_view(argv[++i]);
        };
        if (arg == "-h" || arg == "--help") {
            Print(kUsage);
            return 1;
        } else if (arg == "--quick") {
            ParseSizes("10k,100k", options.Sizes);
        } else if (arg == "--regenerate") {
            options.Regenerate = true;
        } else if (arg == "--import-only") {
            options.ImportOnly = true;
        } else if (arg == "--sizes") {
            const auto text = value();
            if (!text || !ParseSizes(*text, options.Sizes)) {
                Print("tessarin-bench: --sizes wants counts like 10k,100k,1m\n");
                return 3;
            }
        } else if (arg == "--repeat") {
            const auto text = value();
            std::int64_t n = 0;
            if (!text || !ParseCount(*text, n) || n > 1000) {
                Print("tessarin-bench: --repeat wants a count from 1 to 1000\n");
                return 3;
            }
            options.Repeat = static_cast<int>(n);
        } else if (arg == "--data") {
            const auto text = value();
            if (!text) {
                return 3;
            }
            options.DataDir = *text;
        } else if (arg == "--cli") {
            const auto text = value();
            if (!text) {
                return 3;
            }
            options.Cli = *text;
        } else if (arg == "--road-child") {
            if (i + 2 >= argc) {
                return 3;
            }
            options.RoadChild.emplace(argv[i + 1], argv[i + 2]);
            i += 2;
        } else {
            Print("tessarin-bench: unknown option " + std::string(arg) + "\n" +
                  std::string(kUsage));
            return 3;
        }
    }
    return 0;
}

double Megabytes(std::uintmax_t bytes) {
    return static_cast<double>(bytes) / 1e6;
}

std::uintmax_t FileSize(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    return error ? 0 : size;
}

// Reads the whole file once, so that the timed runs find it in the page cache.
void WarmUp(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return;
    }
    std::vector<char> buffer(1 << 20);
    while (std::fread(buffer.data(), 1, buffer.size(), file) == buffer.size()) {
    }
    std::fclose(file);
}

std::string Count(std::int64_t n) {
    return std::to_string(n);
}

// ---- the analysis steps the benchmark drives ----

void SetUpModelFromPolygons(TModel& model, tessarin::model::TSurface&& polygons) {
    model.SurfaceData.GeometrySettings = tessarin::model::kDefaultGeometrySettings;
    model.SurfaceData.Polygons = std::move(polygons);
    model.SurfaceData.PolygonCount = static_cast<std::int32_t>(model.SurfaceData.Polygons.size());
    model.SurfaceData.SurfaceExist = true;
}

// Frees the vector's memory. (Assigning {} would pick the initializer-list assignment and
// keep the capacity.)
template <typename T>
void Release(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

// Lets the lists go, not only empties them, so the next run allocates like the first.
void ReleaseSorting(TModel& model) {
    model.ClearSorting();
    Release(model.SurfaceData.FrontPolygons);
    Release(model.SurfaceData.BackPolygons);
    Release(model.SurfaceData.OtherPolygons);
}

void ReleaseCutEdge(TModel& model) {
    if (model.SelectCutEdgeExist) {
        Release(model.SelectCutEdge);
        model.SelectCutEdgeExist = false;
    }
    model.ClearCutEdge();
    Release(model.CutEdge);
    for (int k = 1; k <= 17; ++k) {
        Release(model.Columns[k]);
    }
}

// Static system tilted 5 degrees at azimuth 30, working plane at 20 degrees to segment 0,
// kinematic system at a cutting-speed angle of 10, chip flow at 30: every system exists.
tessarin::model::TResult AcceptSystems(TModel& model) {
    model.PreviewSSK(5.0, 30.0);
    if (auto accepted = model.AcceptStaticSystem(); !accepted) {
        return accepted;
    }
    if (auto previewed = model.PreviewFeedPlan(20.0); !previewed) {
        return previewed;
    }
    model.AcceptFeedPlan();
    model.PreviewKSK(10.0);
    model.AcceptKSK();
    model.PreviewDSK(30.0);
    model.AcceptDSK();
    return tessarin::model::TResult::Success();
}

void ComputeAllAngles(TModel& model) {
    for (int system = tessarin::model::kISK; system <= tessarin::model::kDSK; ++system) {
        model.ComputeAngles(system);
    }
}

// The segments whose static rake angle lies between 0 and 10 degrees and whose static
// clearance angle is between 0 and 8 degrees: on the sample tools with the systems above,
// somewhat less than half of them.
tessarin::model::TSelectDlgInqury SelectionQuery() {
    tessarin::model::TSelectDlgInqury query;
    constexpr int kSskG = 3;
    constexpr int kSskA = 4;
    QueryColumn(query.Ranges, kSskG).push_back({0.0, 10.0});
    QueryColumn(query.Ranges, kSskA).push_back({0.0, 8.0});
    query.Use[kSskG] = true;
    query.Use[kSskA] = true;
    query.AndLogic = true;
    query.WholeEdge = true;
    query.Valid = true;
    return query;
}

struct TRoadTimes {
    double Import = 0.0;
    double Sort = 0.0;
    double Edge = 0.0;
    double Angles = 0.0;
    double Select = 0.0;
    double Write = 0.0;
    double Total() const { return Import + Sort + Edge + Angles + Select + Write; }
};

// The whole batch road on one STL file, as the batch tool runs it: import, sort, cutting
// edge, the four systems and their angles, a selection, the project file.
tessarin::model::TResult RunRoad(const std::string& stl, const std::string& out,
                                 TRoadTimes& times) {
    TModel model(kSeparator);
    model.SurfaceData.GeometrySettings = tessarin::model::kDefaultGeometrySettings;
    tessarin::model::TResult result = tessarin::model::TResult::Success();
    times.Import = Seconds([&] { result = model.SurfaceData.LoadSTL(stl); });
    if (!result) {
        return result;
    }
    times.Sort = Seconds([&] { model.SurfaceData.SortSurfaces(); });
    times.Edge = Seconds([&] { result = model.FindCutEdge(); });
    if (!result) {
        return tessarin::model::TResult::Failure(stl + ": " + result.Reason());
    }
    times.Angles = Seconds([&] {
        result = AcceptSystems(model);
        if (result) {
            ComputeAllAngles(model);
        }
    });
    if (!result) {
        return result;
    }
    times.Select = Seconds([&] { model.MakeSelection(SelectionQuery()); });
    times.Write =
        Seconds([&] { result = tessarin::project::SaveProject(model, out, stl, kSeparator); });
    return result;
}

std::string StlPath(const TOptions& options, const TSize& size, TStlFormat format) {
    const auto layout = tessarin::samples::LayoutForFacets(size.Facets);
    // The exact facet count names the file, so a changed layout never reuses a stale one.
    return (fs::path(options.DataDir) /
            ("cutter-" + Count(tessarin::samples::FacetCount(layout)) +
             (format == TStlFormat::Ascii ? "-ascii.stl" : "-binary.stl")))
        .string();
}

// Writes the size's ASCII and binary models unless they are there already.
bool EnsureModels(const TOptions& options, const TSize& size, TReport& report) {
    const auto layout = tessarin::samples::LayoutForFacets(size.Facets);
    std::optional<tessarin::model::TSurface> polygons;
    for (const TStlFormat format : {TStlFormat::Ascii, TStlFormat::Binary}) {
        const std::string path = StlPath(options, size, format);
        if (!options.Regenerate && FileSize(path) > 0) {
            continue;
        }
        if (!polygons) {
            polygons = tessarin::samples::GenerateSampleTool(layout);
        }
        const auto written = tessarin::samples::WriteStl(*polygons, format, "cutter", path);
        if (!written) {
            report.Note(size.Label, "cannot write the model: " + written.Reason());
            return false;
        }
    }
    return true;
}

// ---- sections ----

// The reader alone: nothing turned, repaired or checked.
tessarin::model::TImportOptions AsRead() {
    tessarin::model::TImportOptions options;
    options.RepairNormals = false;
    options.KeepDuplicates = true;
    return options;
}

// The import with the default repairs and the model check against the reader alone, for
// the binary and the ASCII file each and for both together: the share the check adds
// (target at most 15 %). Off and on alternate run by run, so that a busy spell of the
// machine hits both alike.
void MeasureImportCheck(const std::string& ascii, const std::string& binary, std::int64_t facets,
                        const TSize& size, int repeat, TReport& report) {
    WarmUp(ascii);
    WarmUp(binary);
    const std::array<std::string, 2> paths{binary, ascii};
    // [file][checked]
    double best[2][2] = {
        {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()},
        {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()}};
    double bothBest[2] = {std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::infinity()};
    tessarin::model::TModelCheck check;
    bool ok = true;
    for (int run = 0; run < repeat; ++run) {
        for (const bool checked : {false, true}) {
            double both = 0.0;
            for (std::size_t file = 0; file < paths.size(); ++file) {
                auto surface = std::make_unique<TSurFaceData>();
                tessarin::model::TResult result = tessarin::model::TResult::Success();
                const double seconds = Seconds([&] {
                    result = checked ? surface->LoadSTL(paths[file], {}, &check)
                                     : surface->LoadSTL(paths[file], AsRead(), nullptr);
                });
                ok = ok && result && surface->PolygonCount == facets;
                double& slot = best[file][checked ? 1 : 0];
                slot = std::min(slot, seconds);
                both += seconds;
            }
            double& slot = bothBest[checked ? 1 : 0];
            slot = std::min(slot, both);
        }
    }
    if (!ok) {
        report.Note(size.Label, "import with the model check failed");
        return;
    }
    const auto row = [&](const std::string& what, double off, double on) {
        report.Row(size.Label, "STL import + model check, " + what, (on / off - 1.0) * 100.0,
                   "% more", 1, TTarget::Below(15.0),
                   Fixed(off, 3) + " s off, " + Fixed(on, 3) + " s on (repairs and check)");
    };
    row("binary", best[0][0], best[0][1]);
    row("ASCII", best[1][0], best[1][1]);
    row("ASCII and binary", bothBest[0], bothBest[1]);
}

// Returns the MB/s, NaN when the import failed.
double MeasureImport(const std::string& path, const std::string& what, std::int64_t facets,
                     double target, const TSize& size, int repeat, TReport& report,
                     std::unique_ptr<TSurFaceData>& loaded) {
    WarmUp(path);
    tessarin::model::TResult result = tessarin::model::TResult::Success();
    const double seconds = BestOf(
        repeat, [&] { loaded = std::make_unique<TSurFaceData>(); },
        [&] { result = loaded->LoadSTL(path, AsRead(), nullptr); });
    if (!result || loaded->PolygonCount != facets) {
        report.Note(size.Label, what + " import failed: " +
                                    (result ? "read " + Count(loaded->PolygonCount) +
                                                  " facets of " + Count(facets)
                                            : result.Reason()));
        loaded.reset();
        return std::numeric_limits<double>::quiet_NaN();
    }
    const double rate = Megabytes(FileSize(path)) / seconds;
    report.Row(size.Label, what + " STL import", rate, "MB/s", 0, TTarget::AtLeast(target),
               Fixed(seconds, 3) + " s");
    return rate;
}

// The yardstick for the ASCII import, measured alongside it: one thread reading every
// number of the file (already in memory) with std::from_chars into a fresh array of
// doubles, which is about the least any ASCII reader has to do. On a shared machine the
// ratio of the two says more than either figure.
void MeasureNumberScan(const std::string& path, double importRate, const TSize& size, int repeat,
                       TReport& report) {
    std::string text;
    if (std::FILE* file = std::fopen(path.c_str(), "rb"); file != nullptr) {
        text.resize(FileSize(path));
        text.resize(std::fread(text.data(), 1, text.size(), file));
        std::fclose(file);
    }
    std::vector<double> numbers;
    const double seconds = BestOf(
        repeat, [&] { Release(numbers); },
        [&] {
            numbers.reserve(text.size() / 20);
            const char* p = text.data();
            const char* const end = p + text.size();
            while (p < end) {
                const char c = *p;
                if ((c >= '0' && c <= '9') || c == '-' || c == '+') {
                    double v = 0.0;
                    const auto parsed = std::from_chars(p, end, v);
                    numbers.push_back(v);
                    p = parsed.ptr > p ? parsed.ptr : p + 1;
                } else {
                    ++p;
                }
            }
        });
    report.Row(size.Label, "from_chars scan, one thread", Megabytes(text.size()) / seconds, "MB/s",
               0, TTarget::None(),
               Count(static_cast<std::int64_t>(numbers.size())) + " numbers; the import runs at " +
                   Fixed(importRate / (Megabytes(text.size()) / seconds), 2) + "x this");
}

// The cost of the first touch of fresh memory, which on virtual machines can be tens of
// microseconds per page and then dominates every step that fills a new buffer.
void MeasureFirstTouch(TReport& report) {
    constexpr std::size_t kBytes = std::size_t{64} << 20;
    constexpr std::size_t kPage = 4096;
    const double seconds = BestOf(
        3, [] {},
        [] {
            std::unique_ptr<char[]> block(new char[kBytes]);
            for (std::size_t i = 0; i < kBytes; i += kPage) {
                block[i] = static_cast<char>(i);
            }
            volatile char sink = block[kBytes / 2];
            (void)sink;
        });
    report.Row("machine", "first touch of fresh memory", seconds * 1e6 / (kBytes / kPage),
               "us/page", 2, TTarget::None(), "64 MB, 4 KiB pages");
}

// The facet index built once, then plane sections of the whole mesh: the normal plane of
// the first segment (the section view's usual cut) and the plane through the tool axis,
// which crosses the most facets.
void MeasureSections(const TModel& model, const TSize& size, bool million, int repeat,
                     TReport& report) {
    using namespace tessarin::model;
    std::unique_ptr<TFacetIndex> index;
    const double buildSeconds = BestOf(
        repeat, [&] { index.reset(); },
        [&] { index = std::make_unique<TFacetIndex>(model.SurfaceData.Polygons); });
    report.Row(size.Label, "section: facet index", buildSeconds, "s", 3, TTarget::None(),
               Fixed(Megabytes(index->StoredBytes()), 1) + " MB stored");
    std::optional<TPlaneFrame> normalPlane;
    if (const auto wedge =
            WedgeSectionOf(model.CutEdge.front(), model.AcceptedCS, kSSK, TWedgePlane::Pn)) {
        normalPlane = wedge->Frame;
    }
    const std::optional<TPlaneFrame> axialPlane = MakePlaneFrame({0, 0, 0}, {0, 1, 0});
    const std::pair<const char*, std::optional<TPlaneFrame>> planes[] = {
        {"section: normal plane of a segment", normalPlane},
        {"section: plane through the axis", axialPlane}};
    for (const auto& [what, frame] : planes) {
        if (!frame) {
            report.Note(size.Label, std::string(what) + ": plane not defined");
            continue;
        }
        TSectionOutline outline;
        const double seconds = BestOf(
            repeat, [&] { outline = {}; }, [&] { outline = SectionOfMesh(*index, *frame); });
        std::size_t points = 0;
        for (const TSectionPolyline& line : outline.Polylines) {
            points += line.Points.size();
        }
        report.Row(size.Label, what, seconds * 1e3, "ms", 2,
                   million ? TTarget::Below(kSectionMilliseconds1M) : TTarget::None(),
                   Count(static_cast<std::int64_t>(outline.Polylines.size())) + " pieces, " +
                       Count(static_cast<std::int64_t>(points)) + " points");
    }
}

void MeasureSize(const TOptions& options, const TSize& size, TReport& report) {
    if (!EnsureModels(options, size, report)) {
        return;
    }
    const auto layout = tessarin::samples::LayoutForFacets(size.Facets);
    const std::int64_t facets = tessarin::samples::FacetCount(layout);
    const std::int64_t expectedSegments = tessarin::samples::CutEdgeSegmentCount(layout);
    const std::string ascii = StlPath(options, size, TStlFormat::Ascii);
    const std::string binary = StlPath(options, size, TStlFormat::Binary);
    report.Note(size.Label, Count(facets) + " facets; ASCII " +
                                Fixed(Megabytes(FileSize(ascii)), 1) + " MB, binary " +
                                Fixed(Megabytes(FileSize(binary)), 1) + " MB");

    std::unique_ptr<TSurFaceData> loaded;
    MeasureImport(binary, "binary", facets, kBinaryImportMBs, size, options.Repeat, report, loaded);
    const double asciiRate = MeasureImport(ascii, "ASCII", facets, kAsciiImportMBs, size,
                                           options.Repeat, report, loaded);
    MeasureNumberScan(ascii, asciiRate, size, options.Repeat, report);
    MeasureImportCheck(ascii, binary, facets, size, options.Repeat, report);
    if (!loaded || options.ImportOnly) {
        return;
    }

    TModel model(kSeparator);
    SetUpModelFromPolygons(model, std::move(loaded->Polygons));
    loaded.reset();
    const double sortSeconds = BestOf(
        options.Repeat, [&] { ReleaseSorting(model); }, [&] { model.SurfaceData.SortSurfaces(); });
    const auto& surfaces = model.SurfaceData;
    report.Row(size.Label, "surface sorting", sortSeconds, "s", 3, TTarget::None(),
               Count(surfaces.FrontCount) + " front, " + Count(surfaces.BackCount) + " back, " +
                   Count(surfaces.OtherCount) + " other");

    tessarin::model::TResult found = tessarin::model::TResult::Success();
    const double edgeSeconds = BestOf(
        options.Repeat, [&] { ReleaseCutEdge(model); }, [&] { found = model.FindCutEdge(); });
    if (!found) {
        report.Note(size.Label, "no cutting edge: " + found.Reason());
        return;
    }
    const bool million = facets >= kMillion && facets < kMillion * 11 / 10;
    report.Row(size.Label, "cutting edge", edgeSeconds, "s", 3,
               million ? TTarget::Below(kCutEdgeSeconds1M) : TTarget::None(),
               Count(model.SegmentCount) + " segments, polar " +
                   Fixed(model.CutEdge.front().Polar, 2) + " .. " +
                   Fixed(model.CutEdge.back().Polar, 2));
    if (model.SegmentCount != expectedSegments) {
        report.Note(size.Label, "WARNING: " + Count(model.SegmentCount) +
                                    " segments found, the sample tool has " +
                                    Count(expectedSegments));
    }

    if (const auto accepted = AcceptSystems(model); !accepted) {
        report.Note(size.Label, "coordinate systems refused: " + accepted.Reason());
        return;
    }
    const double angleSeconds = Seconds([&] { ComputeAllAngles(model); });
    report.Row(size.Label, "angles, all four systems", angleSeconds, "s", 3);
    MeasureSections(model, size, million, options.Repeat, report);
    model.MakeSelection(SelectionQuery());

    const std::string project =
        (fs::path(options.DataDir) / ("cutter-" + Count(facets) + ".tsf")).string();
    tessarin::model::TResult saved = tessarin::model::TResult::Success();
    const double writeSeconds = BestOf(
        options.Repeat, [] {},
        [&] { saved = tessarin::project::SaveProject(model, project, ascii, kSeparator); });
    if (!saved) {
        report.Note(size.Label, "project write failed: " + saved.Reason());
        return;
    }
    const double projectMB = Megabytes(FileSize(project));
    report.Row(size.Label, "project write", projectMB / writeSeconds, "MB/s", 0,
               TTarget::AtLeast(kProjectWriteMBs),
               Fixed(writeSeconds, 3) + " s, " + Fixed(projectMB, 1) + " MB");

    WarmUp(project);
    std::unique_ptr<TModel> reread;
    std::string stlName;
    tessarin::model::TResult read = tessarin::model::TResult::Success();
    const double readSeconds = BestOf(
        options.Repeat, [&] { reread = std::make_unique<TModel>(kSeparator); },
        [&] { read = tessarin::project::LoadProject(*reread, project, stlName); });
    if (!read || reread->SegmentCount != model.SegmentCount ||
        reread->SurfaceData.PolygonCount != model.SurfaceData.PolygonCount) {
        report.Note(size.Label, "project read failed: " +
                                    (read ? std::string("counts differ from the written model")
                                          : read.Reason()));
    } else {
        report.Row(size.Label, "project read", projectMB / readSeconds, "MB/s", 0,
                   TTarget::AtLeast(kProjectReadMBs), Fixed(readSeconds, 3) + " s");
    }
    std::error_code ignored;
    fs::remove(project, ignored);
}

// The literal double loop against the fast search on small models: the same segments,
// quadratic against near-linear growth.
void MeasureReference(const TOptions& options, TReport& report) {
#ifdef TESSARIN_BENCH_REFERENCE
    double previous = 0.0;
    std::int64_t previousFacets = 0;
    for (const std::int64_t target : {std::int64_t{10000}, std::int64_t{30000}}) {
        const auto layout = tessarin::samples::LayoutForFacets(target);
        TModel model(kSeparator);
        SetUpModelFromPolygons(model, tessarin::samples::GenerateSampleTool(layout));
        model.SurfaceData.SortSurfaces();
        const auto& front = model.SurfaceData.FrontPolygons;
        const auto& back = model.SurfaceData.BackPolygons;
        const std::string section = "reference " + Count(target / 1000) + "k";

        tessarin::model::TCutEdgeData fast;
        const double fastSeconds = BestOf(
            options.Repeat, [&] { Release(fast); },
            [&] {
                tessarin::model::CollectCutEdgeSegments(front, back, fast);
                tessarin::model::OrderByPolar(fast);
            });
        tessarin::model::TCutEdgeData literal;
        const double literalSeconds = BestOf(
            std::min(options.Repeat, 2), [&] { Release(literal); },
            [&] {
                tessarin::test::ReferenceCollectSegments(front, back, literal);
                tessarin::test::ReferenceOrderByPolar(literal);
            });
        const std::int64_t facets = tessarin::samples::FacetCount(layout);
        report.Row(section, "fast cutting-edge search", fastSeconds * 1e3, "ms", 2, TTarget::None(),
                   Count(facets) + " facets, " + Count(static_cast<std::int64_t>(fast.size())) +
                       " segments");
        std::string growth;
        if (previous > 0.0) {
            const double facetRatio =
                static_cast<double>(facets) / static_cast<double>(previousFacets);
            growth = ", " + Fixed(literalSeconds / previous, 1) +
                     "x the previous size's time for " + Fixed(facetRatio, 1) + "x the facets";
        }
        report.Row(section, "literal double loop", literalSeconds * 1e3, "ms", 1, TTarget::None(),
                   Fixed(literalSeconds / fastSeconds, 0) + "x the fast search" + growth);
        if (fast != literal) {
            report.Note(section, "WARNING: the fast search and the double loop differ");
        }
        previous = literalSeconds;
        previousFacets = facets;
    }
#else
    (void)options;
    report.Note("reference", "not built (configure with the tests to get the literal search)");
#endif
}

// About 100 k segments: 40 inserts on a 200 mm cutter, each outer edge cut into 2501
// pieces (0.005 mm each, well above the point tolerance), lateral edges left whole.
TSampleToolLayout FineEdgeLayout() {
    TSampleToolLayout layout;
    layout.InsertCount = 40;
    layout.ToolRadius = 100.0;
    layout.EdgeDivisions = 2501;
    layout.LateralDivisions = 1;
    layout.FlankRows = 1;
    layout.BodyDivisions = 4;
    return layout;
}

// The edges of the analysed 100 k segments with their summaries (every computed angle read
// once), two tolerances judged, and the whole result as JSON.
void MeasureEdgesAndJson(const TOptions& options, TReport& report, const std::string& section,
                         TModel& model) {
    using namespace tessarin::model;
    TAngleTable table;
    TEdges edges;
    TEdgeReport summaries;
    const double groupSeconds = BestOf(
        options.Repeat, [] {}, [&] { edges = GroupModelEdges(model); });
    // The angles themselves count towards the angle figure (every angle, stored and
    // derived); this one is the grouping and the summaries over a table already read.
    const double tableSeconds = BestOf(
        options.Repeat, [] {}, [&] { table = ComputedAngleTable(model); });
    const double edgeSeconds = BestOf(
        options.Repeat, [] {},
        [&] {
            edges = GroupModelEdges(model);
            summaries = SummarizeEdges(model.CutEdge, edges, table);
        });
    report.Row(section, "edges: grouping", groupSeconds * 1e3, "ms", 2, TTarget::None(),
               Count(static_cast<std::int64_t>(edges.Edges.size())) + " edges");
    report.Row(section, "edges: angle table", tableSeconds, "s", 3,
               TTarget::Below(kAllAngleSeconds100k),
               Count(static_cast<std::int64_t>(table.Angles.size())) + " angles per segment");
    report.Row(section, "edges: grouping and summaries", edgeSeconds, "s", 3,
               TTarget::Below(kEdgeSeconds100k),
               Count(static_cast<std::int64_t>(summaries.Edges.size())) + " edges summarised");
    SetTolerance(model.Tolerances, {{kSSK, kKindG}, 2.0, -0.5, 0.5});
    SetTolerance(model.Tolerances, {{kSSK, kKindA}, 6.0, -1.0, 1.0});
    TToleranceReport tolerance;
    const double toleranceSeconds = BestOf(
        options.Repeat, [] {},
        [&] { tolerance = CheckTolerances(model.CutEdge, edges, table, model.Tolerances); });
    report.Row(section, "tolerances, two angles", toleranceSeconds * 1e3, "ms", 2);

    const tessarin::project::TJsonResult result{"bench.stl", std::nullopt, &model,    &table,
                                                &edges,      &summaries,   &tolerance};
    std::uint64_t bytes = 0;
    const double produceSeconds = BestOf(
        options.Repeat, [&] { bytes = 0; },
        [&] {
            tessarin::project::ProduceJsonResult(result, [&](std::string_view piece) {
                bytes += piece.size();
                return true;
            });
        });
    report.Row(section, "JSON result, produced", Megabytes(bytes) / produceSeconds, "MB/s", 0,
               TTarget::None(), Fixed(Megabytes(bytes), 0) + " MB");
    const std::string path = options.DataDir + "/bench-result.json";
    std::filesystem::create_directories(options.DataDir);
    bool saved = true;
    const double saveSeconds = BestOf(
        options.Repeat, [] {},
        [&] { saved = tessarin::project::SaveJsonResult(result, path) && saved; });
    std::filesystem::remove(path);
    if (!saved) {
        report.Note(section, "JSON result not written to " + path);
        return;
    }
    report.Row(section, "JSON result, --json to a file", Megabytes(bytes) / saveSeconds, "MB/s", 0,
               TTarget::AtLeast(kJsonMBps));
}

void MeasureAngles(const TOptions& options, TReport& report) {
    const std::string section = "100k segments";
    const TSampleToolLayout layout = FineEdgeLayout();
    TModel model(kSeparator);
    SetUpModelFromPolygons(model, tessarin::samples::GenerateSampleTool(layout));
    model.SurfaceData.SortSurfaces();
    if (const auto found = model.FindCutEdge(); !found) {
        report.Note(section, "no cutting edge: " + found.Reason());
        return;
    }
    report.Note(section, Count(model.SegmentCount) + " segments (" +
                             Count(tessarin::samples::CutEdgeSegmentCount(layout)) +
                             " expected) on " + Count(model.SurfaceData.PolygonCount) + " facets");
    if (const auto accepted = AcceptSystems(model); !accepted) {
        report.Note(section, "coordinate systems refused: " + accepted.Reason());
        return;
    }
    constexpr std::array<const char*, 4> kNames{"ISK", "SSK", "KSK", "DSK"};
    double total = 0.0;
    for (int system = tessarin::model::kISK; system <= tessarin::model::kDSK; ++system) {
        const double seconds = BestOf(
            options.Repeat, [] {}, [&] { model.ComputeAngles(system); });
        total += seconds;
        report.Row(section, std::string("angles ") + kNames[static_cast<std::size_t>(system)],
                   seconds, "s", 3, TTarget::Below(kAngleSeconds100k));
    }
    report.Row(section, "angles, all four systems", total, "s", 3,
               TTarget::Below(kAngleSeconds100k));

    // What an edge summary or a table of every angle reads: every kind of every system at
    // every segment, the derived ones with their planes built once per segment and system.
    double checksum = 0.0;
    const double everySeconds = BestOf(
        options.Repeat, [&] { checksum = 0.0; },
        [&] {
            for (const tessarin::model::TSegment& segment : model.CutEdge) {
                for (int system = tessarin::model::kISK; system <= tessarin::model::kDSK;
                     ++system) {
                    for (const double v :
                         tessarin::model::AngleValues(segment, model.AcceptedCS, system)) {
                        checksum += std::isnan(v) ? 0.0 : v;
                    }
                }
            }
        });
    report.Row(section, "every angle, stored and derived", everySeconds, "s", 3,
               TTarget::Below(kAllAngleSeconds100k),
               std::to_string(tessarin::model::AllAngles().size()) + " angles per segment (sum " +
                   std::to_string(static_cast<std::int64_t>(checksum)) + ")");

    const auto query = SelectionQuery();
    const double selectSeconds = BestOf(
        options.Repeat, [] {}, [&] { model.MakeSelection(query); });
    report.Row(section, "selection", selectSeconds * 1e3, "ms", 2, TTarget::None(),
               Count(static_cast<std::int64_t>(model.SelectCutEdge.size())) + " segments selected");
    MeasureEdgesAndJson(options, report, section, model);
}

void MeasureRoad(const TOptions& options, TReport& report) {
    // The 1 M-facet model if it is measured, else the largest one.
    const auto it = std::find_if(options.Sizes.begin(), options.Sizes.end(),
                                 [](const TSize& size) { return size.Facets == kMillion; });
    const TSize size =
        it != options.Sizes.end()
            ? *it
            : *std::max_element(options.Sizes.begin(), options.Sizes.end(),
                                [](const TSize& a, const TSize& b) { return a.Facets < b.Facets; });
    const bool million = size.Facets == kMillion;
    const std::string section = "road " + size.Label;
    if (!EnsureModels(options, size, report)) {
        return;
    }
    const std::string stl = StlPath(options, size, TStlFormat::Ascii);
    const std::string out = (fs::path(options.DataDir) / "road.tsf").string();
    WarmUp(stl);

    TRoadTimes best;
    best.Import = std::numeric_limits<double>::infinity();
    for (int i = 0; i < std::max(1, options.Repeat); ++i) {
        TRoadTimes times;
        if (const auto result = RunRoad(stl, out, times); !result) {
            report.Note(section, "the road failed: " + result.Reason());
            return;
        }
        if (times.Total() < best.Total()) {
            best = times;
        }
    }
    report.Row(section, "full road in-process", best.Total(), "s", 2,
               million ? TTarget::Below(kRoadSeconds1M) : TTarget::None(),
               "import " + Fixed(best.Import, 2) + ", sort " + Fixed(best.Sort, 2) + ", edge " +
                   Fixed(best.Edge, 2) + ", angles " + Fixed(best.Angles, 2) + ", select " +
                   Fixed(best.Select, 2) + ", write " + Fixed(best.Write, 2));

    const TTarget memory = million ? TTarget::Below(kPeakMegabytes1M) : TTarget::None();
    const auto child =
        tessarin::bench::RunChild({tessarin::bench::SelfPath(), "--road-child", stl, out});
    if (child.ExitCode == 0) {
        report.Row(section, "peak memory, road in a child", child.PeakMegabytes, "MB", 0, memory,
                   Fixed(child.WallSeconds, 2) + " s wall");
    } else {
        report.Note(section, "the road child failed " + child.Error);
    }
    // The same child with malloc asking for transparent huge pages: on virtual machines
    // where a page fault is expensive, this shows how much of the road is first touch of
    // fresh memory.
    const auto huge =
        tessarin::bench::RunChild({tessarin::bench::SelfPath(), "--road-child", stl, out},
                                  {"GLIBC_TUNABLES=glibc.malloc.hugetlb=1"});
    if (huge.ExitCode == 0 && child.ExitCode == 0) {
        report.Row(section, "road child, malloc huge pages", huge.WallSeconds, "s", 2,
                   TTarget::None(),
                   Fixed(huge.WallSeconds / child.WallSeconds, 2) + "x the plain child's wall, " +
                       Fixed(huge.PeakMegabytes, 0) + " MB peak");
    }
    if (options.Cli.empty() || !fs::exists(options.Cli)) {
        report.Note(section, "no batch tool at \"" + options.Cli + "\" (--cli PATH)");
    } else {
        const auto cli =
            tessarin::bench::RunChild({options.Cli, "analyze", stl, "-o", out, "--quiet"});
        if (cli.ExitCode == 0 && FileSize(out) > 0) {
            report.Row(section, "peak memory, tessarin-cli analyze", cli.PeakMegabytes, "MB", 0,
                       memory, Fixed(cli.WallSeconds, 2) + " s wall (import, sort, edge, write)");
        } else {
            report.Note(section, "tessarin-cli analyze failed (exit " + Count(cli.ExitCode) + ") " +
                                     cli.Error);
        }
        const auto full = tessarin::bench::RunChild({options.Cli,
                                                     "analyze",
                                                     stl,
                                                     "-o",
                                                     out,
                                                     "--quiet",
                                                     "--ssk",
                                                     "5,30",
                                                     "--feedplan",
                                                     "20",
                                                     "--ksk",
                                                     "10",
                                                     "--dsk",
                                                     "30",
                                                     "--compute",
                                                     "isk,ssk,ksk,dsk",
                                                     "--range",
                                                     "isk.g=-10..10",
                                                     "--range",
                                                     "ssk.a=0..15",
                                                     "--decimal-separator",
                                                     ","});
        if (full.ExitCode == 0) {
            report.Row(section, "peak memory, cli with angles", full.PeakMegabytes, "MB", 0, memory,
                       Fixed(full.WallSeconds, 2) + " s wall (all four systems and a selection)");
        } else {
            report.Note(section, "tessarin-cli analyze with angles failed (exit " +
                                     Count(full.ExitCode) + ") " + full.Error);
        }
    }
    std::error_code ignored;
    fs::remove(out, ignored);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string_view(argv[1]) == tessarin::bench::kMeasureChildOption) {
        return tessarin::bench::MeasureChildMain(argv + 2);
    }
    // A fixed threshold stops malloc from raising it after the first large free. Otherwise
    // the second run of a step would find its buffers in already-touched heap memory and
    // look faster than the one run a batch tool makes; every run now gets fresh pages.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    TOptions options;
    if (const int code = ParseOptions(argc, argv, options); code != 0) {
        return code - 1;
    }
    if (options.RoadChild) {
        TRoadTimes times;
        const auto result = RunRoad(options.RoadChild->first, options.RoadChild->second, times);
        if (!result) {
            Print("tessarin-bench: " + result.Reason() + "\n");
        }
        return result ? 0 : 1;
    }

    std::error_code error;
    fs::create_directories(options.DataDir, error);
    if (error) {
        Print("tessarin-bench: cannot create " + options.DataDir + ": " + error.message() + "\n");
        return 1;
    }
    Print(std::string("tessarin-bench, ") + TESSARIN_BENCH_BUILD_TYPE + " build, best of " +
          std::to_string(options.Repeat) + " runs, data in " + options.DataDir +
          ", MB = 10^6 bytes\n");
    if (std::string_view(TESSARIN_BENCH_BUILD_TYPE) != "Release") {
        Print("WARNING: not a Release build; the figures say little\n");
    }

    TReport report;
    MeasureFirstTouch(report);
    for (const TSize& size : options.Sizes) {
        MeasureSize(options, size, report);
    }
    if (!options.ImportOnly) {
        MeasureReference(options, report);
        MeasureAngles(options, report);
        MeasureRoad(options, report);
    }
    report.PrintSummary();
    return 0;
}
