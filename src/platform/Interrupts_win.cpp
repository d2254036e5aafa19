#include <windows.h>

#include <atomic>

#include "platform/Interrupts.h"

namespace rq {
namespace {

// The system ends the program once the handler of these returns: it waits a moment for the run to
// report where the identity is.
constexpr DWORD kClosingGraceMillis = 4000;

std::atomic<int> caught{0};

int statusOf(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            return 130;
        case CTRL_CLOSE_EVENT:
            return 129;
        default:
            return 143;
    }
}

// Runs on a thread of its own that the system starts.
BOOL WINAPI onControl(DWORD event) {
    int none = 0;
    // A second one goes on to the system's handler, which ends the program.
    if (!caught.compare_exchange_strong(none, statusOf(event))) return FALSE;
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        Sleep(kClosingGraceMillis);
    return TRUE;
}

}  // namespace

void catchInterrupts() {
    SetConsoleCtrlHandler(onControl, TRUE);
}

int interruptStatus() {
    return caught.load();
}

}  // namespace rq
