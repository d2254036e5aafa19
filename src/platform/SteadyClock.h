#pragma once

#include "core/io/Clock.h"

namespace rq {

// The real clock: a steady time since the clock was made, and real sleeps.
class SteadyClock final : public Clock {
  public:
    Micros now() const override;
    void sleepUntil(Micros when) override;

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace rq
