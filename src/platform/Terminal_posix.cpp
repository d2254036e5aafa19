#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/Terminal.h"

namespace rq {
namespace {

constexpr std::size_t kDefaultColumns = 80;

}  // namespace

// A terminal here takes UTF-8 and the escape sequences as they are.
void prepareConsole() {}

bool standardOutputIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

std::size_t terminalColumns() {
    winsize size{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return kDefaultColumns;
    return size.ws_col;
}

}  // namespace rq
