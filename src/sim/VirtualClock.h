#pragma once

#include <atomic>

#include "core/io/Clock.h"

namespace rq::sim {

// Time that passes only when someone waits: a 65-second time-out costs nothing.
class VirtualClock final : public Clock {
  public:
    Micros now() const override { return Micros(now_.load()); }
    void sleepUntil(Micros when) override {
        auto current = now_.load();
        while (when.count() > current && !now_.compare_exchange_weak(current, when.count())) {
        }
    }

  private:
    std::atomic<Micros::rep> now_{0};
};

}  // namespace rq::sim
