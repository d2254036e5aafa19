#pragma once

#include "core/link/Link.h"
#include "core/state/WizardState.h"

namespace rq {

// Reads the device's whole working parameter set into the context's store, so that it can be shown: in
// access mode 1, the identity and every channel parameter that a read can fill. Every read must be
// answered; an accepted answer the store cannot take (another length, a channel that names nothing)
// answers it all the same. The log tells which values the answers filled and which requests' answers
// were not stored. LinkError holds the code of a failure (11, 15 or 99 for the port, 12 or 13 for the
// link); the store keeps what came before it.
AnswerLog readParameterReport(StepContext& context);

}  // namespace rq
