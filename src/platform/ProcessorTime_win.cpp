#include <windows.h>

#include "platform/ProcessorTime.h"

namespace rq {
namespace {

using Ticks = std::chrono::duration<ULONGLONG, std::ratio<1, 10'000'000>>;  // of a FILETIME

Ticks ticks(const FILETIME& time) {
    return Ticks((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

}  // namespace

std::chrono::duration<double> processorTime() {
    FILETIME created;
    FILETIME ended;
    FILETIME kernel;
    FILETIME user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) return {};
    return ticks(kernel) + ticks(user);
}

}  // namespace rq
