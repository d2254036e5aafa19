#include "platform/SteadyClock.h"

#include <thread>

namespace rq {

Micros SteadyClock::now() const {
    return std::chrono::duration_cast<Micros>(std::chrono::steady_clock::now() - start_);
}

void SteadyClock::sleepUntil(Micros when) {
    std::this_thread::sleep_until(start_ + when);
}

}  // namespace rq
