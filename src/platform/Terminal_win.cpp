#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <streambuf>

#include "platform/Terminal.h"

namespace rq {
namespace {

constexpr std::size_t kDefaultColumns = 80;

bool isConsole(HANDLE handle, DWORD* mode = nullptr) {
    DWORD ignored = 0;
    return GetConsoleMode(handle, mode != nullptr ? mode : &ignored) != 0;
}

// The length of `bytes` without a UTF-8 character cut off at its end.
std::size_t wholeCharacters(const char* bytes, std::size_t size) {
    for (std::size_t back = 1; back <= 4 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[size - back]);
        if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? size - back : size;
    }
    return size;
}

// The program's UTF-8 text for a console, written to it as UTF-16, which every console shows whatever
// its code page, and in whole characters: a C runtime may hand a console one byte at a time (Wine's
// does), and a console shows a lone byte of a character as a replacement character.
class ConsoleBuffer final : public std::streambuf {
  public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) { setp(buffer_, buffer_ + sizeof buffer_); }

  protected:
    int_type overflow(int_type c) override {
        if (sync() != 0) return traits_type::eof();
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
        return c;
    }

    int sync() override {
        const auto size = static_cast<std::size_t>(pptr() - pbase());
        const std::size_t whole = wholeCharacters(pbase(), size);
        if (whole > 0 && !writeWide(pbase(), whole)) return -1;
        std::memmove(buffer_, buffer_ + whole, size - whole);
        setp(buffer_, buffer_ + sizeof buffer_);
        pbump(static_cast<int>(size - whole));
        return 0;
    }

  private:
    bool writeWide(const char* bytes, std::size_t size) {
        const int count = static_cast<int>(size);
        std::wstring text(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, bytes, count, nullptr, 0)),
                          L'\0');
        MultiByteToWideChar(CP_UTF8, 0, bytes, count, text.data(), static_cast<int>(text.size()));
        DWORD written = 0;
        return WriteConsoleW(console_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
    }

    HANDLE console_;
    char buffer_[4096];
};

// As the console was before the program changed it.
struct ConsoleState {
    std::streambuf* out = nullptr;
    std::streambuf* err = nullptr;
    UINT codePage = 0;
    DWORD mode = 0;
    bool modeChanged = false;
};
ConsoleState original;

void restoreConsole() {
    std::cout.flush();
    std::cerr.flush();
    if (original.out != nullptr) std::cout.rdbuf(original.out);
    if (original.err != nullptr) std::cerr.rdbuf(original.err);
    if (original.codePage != 0) SetConsoleOutputCP(original.codePage);
    if (original.modeChanged) SetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), original.mode);
}

}  // namespace

void prepareConsole() {
    // A window program has no console of its own: its --help, --version and errors go to the one it was
    // started from.
    if (GetStdHandle(STD_OUTPUT_HANDLE) == nullptr && AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
    // The C runtime would write CR LF for each LF into a file or a pipe.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    static ConsoleBuffer outBuffer(out);
    static ConsoleBuffer errBuffer(err);
    if (isConsole(out)) original.out = std::cout.rdbuf(&outBuffer);
    if (isConsole(err)) original.err = std::cerr.rdbuf(&errBuffer);
    DWORD mode = 0;
    if (isConsole(out, &mode)) {
        // For what is written to it as bytes, by the C runtime or a library.
        original.codePage = GetConsoleOutputCP();
        SetConsoleOutputCP(CP_UTF8);
        // Windows Terminal has it on; the classic console of Windows 10 and later does it when asked.
        if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) == 0) {
            original.mode = mode;
            original.modeChanged = SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
        }
    }
    std::atexit(restoreConsole);
}

// A console that cannot take the escape sequences (before Windows 10) gets every line as it comes.
bool standardOutputIsTerminal() {
    DWORD mode = 0;
    return isConsole(GetStdHandle(STD_OUTPUT_HANDLE), &mode) && (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

std::size_t terminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) return kDefaultColumns;
    return static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
}

}  // namespace rq
