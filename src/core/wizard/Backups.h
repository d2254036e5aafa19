#pragma once

#include "core/backup/BackupStore.h"
#include "core/state/WizardState.h"
#include "core/wizard/ErrorMessages.h"

namespace rq {

// The identity that step 2 reads is kept on disk until step 7 has written it back, so that it outlives
// the program. Without a store in the context nothing is kept.

// Saves what step 2 read. A file that cannot be written is reported, and the run goes on without one.
void saveIdentityBackup(StepContext& context);
// Marks this run's backup restored, once step 7 has written it back.
void markBackupRestored(StepContext& context);
// Removes this run's backup while the device still holds what it keeps: before step 5 has begun.
void dropUnneededBackup(StepContext& context);

// The message box that offers a saved backup for step 7.
ErrorMessage backupOffer(const SavedIdentity& identity, const TraceTimeFormat& timeFormat);

}  // namespace rq
