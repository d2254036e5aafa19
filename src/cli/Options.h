#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/PortsCommand.h"
#include "core/settings/CommSettings.h"

namespace rq::cli {

struct UpdateOptions {
    std::string firmwarePath;
    std::string port = "COM1";                                 // COMn or a device path
    CommSettings settings;                                     // the options' values, start values otherwise
    std::optional<std::pair<std::string, std::string>> force;  // MODEL, SERIAL
    bool yes = false;
    bool json = false;
    bool trace = false;
    bool verifyIdentity = false;
    bool simulate = false;
    std::vector<std::string> simFaults;
    bool simLineInstant = false;
};

// The report of the device's parameters: the port, line and simulation options of update, and
// --json and --trace; the update's own options stay unset.
struct ParamsOptions {
    UpdateOptions link;
};

struct MakeFirmwareOptions {
    std::string outputPath;
    std::array<std::uint8_t, 3> version{1, 3, 0};
    std::size_t dataLength = 512 * 256;
};

struct ShowHelp {};
struct ShowVersion {};
struct ShowFaultHelp {};
struct UsageError {
    std::string reason;  // one line
};

using Command = std::variant<UpdateOptions, ParamsOptions, MakeFirmwareOptions, PortsOptions, ShowHelp,
                             ShowVersion, ShowFaultHelp, UsageError>;

inline constexpr int kUsageStatus = 2;  // the exit status of a wrong command line

Command parseCommandLine(const std::vector<std::string>& args);
std::string usageText();

// "COM12" gives 12; nullopt for anything that is not COM1 to COM255.
std::optional<int> comPortNumber(const std::string& port);

}  // namespace rq::cli
