#include <sys/resource.h>

#include "platform/ProcessTime.h"

namespace rq {
namespace {

Micros asMicros(const timeval& time) {
    return std::chrono::seconds(time.tv_sec) + Micros(time.tv_usec);
}

}  // namespace

Micros processCpuTime() {
    rusage usage{};
    if (::getrusage(RUSAGE_SELF, &usage) != 0) return Micros(0);
    return asMicros(usage.ru_utime) + asMicros(usage.ru_stime);
}

}  // namespace rq
