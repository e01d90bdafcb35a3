// A progress that records what an operation told it, for the tests of operations that
// report their progress.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/progress.h"

namespace tessarin::test {

// Records every Start, counts the steps and the finishes, and fails the running test when
// the progress contract is broken: a step outside a started operation or a negative count.
class TRecordingProgress final : public base::TProgress {
public:
    struct TStart {
        std::string Text;
        int Maximum;
    };

    void Start(std::string_view text, int maximum) override {
        Starts.push_back({std::string(text), maximum});
        Text = text;
        Maximum = maximum;
        ++Open;
        Running = true;
    }
    void Step(int count) override {
        EXPECT_GT(Open, 0) << "a step outside a started operation";
        EXPECT_GE(count, 0);
        ++StepCalls;
        // A step of 0 only keeps the caller's display alive; the others count.
        if (count > 0) {
            ++CountingSteps;
        } else {
            ++KeepAlives;
        }
        Stepped += count;
    }
    void Finish() override {
        --Open;
        ++Finishes;
        Running = Open > 0;
    }

    std::vector<TStart> Starts;  // every Start, in order
    std::string Text;            // of the last Start
    int Maximum = -1;            // of the last Start; -1 before any
    int Open = 0;                // Starts less Finishes
    bool Running = false;        // whether a started operation is not finished yet
    int Finishes = 0;
    int StepCalls = 0;      // every call of Step
    int CountingSteps = 0;  // calls with a count above 0
    int KeepAlives = 0;     // calls with a count of 0
    long long Stepped = 0;  // the sum of the counts
};

}  // namespace tessarin::test
