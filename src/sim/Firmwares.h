#pragma once

#include <memory>

#include "sim/RqSystem.h"

namespace rq::sim {

std::unique_ptr<Firmware> makeNormalFirmware(const RqSystemOptions& options);
std::unique_ptr<Firmware> makeBootFirmware(const RqSystemOptions& options);

}  // namespace rq::sim
