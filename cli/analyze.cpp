#include "cli/analyze.h"

#include <string_view>
#include <utility>
#include <vector>

#include "base/language.h"
#include "base/number_format.h"
#include "base/text_file.h"
#include "model/analysis_steps.h"
#include "model/angle_keys.h"
#include "model/edges.h"
#include "model/model.h"
#include "model/model_check.h"
#include "model/systems.h"
#include "model/tolerances.h"
#include "project/json_result.h"
#include "project/output_formats.h"
#include "project/project_reader.h"
#include "project/project_writer.h"
#include "project/table_export.h"

namespace tessarin::cli {

namespace {

using model::TModel;

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        char c = text[text.size() - suffix.size() + i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != suffix[i]) {
            return false;
        }
    }
    return true;
}

const char* SystemName(int system) {
    return model::SystemInfo(system).Name;
}

void PrintCheck(std::ostream& out, const std::string& input, const model::TModelCheck& check,
                char separator) {
    for (const std::string& line : model::ModelCheckLines(check, separator)) {
        out << input << ": " << line << '\n';
    }
}

class TRoad {
public:
    TRoad(const TAnalyzeOptions& options, model::TProgress& progress, std::ostream& out,
          std::ostream& err, TAnalyzeFigures* figures)
        : Figures(figures),
          Options(options),
          Progress(progress),
          Out(out),
          Err(err),
          Model(options.DecimalSeparator) {}

    int Run() {
        if (const int code = CheckOutputs(); code != kExitSuccess) {
            return code;
        }
        const bool isProject = EndsWithIgnoringCase(Options.Input, ".tsf");
        if (isProject && !Options.Import.Given.empty()) {
            Err << Options.Import.Given.front() << ": " << Options.Input << ": "
                << base::Pick(
                       "import options do not apply to a project file (its polygons are "
                       "already imported)",
                       "параметры импорта не относятся к файлу проекта (его грани уже "
                       "импортированы)")
                << '\n';
            return kExitUsage;
        }
        if (const int code = isProject ? ReadProject() : ReadStl(); code != kExitSuccess) {
            return code;
        }
        ApplyDisplaySettings();
        if (const int code = DefineSystems(); code != kExitSuccess) {
            return code;
        }
        for (const int system : Options.Compute) {
            if (const int code = Compute(system); code != kExitSuccess) {
                return code;
            }
        }
        if (const int code = Select(); code != kExitSuccess) {
            return code;
        }
        for (const std::string& key : Options.TableAngles) {
            const int system = model::AngleOfKey(key)->System;
            if (!Model.DefinedAngles.at(static_cast<std::size_t>(system))) {
                Err << Options.Input << ": --csv-angles " << key << ": the angles of "
                    << SystemName(system) << " are not computed; add it to --compute\n";
                return kExitUsage;
            }
        }
        if (const int code = ApplyNominals(); code != kExitSuccess) {
            return code;
        }
        return Write();
    }

private:
    int Fail(const std::string& reason) {
        Err << Options.Input << ": " << reason << '\n';
        return kExitFailure;
    }

    // Compares files, not names: "./x/../IN.stl" or a hard link to the input would
    // otherwise be overwritten with the project.
    int CheckOutputs() {
        std::vector<std::pair<std::string, std::string>> outputs{{"-o", Options.Output}};
        for (const TTableOutput& table : Options.Tables) {
            outputs.emplace_back("--" + table.Format, table.File);
        }
        if (Options.Json) {
            outputs.emplace_back("--json", *Options.Json);
        }
        for (std::size_t i = 0; i < outputs.size(); ++i) {
            const auto& [option, file] = outputs[i];
            if (base::SameFile(file, Options.Input)) {
                Err << option << ' ' << file << ": "
                    << base::Say("the same file as the input %1; nothing written",
                                 "тот же файл, что и входной %1; ничего не записано", Options.Input)
                    << '\n';
                return kExitUsage;
            }
            for (std::size_t j = 0; j < i; ++j) {
                if (base::SameFile(file, outputs[j].second)) {
                    Err << option << ' ' << file << ": "
                        << base::Say("the same file as %1 %2; nothing written",
                                     "тот же файл, что и %1 %2; ничего не записано",
                                     outputs[j].first, outputs[j].second)
                        << '\n';
                    return kExitUsage;
                }
            }
        }
        return kExitSuccess;
    }

    int ReadStl() {
        model::TGeometrySettings settings = model::kDefaultGeometrySettings;
        settings.Gamma = Options.Gamma.value_or(settings.Gamma);
        settings.Alpha = Options.Alpha.value_or(settings.Alpha);
        settings.DiscardInt = Options.DiscardInt.value_or(settings.DiscardInt);
        settings.TableAccuracy = Options.TableAccuracy.value_or(settings.TableAccuracy);
        settings.MarkNegative = Options.MarkNegative.value_or(settings.MarkNegative);
        settings.MinNormalAngle = Options.MinNormalAngle.value_or(settings.MinNormalAngle);
        settings.PointTolerance = Options.PointTolerance.value_or(settings.PointTolerance);
        settings.EdgeKinkAngle = Options.EdgeKinkAngle.value_or(settings.EdgeKinkAngle);
        Model.SurfaceData.GeometrySettings = settings;
        StlName = Options.StlName.value_or(Options.Input);

        model::TModelCheck check;
        if (const model::TResult loaded =
                Model.SurfaceData.LoadSTL(Options.Input, Options.Import.Options, &check, Progress);
            !loaded) {
            // The reason already names the file.
            Err << "Ошибка при открытии файла: " << loaded.Reason() << '\n';
            return kExitFailure;
        }
        if (!Options.Quiet) {
            // Before the analysis, so that a model check explains a search that fails.
            PrintCheck(Out, Options.Input, check, Options.DecimalSeparator);
        }
        ModelCheck = check;
        Model.SurfaceData.SortSurfaces(Progress);
        if (const model::TResult found = Model.FindCutEdge(Progress); !found) {
            return Fail(found.Reason());
        }
        return kExitSuccess;
    }

    int ReadProject() {
        std::string storedName;
        if (const model::TResult read =
                project::LoadProject(Model, Options.Input, storedName, Progress);
            !read) {
            Err << "Ошибка при открытии файла: " << read.Reason() << '\n';
            return kExitFailure;
        }
        for (const std::string& warning : model::ProjectWarnings(Model)) {
            Err << Options.Input << ": " << warning << '\n';
        }
        StlName = Options.StlName.value_or(storedName);
        model::TGeometrySettings& settings = Model.SurfaceData.GeometrySettings;
        model::TGeometrySettings sorting = settings;
        sorting.Gamma = Options.Gamma.value_or(settings.Gamma);
        sorting.Alpha = Options.Alpha.value_or(settings.Alpha);
        sorting.DiscardInt = Options.DiscardInt.value_or(settings.DiscardInt);
        sorting.MinNormalAngle = Options.MinNormalAngle.value_or(settings.MinNormalAngle);
        sorting.PointTolerance = Options.PointTolerance.value_or(settings.PointTolerance);
        settings.MarkNegative = Options.MarkNegative.value_or(settings.MarkNegative);
        // Grouping only: the segments stay as they are.
        settings.EdgeKinkAngle = Options.EdgeKinkAngle.value_or(settings.EdgeKinkAngle);
        if (Options.TableAccuracy) {
            settings.TableAccuracy = *Options.TableAccuracy;
            AccuracyChanged = true;
        }
        if (model::SortingSettingsDiffer(settings, sorting)) {
            // The sorting stored in the project was made with the old values: it and
            // everything found on it are made again, as for the STL file.
            if (const model::TResult sorted = model::SortAgain(Model, sorting, Progress); !sorted) {
                return Fail(sorted.Reason());
            }
            SortedAgain = true;
        }
        return kExitSuccess;
    }

    // A project read with a new accuracy shows its existing results with it.
    void ApplyDisplaySettings() {
        if (AccuracyChanged) {
            Model.RefillColumns();
        }
    }

    bool NeedsCutEdge() const {
        return Options.Ssk || Options.FeedPlanPhi || Options.KskEta || Options.DskNu ||
               !Options.Compute.empty() || !Options.Ranges.empty();
    }

    int DefineSystems() {
        if (NeedsCutEdge() && !Model.CutEdgeExist) {
            return Fail("в проекте нет режущей кромки: системы координат и углы не определяются");
        }
        // The main segment given with the working plane is the one the static system
        // rebuilds the working plane on, so a project whose stored main segment is no
        // longer on the cutting edge can be mended in the same call.
        if (Options.FeedPlanHce) {
            Model.WorkingCS.FeedPlan.HCE = *Options.FeedPlanHce;
        }
        if (Options.Ssk) {
            Model.PreviewSSK((*Options.Ssk)[0], (*Options.Ssk)[1]);
            if (const int code = Accept(model::TDefinition::StaticSystem); code != kExitSuccess) {
                return code;
            }
        }
        if (Options.FeedPlanPhi) {
            if (const int code = Check(model::TStep::DefineFeedPlan); code != kExitSuccess) {
                return code;
            }
            if (!Options.FeedPlanHce) {
                Model.WorkingCS.FeedPlan.HCE = Model.AcceptedCS.FeedPlan.HCE;
            }
            if (const model::TResult previewed = Model.PreviewFeedPlan(*Options.FeedPlanPhi);
                !previewed) {
                return Fail(previewed.Reason() + MainSegmentHint());
            }
            if (const int code = Accept(model::TDefinition::FeedPlan); code != kExitSuccess) {
                return code;
            }
        }
        if (Options.KskEta) {
            if (const int code = Check(model::TStep::DefineKSK); code != kExitSuccess) {
                return code;
            }
            Model.PreviewKSK(*Options.KskEta);
            (void)Accept(model::TDefinition::KSK);
        }
        if (Options.DskNu) {
            if (const int code = Check(model::TStep::DefineDSK); code != kExitSuccess) {
                return code;
            }
            Model.PreviewDSK(*Options.DskNu);
            (void)Accept(model::TDefinition::DSK);
        }
        return kExitSuccess;
    }

    int Check(model::TStep step) {
        if (const model::TStepCheck check = model::CheckStep(Model, step); !check.Allowed()) {
            return Fail(check.Warning);
        }
        return kExitSuccess;
    }

    std::string MainSegmentHint() const {
        return Options.FeedPlanHce
                   ? std::string{}
                   : std::string(base::Pick("; give a main segment with --feedplan PHI,HCE",
                                            "; укажите главный отрезок: --feedplan PHI,HCE"));
    }

    int Accept(model::TDefinition what) {
        std::array<bool, model::kSystemCount> forgotten{};
        if (const model::TResult accepted = model::AcceptDefinition(Model, what, &forgotten);
            !accepted) {
            return Fail(accepted.Reason() + MainSegmentHint());
        }
        for (int system = 0; system < model::kSystemCount; ++system) {
            Forgotten[static_cast<std::size_t>(system)] =
                Forgotten[static_cast<std::size_t>(system)] ||
                forgotten[static_cast<std::size_t>(system)];
        }
        return kExitSuccess;
    }

    int Compute(int system) {
        if (const model::TStepCheck check = model::ComputeSystem(Model, system, Progress);
            !check.Allowed()) {
            return Fail(std::string(SystemName(system)) + ": " + check.Warning);
        }
        Forgotten[static_cast<std::size_t>(system)] = false;
        return kExitSuccess;
    }

    int Select() {
        if (Options.Ranges.empty()) {
            return kExitSuccess;
        }
        model::TSelectDlgInqury query;
        query.AndLogic = Options.SelectAnd;
        query.WholeEdge = !Options.SelectWithin;
        query.Valid = true;
        for (const TRangeOption& range : Options.Ranges) {
            // Parsed once already when the options were read; cannot fail here.
            if (range.Column < 0) {
                model::TDerivedRange derived{range.DerivedSystem, range.DerivedKind, {}};
                model::ParseRanges(range.Text, Options.DecimalSeparator, derived.Ranges);
                query.Derived.push_back(std::move(derived));
                continue;
            }
            model::ParseRanges(range.Text, Options.DecimalSeparator,
                               model::QueryColumn(query.Ranges, range.Column));
            query.Use.at(static_cast<std::size_t>(range.Column)) = true;
        }
        if (const int column = model::UncomputedQueryColumn(Model, query); column >= 0) {
            return NotComputed(model::QueryColumnKey(column),
                               model::PlaceOfQueryColumn(column).System);
        }
        // A derived angle is read from its system's frame and the segment's faces; it is
        // selectable once that system's angles are computed, as the stored ones are.
        for (const TRangeOption& range : Options.Ranges) {
            if (range.Column < 0 &&
                !Model.DefinedAngles.at(static_cast<std::size_t>(range.DerivedSystem))) {
                return NotComputed(range.Name, range.DerivedSystem);
            }
        }
        if (!Model.MakeSelection(query, Progress)) {
            Err << Options.Input << ": ни один отрезок не попал в заданные диапазоны; "
                << (Model.SelectCutEdgeExist ? "выборка не изменилась" : "выборки нет") << '\n';
        }
        return kExitSuccess;
    }

    // A nominal value is judged on computed angles only, as a range is searched on them.
    int ApplyNominals() {
        for (const model::TTolerance& nominal : Options.Nominals) {
            if (!Model.DefinedAngles.at(static_cast<std::size_t>(nominal.Angle.System))) {
                Err << Options.Input << ": --nominal " << model::AngleKey(nominal.Angle)
                    << ": the angles of " << SystemName(nominal.Angle.System)
                    << " are not computed; add it to --compute\n";
                return kExitUsage;
            }
        }
        for (const model::TTolerance& nominal : Options.Nominals) {
            model::SetTolerance(Model.Tolerances, nominal);
        }
        return kExitSuccess;
    }

    void MakeResults() {
        Angles = model::ComputedAngleTable(Model);
        Edges = model::GroupModelEdges(Model);
        EdgeReport = model::SummarizeEdges(Model.CutEdge, Edges, Angles);
        Tolerance = model::CheckTolerances(Model.CutEdge, Edges, Angles, Model.Tolerances);
        if (Figures != nullptr) {
            TAnalyzeFigures& f = *Figures;
            f.Made = true;
            f.Facets = Model.SurfaceData.PolygonCount;
            f.Segments = Model.SegmentCount;
            f.Edges = static_cast<long long>(EdgeReport.Edges.size());
            f.Angles.clear();
            for (std::size_t a = 0; a < Angles.Angles.size(); ++a) {
                const model::TAngleStats& stats = EdgeReport.Tool.Angles[a];
                const bool any = stats.Numbers > 0;
                f.Angles.push_back({model::AngleKey(Angles.Angles[a]),
                                    any ? Angle(stats.Min) : std::string{},
                                    any ? Angle(stats.Max) : std::string{}});
            }
            f.Tolerance = Tolerance.Judged.empty() ? std::string{}
                          : Tolerance.AnyOutside() ? std::string("outside")
                                                   : std::string("within");
        }
    }

    int NotComputed(const std::string& key, int system) {
        Err << Options.Input << ": --range " << key << ": "
            << base::Say("the angles of %1 are not computed; add it to --compute",
                         "углы в %1 не вычислены; добавьте её в --compute", SystemName(system))
            << '\n';
        return kExitUsage;
    }

    int Write() {
        if (Model.SelectCutEdgeExist) {
            Model.FillSelectionLists();
        }
        MakeResults();
        if (const model::TResult saved = project::SaveProject(Model, Options.Output, StlName,
                                                              Options.DecimalSeparator, Progress);
            !saved) {
            Err << "Ошибка при сохранении файла: " << saved.Reason() << '\n';
            return kExitFailure;
        }
        project::TTableExtras extras{Options.TablePoints, {}};
        for (const std::string& key : Options.TableAngles) {
            // Checked when the options were read.
            extras.Angles.push_back(*model::AngleOfKey(key));
        }
        std::string writtenTables;
        for (const TTableOutput& table : Options.Tables) {
            const project::TTableFormat* format = project::FindTableFormat(table.Format);
            const model::TResult result =
                format == nullptr
                    ? model::TResult::Failure(base::Say(
                          "unknown table format %1", "неизвестный формат таблицы %1", table.Format))
                    : project::WriteTable(*format, Model, project::ColumnsWithData(Model),
                                          project::TTableReader::Script, table.File, extras);
            if (!result) {
                // The project is already there; the message must not leave that in doubt.
                Err << "Ошибка при сохранении файла: " << result.Reason() << '\n'
                    << "--" << table.Format
                    << ": таблица не записана; файл проекта записан: " << Options.Output;
                if (!writtenTables.empty()) {
                    Err << "; таблицы записаны: " << writtenTables;
                }
                Err << '\n';
                return kExitFailure;
            }
            writtenTables += (writtenTables.empty() ? "" : ", ") + table.File;
        }
        if (Options.Json) {
            const project::TJsonResult result{Options.Input, ModelCheck,  &Model,    &Angles,
                                              &Edges,        &EdgeReport, &Tolerance};
            if (const model::TResult saved = project::SaveJsonResult(result, *Options.Json);
                !saved) {
                Err << "Ошибка при сохранении файла: " << saved.Reason() << '\n'
                    << "--json: результат не записан; файл проекта записан: " << Options.Output;
                if (!writtenTables.empty()) {
                    Err << "; таблицы записаны: " << writtenTables;
                }
                Err << '\n';
                return kExitFailure;
            }
        }
        if (!Options.Quiet) {
            PrintSummary();
            PrintEdges();
            PrintTolerances();
        }
        return Tolerance.AnyOutside() ? kExitOutOfTolerance : kExitSuccess;
    }

    std::string Angle(double value) const {
        return base::FloatToStrAcc(Model.GetAccuracy(), value, Options.DecimalSeparator);
    }
    std::string Signed(double value) const { return (value > 0 ? "+" : "") + Angle(value); }
    std::string Polar(double from, double to) const {
        const char sep = Options.DecimalSeparator;
        return base::FloatToStrAcc(2, from, sep) + " .. " + base::FloatToStrAcc(2, to, sep);
    }

    void PrintEdges() {
        if (EdgeReport.Edges.empty()) {
            return;
        }
        const char sep = Options.DecimalSeparator;
        Out << "edges: " << EdgeReport.Edges.size() << " (a kink above "
            << base::FloatToStr(Model.SurfaceData.GeometrySettings.EdgeKinkAngle, sep)
            << " degrees starts a new one)\n";
        for (const model::TEdgeSummary& edge : EdgeReport.Edges) {
            Out << "  edge " << edge.Number << ": " << edge.Segments << " segments from "
                << Model
                       .CutEdge[static_cast<std::size_t>(
                           Edges.Edges[static_cast<std::size_t>(edge.Number - 1)].First)]
                       .Number
                << ", length " << base::FloatToStrAcc(3, edge.Length, sep) << ", polar "
                << Polar(edge.PolarFrom, edge.PolarTo) << '\n';
        }
        // The tool's angles; the edges' own are in the JSON result.
        std::string empty;
        for (std::size_t a = 0; a < Angles.Angles.size(); ++a) {
            const model::TAngleStats& stats = EdgeReport.Tool.Angles[a];
            const std::string key = model::AngleKey(Angles.Angles[a]);
            if (stats.Numbers == 0) {
                empty += (empty.empty() ? "" : " ") + key;
                continue;
            }
            Out << "  " << key << ": min " << Angle(stats.Min) << ", mean " << Angle(stats.Mean)
                << ", max " << Angle(stats.Max);
            if (stats.NotNumbers > 0) {
                Out << ", not a number at " << stats.NotNumbers << " segments";
            }
            Out << '\n';
        }
        if (!empty.empty()) {
            Out << "  no value at any segment: " << empty << '\n';
        }
    }

    std::string Count(const model::TToleranceCount& count) const {
        std::string text = std::to_string(count.Inside) + " of " + std::to_string(count.Segments) +
                           " segments within (" +
                           base::FloatToStrAcc(1, count.Share() * 100.0, Options.DecimalSeparator) +
                           " %)";
        if (count.NotNumbers > 0) {
            text += ", " + std::to_string(count.NotNumbers) + " not a number";
        }
        if (count.Worst.Segment != 0) {
            text += ", worst deviation " + Signed(count.Worst.Deviation) + " at segment " +
                    std::to_string(count.Worst.Segment);
        }
        return text;
    }

    void PrintTolerances() {
        const char sep = Options.DecimalSeparator;
        const auto nominal = [&](const model::TTolerance& t) {
            return model::AngleKey(t.Angle) + " " + base::FloatToStr(t.Nominal, sep) + " " +
                   base::FloatToStr(t.Lower, sep) + " +" + base::FloatToStr(t.Upper, sep);
        };
        for (std::size_t t = 0; t < Tolerance.Judged.size(); ++t) {
            Out << "tolerance " << nominal(Tolerance.Judged[t]) << ": " << Count(Tolerance.Tool[t])
                << '\n';
            // The edges that hold a segment outside; the others have nothing to say.
            for (std::size_t e = 0; e < Tolerance.Edges.size(); ++e) {
                if (Tolerance.Edges[e][t].Outside() > 0) {
                    Out << "  edge " << e + 1 << ": " << Count(Tolerance.Edges[e][t]) << '\n';
                }
            }
        }
        for (const model::TTolerance& t : Tolerance.NotComputed) {
            Out << "tolerance " << nominal(t) << ": not judged, the angles of "
                << SystemName(t.Angle.System) << " are not computed\n";
        }
        if (!Tolerance.Judged.empty()) {
            Out << "within every tolerance: " << Count(Tolerance.ToolAll)
                << (Tolerance.AnyOutside() ? "; some segments are out of tolerance" : "") << '\n';
        }
    }

    void PrintSummary() {
        const model::TSurFaceData& surface = Model.SurfaceData;
        Out << Options.Input << ": " << surface.PolygonCount << " polygons (front "
            << surface.FrontCount << ", back " << surface.BackCount << ", other "
            << surface.OtherPolygons.size() << "), " << Model.SegmentCount << " segments";
        if (!Model.CutEdge.empty()) {
            const char sep = Options.DecimalSeparator;
            Out << ", polar " << base::FloatToStrAcc(2, Model.CutEdge.front().Polar, sep) << " .. "
                << base::FloatToStrAcc(2, Model.CutEdge.back().Polar, sep);
        }
        Out << '\n';
        if (SortedAgain) {
            Out << "sorted again with the new sorting and cutting-edge settings; the cutting "
                   "edge was found again\n";
        }
        const std::string computed = SystemList(Model.DefinedAngles);
        if (!computed.empty()) {
            Out << "angles: " << computed << '\n';
        }
        if (const std::string forgotten = SystemList(Forgotten); !forgotten.empty()) {
            Out << "angles dropped, their systems were defined anew: " << forgotten
                << " (compute them again with --compute)\n";
        }
        if (Model.SelectCutEdgeExist) {
            Out << "selection: " << Model.SelectCutEdge.size() << " segments\n";
        }
        Out << "written: " << Options.Output;
        for (const TTableOutput& table : Options.Tables) {
            Out << ", " << table.File;
        }
        if (Options.Json) {
            Out << ", " << *Options.Json;
        }
        Out << '\n';
    }

    static std::string SystemList(const std::array<bool, model::kSystemCount>& flags) {
        std::string list;
        for (int system = 0; system < model::kSystemCount; ++system) {
            if (flags[static_cast<std::size_t>(system)]) {
                list += list.empty() ? "" : " ";
                list += SystemName(system);
            }
        }
        return list;
    }

    TAnalyzeFigures* Figures;
    const TAnalyzeOptions& Options;
    model::TProgress& Progress;
    std::ostream& Out;
    std::ostream& Err;
    TModel Model;
    std::string StlName;
    bool AccuracyChanged = false;
    bool SortedAgain = false;
    std::array<bool, model::kSystemCount> Forgotten{};  // angles dropped by a new definition
    std::optional<model::TModelCheck> ModelCheck;       // an STL input's
    model::TAngleTable Angles;
    model::TEdges Edges;
    model::TEdgeReport EdgeReport;
    model::TToleranceReport Tolerance;
};

}  // namespace

int RunCheck(const TCheckOptions& options, model::TProgress& progress, std::ostream& out,
             std::ostream& err) {
    model::TSurFaceData surface;
    model::TModelCheck check;
    if (const model::TResult loaded =
            surface.LoadSTL(options.Input, options.Import.Options, &check, progress);
        !loaded) {
        err << "Ошибка при открытии файла: " << loaded.Reason() << '\n';
        return kExitFailure;
    }
    PrintCheck(out, options.Input, check, options.DecimalSeparator);
    return kExitSuccess;
}

int RunAnalyze(const TAnalyzeOptions& options, model::TProgress& progress, std::ostream& out,
               std::ostream& err, TAnalyzeFigures* figures) {
    return TRoad(options, progress, out, err, figures).Run();
}

}  // namespace tessarin::cli
