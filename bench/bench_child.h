// Running a program as a child process and reading what it cost.
#pragma once

#include <string>
#include <vector>

namespace tessarin::bench {

struct TChildRun {
    int ExitCode = -1;           // -1 when it could not be run or did not exit normally
    double WallSeconds = 0.0;    // from start to exit
    double PeakMegabytes = 0.0;  // the child's largest resident set, 10^6 bytes
    std::string Error;           // why it could not be run
};

// Runs argv[0] (a path) with the arguments, standard output and error inherited, and
// waits for it.
//
// A child started straight from the benchmark would inherit the benchmark's own peak: on
// Linux a process's maximum resident set includes the address space it was forked (or
// vforked) from. So the benchmark starts a fresh copy of itself (MeasureChildMain), whose
// address space is a few megabytes, and that copy starts the child and reports its cost.
// `environment` entries ("NAME=value") are added to the benchmark's own environment.
TChildRun RunChild(const std::vector<std::string>& argv,
                   const std::vector<std::string>& environment = {});

// The option that makes the benchmark's main call MeasureChildMain.
inline constexpr const char* kMeasureChildOption = "--measure-child";

// Runs argv[0..] as the measured child and writes "exit peakKilobytes wallNanoseconds" to
// file descriptor 3. Returns the exit code for the benchmark's copy of itself.
int MeasureChildMain(char** argv);

// The path of the running executable.
std::string SelfPath();

}  // namespace tessarin::bench
