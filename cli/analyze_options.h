// The analysis options of the command line, shared by `analyze` and `batch`.
#pragma once

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/analyze.h"

namespace tessarin::cli {

// The import options as CLI11 collects them.
struct TRawImport {
    std::string Units, Axis, Origin, RepairNormals;
    bool KeepDuplicates = false;
};

// Registers --units, --axis, --origin, --repair-normals and --keep-duplicates on `command`.
void AddImportOptions(CLI::App* command, TRawImport& raw);
// Throws CLI::ValidationError naming the option.
TImportChoice ConvertImport(const TRawImport& raw);

// How the outputs besides the project are asked for: `analyze` takes a file name
// (--csv FILE, --json FILE); `batch` names them after the input and takes them as flags.
enum class TOutputNaming { Files, Flags };

// Every option of the analysis but INPUT and -o, registered on one subcommand.
class TAnalyzeCommand {
public:
    TAnalyzeCommand(CLI::App* command, TOutputNaming naming);
    TAnalyzeCommand(const TAnalyzeCommand&) = delete;
    TAnalyzeCommand& operator=(const TAnalyzeCommand&) = delete;

    // After the parse: the options typed, converted into `options` (Input and Output
    // are left as they are). With TOutputNaming::Flags the tables and the JSON asked for
    // have empty file names. Throws CLI::ValidationError naming the option.
    TAnalyzeOptions Convert(TAnalyzeOptions options) const;

    // The options given, but the tables and --json, as
    // arguments for a child `analyze` ("--gamma=5", "--quiet"): the same values reach
    // it as typed, so it reads them exactly as this parse did.
    std::vector<std::string> AnalysisArguments() const;

private:
    struct TRaw;
    CLI::App* Command;
    TOutputNaming Naming;
    std::shared_ptr<TRaw> Raw;  // addresses CLI11 writes to
    std::vector<CLI::Option*> Analysis;
    std::vector<CLI::Option*> Outputs;
};

}  // namespace tessarin::cli
