#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/Terminal.h"

namespace rq {
namespace {

constexpr std::size_t kDefaultColumns = 80;

HANDLE standardOutput() {
    return GetStdHandle(STD_OUTPUT_HANDLE);
}

// As the console was before the program changed it.
UINT originalCodePage = 0;
DWORD originalMode = 0;
bool modeChanged = false;

void restoreConsole() {
    if (originalCodePage != 0) SetConsoleOutputCP(originalCodePage);
    if (modeChanged) SetConsoleMode(standardOutput(), originalMode);
}

}  // namespace

void prepareConsole() {
    // A window program has no console of its own: its --help, --version and errors go to the one it was
    // started from.
    if (GetStdHandle(STD_OUTPUT_HANDLE) == nullptr && AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
    // The C runtime would write CR LF for each LF; a console ends the line either way.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    DWORD mode = 0;
    if (!GetConsoleMode(standardOutput(), &mode)) return;  // a file or a pipe takes the bytes as they are
    originalCodePage = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
    // Windows Terminal has it on; the classic console of Windows 10 and later does it when asked.
    if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) == 0) {
        originalMode = mode;
        modeChanged = SetConsoleMode(standardOutput(), mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
    }
    std::atexit(restoreConsole);
}

// A console that cannot take the escape sequences (before Windows 10) gets every line as it comes.
bool standardOutputIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(standardOutput(), &mode) && (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

std::size_t terminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(standardOutput(), &info)) return kDefaultColumns;
    return static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
}

}  // namespace rq
