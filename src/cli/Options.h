#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/io/CommSettings.h"
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

// A fault for one simulated device among several: --sim-fault DEVICE:NAME[=VALUE].
struct DeviceFault {
    int device = 0;     // n of COMn, or the device's number where devices are counted
    std::string fault;  // NAME[=VALUE], already taken by sim::Faults
};

// How a fault names the one device it is for: COMn, or the device's number among those counted from 1.
enum class DeviceNaming : std::uint8_t { ComPort, Number };

// The simulated RQ system in place of a device, or several, one for each port.
struct SimOptions {
    bool simulate = false;
    sim::RqSystemOptions system;  // every device's, with the faults that name no device
    std::vector<DeviceFault> deviceFaults;
    bool faultsGiven = false;
    bool faultHelp = false;  // --sim-fault help

    // The options of one device: every device's, then the faults that name it, which take precedence.
    sim::RqSystemOptions systemOf(int device) const;
};

// Where a run's record goes besides standard output.
struct OutputOptions {
    bool json = false;
    std::string logPath;  // empty: no support log
};

// Each of these takes the option when it is one of its group and returns true; `error` then says what
// is wrong with its value, if anything.
bool takePortOption(const std::string& option, ArgReader& reader, PortOptions& options, std::string& error);
bool takeSimOption(const std::string& option, ArgReader& reader, SimOptions& options, std::string& error,
                   DeviceNaming naming = DeviceNaming::ComPort);
bool takeOutputOption(const std::string& option, ArgReader& reader, OutputOptions& options,
                      std::string& error);

// What the simulation options ask of the port options: a fault that names a port names a simulated one.
std::optional<std::string> checkSimOptions(const SimOptions& sim, const PortOptions& port);
// The same for a run on several ports at once.
std::optional<std::string> checkSimOptions(const SimOptions& sim, const std::vector<std::string>& ports);

std::string missingValue(const std::string& option);

// The help of the options above, for the subcommands that take them.
extern const char* const kPortOptionsHelp;
extern const char* const kSimOptionsHelp;

}  // namespace rq::cli
