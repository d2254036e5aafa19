#include "cli/Options.h"

#include <algorithm>
#include <charconv>

#include "core/settings/PortConf.h"

namespace rq::cli {
namespace {

constexpr std::uint32_t kMaxBaud = 4'000'000;
constexpr std::uint64_t kMaxDeviceNumber = 255;  // as many as there are COMn

template <std::size_t N>
std::optional<std::size_t> position(const std::array<std::string_view, N>& list, const std::string& text) {
    const auto it = std::find(list.begin(), list.end(), text);
    if (it == list.end()) return std::nullopt;
    return static_cast<std::size_t>(it - list.begin());
}

// The reason a value of a port option is wrong; empty when it is taken.
std::string takePortValue(const std::string& option, const std::string& value, PortOptions& options) {
    CommSettings& settings = options.settings;
    if (option == "--port") {
        if (value.empty()) return "--port needs COMn or a device path";
        options.port = value;
        options.portGiven = true;
    } else if (option == "--baud") {
        const auto baud = wholeNumber(value);
        if (!baud || *baud == 0 || *baud > kMaxBaud)
            return "--baud takes a speed from 1 to 4000000, not '" + value + "'";
        settings.CommBaudrate = std::to_string(*baud);
    } else if (option == "--parity") {
        if (value.size() != 1 || std::string_view("ENOSM").find(value[0]) == std::string_view::npos)
            return "--parity takes E, N, O, S or M, not '" + value + "'";
        settings.Parity = value;
    } else if (option == "--data-bits") {
        if (!position(kDataBitsNames, value)) return "--data-bits takes 4 to 8, not '" + value + "'";
        settings.DataBits = value;
    } else if (option == "--stop-bits") {
        if (!position(kStopBitsNames, value)) return "--stop-bits takes 1, 1.5 or 2, not '" + value + "'";
        settings.StopBits = value;
    } else if (option == "--flow") {
        const auto flow = position(kFlowWords, value);
        if (!flow) return "--flow takes none, xonxoff, rtscts or both, not '" + value + "'";
        settings.FlowCtl = static_cast<std::uint8_t>(*flow);
    } else {
        const auto index = position(kUpBaudrates, value);
        if (!index)
            return "--program-baud takes 9600, 19200, 31250, 38400, 76800 or 153600, not '" + value + "'";
        settings.UpBaudrateIndex = static_cast<std::uint8_t>(*index);
    }
    return {};
}

// Takes the option's value when the option is one of `names`.
template <std::size_t N>
bool takeValued(const std::array<std::string_view, N>& names, const std::string& option, ArgReader& reader,
                std::string& error, const auto& take) {
    if (!position(names, option)) return false;
    const auto value = reader.value();
    error = value ? take(*value) : missingValue(option);
    return true;
}

std::optional<int> deviceNamed(const std::string& name, DeviceNaming naming) {
    if (naming == DeviceNaming::ComPort) return comPortNumber(name);
    const auto number = wholeNumber(name);
    if (!number || *number == 0 || *number > kMaxDeviceNumber) return std::nullopt;
    return static_cast<int>(*number);
}

// A fault for every device, or for the one named before a colon. A value's own colon (N:HH) follows
// its "=".
std::string takeFault(const std::string& value, DeviceNaming naming, SimOptions& options) {
    const auto colon = value.find(':');
    if (colon == std::string::npos || colon > value.find('=')) {
        options.faultsGiven = true;
        return options.system.faults.add(value).value_or("");
    }
    const auto device = deviceNamed(value.substr(0, colon), naming);
    if (!device) {
        return std::string("--sim-fault names its device as ") +
               (naming == DeviceNaming::ComPort ? "COMn" : "N") + ":NAME[=VALUE], not '" + value + "'";
    }
    std::string fault = value.substr(colon + 1);
    if (const auto reason = sim::Faults().add(fault)) return *reason;
    options.deviceFaults.push_back({*device, std::move(fault)});
    options.faultsGiven = true;
    return {};
}

}  // namespace

bool isOption(const std::string& word) {
    return word.rfind("--", 0) == 0;
}

std::optional<std::uint64_t> wholeNumber(const std::string& text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string missingValue(const std::string& option) {
    return option + " needs a value";
}

bool takePortOption(const std::string& option, ArgReader& reader, PortOptions& options, std::string& error) {
    static constexpr std::array<std::string_view, 7> kNames = {
        "--port", "--baud", "--parity", "--data-bits", "--stop-bits", "--flow", "--program-baud"};
    return takeValued(kNames, option, reader, error,
                      [&](const std::string& value) { return takePortValue(option, value, options); });
}

bool takeSimOption(const std::string& option, ArgReader& reader, SimOptions& options, std::string& error,
                   DeviceNaming naming) {
    if (option == "--simulate") {
        options.simulate = true;
        return true;
    }
    static constexpr std::array<std::string_view, 1> kFault = {"--sim-fault"};
    static constexpr std::array<std::string_view, 1> kLine = {"--sim-line"};
    return takeValued(kFault, option, reader, error,
                      [&](const std::string& value) -> std::string {
                          if (value != "help") return takeFault(value, naming, options);
                          options.faultHelp = true;
                          return {};
                      }) ||
           takeValued(kLine, option, reader, error, [&](const std::string& value) -> std::string {
               if (value != "instant" && value != "real")
                   return "--sim-line takes instant or real, not '" + value + "'";
               options.system.instantLine = value == "instant";
               return {};
           });
}

bool takeOutputOption(const std::string& option, ArgReader& reader, OutputOptions& options,
                      std::string& error) {
    if (option == "--json") {
        options.json = true;
        return true;
    }
    static constexpr std::array<std::string_view, 1> kLog = {"--log"};
    return takeValued(kLog, option, reader, error, [&](const std::string& value) -> std::string {
        if (value.empty()) return "--log needs a file";
        options.logPath = value;
        return {};
    });
}

std::optional<std::string> checkSimOptions(const SimOptions& sim, const PortOptions& port) {
    return checkSimOptions(sim, std::vector{port.port});
}

std::optional<std::string> checkSimOptions(const SimOptions& sim, const std::vector<std::string>& ports) {
    if (sim.faultsGiven && !sim.simulate) return "--sim-fault needs --simulate";
    if (!sim.simulate) return std::nullopt;
    std::vector<int> simulated;
    std::string listed;
    for (const std::string& port : ports) {
        const auto number = comPortNumber(port);
        if (!number) return "--simulate needs --port COMn";
        simulated.push_back(*number);
        listed.append(listed.empty() ? "" : ", ").append(port);
    }
    for (const DeviceFault& fault : sim.deviceFaults) {
        if (std::find(simulated.begin(), simulated.end(), fault.device) != simulated.end()) continue;
        const std::string named = "COM" + std::to_string(fault.device);
        return "--sim-fault " + named + ":" + fault.fault + " is for " + named +
               ", but the simulated device" + (ports.size() > 1 ? "s are at " : " is at ") + listed;
    }
    return std::nullopt;
}

sim::RqSystemOptions SimOptions::systemOf(int device) const {
    sim::RqSystemOptions options = system;
    for (const DeviceFault& fault : deviceFaults) {
        if (fault.device == device) options.faults.add(fault.fault);
    }
    return options;
}

const char* const kPortOptionsHelp = R"(  --port COMn|PATH        serial port (COM1)
  --baud N                normal-mode speed (307200)
  --parity E|N|O|S|M      normal-mode parity (O)
  --data-bits 4..8        normal-mode data bits (8)
  --stop-bits 1|1.5|2     normal-mode stop bits (1)
  --flow none|xonxoff|rtscts|both
                          handshaking (none)
  --program-baud 9600|19200|31250|38400|76800|153600
                          speed of flash programming (38400)
)";

const char* const kSimOptionsHelp =
    R"(  --simulate              a simulated RQ system on the port (COMn only); the runner works its front panel
  --sim-fault [COMn:]NAME[=VALUE]
                          a fault of the simulated device at COMn, or of every one; repeatable;
                          --sim-fault help lists them
  --sim-line instant|real bytes take no time on the simulated line, or their real time (real)
)";

}  // namespace rq::cli
