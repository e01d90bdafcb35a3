// Progress of the core's long operations as a one-line bar on a terminal.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "model/base_names.h"

namespace tessarin::cli {

// Redraws "caption [#####.....]  47%" on `stream` at most every 100 ms, and clears the
// line when the operation finishes.
class TTerminalProgress final : public model::TProgress {
public:
    explicit TTerminalProgress(std::FILE* stream) : Stream(stream) {}

    void Start(std::string_view text, int maximum) override;
    void Step(int count) override;
    void Finish() override;

private:
    void Draw();

    std::FILE* Stream;
    std::string Caption;
    long long Maximum = 0;
    long long Position = 0;
    std::chrono::steady_clock::time_point LastDraw{};
};

}  // namespace tessarin::cli
