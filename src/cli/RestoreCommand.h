#pragma once

#include <string>
#include <variant>

#include "cli/Subcommand.h"
#include "core/backup/BackupStore.h"

namespace rq::cli {

// rqfwup-cli restore: steps 6 and 7 of the wizard with an identity that an earlier update saved, and
// the list of the saved ones.
int runRestore(const std::vector<std::string>& args, const Io& io);
extern const char* const kRestoreSynopsis;
std::string restoreHelp();

// A backup file that cannot be used; no backup waits to be written back.
inline constexpr int kBackupRefusedStatus = 3;
inline constexpr int kNoBackupStatus = 4;

// The backup in `path`, or kBackupRefusedStatus once standard error has said why it cannot be used.
std::variant<BackupFile, int> readGivenBackup(const std::string& path, const Io& io);
// "FILE: model M, serial number S, read TIME on PORT".
std::string backupDescription(const BackupFile& file);

}  // namespace rq::cli
