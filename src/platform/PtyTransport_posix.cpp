#include "platform/PtyTransport.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace rq {
namespace {

// How often the device's side is looked at while the computer is silent: well inside the 10 ms in
// which the normal-mode link wants an answer.
constexpr int kPollMillis = 1;

}  // namespace

bool PtyTransport::supported() {
    return true;
}

PtyTransport::PtyTransport() {
    const int controller = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (controller < 0) return;
    const char* name =
        ::grantpt(controller) == 0 && ::unlockpt(controller) == 0 ? ::ptsname(controller) : nullptr;
    const int terminal = name != nullptr ? ::open(name, O_RDWR | O_NOCTTY) : -1;
    if (terminal < 0) {
        ::close(controller);
        return;
    }
    // Raw, so that bytes pass unchanged and nothing is echoed back to the device.
    termios raw{};
    ::tcgetattr(terminal, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(terminal, TCSANOW, &raw);
    // Nothing the device sends may hold the transport up when nobody reads.
    ::fcntl(controller, F_SETFL, ::fcntl(controller, F_GETFL) | O_NONBLOCK);
    controller_ = controller;
    terminal_ = terminal;
    path_ = name;
}

PtyTransport::~PtyTransport() {
    stop();
    if (terminal_ >= 0) ::close(terminal_);
    if (controller_ >= 0) ::close(controller_);
}

void PtyTransport::start(ToDevice toDevice, FromDevice fromDevice) {
    if (!ok() || running_) return;
    running_ = true;
    thread_ = std::thread([this, toDevice = std::move(toDevice), fromDevice = std::move(fromDevice)] {
        pump(toDevice, fromDevice);
    });
}

void PtyTransport::stop() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
}

void PtyTransport::pump(const ToDevice& toDevice, const FromDevice& fromDevice) {
    std::uint8_t buffer[4096];
    while (running_) {
        pollfd fd{controller_, POLLIN, 0};
        if (::poll(&fd, 1, kPollMillis) > 0) {
            const auto got = ::read(controller_, buffer, sizeof buffer);
            if (got > 0) {
                toDevice(std::span(buffer, static_cast<std::size_t>(got)));
            } else {
                ::usleep(kPollMillis * 1000);  // a hang-up: no spinning until it passes
            }
        }
        sendToComputer(fromDevice());
    }
}

void PtyTransport::sendToComputer(const std::vector<std::uint8_t>& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const auto wrote = ::write(controller_, bytes.data() + sent, bytes.size() - sent);
        if (wrote <= 0) return;
        sent += static_cast<std::size_t>(wrote);
    }
}

}  // namespace rq
