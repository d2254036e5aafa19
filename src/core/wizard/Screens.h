#pragma once

#include "core/wizard/WizardState.h"

namespace rq {

// Bold for the step's own label, normal for every other.
void markStepLabel(WizardView& view, int stepIndex);

// The device steps disable all five buttons while they run.
void disableAllButtons(WizardView& view);

// The five instruction screens; none can fail or touches the port.
void subStep1Start(StepContext& context);
void subStep3VersionCheck(StepContext& context);
void subStep4FwPrepare(StepContext& context);
void subStep6ParamPrepare(StepContext& context);
void subStep8End(StepContext& context);

// The version running in the device as step 3 shows it: bytes 12 and 3 give "Ver.1.2.3".
std::string deviceVersionCaption(const ParameterStore& store);

}  // namespace rq
