// Reads the speed through termios2, which also holds speeds that have no B-constant; this header
// cannot share a file with <termios.h>.
#include <asm/termbits.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/PseudoTerminal.h"

namespace rq::test {

TerminalSettings terminalSettings(const std::string& path) {
    TerminalSettings result;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return result;
    termios2 tio{};
    if (ioctl(fd, TCGETS2, &tio) == 0) {
        result.speed = tio.c_ospeed;
        result.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
        result.rtsCts = (tio.c_cflag & CRTSCTS) != 0;
        result.xonXoff = (tio.c_iflag & (IXON | IXOFF)) == (IXON | IXOFF);
    }
    ::close(fd);
    return result;
}

}  // namespace rq::test
