#include "platform/NativeLine.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#endif

namespace rq {

// termios knows no 1.5 stop bits.
bool systemTakes(const LineSettings& settings) {
    return settings.dataBits >= 5 && settings.stopBits != StopBits::OneAndHalf;
}

bool requestLowLatency([[maybe_unused]] NativeHandle handle) {
#ifdef Q_OS_LINUX
    serial_struct serial{};
    if (::ioctl(handle, TIOCGSERIAL, &serial) != 0) return false;
    serial.flags |= ASYNC_LOW_LATENCY;
    return ::ioctl(handle, TIOCSSERIAL, &serial) == 0;
#else
    return false;
#endif
}

bool setBothFlowControls(NativeHandle handle) {
    termios settings{};
    if (::tcgetattr(handle, &settings) != 0) return false;
    settings.c_cflag |= CRTSCTS;
    settings.c_iflag |= IXON | IXOFF;
    return ::tcsetattr(handle, TCSANOW, &settings) == 0;
}

bool hungUp(NativeHandle handle) {
    pollfd line{handle, 0, 0};
    return ::poll(&line, 1, 0) > 0 && (line.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool hasModemLines(NativeHandle handle) {
    int lines = 0;
    return ::ioctl(handle, TIOCMGET, &lines) == 0;
}

}  // namespace rq
