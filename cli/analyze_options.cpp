#include "cli/analyze_options.h"

#include <cmath>
#include <map>
#include <sstream>

#include "base/language.h"
#include "base/number_format.h"
#include "model/angle_keys.h"
#include "model/base_names.h"
#include "model/import_options.h"
#include "model/selection.h"
#include "model/systems.h"
#include "model/tolerances.h"
#include "project/output_formats.h"

namespace tessarin::cli {

namespace {

// Numbers on the command line are always written with ".".
bool ReadNumber(const std::string& text, double& value) {
    return tessarin::base::StrToFloat(text, '.', value);
}

std::vector<std::string> SplitAt(const std::string& text, char delimiter) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream stream(text);
    while (std::getline(stream, part, delimiter)) {
        parts.push_back(part);
    }
    if (!text.empty() && text.back() == delimiter) {
        parts.emplace_back();
    }
    return parts;
}

// "isk.g isk.a ... dsk.f", for the help and the messages.
std::string QueryColumnKeys() {
    std::string keys;
    for (int column = 0; column < tessarin::model::kQueryColumnCount; ++column) {
        if (column > 0) {
            keys += ' ';
        }
        keys += tessarin::model::QueryColumnKey(column);
    }
    return keys;
}

// The derived angles, as a pattern: "SYSTEM.gn|an|...|psi (gf, af, gp, ap, psi not for isk)".
std::string DerivedKeys() {
    std::string kinds;
    std::string planeKinds;
    for (int kind = tessarin::model::kKindF + 1; kind < tessarin::model::kAngleKindCount; ++kind) {
        const tessarin::model::TAngleKindInfo& info = tessarin::model::AngleKindInfo(kind);
        kinds += (kinds.empty() ? "" : "|") + std::string(info.Key);
        if (info.NeedsWorkingPlane) {
            planeKinds += (planeKinds.empty() ? "" : ", ") + std::string(info.Key);
        }
    }
    return "SYSTEM." + kinds + " (" + planeKinds + " not for isk)";
}

std::string SystemKeys() {
    std::string keys;
    for (const tessarin::model::TSystemInfo& system : tessarin::model::kSystems) {
        if (!keys.empty()) {
            keys += ", ";
        }
        keys += system.Key;
    }
    return keys;
}

// CLI11 validators return an error text, empty when the value is fine.
std::string CheckNumber(const std::string& text) {
    double value = 0.0;
    return ReadNumber(text, value) ? std::string{}
                                   : "not a number (write numbers with \".\"): " + text;
}

struct TRawOptions {
    std::string DecimalSeparator;
    std::string Gamma, Alpha, DiscardInt, Accuracy, MarkNegative;
    std::string MinNormalAngle, PointTolerance;
    std::string Ssk, FeedPlan, Ksk, Dsk, Compute, SelectLogic = "and";
    std::vector<std::string> Ranges;
    std::vector<std::string> Nominals;
    std::string EdgeKink;
    std::string TableAngles;
};

// X,Y,Z with numbers written with "."; throws CLI::ValidationError naming `option`.
tessarin::model::TVector3 ReadTriple(const std::string& option, const std::string& text) {
    const std::vector<std::string> parts = SplitAt(text, ',');
    double c[3] = {0.0, 0.0, 0.0};
    if (parts.size() != 3 || !ReadNumber(parts[0], c[0]) || !ReadNumber(parts[1], c[1]) ||
        !ReadNumber(parts[2], c[2])) {
        throw CLI::ValidationError(option,
                                   "expected X,Y,Z with numbers written with \".\": " + text);
    }
    return {c[0], c[1], c[2]};
}

// "ssk.gn=6:-0.5:0.5"; throws CLI::ValidationError naming the key or the value.
tessarin::model::TTolerance ReadNominal(const std::string& text,
                                        const std::vector<tessarin::model::TTolerance>& earlier) {
    const std::size_t equals = text.find('=');
    const std::string key = text.substr(0, equals);
    const std::optional<tessarin::model::TAngleId> angle = tessarin::model::AngleOfKey(key);
    if (equals == std::string::npos || !angle) {
        throw CLI::ValidationError("--nominal",
                                   "expected KEY=NOMINAL:LOW:HIGH with KEY an angle "
                                   "key such as ssk.g or ssk.gn, found \"" +
                                       key + "\" in " + text);
    }
    for (const tessarin::model::TTolerance& other : earlier) {
        if (other.Angle == *angle) {
            throw CLI::ValidationError("--nominal", "angle " + key + " given twice");
        }
    }
    const std::vector<std::string> parts = SplitAt(text.substr(equals + 1), ':');
    tessarin::model::TTolerance tolerance{*angle};
    if (parts.size() != 3 || !ReadNumber(parts[0], tolerance.Nominal) ||
        !ReadNumber(parts[1], tolerance.Lower) || !ReadNumber(parts[2], tolerance.Upper) ||
        !tessarin::model::ValidTolerance(tolerance)) {
        throw CLI::ValidationError(
            "--nominal", key +
                             ": expected NOMINAL:LOW:HIGH, finite numbers written with \".\" "
                             "and LOW <= 0 <= HIGH (e.g. " +
                             key + "=6:-0.5:0.5), found " + text.substr(equals + 1));
    }
    return tolerance;
}

// Turns the texts CLI11 collected into options; throws CLI::ValidationError.
TAnalyzeOptions ConvertRaw(const TRawOptions& raw, TAnalyzeOptions options) {
    auto number = [](const std::string& name, const std::string& text) {
        double value = 0.0;
        if (!ReadNumber(text, value)) {
            throw CLI::ValidationError(name, "not a number (write numbers with \".\"): " + text);
        }
        return value;
    };
    auto yesNo = [](const std::string& text) { return text == "yes"; };

    options.DecimalSeparator = raw.DecimalSeparator.empty()
                                   ? tessarin::base::DefaultDecimalSeparator()
                                   : raw.DecimalSeparator[0];
    if (!raw.Gamma.empty()) {
        options.Gamma = number("--gamma", raw.Gamma);
    }
    if (!raw.Alpha.empty()) {
        options.Alpha = number("--alpha", raw.Alpha);
    }
    if (!raw.DiscardInt.empty()) {
        options.DiscardInt = yesNo(raw.DiscardInt);
    }
    if (!raw.Accuracy.empty()) {
        options.TableAccuracy = static_cast<int>(number("--accuracy", raw.Accuracy));
    }
    if (!raw.MarkNegative.empty()) {
        options.MarkNegative = yesNo(raw.MarkNegative);
    }
    if (!raw.MinNormalAngle.empty()) {
        const double angle = number("--min-normal-angle", raw.MinNormalAngle);
        if (!(angle >= 0.0 && angle <= 180.0)) {
            throw CLI::ValidationError("--min-normal-angle",
                                       "an angle from 0 to 180 degrees: " + raw.MinNormalAngle);
        }
        options.MinNormalAngle = angle;
    }
    if (!raw.PointTolerance.empty()) {
        const double tolerance = number("--point-tolerance", raw.PointTolerance);
        if (!(tolerance > 0.0) || !std::isfinite(tolerance)) {
            throw CLI::ValidationError("--point-tolerance",
                                       "a positive number of mm: " + raw.PointTolerance);
        }
        options.PointTolerance = tolerance;
    }
    if (!raw.Ssk.empty()) {
        const std::vector<std::string> parts = SplitAt(raw.Ssk, ',');
        if (parts.size() != 2) {
            throw CLI::ValidationError("--ssk", "expected GN,MU, for example 10,30: " + raw.Ssk);
        }
        options.Ssk = std::array<double, 2>{number("--ssk", parts[0]), number("--ssk", parts[1])};
    }
    if (!raw.FeedPlan.empty()) {
        const std::vector<std::string> parts = SplitAt(raw.FeedPlan, ',');
        if (parts.empty() || parts.size() > 2) {
            throw CLI::ValidationError("--feedplan", "expected PHI or PHI,HCE: " + raw.FeedPlan);
        }
        options.FeedPlanPhi = number("--feedplan", parts[0]);
        if (parts.size() == 2) {
            std::int32_t hce = 0;
            if (!tessarin::base::StrToInt(parts[1], hce) || hce < 0) {
                throw CLI::ValidationError("--feedplan",
                                           "HCE must be a segment index from 0: " + parts[1]);
            }
            options.FeedPlanHce = hce;
        }
    }
    if (!raw.Ksk.empty()) {
        options.KskEta = number("--ksk", raw.Ksk);
    }
    if (!raw.Dsk.empty()) {
        options.DskNu = number("--dsk", raw.Dsk);
    }
    if (!raw.Compute.empty()) {
        for (const std::string& name : SplitAt(raw.Compute, ',')) {
            const std::optional<int> system = tessarin::model::SystemOfKey(name);
            if (!system) {
                throw CLI::ValidationError(
                    "--compute", "unknown system \"" + name + "\" (" + SystemKeys() + ")");
            }
            options.Compute.push_back(*system);
        }
    }
    for (const std::string& range : raw.Ranges) {
        const std::size_t equals = range.find('=');
        const std::string name = range.substr(0, equals);
        const std::optional<int> column = tessarin::model::QueryColumnOfKey(name);
        const std::optional<tessarin::model::TAngleId> angle = tessarin::model::AngleOfKey(name);
        if (equals == std::string::npos || !angle) {
            throw CLI::ValidationError("--range", "expected COLUMN=RANGES with COLUMN one of " +
                                                      QueryColumnKeys() + " or " + DerivedKeys() +
                                                      ": " + range);
        }
        for (const TRangeOption& earlier : options.Ranges) {
            if (earlier.Name == name) {
                throw CLI::ValidationError("--range", "column " + name + " given twice");
            }
        }
        const std::string text = range.substr(equals + 1);
        tessarin::model::TAnRanges parsed;
        if (!tessarin::model::ParseRanges(text, options.DecimalSeparator, parsed)) {
            throw CLI::ValidationError(
                "--range", "Неверный формат: column " + name + ": \"" + text +
                               "\" (ranges like -3" + options.DecimalSeparator + "4..9" +
                               options.DecimalSeparator + "067; several separated by \";\")");
        }
        options.Ranges.push_back({column.value_or(-1), name, text, column ? -1 : angle->System,
                                  column ? -1 : angle->Kind});
    }
    if (!raw.TableAngles.empty()) {
        for (const std::string& key : SplitAt(raw.TableAngles, ',')) {
            const std::optional<tessarin::model::TAngleId> angle = tessarin::model::AngleOfKey(key);
            if (!angle || tessarin::model::StoredAngle(*angle)) {
                throw CLI::ValidationError("--csv-angles", "expected keys of derived angles " +
                                                               DerivedKeys() + ": " + key);
            }
            options.TableAngles.push_back(key);
        }
    }
    options.SelectAnd = raw.SelectLogic == "and";
    for (const std::string& nominal : raw.Nominals) {
        options.Nominals.push_back(ReadNominal(nominal, options.Nominals));
    }
    if (!raw.EdgeKink.empty()) {
        const double angle = number("--edge-kink", raw.EdgeKink);
        if (!(angle >= 0.0 && angle <= 180.0)) {
            throw CLI::ValidationError("--edge-kink",
                                       "an angle from 0 to 180 degrees: " + raw.EdgeKink);
        }
        options.EdgeKinkAngle = angle;
    }
    return options;
}

}  // namespace

void AddImportOptions(CLI::App* command, TRawImport& raw) {
    command->add_option("--units", raw.Units, "Unit of the STL file's numbers: mm|inch|m|um (mm)")
        ->check(CLI::IsMember({"mm", "inch", "m", "um"}));
    command->add_option("--axis", raw.Axis,
                        "Tool axis in the file, turned onto +Z: z|-z|x|-x|y|-y|X,Y,Z (z)");
    command->add_option("--origin", raw.Origin,
                        "Where the tool axis passes: keep (as in the file), center (the middle "
                        "of the model across the axis) or a point X,Y,Z in the file's units "
                        "(keep)");
    command
        ->add_option("--repair-normals", raw.RepairNormals,
                     "Replace zero, non-finite and non-unit normals by the vertex order's (yes)")
        ->check(CLI::IsMember({"yes", "no"}));
    command->add_flag("--keep-duplicates", raw.KeepDuplicates,
                      "Keep facets with the same three vertices as an earlier one");
}

TImportChoice ConvertImport(const TRawImport& raw) {
    TImportChoice choice;
    tessarin::model::TImportOptions& options = choice.Options;
    if (!raw.Units.empty()) {
        options.Unit = *tessarin::model::LengthUnitOfKey(raw.Units);
        choice.Given.emplace_back("--units");
    }
    if (!raw.Axis.empty()) {
        static const std::map<std::string, tessarin::model::TVector3> kAxes{
            {"z", {0, 0, 1}},   {"-z", {0, 0, -1}}, {"x", {1, 0, 0}},
            {"-x", {-1, 0, 0}}, {"y", {0, 1, 0}},   {"-y", {0, -1, 0}}};
        const auto named = kAxes.find(raw.Axis);
        options.Axis = named != kAxes.end() ? named->second : ReadTriple("--axis", raw.Axis);
        if (!tessarin::model::AxisTurn(options.Axis)) {
            throw CLI::ValidationError("--axis",
                                       "not a direction (zero or not finite): " + raw.Axis);
        }
        choice.Given.emplace_back("--axis");
    }
    if (!raw.Origin.empty()) {
        if (raw.Origin == "keep") {
            options.Origin = tessarin::model::TOriginChoice::Keep;
        } else if (raw.Origin == "center") {
            options.Origin = tessarin::model::TOriginChoice::Center;
        } else {
            options.Origin = tessarin::model::TOriginChoice::Point;
            options.OriginPoint = ReadTriple("--origin", raw.Origin);
            if (!tessarin::model::CheckImportOptions(options)) {
                throw CLI::ValidationError("--origin", "a coordinate is not finite: " + raw.Origin);
            }
        }
        choice.Given.emplace_back("--origin");
    }
    if (!raw.RepairNormals.empty()) {
        options.RepairNormals = raw.RepairNormals == "yes";
        choice.Given.emplace_back("--repair-normals");
    }
    if (raw.KeepDuplicates) {
        options.KeepDuplicates = true;
        choice.Given.emplace_back("--keep-duplicates");
    }
    return choice;
}

struct TAnalyzeCommand::TRaw {
    TRawOptions Options;
    TRawImport Import;
    std::vector<std::optional<std::string>> TableFiles;
    std::vector<int> TableFlags;
    std::optional<std::string> JsonFile;
    bool JsonFlag = false;
    std::optional<std::string> StlName;
    bool TablePoints = false;
    bool Quiet = false;
    bool SelectWithin = false;
};

TAnalyzeCommand::TAnalyzeCommand(CLI::App* command, TOutputNaming naming)
    : Command(command), Naming(naming), Raw(std::make_shared<TRaw>()) {
    TRawOptions& raw = Raw->Options;
    auto keep = [this](CLI::Option* option) {
        Analysis.push_back(option);
        return option;
    };
    keep(command->add_option("--decimal-separator", raw.DecimalSeparator,
                             "Decimal separator of the written numbers and of range texts "
                             "(default: the locale's)"))
        ->check(CLI::IsMember({",", "."}));
    keep(command->add_option("--gamma", raw.Gamma,
                             "Largest inclination of the rake surface to OZ (80)"))
        ->check(CheckNumber);
    keep(command->add_option("--alpha", raw.Alpha, "Largest clearance angle in ISK (10)"))
        ->check(CheckNumber);
    keep(command->add_option("--discard-internal", raw.DiscardInt,
                             "Discard internal polygons (yes)"))
        ->check(CLI::IsMember({"yes", "no"}));
    keep(command->add_option("--accuracy", raw.Accuracy, "Decimals in the table, 0..6 (4)"))
        ->check(CLI::IsMember({"0", "1", "2", "3", "4", "5", "6"}));
    keep(command->add_option("--mark-negative", raw.MarkNegative, "Mark negative angles (yes)"))
        ->check(CLI::IsMember({"yes", "no"}));
    keep(command->add_option("--min-normal-angle", raw.MinNormalAngle,
                             "Smallest angle between the normals of a cutting edge's faces, "
                             "degrees; sharper pairs only (0: every shared edge)"))
        ->check(CheckNumber);
    keep(command->add_option("--point-tolerance", raw.PointTolerance,
                             "Points of the cutting-edge search are the same closer than this, "
                             "mm (0.001)"))
        ->check(CheckNumber);
    keep(command->add_option("--stl-name", Raw->StlName,
                             "STL file name stored in the project (default: INPUT as given)"));
    // One option per table format, "--csv FILE" and whatever the list holds.
    const auto formats = project::TableFormats();
    Raw->TableFiles.resize(formats.size());
    Raw->TableFlags.resize(formats.size());
    CLI::Option* csvOption = nullptr;
    for (std::size_t i = 0; i < formats.size(); ++i) {
        const std::string name = "--" + std::string(formats[i].Key);
        CLI::Option* option =
            naming == TOutputNaming::Files
                ? command->add_option(name, Raw->TableFiles[i], std::string(formats[i].BatchHelp))
                : command->add_flag(
                      name, Raw->TableFlags[i],
                      "Also write the table as FOLDER/NAME." + std::string(formats[i].Key));
        Outputs.push_back(option);
        if (formats[i].Key == "csv") {
            csvOption = option;
        }
    }
    CLI::Option* csvPoints =
        command->add_flag("--csv-points", Raw->TablePoints,
                          "Add the two end points (x, y, z) of every segment to the table");
    CLI::Option* csvAngles = command->add_option(
        "--csv-angles", raw.TableAngles,
        "Add derived angles to the table after its columns, comma-separated keys " + DerivedKeys());
    Analysis.push_back(csvPoints);
    Analysis.push_back(csvAngles);
    if (csvOption != nullptr) {
        csvPoints->needs(csvOption);
        csvAngles->needs(csvOption);
    }
    keep(command->add_flag("-q,--quiet", Raw->Quiet, "Print nothing but errors"));
    keep(command->add_option("--ssk", raw.Ssk,
                             "Static system GN,MU: greatest inclination and its azimuth"));
    keep(
        command->add_option("--feedplan", raw.FeedPlan,
                            "Working plane PHI[,HCE]: main plan angle, main segment index from 0"));
    keep(command->add_option("--ksk", raw.Ksk, "Kinematic system: cutting-speed angle ETA"))
        ->check(CheckNumber);
    keep(command->add_option("--dsk", raw.Dsk, "Dynamic system: chip-flow angle NU"))
        ->check(CheckNumber);
    keep(command->add_option("--compute", raw.Compute,
                             "Compute the angles of " + SystemKeys() + ", in the order given"));
    keep(command->add_option(
        "--range", raw.Ranges,
        "Selection COLUMN=RANGES, COLUMN one of " + QueryColumnKeys() + " (repeatable)"));
    keep(command->add_option("--select-logic", raw.SelectLogic,
                             "Combine the ranges with and|or (and)"))
        ->check(CLI::IsMember({"and", "or"}));
    keep(command->add_flag("--select-within", Raw->SelectWithin,
                           "Search the current selection only"));
    keep(command->add_option(
        "--nominal", raw.Nominals,
        "Nominal value with tolerances KEY=NOMINAL:LOW:HIGH, LOW <= 0 <= HIGH, "
        "e.g. ssk.gn=6:-0.5:0.5 (repeatable; stored in the project); exit code 3 "
        "when a segment is outside"));
    keep(command->add_option("--edge-kink", raw.EdgeKink,
                             "A turn above this many degrees between joined segments starts a "
                             "new edge (30)"))
        ->check(CheckNumber);
    Outputs.push_back(naming == TOutputNaming::Files
                          ? command->add_option("--json", Raw->JsonFile,
                                                "Also write the whole result as JSON (schema: "
                                                "help page json.htm)")
                          : command->add_flag("--json", Raw->JsonFlag,
                                              "Also write the whole result as FOLDER/NAME.json "
                                              "(schema: help page json.htm)"));
    const std::size_t before = command->get_options().size();
    AddImportOptions(command, Raw->Import);
    const std::vector<CLI::Option*> all = command->get_options();
    Analysis.insert(Analysis.end(), all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
}

TAnalyzeOptions TAnalyzeCommand::Convert(TAnalyzeOptions options) const {
    options = ConvertRaw(Raw->Options, std::move(options));
    options.Import = ConvertImport(Raw->Import);
    options.StlName = Raw->StlName;
    options.TablePoints = Raw->TablePoints;
    options.Quiet = Raw->Quiet;
    options.SelectWithin = Raw->SelectWithin;
    options.Tables.clear();
    const auto formats = project::TableFormats();
    for (std::size_t i = 0; i < formats.size(); ++i) {
        if (Naming == TOutputNaming::Files ? Raw->TableFiles[i].has_value()
                                           : Raw->TableFlags[i] > 0) {
            options.Tables.push_back(
                {std::string(formats[i].Key), Raw->TableFiles[i].value_or(std::string{})});
        }
    }
    options.Json = Naming == TOutputNaming::Files
                       ? Raw->JsonFile
                       : (Raw->JsonFlag ? std::optional<std::string>(std::string{}) : std::nullopt);
    return options;
}

std::vector<std::string> TAnalyzeCommand::AnalysisArguments() const {
    std::vector<std::string> arguments;
    for (const CLI::Option* option : Analysis) {
        if (option->count() == 0) {
            continue;
        }
        const std::string name = option->get_name();
        if (option->get_type_size() == 0) {
            arguments.push_back(name);
            continue;
        }
        // "--gamma=-5": a value that starts with "-" stays a value.
        for (const std::string& value : option->results()) {
            arguments.push_back(name + "=" + value);
        }
    }
    return arguments;
}

}  // namespace tessarin::cli
