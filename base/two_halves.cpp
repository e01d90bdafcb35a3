#include "base/two_halves.h"

#include <chrono>

namespace tessarin::base {

TSecondHalf::~TSecondHalf() {
    if (Thread.joinable()) {
        if (Cancel != nullptr) {
            Cancel->store(true, std::memory_order_relaxed);
        }
        Thread.join();
    }
}

void TSecondHalf::Join(const std::function<void()>& whileWaiting) {
    if (!Thread.joinable()) {
        return;
    }
    if (whileWaiting) {
        // Short enough for a window to stay responsive, long enough to cost nothing.
        while (!Done.load(std::memory_order_acquire)) {
            whileWaiting();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    Thread.join();
    Joined = true;
    if (Exception) {
        std::rethrow_exception(std::exchange(Exception, nullptr));
    }
}

}  // namespace tessarin::base
