// `tessarin-cli batch`: the same analysis over many inputs, each in a child `analyze`.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/analyze.h"

namespace tessarin::cli {

struct TBatchOptions {
    // Files, folders (their .stl and .tsf files, sorted by name, not recursive) and list
    // files "@LIST" (one file or folder a line; blank lines and lines starting with "#"
    // are skipped; relative paths are taken from the list's folder).
    std::vector<std::string> Inputs;
    std::string Folder;  // the results go here, named after their inputs
    int Jobs = 1;        // children at a time
    // The converted analysis options: Tables and Json say which outputs are asked for.
    TAnalyzeOptions Analysis;
    std::vector<std::string> ChildArguments;  // the analysis options as typed
    std::string Executable;                   // this program, run as `analyze`
};

// Exit codes ranked from the worst: usage (2), failure (1), out of tolerance (3),
// success (0). A batch ends with the worst of its inputs'.
int WorseExit(int a, int b);

// Runs every input, writes FOLDER/summary.csv and returns the worst exit code, or
// kExitUsage (nothing run) when an input list cannot be read or no input is found.
// SIGINT, SIGTERM and SIGHUP stop the children; the results of the inputs in progress are
// removed, no summary is written and the process ends with the signal.
int RunBatch(const TBatchOptions& options, std::ostream& out, std::ostream& err);

// The figures a child `analyze` leaves for its batch (the hidden --figures-to FILE):
// "key<TAB>value" lines, see batch.cpp.
void WriteFigures(const std::string& path, int exitCode, const TAnalyzeFigures& figures,
                  const std::string& errors);

}  // namespace tessarin::cli
