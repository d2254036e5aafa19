#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "cli/Options.h"
#include "cli/Subcommand.h"
#include "cli/WizardRun.h"
#include "core/backup/BackupStore.h"

namespace rq::cli {

struct UpdateOptions : WalkOptions {
    std::string firmwarePath;
    std::optional<std::pair<std::string, std::string>> force;  // MODEL, SERIAL
    // A saved identity: the update starts again from step 4, to write it back after programming.
    std::string resume;
    // Every port given, in order; with more than one, each has a device of its own updated at once.
    std::vector<std::string> ports;
};

// The words after "update".
std::variant<UpdateOptions, UsageError> parseUpdate(const std::vector<std::string>& args);

// rqfwup-cli update: the wizard without a window.
int runUpdate(const std::vector<std::string>& args, const Io& io);

// Takes the started wizard from the start screen to the first screen it walks from; an exit status ends
// the run there. The firmware file is read by the wizard, or has been read once for several as `image`.
std::optional<int> startUpdate(const UpdateOptions& options, const std::optional<BackupFile>& resumed,
                               const FirmwareRead* image, WizardRun& run, Wizard& wizard);
extern const char* const kUpdateSynopsis;
std::string updateHelp();

}  // namespace rq::cli
