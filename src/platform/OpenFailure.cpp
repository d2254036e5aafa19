#include "platform/OpenFailure.h"

namespace rq {
namespace {

OpenProblem fromQt(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            return OpenProblem::Missing;
        // A lock file of another program, or on Windows a port that another program holds.
        case QSerialPort::PermissionError:
            return OpenProblem::Busy;
        default:
            return OpenProblem::Other;
    }
}

}  // namespace

std::string explain(const OpenFailure& failure) {
    std::string line = failure.path + ": " + failure.reason;
    if (const std::string fix = remedy(failure); !fix.empty()) line += "; " + fix;
    return line;
}

std::string explainMissing(const std::string& name) {
    return explain({name, OpenProblem::Missing, "no such device", {}});
}

OpenFailure diagnoseOpenFailure(const std::string& path, QSerialPort::SerialPortError error,
                                const QString& errorText) {
    // QSerialPort folds several causes into one error; the system's own answer tells them apart.
    if (const auto cause = systemOpenError(path)) return describeOpenError(path, *cause);
    return {path, fromQt(error), errorText.toStdString(), {}};
}

}  // namespace rq
