#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/OpenFailure.h"

namespace rq {
namespace {

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

}  // namespace

std::string remedy(const OpenFailure& failure) {
    switch (failure.problem) {
        case OpenProblem::Permission:
            if (failure.group.empty()) return "ask an administrator for read and write access to it";
            return "the user must be a member of the group \"" + failure.group +
                   "\" that owns it (sudo usermod -aG " + failure.group + " $USER, then log in again)";
        case OpenProblem::Busy:
            return "it is in use by another program; close that program";
        case OpenProblem::Missing:
            return "is the device's USB cable plugged in? rqfwup-cli ports lists the ports there are";
        default:
            return {};
    }
}

std::optional<int> systemOpenError(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno;
    ::close(fd);
    return std::nullopt;
}

OpenFailure describeOpenError(const std::string& path, int error) {
    OpenFailure failure{path, fromErrno(error), std::generic_category().message(error), {}};
    if (failure.problem == OpenProblem::Permission) failure.group = usefulGroup(path);
    return failure;
}

}  // namespace rq
