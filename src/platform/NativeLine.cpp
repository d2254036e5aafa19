#include "platform/NativeLine.h"

#if defined(Q_OS_WIN)
#include <windows.h>
#elif defined(Q_OS_UNIX)
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#endif

namespace rq {

#if defined(Q_OS_WIN)

bool requestLowLatency(qintptr) {
    return false;
}

bool setBothFlowControls(qintptr handle) {
    const auto port = reinterpret_cast<HANDLE>(handle);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb)) return false;
    dcb.fOutxCtsFlow = TRUE;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    dcb.fOutX = TRUE;
    dcb.fInX = TRUE;
    return SetCommState(port, &dcb) != 0;
}

// QSerialPort reports a removed port itself, as a resource error.
bool hungUp(qintptr) {
    return false;
}

bool hasModemLines(qintptr) {
    return true;
}

#else

bool requestLowLatency([[maybe_unused]] qintptr handle) {
#ifdef Q_OS_LINUX
    const int fd = static_cast<int>(handle);
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0) return false;
    serial.flags |= ASYNC_LOW_LATENCY;
    return ::ioctl(fd, TIOCSSERIAL, &serial) == 0;
#else
    return false;
#endif
}

bool setBothFlowControls(qintptr handle) {
    const int fd = static_cast<int>(handle);
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) return false;
    settings.c_cflag |= CRTSCTS;
    settings.c_iflag |= IXON | IXOFF;
    return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

bool hungUp(qintptr handle) {
    pollfd line{static_cast<int>(handle), 0, 0};
    return ::poll(&line, 1, 0) > 0 && (line.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool hasModemLines(qintptr handle) {
    int lines = 0;
    return ::ioctl(static_cast<int>(handle), TIOCMGET, &lines) == 0;
}

#endif

}  // namespace rq
