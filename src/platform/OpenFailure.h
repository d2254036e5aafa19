#pragma once

#include <QSerialPort>
#include <cstdint>
#include <optional>
#include <string>

namespace rq {

enum class OpenProblem : std::uint8_t { Missing, Permission, Busy, Other };

// Why a serial device could not be opened, in the system's words.
struct OpenFailure {
    std::string path;
    OpenProblem problem = OpenProblem::Other;
    std::string reason;  // the system's own text
    std::string group;   // Permission: the group that owns the device, when membership would help
};

// What the user can do about it on this system, where that is well known; empty otherwise.
std::string remedy(const OpenFailure& failure);
// One line: the path, the reason and the remedy.
std::string explain(const OpenFailure& failure);
// The line for a port the system does not have: a device path or COMn.
std::string explainMissing(const std::string& name);

// Asks the system why `path` did not open after QSerialPort said `error` and `errorText`.
OpenFailure diagnoseOpenFailure(const std::string& path, QSerialPort::SerialPortError error,
                                const QString& errorText);

// The system's own error (errno on POSIX systems, GetLastError() on Windows) when it opens `path`
// itself; nothing when the device opens now.
std::optional<int> systemOpenError(const std::string& path);
// The failure that the system's error `error` stands for.
OpenFailure describeOpenError(const std::string& path, int error);

}  // namespace rq
