#include "cli/HardwarePort.h"

#include "cli/Options.h"

namespace rq::cli {

HardwarePort makeHardwarePort(const std::string& name) {
    (void)name;
    return {};
}

}  // namespace rq::cli
