#include "platform/PtyTransport.h"

namespace rq {

// Windows has no pseudo-terminals: the transport never opens.
bool PtyTransport::supported() {
    return false;
}

PtyTransport::PtyTransport() = default;

PtyTransport::~PtyTransport() = default;

void PtyTransport::start(ToDevice, FromDevice) {}

void PtyTransport::stop() {}

}  // namespace rq
