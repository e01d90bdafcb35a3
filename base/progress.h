// How a long operation of the core tells its caller how far it has got.
//
// The core never shows anything itself. A caller that wants to show progress (the
// status bar of the desktop program, the terminal bar of the batch tool) implements
// TProgress; everybody else passes NullProgress().
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <string_view>

namespace tessarin::base {

class TProgress {
public:
    virtual ~TProgress() = default;

    // Begins an operation of `maximum` steps (never negative) with a caption such as
    // "Сортировка поверхностей >>".
    virtual void Start(std::string_view text, int maximum) = 0;

    // Advances by `count` steps. Loops over millions of items report in batches
    // (kProgressBatch), so an implementation is called at a bounded rate. A count of 0
    // advances nothing and only tells that the operation is still going (while it waits
    // or does work it does not count), so the caller may refresh its display.
    virtual void Step(int count = 1) = 0;

    // Ends the operation: the caption is cleared and the maximum is 0 again.
    virtual void Finish() = 0;
};

// A progress sink that shows nothing.
TProgress& NullProgress();

// Items a loop processes between two calls of Step.
// Small enough that a loop slowed down by a busy machine still reports several times in
// a tenth of a second; the cost of a call is nothing beside the items' work.
inline constexpr int kProgressBatch = 1 << 12;

// Starts `progress` on construction and finishes it on destruction, so that every
// way out of an operation, early returns included, finishes the progress.
class TProgressScope {
public:
    TProgressScope(TProgress& progress, std::string_view text, int maximum) : Progress(progress) {
        Progress.Start(text, maximum < 0 ? 0 : maximum);
    }
    ~TProgressScope() { Progress.Finish(); }
    TProgressScope(const TProgressScope&) = delete;
    TProgressScope& operator=(const TProgressScope&) = delete;

    TProgress& Progress;
};

// Steps a progress once per item, but calls it only once per kProgressBatch items; the
// remainder is stepped when the object goes out of scope.
class TBatchedSteps {
public:
    explicit TBatchedSteps(TProgress& progress) : Progress(progress) {}
    TBatchedSteps(const TBatchedSteps&) = delete;
    TBatchedSteps& operator=(const TBatchedSteps&) = delete;
    ~TBatchedSteps() { Flush(); }

    void Add() {
        if (++Pending == kProgressBatch) {
            Flush();
        }
    }
    void Flush() {
        if (Pending > 0) {
            Progress.Step(Pending);
            Pending = 0;
        }
    }

private:
    TProgress& Progress;
    int Pending = 0;
};

// The progress maximum of a loop over `count` items: count - 1, for at most INT_MAX items.
inline int ProgressMaximum(std::size_t count) {
    return static_cast<int>(std::min<std::size_t>(count, INT_MAX)) - 1;
}

}  // namespace tessarin::base
