#include <ctime>

#include "platform/ProcessorTime.h"

namespace rq {

std::chrono::duration<double> processorTime() {
    return std::chrono::duration<double>(static_cast<double>(std::clock()) / CLOCKS_PER_SEC);
}

}  // namespace rq
