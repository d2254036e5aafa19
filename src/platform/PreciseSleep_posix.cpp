#include <thread>

#include "platform/PreciseSleep.h"

namespace rq {

void systemSleep(std::chrono::steady_clock::duration duration) {
    std::this_thread::sleep_for(duration);
}

}  // namespace rq
