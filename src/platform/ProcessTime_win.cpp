#include <windows.h>

#include "platform/ProcessTime.h"

namespace rq {
namespace {

// A FILETIME counts 100 ns.
Micros asMicros(const FILETIME& time) {
    const ULONGLONG ticks = (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return Micros(static_cast<Micros::rep>(ticks / 10));
}

}  // namespace

Micros processCpuTime() {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return Micros(0);
    return asMicros(kernel) + asMicros(user);
}

}  // namespace rq
