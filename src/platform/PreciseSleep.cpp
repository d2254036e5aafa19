#include "platform/PreciseSleep.h"

namespace rq {

void sleepUntil(std::chrono::steady_clock::time_point when) {
    for (auto now = std::chrono::steady_clock::now(); now < when; now = std::chrono::steady_clock::now())
        systemSleep(when - now);
}

}  // namespace rq
