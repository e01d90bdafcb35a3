#include "bench/bench_report.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace tessarin::bench {

namespace {

std::string Padded(std::string_view text, std::size_t width) {
    std::string out(text);
    // Widths count code points, so the "≥" of a target takes one column.
    std::size_t columns = 0;
    for (const char c : out) {
        columns += (static_cast<unsigned char>(c) & 0xC0u) != 0x80u ? 1 : 0;
    }
    if (columns < width) {
        out.append(width - columns, ' ');
    }
    return out;
}

std::string TargetText(const TTarget& target, std::string_view unit, int decimals) {
    switch (target.Kind) {
        case TTarget::TKind::AtLeast:
            return "≥ " + Fixed(target.Limit, decimals) + " " + std::string(unit);
        case TTarget::TKind::Below:
            return "< " + Fixed(target.Limit, decimals) + " " + std::string(unit);
        case TTarget::TKind::None:
            break;
    }
    return {};
}

}  // namespace

double BestOf(int repeat, const std::function<void()>& prepare, const std::function<void()>& work) {
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < std::max(1, repeat); ++i) {
        prepare();
        best = std::min(best, Seconds(work));
    }
    return best;
}

std::string Fixed(double v, int decimals) {
    if (std::isnan(v)) {
        return "n/a";
    }
    if (std::isinf(v)) {
        return v > 0 ? "inf" : "-inf";
    }
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, decimals);
    return {buffer, result.ptr};
}

bool TTarget::Met(double value) const {
    switch (Kind) {
        case TKind::AtLeast:
            return value >= Limit;
        case TKind::Below:
            return value < Limit;
        case TKind::None:
            break;
    }
    return true;
}

void TReport::Row(std::string_view section, std::string_view measure, double value,
                  std::string_view unit, int decimals, TTarget target, std::string_view note) {
    const bool judged = target.Kind != TTarget::TKind::None;
    const bool met = target.Met(value);
    std::string text = Padded(section, 16) + Padded(measure, 34) +
                       Padded(Fixed(value, decimals) + " " + std::string(unit), 16) +
                       Padded(TargetText(target, unit, decimals), 16) +
                       Padded(judged ? (met ? "ok" : "MISSED") : "", 8);
    text.append(note);
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    Print(text);
    Lines.push_back({std::move(text), judged && !met});
}

void TReport::Note(std::string_view section, std::string_view text) {
    std::string line = Padded(section, 16) + std::string(text);
    Print(line);
    Lines.push_back({std::move(line), false});
}

void TReport::PrintSummary() const {
    Print("");
    Print(Padded("", 16) + Padded("measure", 34) + Padded("value", 16) + Padded("target", 16) +
          "verdict");
    for (const TLine& line : Lines) {
        Print(line.Text);
    }
    Print("");
    if (MissedCount() == 0) {
        Print("every target met");
        return;
    }
    Print("targets missed:");
    for (const TLine& line : Lines) {
        if (line.Missed) {
            Print("  " + line.Text);
        }
    }
}

int TReport::MissedCount() const {
    return static_cast<int>(
        std::count_if(Lines.begin(), Lines.end(), [](const TLine& line) { return line.Missed; }));
}

void TReport::Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace tessarin::bench
