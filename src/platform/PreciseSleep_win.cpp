#include <windows.h>

#include <cstdlib>

#include "platform/PreciseSleep.h"

namespace rq {
namespace {

// Windows 10 version 1803 and later; not yet in every MinGW-w64's headers.
constexpr DWORD kHighResolution = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION

using Ticks = std::chrono::duration<LONGLONG, std::ratio<1, 10'000'000>>;  // of a waitable timer

// Sleep() counts whole milliseconds, and at the system's default timer resolution whole ticks of
// 15.6 ms. A high-resolution waitable timer, one per thread, wakes within about half a millisecond;
// where there is none, the system timer is asked to tick every millisecond while the program runs.
class Sleeper {
  public:
    Sleeper() : timer_(CreateWaitableTimerExW(nullptr, nullptr, kHighResolution, TIMER_ALL_ACCESS)) {
        if (timer_ == nullptr) tickEveryMillisecond();
    }
    ~Sleeper() {
        if (timer_ != nullptr) CloseHandle(timer_);
    }
    Sleeper(const Sleeper&) = delete;
    Sleeper& operator=(const Sleeper&) = delete;

    void sleep(std::chrono::steady_clock::duration duration) {
        if (timer_ != nullptr && waitOnTimer(duration)) return;
        Sleep(static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(duration).count()));
    }

  private:
    bool waitOnTimer(std::chrono::steady_clock::duration duration) {
        LARGE_INTEGER due;
        due.QuadPart = -std::chrono::ceil<Ticks>(duration).count();  // negative: relative to now
        return SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE) &&
               WaitForSingleObject(timer_, INFINITE) == WAIT_OBJECT_0;
    }

    static void tickEveryMillisecond() {
        static const bool asked = [] {
            timeBeginPeriod(1);
            return std::atexit([] { timeEndPeriod(1); }) == 0;
        }();
        (void)asked;
    }

    HANDLE timer_;
};

}  // namespace

void systemSleep(std::chrono::steady_clock::duration duration) {
    thread_local Sleeper sleeper;
    sleeper.sleep(duration);
}

}  // namespace rq
