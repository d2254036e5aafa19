#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "cli/Options.h"
#include "cli/Subcommand.h"
#include "cli/WizardRun.h"

namespace rq::cli {

struct UpdateOptions : WalkOptions {
    std::string firmwarePath;
    std::optional<std::pair<std::string, std::string>> force;  // MODEL, SERIAL
    // A saved identity: the update starts again from step 4, to write it back after programming.
    std::string resume;
};

// The words after "update".
std::variant<UpdateOptions, UsageError> parseUpdate(const std::vector<std::string>& args);

// rqfwup-cli update: the wizard without a window.
int runUpdate(const std::vector<std::string>& args, const Io& io);
extern const char* const kUpdateSynopsis;
std::string updateHelp();

}  // namespace rq::cli
