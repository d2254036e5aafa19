#include "core/wizard/DeviceSteps.h"

namespace rq {

// Until the normal-mode link exists, no run may pass these steps.
void subStep2ParamRead(StepContext& context) { context.state.LinkError = 99; }
void subStep7ParamWrite(StepContext& context) { context.state.LinkError = 99; }

}  // namespace rq
