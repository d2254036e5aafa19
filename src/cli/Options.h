#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/settings/CommSettings.h"
#include "sim/RqSystem.h"

namespace rq::cli {

struct UsageError {
    std::string reason;  // one line
};

// Walks the words after the subcommand; each option handler takes its own values.
class ArgReader {
  public:
    explicit ArgReader(const std::vector<std::string>& args) : args_(args) {}
    bool done() const { return at_ >= args_.size(); }
    const std::string& next() { return args_[at_++]; }
    std::optional<std::string> value() {
        if (done()) return std::nullopt;
        return next();
    }

  private:
    const std::vector<std::string>& args_;
    std::size_t at_ = 0;
};

bool isOption(const std::string& word);
std::optional<std::uint64_t> wholeNumber(const std::string& text);

// The serial port and its normal-mode settings.
struct PortOptions {
    std::string port = "COM1";  // COMn or a device path
    bool portGiven = false;     // by --port
    CommSettings settings;      // the options' values, start values otherwise
};

// The simulated RQ system in place of a device.
struct SimOptions {
    bool simulate = false;
    sim::RqSystemOptions system;
    bool faultsGiven = false;
    bool faultHelp = false;  // --sim-fault help
};

// Where a run's record goes besides standard output.
struct OutputOptions {
    bool json = false;
    std::string logPath;  // empty: no support log
};

// Each of these takes the option when it is one of its group and returns true; `error` then says what
// is wrong with its value, if anything.
bool takePortOption(const std::string& option, ArgReader& reader, PortOptions& options, std::string& error);
bool takeSimOption(const std::string& option, ArgReader& reader, SimOptions& options, std::string& error);
bool takeOutputOption(const std::string& option, ArgReader& reader, OutputOptions& options,
                      std::string& error);

// What the simulation options ask of the port options.
std::optional<std::string> checkSimOptions(const SimOptions& sim, const PortOptions& port);

std::string missingValue(const std::string& option);

// The help of the options above, for the subcommands that take them.
extern const char* const kPortOptionsHelp;
extern const char* const kSimOptionsHelp;

}  // namespace rq::cli
