// The batch analysis road: STL or project file in, project file (and table) out.
#pragma once

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "model/base_names.h"
#include "model/tolerances.h"
#include "model/types.h"

namespace tessarin::cli {

// Exit codes of the batch tool.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // the input cannot be read or analysed
inline constexpr int kExitUsage = 2;    // the command line is wrong
// Everything was written, and some segment is outside a tolerance of the project (given
// with --nominal or stored in it) whose system's angles are computed.
inline constexpr int kExitOutOfTolerance = 3;

struct TRangeOption {
    int Column = 0;    // query column 0..14 (ISK G, A, L; SSK G, A, L, F; ...), or -1
    std::string Name;  // as typed, e.g. "ssk.g"
    std::string Text;  // range text in the chosen decimal separator
    // With Column -1, a derived angle of model/angle_keys.h ("ssk.gn"), a system 0..3 and
    // a kind.
    int DerivedSystem = -1;
    int DerivedKind = -1;
};

// A table to write besides the project: a format of project/output_formats.h.
struct TTableOutput {
    std::string Format;  // the format's key, e.g. "csv"
    std::string File;
};

// The import options given on the command line, and their names as typed, in order.
struct TImportChoice {
    model::TImportOptions Options;
    std::vector<std::string> Given;  // e.g. "--units", "--axis"
};

struct TAnalyzeOptions {
    std::string Input;
    TImportChoice Import;  // for an STL INPUT; a project INPUT refuses every one given
    std::string Output;
    char DecimalSeparator = '.';
    // Geometry settings; unset ones keep the defaults (STL) or the file's values (project).
    std::optional<double> Gamma;
    std::optional<double> Alpha;
    std::optional<bool> DiscardInt;
    std::optional<int> TableAccuracy;
    std::optional<bool> MarkNegative;
    // Cutting-edge search: smallest angle between the normals of an edge's faces
    // (degrees), point tolerance (mm). Like the sorting limits, a changed value finds the
    // cutting edge of a project again.
    std::optional<double> MinNormalAngle;
    std::optional<double> PointTolerance;
    std::optional<std::string> StlName;
    std::vector<TTableOutput> Tables;  // in the order of the list of formats
    bool TablePoints = false;          // the tables also give the end points of the segments
    // Derived angles added to the tables after the other columns, as "ssk.gn" names them.
    std::vector<std::string> TableAngles;
    bool Quiet = false;
    // Coordinate systems, applied in this order after the cutting edge is there.
    std::optional<std::array<double, 2>> Ssk;  // GN, Mu
    std::optional<double> FeedPlanPhi;
    std::optional<int> FeedPlanHce;
    std::optional<double> KskEta;
    std::optional<double> DskNu;
    std::vector<int> Compute;  // systems, in the order given
    std::vector<TRangeOption> Ranges;
    bool SelectAnd = true;
    bool SelectWithin = false;
    // Nominal values with tolerances (--nominal), added to or replacing the project's; each
    // must name an angle of a system whose angles are computed by then.
    std::vector<model::TTolerance> Nominals;
    std::optional<double> EdgeKinkAngle;  // degrees, 0..180
    std::optional<std::string> Json;      // the whole result as JSON
};

// `tessarin-cli check FILE`: imports the STL file with the options and prints its model
// check to `out`; kExitSuccess, or kExitFailure (the reason on `err`) when it cannot be read.
struct TCheckOptions {
    std::string Input;
    TImportChoice Import;
    char DecimalSeparator = '.';
};
int RunCheck(const TCheckOptions& options, model::TProgress& progress, std::ostream& out,
             std::ostream& err);

// Runs the road and writes the model check of an STL input, a summary, the edges and the
// tolerance verdicts to `out` (unless Quiet) and every failure, naming the file and the
// reason, to `err`. Returns kExitSuccess, kExitFailure, kExitUsage or, with tolerances
// and a segment outside one, kExitOutOfTolerance.
// An output that is the same file as the input or as another output (however spelt,
// also through a hard or symbolic link) is a usage error found before anything is read
// or written; so is an import option given for a project INPUT. A table that fails after the
// project was written says so.
// With `figures`, also fills it once the results are made (Made stays false when the road
// stops before).
struct TAnalyzeFigures {
    bool Made = false;
    long long Facets = 0;
    long long Segments = 0;
    long long Edges = 0;
    // The computed angles in the table's order: key ("ssk.gn"), and the tool's smallest
    // and largest value as written with the road's accuracy and separator, empty when no
    // segment has a value.
    struct TAngle {
        std::string Key, Min, Max;
    };
    std::vector<TAngle> Angles;
    // "within" or "outside" with judged tolerances, empty without.
    std::string Tolerance;
};
int RunAnalyze(const TAnalyzeOptions& options, model::TProgress& progress, std::ostream& out,
               std::ostream& err, TAnalyzeFigures* figures = nullptr);

}  // namespace tessarin::cli
