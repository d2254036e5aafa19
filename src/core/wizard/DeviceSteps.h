#pragma once

#include "core/state/WizardState.h"

namespace rq {

// The steps that talk to the device. Each leaves LinkError 0 on success.
void subStep2ParamRead(StepContext& context);
void subStep5FwUpdate(StepContext& context);
void subStep7ParamWrite(StepContext& context);

// Opens the port with the user's settings, as the normal-mode steps do; on failure LinkError holds the
// code (11, 15 or 99) and false is returned.
bool openPort(StepContext& context);
// Reads the identity with the backup's batch, without the step's screens, until two batches agree byte
// for byte; LinkError 12 when three did not. A batch succeeds only when each of the five values came
// with its own length.
void readIdentity(StepContext& context);
// The store holds a whole model name and serial number for step 7 to write.
bool holdsIdentity(const ParameterStore& store);

}  // namespace rq
