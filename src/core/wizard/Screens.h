#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/state/WizardState.h"

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

// A device's firmware version as step 3 shows it: bytes 12 and 3 give "Ver.1.2.3".
std::string versionCaption(const std::array<std::uint8_t, 2>& version);
// The version running in the device, as step 2 read it.
std::string deviceVersionCaption(const ParameterStore& store);

// What a person is warned of at step 3: a file whose version is older than the one the device runs,
// or the same. Nothing when either is not known.
std::optional<std::string> versionWarning(const WizardState& state);

}  // namespace rq
