#include "platform/OpenFailure.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#endif

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

#ifdef Q_OS_UNIX

OpenProblem fromErrno(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return OpenProblem::Permission;
        case EBUSY:
            return OpenProblem::Busy;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return OpenProblem::Missing;
        default:
            return OpenProblem::Other;
    }
}

// The group that owns the device, when its members may read and write it.
std::string usefulGroup(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    if ((info.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP)) return {};
    const group* owner = ::getgrgid(info.st_gid);
    return owner != nullptr && owner->gr_name != nullptr ? owner->gr_name : std::to_string(info.st_gid);
}

#endif

}  // namespace

std::string remedy(const OpenFailure& failure) {
    switch (failure.problem) {
        case OpenProblem::Permission:
            if (failure.group.empty()) return "ask an administrator for read and write access to it";
            return "the user must be a member of the group \"" + failure.group +
                   "\" that owns it (sudo usermod -aG " + failure.group + " $USER, then log in again)";
        case OpenProblem::Busy:
            return "it is in use by another program; close that program";
        default:
            return {};
    }
}

std::string explain(const OpenFailure& failure) {
    std::string line = failure.path + ": " + failure.reason;
    if (const std::string fix = remedy(failure); !fix.empty()) line += "; " + fix;
    return line;
}

OpenFailure diagnoseOpenFailure(const std::string& path, QSerialPort::SerialPortError error,
                                const QString& errorText) {
    OpenFailure failure{path, fromQt(error), errorText.toStdString(), {}};
#ifdef Q_OS_UNIX
    // QSerialPort folds several causes into one error; the system's own answer tells them apart.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return failure;
    }
    const int cause = errno;
    failure.problem = fromErrno(cause);
    failure.reason = std::generic_category().message(cause);
    if (failure.problem == OpenProblem::Permission) failure.group = usefulGroup(path);
#endif
    return failure;
}

}  // namespace rq
