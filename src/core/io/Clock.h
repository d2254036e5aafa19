#pragma once

#include <chrono>

namespace rq {

using Micros = std::chrono::microseconds;
using Millis = std::chrono::milliseconds;

// Time as the device work sees it. Tests use a virtual clock, so a long time-out costs nothing.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual Micros now() const = 0;
    virtual void sleepUntil(Micros when) = 0;

    void sleep(Micros duration) { sleepUntil(now() + duration); }
    // The blocking form of "let the message loop run once": a 1 ms pause.
    void yield() { sleep(Millis(1)); }
};

}  // namespace rq
