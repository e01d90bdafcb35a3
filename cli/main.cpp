// tessarin-cli: the analysis road without a window.
//
//   tessarin-cli analyze INPUT -o OUT.tsf [options]
//   tessarin-cli batch INPUT... -o FOLDER [options] [-j N]
//   tessarin-cli check FILE.stl [import options]
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/language.h"
#include "base/number_format.h"
#include "base/text_file.h"
#include "cli/analyze.h"
#include "cli/analyze_options.h"
#include "cli/batch.h"
#include "cli/terminal_progress.h"

namespace {

// An interrupted save leaves no temporary as big as the project behind: the handler
// removes it and raises the signal again, which, back at its default action
// (SA_RESETHAND), ends the process at once or as soon as the handler returns.
void RemoveTemporaryAndEnd(int signal) {
    const int savedErrno = errno;
    tessarin::base::RemovePendingTemporary();
    std::raise(signal);
    errno = savedErrno;
}

void InstallSignalCleanup() {
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryAndEnd;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
    // Beyond the file-size limit write() then fails with EFBIG: the writer removes its
    // temporary and the tool reports "File too large" instead of dying half way.
    std::signal(SIGXFSZ, SIG_IGN);
}

// This program, for the batch's children: the file itself, not a name PATH may find
// elsewhere.
std::string OwnExecutable(const char* argv0) {
    std::array<char, 4096> path{};
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    return length > 0 ? std::string(path.data(), static_cast<std::size_t>(length))
                      : std::string(argv0);
}

}  // namespace

int main(int argc, char** argv) {
    // Reasons in Russian under a Russian locale, in English otherwise.
    tessarin::base::SetMessageLanguage(tessarin::base::LanguageFromEnvironment());
    CLI::App app{"Tessarin batch analysis of cutting tools with indexable inserts"};
    app.require_subcommand(1);
    CLI::App* analyze = app.add_subcommand(
        "analyze",
        "Read an STL model (load, sort surfaces, find the cutting edge) or a project, then apply "
        "the coordinate systems, angles and selection given, and write a project file");
    tessarin::cli::TAnalyzeOptions options;
    analyze->add_option("INPUT", options.Input, "STL model (.stl) or project (.tsf)")->required();
    analyze->add_option("-o,--output", options.Output, "Project file to write (.tsf)")->required();
    const tessarin::cli::TAnalyzeCommand analyzeOptions(analyze,
                                                        tessarin::cli::TOutputNaming::Files);
    // Where a batch's child leaves its figures for the summary; not for users.
    std::string figuresTo;
    analyze->add_option("--figures-to", figuresTo)->group("");

    CLI::App* batch = app.add_subcommand(
        "batch",
        "Analyse many inputs with the same options, each into FOLDER under its own name, "
        "in up to N processes at a time, and write FOLDER/summary.csv");
    tessarin::cli::TBatchOptions batchOptions;
    batch
        ->add_option("INPUT", batchOptions.Inputs,
                     "STL models and projects, folders (their .stl and .tsf files) and @LIST "
                     "files (a path a line)")
        ->required();
    batch->add_option("-o,--output", batchOptions.Folder, "Folder for the results")->required();
    batch->add_option("-j,--jobs", batchOptions.Jobs, "Inputs analysed at a time (1)")
        ->check(CLI::Range(1, 64));
    const tessarin::cli::TAnalyzeCommand batchAnalysis(batch, tessarin::cli::TOutputNaming::Flags);

    CLI::App* check = app.add_subcommand(
        "check", "Import an STL model with the import options given and print its model check");
    tessarin::cli::TCheckOptions checkOptions;
    tessarin::cli::TRawImport rawCheckImport;
    std::string checkSeparator;
    check->add_option("FILE", checkOptions.Input, "STL model (.stl)")->required();
    tessarin::cli::AddImportOptions(check, rawCheckImport);
    check
        ->add_option("--decimal-separator", checkSeparator,
                     "Decimal separator of the numbers printed (default: the locale's)")
        ->check(CLI::IsMember({",", "."}));

    try {
        app.parse(argc, argv);
        if (check->parsed()) {
            checkOptions.Import = tessarin::cli::ConvertImport(rawCheckImport);
            checkOptions.DecimalSeparator = checkSeparator.empty()
                                                ? tessarin::base::DefaultDecimalSeparator()
                                                : checkSeparator[0];
        } else if (batch->parsed()) {
            batchOptions.Analysis = batchAnalysis.Convert(batchOptions.Analysis);
            batchOptions.ChildArguments = batchAnalysis.AnalysisArguments();
            batchOptions.Executable = OwnExecutable(argv[0]);
        } else {
            options = analyzeOptions.Convert(options);
        }
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? tessarin::cli::kExitSuccess : tessarin::cli::kExitUsage;
    }

    if (batch->parsed()) {
        return tessarin::cli::RunBatch(batchOptions, std::cout, std::cerr);
    }
    InstallSignalCleanup();
    tessarin::cli::TTerminalProgress terminal(stderr);
    const bool showProgress = !options.Quiet && isatty(fileno(stderr)) == 1;
    tessarin::model::TProgress& progress =
        showProgress ? terminal : tessarin::model::NullProgress();
    if (check->parsed()) {
        return tessarin::cli::RunCheck(checkOptions, progress, std::cout, std::cerr);
    }
    if (!figuresTo.empty()) {
        // The reason of a failure also goes to the batch's summary.
        std::ostringstream errors;
        tessarin::cli::TAnalyzeFigures figures;
        const int code = tessarin::cli::RunAnalyze(options, progress, std::cout, errors, &figures);
        std::cerr << errors.str();
        tessarin::cli::WriteFigures(figuresTo, code, figures, errors.str());
        return code;
    }
    return tessarin::cli::RunAnalyze(options, progress, std::cout, std::cerr);
}
