#include "cli/terminal_progress.h"

#include <algorithm>

namespace tessarin::cli {

namespace {
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 30;
}  // namespace

void TTerminalProgress::Start(std::string_view text, int maximum) {
    Caption = std::string(text);
    Maximum = maximum;
    Position = 0;
    LastDraw = {};
    Draw();
}

void TTerminalProgress::Step(int count) {
    Position += count;
    if (std::chrono::steady_clock::now() - LastDraw >= kRedrawInterval) {
        Draw();
    }
}

void TTerminalProgress::Finish() {
    std::fputs("\r\033[K", Stream);
    std::fflush(Stream);
    Caption.clear();
    Maximum = 0;
    Position = 0;
}

void TTerminalProgress::Draw() {
    LastDraw = std::chrono::steady_clock::now();
    // A maximum of n means n + 1 steps in the loops that report this way.
    const long long total = std::max(1LL, Maximum + 1);
    const long long done = std::clamp(Position, 0LL, total);
    const int filled = static_cast<int>(done * kBarWidth / total);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kBarWidth - filled), '.');
    std::fprintf(Stream, "\r\033[K%s [%s] %3lld%%", Caption.c_str(), bar.c_str(),
                 done * 100 / total);
    std::fflush(Stream);
}

}  // namespace tessarin::cli
