#pragma once

#include <chrono>

namespace rq {

// Sleeps until `when` and never returns before it. The standard library's sleep may end up to a
// millisecond early where the system sleeps in whole milliseconds (Windows), which a wait such as the
// boot firmware's wake-up, at least 150 ms after RTS, cannot afford.
void sleepUntil(std::chrono::steady_clock::time_point when);

// The system's own sleep, as exact as it can be made; it may end a little early.
void systemSleep(std::chrono::steady_clock::duration duration);

}  // namespace rq
