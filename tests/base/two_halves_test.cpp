#include "base/two_halves.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <numeric>
#include <stdexcept>
#include <thread>
#include <vector>

namespace tessarin::base {
namespace {

TEST(TwoHalves, BothHalvesDoTheirPartBeforeItReturns) {
    std::vector<int> values(100000, 0);
    const std::size_t half = values.size() / 2;
    RunInTwoHalves(
        [&] {
            for (std::size_t i = 0; i < half; ++i) {
                values[i] = 1;
            }
        },
        [&] {
            for (std::size_t i = half; i < values.size(); ++i) {
                values[i] = 1;
            }
        });
    EXPECT_EQ(std::accumulate(values.begin(), values.end(), 0), static_cast<int>(values.size()));
}

// The first half's exception goes on only once the second half has finished with the data
// both share; before, the running thread's destructor ended the process.
TEST(TwoHalves, AFailingFirstHalfWaitsForTheSecond) {
    std::atomic<bool> secondFinished{false};
    EXPECT_THROW(RunInTwoHalves([] { throw std::runtime_error("first"); },
                                [&] {
                                    std::this_thread::sleep_for(std::chrono::milliseconds(30));
                                    secondFinished = true;
                                }),
                 std::runtime_error);
    EXPECT_TRUE(secondFinished);
}

TEST(TwoHalves, TheSecondHalfsExceptionReachesTheCaller) {
    bool firstRan = false;
    try {
        RunInTwoHalves([&] { firstRan = true; }, [] { throw std::length_error("second half"); });
        FAIL() << "no exception";
    } catch (const std::length_error& error) {
        EXPECT_STREQ(error.what(), "second half");
    }
    EXPECT_TRUE(firstRan);
}

// A first half that gives up early must not wait for a second half that never ends by
// itself: the destructor tells it to stop, then joins.
TEST(TwoHalves, LeavingWithoutJoinCancelsTheSecondHalf) {
    std::atomic<bool> cancel{false};
    std::atomic<bool> sawCancel{false};
    try {
        TSecondHalf second(
            [&] {
                while (!cancel.load()) {
                    std::this_thread::yield();
                }
                sawCancel = true;
            },
            &cancel);
        ASSERT_TRUE(second.Started());
        throw std::runtime_error("the first half failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(sawCancel);
}

// While it waits, Join keeps calling the caller back (a window stays alive), and a joined
// second half is not cancelled afterwards.
TEST(TwoHalves, JoinCallsBackWhileTheSecondHalfRuns) {
    std::atomic<int> callbacks{0};
    std::atomic<bool> cancel{false};
    {
        TSecondHalf second(
            [&] {
                while (callbacks.load() < 3) {
                    std::this_thread::yield();
                }
            },
            &cancel);
        ASSERT_TRUE(second.Started());
        second.Join([&] { ++callbacks; });
        EXPECT_TRUE(second.Started());
        second.Join();  // a second join does nothing
    }
    EXPECT_GE(callbacks.load(), 3);
    EXPECT_FALSE(cancel);
}

}  // namespace
}  // namespace tessarin::base
