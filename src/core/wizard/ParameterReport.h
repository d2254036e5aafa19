#pragma once

#include "core/wizard/WizardState.h"

namespace rq {

// Reads the device's whole working parameter set into the context's store, so that it can be shown:
// the identity with the backup's batch, then, in access mode 1, every channel parameter that a read can
// fill. Every read must be answered with something the store takes. LinkError holds the code of a
// failure (11, 15 or 99 for the port, 12 or 13 for the link); the store keeps what came before it.
void readParameterReport(StepContext& context);

}  // namespace rq
