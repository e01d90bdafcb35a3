// Work done in two halves at once: the second half on a thread of its own while the
// calling thread does the first.
#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <thread>
#include <utility>

namespace tessarin::base {

// The second half of a piece of work, running on a second thread from construction until
// Join or destruction.
class TSecondHalf {
public:
    // Starts `work` on a second thread. When no thread can be started (the system has none
    // to give, or no memory for one), `work` is not run and Started() is false: the caller
    // then does the whole work in its own thread.
    //
    // `cancel`, when given, is set before the destructor joins a second half that Join
    // never waited for (the first half threw or returned early), so a second half that
    // watches it can give up instead of finishing work nobody will use.
    template <typename Work>
    explicit TSecondHalf(Work&& work, std::atomic<bool>* cancel = nullptr) : Cancel(cancel) {
        try {
            Thread = std::thread([this, work = std::forward<Work>(work)]() mutable {
                try {
                    work();
                } catch (...) {
                    Exception = std::current_exception();
                }
                Done.store(true, std::memory_order_release);
            });
        } catch (const std::exception&) {
            // No second thread: Started() tells the caller to do it all.
        }
    }

    // Joins the thread on every way out, setting `cancel` first when Join was not called.
    // Never throws; an exception of the second half that Join did not pass on is dropped
    // (the first half's own exception, if any, is the one on its way).
    ~TSecondHalf();

    TSecondHalf(const TSecondHalf&) = delete;
    TSecondHalf& operator=(const TSecondHalf&) = delete;

    // Whether the second half runs (or ran) on its own thread.
    bool Started() const { return Thread.joinable() || Joined; }

    // Waits for the second half to finish and throws on what it threw. `whileWaiting`, when
    // given, is called every couple of milliseconds until the second half has finished (it
    // keeps a caller's window alive); should it throw, the exception goes on and the
    // destructor cancels and joins. Does nothing when the second half never started or was
    // joined already.
    void Join(const std::function<void()>& whileWaiting = {});

private:
    std::thread Thread;
    std::atomic<bool>* Cancel;
    std::atomic<bool> Done{false};
    std::exception_ptr Exception;
    bool Joined = false;
};

// Runs first() in the calling thread and second() on a second thread and returns when both
// have finished; when no second thread can be started, runs first() and then second() in
// the calling thread. The two must not touch the same data. An exception of first() is
// thrown on once second() has finished; otherwise one of second() is.
template <typename First, typename Second>
void RunInTwoHalves(First&& first, Second&& second) {
    TSecondHalf other(second);
    first();
    if (other.Started()) {
        other.Join();
    } else {
        second();
    }
}

}  // namespace tessarin::base
