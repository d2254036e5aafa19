#pragma once

#include <string>

#include "core/backup/BackupStore.h"

namespace rq {

// The folder of the identity backups: RQFWUP_BACKUP_DIR when it is set, else the user's data folder
// (~/.local/share/rqfwup on Linux, %LOCALAPPDATA%\rqfwup on Windows). Runs on the simulated RQ system
// keep theirs apart, in its subfolder "simulated", so that none is offered for a real device.
std::string backupDirectory(bool simulated);

// Writes through a temporary file beside the target that is flushed to disk and then renamed.
class SaveFileWriter final : public FileWriter {
  public:
    bool writeWhole(const std::string& path, const std::string& contents, std::string& error) override;
};

}  // namespace rq
