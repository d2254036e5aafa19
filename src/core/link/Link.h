#pragma once

#include "core/link/CommandRecord.h"
#include "core/wizard/WizardState.h"

namespace rq {

// Runs one batch of normal-mode exchanges on the open port and returns when it has ended: every
// request answered, or LinkError 12 (too many retries), 13 (never ready to send, or no answer to the
// parameter initialisation) or 99 (the port refused the bytes). Progress goes to the bar as requests
// go out; the port is closed at the end unless KeepPortOpen.
void subFirstSend(StepContext& context, CommandQueue& queue);

}  // namespace rq
