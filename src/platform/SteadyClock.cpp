#include "platform/SteadyClock.h"

#include "platform/PreciseSleep.h"

namespace rq {

Micros SteadyClock::now() const {
    return std::chrono::duration_cast<Micros>(std::chrono::steady_clock::now() - start_);
}

void SteadyClock::sleepUntil(Micros when) {
    rq::sleepUntil(start_ + when);
}

}  // namespace rq
