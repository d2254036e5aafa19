#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "cli/Options.h"
#include "cli/Subcommand.h"

namespace rq::cli {

struct UpdateOptions {
    std::string firmwarePath;
    PortOptions portOptions;
    SimOptions sim;
    OutputOptions output;
    std::optional<std::pair<std::string, std::string>> force;  // MODEL, SERIAL
    bool yes = false;
    bool trace = false;
    bool verifyIdentity = false;
    bool plain = false;  // no live progress line on a terminal
};

// The words after "update".
std::variant<UpdateOptions, UsageError> parseUpdate(const std::vector<std::string>& args);

// rqfwup-cli update: the wizard without a window.
int runUpdate(const std::vector<std::string>& args, const Io& io);
extern const char* const kUpdateSynopsis;
std::string updateHelp();

}  // namespace rq::cli
