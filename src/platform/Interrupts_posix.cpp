#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Interrupts.h"

namespace rq {
namespace {

constexpr int kSignals[] = {SIGINT, SIGHUP, SIGTERM};
constexpr int kSignalStatusBase = 128;

volatile sig_atomic_t caught = 0;

void onSignal(int number) {
    if (caught != 0) {
        ::signal(number, SIG_DFL);
        ::raise(number);
        return;
    }
    caught = number;
    // A read of standard input that is under way ends with EINTR; one about to start finds its end.
    const int savedErrno = errno;
    const int nothing = ::open("/dev/null", O_RDONLY);
    if (nothing >= 0) {
        ::dup2(nothing, STDIN_FILENO);
        ::close(nothing);
    }
    errno = savedErrno;
}

}  // namespace

void catchInterrupts() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a read of standard input returns
    for (const int number : kSignals) ::sigaction(number, &action, nullptr);
}

int interruptStatus() {
    return caught == 0 ? 0 : kSignalStatusBase + caught;
}

}  // namespace rq
