#include "platform/PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace rq::test {

PseudoTerminal::PseudoTerminal() {
    char name[128] = {};
    if (openpty(&controller_, &terminal_, name, nullptr, nullptr) != 0) {
        controller_ = -1;
        return;
    }
    path_.assign(name, ::strnlen(name, sizeof name));
    // Raw on both ends, so bytes pass unchanged.
    termios raw{};
    tcgetattr(terminal_, &raw);
    cfmakeraw(&raw);
    tcsetattr(terminal_, TCSANOW, &raw);
}

PseudoTerminal::~PseudoTerminal() {
    if (terminal_ >= 0) ::close(terminal_);
    if (controller_ >= 0) ::close(controller_);
}

void PseudoTerminal::hangUp() {
    if (controller_ >= 0) ::close(controller_);
    controller_ = -1;
}

void PseudoTerminal::send(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto n = ::write(controller_, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

std::vector<std::uint8_t> PseudoTerminal::receive(std::size_t atLeast, int millis) {
    using Steady = std::chrono::steady_clock;
    const auto deadline = Steady::now() + std::chrono::milliseconds(millis);
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < atLeast) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now()).count();
        if (left <= 0) break;
        pollfd fd{controller_, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left)) <= 0) break;
        std::uint8_t chunk[256];
        const auto n = ::read(controller_, chunk, sizeof chunk);
        if (n <= 0) break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

}  // namespace rq::test
