#include "cli/analyze.h"

#include <string_view>

#include "model/model.h"
#include "project/number_format.h"
#include "project/project_reader.h"
#include "project/project_writer.h"
#include "project/table_export.h"
#include "project/text_file.h"

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

constexpr std::array<const char*, 4> kSystemNames{"ISK", "SSK", "KSK", "DSK"};

// The condition the desktop's side bar checks before computing a system's angles, with
// its warning when the condition fails; empty when the system can be computed.
std::string ComputeRefusal(const TModel& model, int system) {
    const bool ssk = model.ExistedCS[model::kExistedSSK];
    const bool ksk = model.ExistedCS[model::kExistedKSK];
    const bool feedPlan = model.ExistedCS[model::kExistedFeedPlan];
    switch (system) {
        case model::kSSK:
            if (ssk && feedPlan) {
                return {};
            }
            return ssk ? "Не определена рабочая плоскость" : "Не определена основная плоскость";
        case model::kKSK:
        case model::kDSK:
            // The dynamic angles use the kinematic system's existence as their condition.
            return ksk ? std::string{} : "Не определена кинематическая система координат";
        default:
            return {};
    }
}

class TRoad {
public:
    TRoad(const TAnalyzeOptions& options, model::TProgress& progress, std::ostream& out,
          std::ostream& err)
        : Options(options),
          Progress(progress),
          Out(out),
          Err(err),
          Model(options.DecimalSeparator) {}

    int Run() {
        const bool isProject = EndsWithIgnoringCase(Options.Input, ".tsf");
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
        return Write();
    }

private:
    int Fail(const std::string& reason) {
        Err << Options.Input << ": " << reason << '\n';
        return kExitFailure;
    }

    int ReadStl() {
        model::TGeometrySettings settings = model::kDefaultGeometrySettings;
        settings.Gamma = Options.Gamma.value_or(settings.Gamma);
        settings.Alpha = Options.Alpha.value_or(settings.Alpha);
        settings.DiscardInt = Options.DiscardInt.value_or(settings.DiscardInt);
        settings.TableAccuracy = Options.TableAccuracy.value_or(settings.TableAccuracy);
        settings.MarkNegative = Options.MarkNegative.value_or(settings.MarkNegative);
        Model.SurfaceData.GeometrySettings = settings;
        StlName = Options.StlName.value_or(Options.Input);

        if (const model::TResult loaded = Model.SurfaceData.LoadSTL(Options.Input, Progress);
            !loaded) {
            // The reason already names the file.
            Err << "Ошибка при открытии файла: " << loaded.Reason() << '\n';
            return kExitFailure;
        }
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
        StlName = Options.StlName.value_or(storedName);
        model::TGeometrySettings& settings = Model.SurfaceData.GeometrySettings;
        settings.Gamma = Options.Gamma.value_or(settings.Gamma);
        settings.Alpha = Options.Alpha.value_or(settings.Alpha);
        settings.DiscardInt = Options.DiscardInt.value_or(settings.DiscardInt);
        settings.MarkNegative = Options.MarkNegative.value_or(settings.MarkNegative);
        if (Options.TableAccuracy) {
            settings.TableAccuracy = *Options.TableAccuracy;
            AccuracyChanged = true;
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
        if (Options.Ssk) {
            Model.PreviewSSK((*Options.Ssk)[0], (*Options.Ssk)[1]);
            if (const model::TResult accepted = Model.AcceptStaticSystem(); !accepted) {
                return Fail(accepted.Reason());
            }
        }
        if (Options.FeedPlanPhi) {
            if (!Model.ExistedCS[model::kExistedSSK]) {
                return Fail("Не определена статичекая основная плоскость");
            }
            if (Options.FeedPlanHce) {
                Model.WorkingCS.FeedPlan.HCE = *Options.FeedPlanHce;
            } else {
                Model.WorkingCS.FeedPlan.HCE = Model.AcceptedCS.FeedPlan.HCE;
            }
            if (const model::TResult previewed = Model.PreviewFeedPlan(*Options.FeedPlanPhi);
                !previewed) {
                return Fail(previewed.Reason());
            }
            Model.AcceptFeedPlan();
        }
        const bool staticDefined =
            Model.ExistedCS[model::kExistedSSK] || Model.ExistedCS[model::kExistedFeedPlan];
        if (Options.KskEta) {
            if (!staticDefined) {
                return Fail("Не определена статичекая система координат");
            }
            Model.PreviewKSK(*Options.KskEta);
            Model.AcceptKSK();
        }
        if (Options.DskNu) {
            if (!staticDefined) {
                return Fail("Не определена статичекая система координат");
            }
            Model.PreviewDSK(*Options.DskNu);
            Model.AcceptDSK();
        }
        return kExitSuccess;
    }

    int Compute(int system) {
        if (const std::string refusal = ComputeRefusal(Model, system); !refusal.empty()) {
            return Fail(std::string(kSystemNames.at(static_cast<std::size_t>(system))) + ": " +
                        refusal);
        }
        Model.ComputeAngles(system, Progress);
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
            model::ParseRanges(range.Text, Options.DecimalSeparator,
                               model::QueryColumn(query.Ranges, range.Column));
            query.Use.at(static_cast<std::size_t>(range.Column)) = true;
        }
        if (!Model.MakeSelection(query, Progress)) {
            Err << Options.Input << ": ни один отрезок не попал в заданные диапазоны; "
                << (Model.SelectCutEdgeExist ? "выборка не изменилась" : "выборки нет") << '\n';
        }
        return kExitSuccess;
    }

    int Write() {
        if (Model.SelectCutEdgeExist) {
            Model.FillSelectionLists();
        }
        if (const model::TResult saved = project::SaveProject(Model, Options.Output, StlName,
                                                              Options.DecimalSeparator, Progress);
            !saved) {
            Err << "Ошибка при сохранении файла: " << saved.Reason() << '\n';
            return kExitFailure;
        }
        if (Options.CsvFile) {
            if (const model::TResult written =
                    project::WriteFileAtomically(*Options.CsvFile, project::TableToCsv(Model));
                !written) {
                Err << "Ошибка при сохранении файла: " << written.Reason() << '\n';
                return kExitFailure;
            }
        }
        if (!Options.Quiet) {
            PrintSummary();
        }
        return kExitSuccess;
    }

    void PrintSummary() {
        const model::TSurFaceData& surface = Model.SurfaceData;
        Out << Options.Input << ": " << surface.PolygonCount << " polygons (front "
            << surface.FrontCount << ", back " << surface.BackCount << ", other "
            << surface.OtherPolygons.size() << "), " << Model.SegmentCount << " segments";
        if (!Model.CutEdge.empty()) {
            const char sep = Options.DecimalSeparator;
            Out << ", polar " << project::FloatToStrAcc(2, Model.CutEdge.front().Polar, sep)
                << " .. " << project::FloatToStrAcc(2, Model.CutEdge.back().Polar, sep);
        }
        Out << '\n';
        std::string computed;
        for (int system = model::kISK; system <= model::kDSK; ++system) {
            if (Model.DefinedAngles[static_cast<std::size_t>(system)]) {
                computed += computed.empty() ? "" : " ";
                computed += kSystemNames.at(static_cast<std::size_t>(system));
            }
        }
        if (!computed.empty()) {
            Out << "angles: " << computed << '\n';
        }
        if (Model.SelectCutEdgeExist) {
            Out << "selection: " << Model.SelectCutEdge.size() << " segments\n";
        }
        Out << "written: " << Options.Output;
        if (Options.CsvFile) {
            Out << ", " << *Options.CsvFile;
        }
        Out << '\n';
    }

    const TAnalyzeOptions& Options;
    model::TProgress& Progress;
    std::ostream& Out;
    std::ostream& Err;
    TModel Model;
    std::string StlName;
    bool AccuracyChanged = false;
};

}  // namespace

int RunAnalyze(const TAnalyzeOptions& options, model::TProgress& progress, std::ostream& out,
               std::ostream& err) {
    return TRoad(options, progress, out, err).Run();
}

}  // namespace tessarin::cli
