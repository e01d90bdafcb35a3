// Timing and the result table of the benchmark.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessarin::bench {

// Seconds of steady-clock time that `work` takes.
inline double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const auto stop = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(stop - start).count();
}

// The shortest of `repeat` runs of `work`, each run preceded by `prepare` (not timed).
// The shortest run is the one least disturbed by the other users of a shared machine.
double BestOf(int repeat, const std::function<void()>& prepare, const std::function<void()>& work);

// `v` with `decimals` digits after the point, independent of the locale.
std::string Fixed(double v, int decimals);

// A target next to a figure: what it is ("≥ 500 MB/s"), whether the figure meets it.
struct TTarget {
    enum class TKind { None, AtLeast, Below } Kind = TKind::None;
    double Limit = 0.0;

    static TTarget None() { return {}; }
    static TTarget AtLeast(double limit) { return {TKind::AtLeast, limit}; }
    static TTarget Below(double limit) { return {TKind::Below, limit}; }

    // False for a NaN figure.
    bool Met(double value) const;
};

// Rows are printed as they come, so a long run shows its progress, and again all together
// at the end, followed by the list of missed targets.
class TReport {
public:
    // `section` groups rows ("10k", "100k segments", "road"); `value` is in `unit`.
    void Row(std::string_view section, std::string_view measure, double value,
             std::string_view unit, int decimals, TTarget target = TTarget::None(),
             std::string_view note = {});
    // A line of text that is not a figure (a warning, a count).
    void Note(std::string_view section, std::string_view text);

    void PrintSummary() const;
    int MissedCount() const;

private:
    struct TLine {
        std::string Text;
        bool Missed = false;
    };
    static void Print(const std::string& text);
    std::vector<TLine> Lines;
};

}  // namespace tessarin::bench
