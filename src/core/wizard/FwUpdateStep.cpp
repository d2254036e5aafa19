#include "core/wizard/DeviceSteps.h"

namespace rq {

// Until flash programming exists, no run may pass this step.
void subStep5FwUpdate(StepContext& context) { context.state.LinkError = 99; }

}  // namespace rq
