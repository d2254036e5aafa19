#pragma once

#include "core/wizard/WizardState.h"

namespace rq {

// The steps that talk to the device. Each leaves LinkError 0 on success.
void subStep2ParamRead(StepContext& context);
void subStep5FwUpdate(StepContext& context);
void subStep7ParamWrite(StepContext& context);

}  // namespace rq
