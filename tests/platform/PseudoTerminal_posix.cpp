#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "platform/PseudoTerminal.h"

namespace rq::test {

LineEnd::LineEnd(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {}

void LineEnd::hangUp() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void LineEnd::send(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

std::vector<std::uint8_t> LineEnd::receive(std::size_t atLeast, int millis) {
    using Steady = std::chrono::steady_clock;
    const auto deadline = Steady::now() + std::chrono::milliseconds(millis);
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < atLeast) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now()).count();
        if (left <= 0) break;
        pollfd fd{fd_, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left)) <= 0) break;
        std::uint8_t chunk[256];
        const auto n = ::read(fd_, chunk, sizeof chunk);
        if (n <= 0) break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

PseudoTerminal::PseudoTerminal() {
    char name[128] = {};
    if (openpty(&fd_, &terminal_, name, nullptr, nullptr) != 0) {
        fd_ = -1;
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
}

}  // namespace rq::test
