#include "cli/Options.h"

#include <algorithm>
#include <charconv>

#include "core/settings/PortConf.h"
#include "core/wizard/ForceUpdate.h"

namespace rq::cli {
namespace {

constexpr std::uint32_t kMaxBaud = 4'000'000;
constexpr std::size_t kMaxGeneratedData = 16u << 20;

std::optional<std::uint64_t> wholeNumber(const std::string& text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

template <std::size_t N>
std::optional<std::size_t> position(const std::array<std::string_view, N>& list, const std::string& text) {
    const auto it = std::find(list.begin(), list.end(), text);
    if (it == list.end()) return std::nullopt;
    return static_cast<std::size_t>(it - list.begin());
}

std::optional<std::array<std::uint8_t, 3>> parseVersion(const std::string& text) {
    std::array<std::uint8_t, 3> version{};
    std::size_t start = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t dot = text.find('.', start);
        if ((i < 2) == (dot == std::string::npos)) return std::nullopt;
        const auto number = wholeNumber(text.substr(start, dot == std::string::npos ? dot : dot - start));
        if (!number || *number > 255) return std::nullopt;
        version[i] = static_cast<std::uint8_t>(*number);
        start = dot + 1;
    }
    return version;
}

// Walks the words after the subcommand; each option handler takes its own values.
class ArgReader {
  public:
    ArgReader(const std::vector<std::string>& args, std::size_t start) : args_(args), at_(start) {}
    bool done() const { return at_ >= args_.size(); }
    const std::string& next() { return args_[at_++]; }
    std::optional<std::string> value() {
        if (done()) return std::nullopt;
        return next();
    }

  private:
    const std::vector<std::string>& args_;
    std::size_t at_;
};

std::string missingValue(const std::string& option) {
    return option + " needs a value";
}

// Returns an error reason, or nullopt when the option was taken.
std::optional<std::string> takeUpdateOption(const std::string& option, ArgReader& reader,
                                            UpdateOptions& options) {
    const auto flag = [&](bool& target) -> std::optional<std::string> {
        target = true;
        return std::nullopt;
    };
    if (option == "--yes") return flag(options.yes);
    if (option == "--json") return flag(options.json);
    if (option == "--trace") return flag(options.trace);
    if (option == "--verify-identity") return flag(options.verifyIdentity);
    if (option == "--simulate") return flag(options.simulate);

    const auto value = reader.value();
    if (!value) return missingValue(option);
    CommSettings& settings = options.settings;
    if (option == "--port") {
        if (value->empty()) return "--port needs COMn or a device path";
        options.port = *value;
    } else if (option == "--baud") {
        const auto baud = wholeNumber(*value);
        if (!baud || *baud == 0 || *baud > kMaxBaud)
            return "--baud takes a speed from 1 to 4000000, not '" + *value + "'";
        settings.CommBaudrate = std::to_string(*baud);
    } else if (option == "--parity") {
        if (value->size() != 1 || std::string_view("ENOSM").find((*value)[0]) == std::string_view::npos) {
            return "--parity takes E, N, O, S or M, not '" + *value + "'";
        }
        settings.Parity = *value;
    } else if (option == "--data-bits") {
        if (!position(kDataBitsNames, *value)) return "--data-bits takes 4 to 8, not '" + *value + "'";
        settings.DataBits = *value;
    } else if (option == "--stop-bits") {
        if (!position(kStopBitsNames, *value)) return "--stop-bits takes 1, 1.5 or 2, not '" + *value + "'";
        settings.StopBits = *value;
    } else if (option == "--flow") {
        static constexpr std::array<std::string_view, 4> kFlows = {"none", "xonxoff", "rtscts", "both"};
        const auto flow = position(kFlows, *value);
        if (!flow) return "--flow takes none, xonxoff, rtscts or both, not '" + *value + "'";
        settings.FlowCtl = static_cast<std::uint8_t>(*flow);
    } else if (option == "--program-baud") {
        const auto index = position(kUpBaudrates, *value);
        if (!index)
            return "--program-baud takes 9600, 19200, 31250, 38400, 76800 or 153600, not '" + *value + "'";
        settings.UpBaudrateIndex = static_cast<std::uint8_t>(*index);
    } else if (option == "--force") {
        const auto serial = reader.value();
        if (!serial) return "--force needs MODEL and SERIAL";
        if (!position(kForceUpdateModels, *value))
            return "--force takes the model RQA-4021 or RQA-4020, not '" + *value + "'";
        options.force = std::make_pair(*value, *serial);
    } else if (option == "--sim-fault") {
        options.simFaults.push_back(*value);
    } else if (option == "--sim-line") {
        if (*value != "instant" && *value != "real")
            return "--sim-line takes instant or real, not '" + *value + "'";
        options.simLineInstant = *value == "instant";
    } else {
        return "unknown option " + option;
    }
    return std::nullopt;
}

// What the simulation options ask for besides a run: the fault list, or a usage error.
std::optional<Command> simulationRequest(const UpdateOptions& options) {
    if (std::find(options.simFaults.begin(), options.simFaults.end(), "help") != options.simFaults.end()) {
        return ShowFaultHelp{};
    }
    if (!options.simFaults.empty() && !options.simulate) return UsageError{"--sim-fault needs --simulate"};
    if (options.simulate && !comPortNumber(options.port)) return UsageError{"--simulate needs --port COMn"};
    return std::nullopt;
}

Command parseUpdate(const std::vector<std::string>& args) {
    UpdateOptions options;
    ArgReader reader(args, 1);
    while (!reader.done()) {
        const std::string& word = reader.next();
        if (word.rfind("--", 0) != 0) {
            if (!options.firmwarePath.empty())
                return UsageError{"one firmware file only, not also '" + word + "'"};
            options.firmwarePath = word;
            continue;
        }
        if (const auto error = takeUpdateOption(word, reader, options)) return UsageError{*error};
    }
    if (options.firmwarePath.empty()) return UsageError{"update needs a firmware file"};
    if (auto request = simulationRequest(options)) return *request;
    return options;
}

Command parseParams(const std::vector<std::string>& args) {
    static constexpr std::array<std::string_view, 4> kUpdateOnly = {"--yes", "--verify-identity", "--force",
                                                                    "--program-baud"};
    UpdateOptions options;
    ArgReader reader(args, 1);
    while (!reader.done()) {
        const std::string& word = reader.next();
        if (word.rfind("--", 0) != 0) return UsageError{"params takes options only, not '" + word + "'"};
        if (position(kUpdateOnly, word)) return UsageError{word + " is an option of update only"};
        if (const auto error = takeUpdateOption(word, reader, options)) return UsageError{*error};
    }
    if (auto request = simulationRequest(options)) return *request;
    return ParamsOptions{options};
}

Command parseMakeFirmware(const std::vector<std::string>& args) {
    MakeFirmwareOptions options;
    ArgReader reader(args, 1);
    while (!reader.done()) {
        const std::string& word = reader.next();
        if (word == "--version" || word == "--length") {
            const auto value = reader.value();
            if (!value) return UsageError{missingValue(word)};
            if (word == "--version") {
                const auto version = parseVersion(*value);
                if (!version)
                    return UsageError{"--version takes A.B.C with numbers 0 to 255, not '" + *value + "'"};
                options.version = *version;
            } else {
                const auto length = wholeNumber(*value);
                if (!length || *length > kMaxGeneratedData)
                    return UsageError{"--length takes 0 to 16777216, not '" + *value + "'"};
                options.dataLength = static_cast<std::size_t>(*length);
            }
        } else if (word.rfind("--", 0) == 0) {
            return UsageError{"unknown option " + word};
        } else if (!options.outputPath.empty()) {
            return UsageError{"one output file only, not also '" + word + "'"};
        } else {
            options.outputPath = word;
        }
    }
    if (options.outputPath.empty()) return UsageError{"make-firmware needs an output file"};
    return options;
}

Command parsePorts(const std::vector<std::string>& args) {
    PortsOptions options;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] != "--json") return UsageError{"ports takes --json only, not '" + args[i] + "'"};
        options.json = true;
    }
    return options;
}

}  // namespace

Command parseCommandLine(const std::vector<std::string>& args) {
    if (args.empty()) return UsageError{"a command is needed (try --help)"};
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") return ShowHelp{};
    if (command == "--version") return ShowVersion{};
    if (std::find(args.begin(), args.end(), "--help") != args.end()) return ShowHelp{};
    if (command == "update") return parseUpdate(args);
    if (command == "params") return parseParams(args);
    if (command == "make-firmware") return parseMakeFirmware(args);
    if (command == "ports") return parsePorts(args);
    return UsageError{"unknown command '" + command + "' (try --help)"};
}

std::optional<int> comPortNumber(const std::string& port) {
    if (port.size() < 4 || port.compare(0, 3, "COM") != 0) return std::nullopt;
    const auto number = wholeNumber(port.substr(3));
    if (!number || *number < 1 || *number > 255) return std::nullopt;
    return static_cast<int>(*number);
}

std::string usageText() {
    return R"(Usage:
  rqfwup-cli update FIRMWARE.bin [options]   walk the update wizard without a window
  rqfwup-cli params [options]                read the device's parameters and print them
  rqfwup-cli make-firmware OUT.bin [--version A.B.C] [--length N]
                                             write a valid firmware file (N data bytes, default 131072)
  rqfwup-cli ports [--json]                  list the serial ports as the settings dialog numbers them,
                                             whether each opens, and what a USB adapter tells of itself
  rqfwup-cli --help | --version

Options of update:
  --port COMn|PATH        serial port (COM1)
  --baud N                normal-mode speed (307200)
  --parity E|N|O|S|M      normal-mode parity (O)
  --data-bits 4..8        normal-mode data bits (8)
  --stop-bits 1|1.5|2     normal-mode stop bits (1)
  --flow none|xonxoff|rtscts|both
                          handshaking (none)
  --program-baud 9600|19200|31250|38400|76800|153600
                          speed of flash programming (38400)
  --force MODEL SERIAL    forced update: skip the backup, write MODEL (RQA-4021 or RQA-4020) and the
                          five-digit SERIAL back after programming
  --yes                   do not wait for Enter at the instruction steps
  --json                  one JSON object per line for every change the window would show
  --trace                 trace every normal-mode frame
  --verify-identity       read the identity back after step 7 has written it, and fail the step
                          (code 99) when the device holds anything else
  --simulate              a simulated RQ system on the port (COMn only); the runner works its front panel
  --sim-fault NAME[=VALUE]
                          a fault of the simulated device, repeatable; --sim-fault help lists them
  --sim-line instant|real bytes take no time on the simulated line, or their real time (real)

Options of params: --port, --baud, --parity, --data-bits, --stop-bits, --flow, --trace (to standard
error), --simulate, --sim-fault and --sim-line as for update, and
  --json                  the report as one JSON object instead of a table

Exit status: 0 when the update reached its end or every parameter was read, the error code of the
failure that stopped it, 2 for a wrong command line.
)";
}

}  // namespace rq::cli
