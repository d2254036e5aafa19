#include <windows.h>

#include <QString>

#include "platform/OpenFailure.h"

namespace rq {
namespace {

OpenProblem fromSystemError(DWORD error) {
    switch (error) {
        // What Windows says of a port that another program has open, and of a user it keeps out.
        case ERROR_ACCESS_DENIED:
            return OpenProblem::Permission;
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            return OpenProblem::Busy;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_INVALID_NAME:
            return OpenProblem::Missing;
        default:
            return OpenProblem::Other;
    }
}

// The system's message for `error` in the user's language, as one line without its full stop.
std::string systemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString message = length > 0 ? QString::fromWCharArray(text, static_cast<int>(length)).simplified()
                                 : QStringLiteral("system error %1").arg(error);
    LocalFree(text);
    while (message.endsWith(QLatin1Char('.')) || message.endsWith(QChar(0x3002))) message.chop(1);
    return message.toStdString();
}

}  // namespace

std::string remedy(const OpenFailure& failure) {
    switch (failure.problem) {
        case OpenProblem::Permission:
            return "Windows refuses a port that another program has open: close the program that uses it (a "
                   "terminal program, another copy of rqfwup); if none does, ask an administrator for access "
                   "to the port";
        case OpenProblem::Busy:
            return "it is in use by another program; close that program";
        case OpenProblem::Missing:
            return "there is no such port now: plug the adapter in, and find its number under Ports (COM & "
                   "LPT) in the Device Manager";
        default:
            return {};
    }
}

std::optional<int> systemOpenError(const std::string& path) {
    const std::wstring device = (QStringLiteral("\\\\.\\") + QString::fromStdString(path)).toStdWString();
    const HANDLE handle = CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
    CloseHandle(handle);
    return std::nullopt;
}

OpenFailure describeOpenError(const std::string& path, int error) {
    const auto code = static_cast<DWORD>(error);
    return {path, fromSystemError(code), systemMessage(code), {}};
}

}  // namespace rq
