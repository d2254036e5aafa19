#include "cli/SimulateCommand.h"

#include <istream>
#include <memory>
#include <mutex>
#include <variant>

#include "cli/DevicePort.h"
#include "platform/PtyTransport.h"
#include "platform/SteadyClock.h"
#include "sim/ModemlessCable.h"

namespace rq::cli {
namespace {

constexpr std::uint64_t kMaxCount = 32;  // each device has a thread of its own

struct SimulateOptions {
    SimOptions sim;
    bool autoPanel = false;
    int count = 1;
};

std::string takeCount(ArgReader& reader, SimulateOptions& options) {
    const auto value = reader.value();
    if (!value) return missingValue("--count");
    const auto count = wholeNumber(*value);
    if (!count || *count == 0 || *count > kMaxCount)
        return "--count takes 1 to " + std::to_string(kMaxCount) + ", not '" + *value + "'";
    options.count = static_cast<int>(*count);
    return {};
}

std::variant<SimulateOptions, UsageError> parse(const std::vector<std::string>& args) {
    SimulateOptions options;
    ArgReader reader(args);
    while (!reader.done()) {
        const std::string& word = reader.next();
        std::string error;
        if (word == "--auto-panel") {
            options.autoPanel = true;
        } else if (word == "--count") {
            error = takeCount(reader, options);
        } else if (word == "--simulate" ||
                   !takeSimOption(word, reader, options.sim, error, DeviceNaming::Number)) {
            return UsageError{isOption(word) ? "unknown option " + word
                                             : "simulate takes no file, not '" + word + "'"};
        }
        if (!error.empty()) return UsageError{error};
    }
    for (const DeviceFault& fault : options.sim.deviceFaults) {
        if (fault.device > options.count) {
            return UsageError{"--sim-fault " + std::to_string(fault.device) + ":" + fault.fault +
                              " is for device " + std::to_string(fault.device) + " of --count " +
                              std::to_string(options.count)};
        }
    }
    return options;
}

// Lines from the front panels and from the cables' threads, one at a time.
class Console {
  public:
    explicit Console(std::ostream& out) : out_(out) {}
    void say(const std::string& line) {
        std::lock_guard lock(mutex_);
        out_ << line << "\n" << std::flush;
    }

  private:
    std::ostream& out_;
    std::mutex mutex_;
};

std::unique_ptr<sim::SimDevice> switchedOn(std::unique_ptr<sim::SimDevice> device) {
    device->setPower(true);
    return device;
}

// One simulated RQ system behind a pseudo-terminal of its own. Its lines start with `label`, which
// tells the devices apart.
class SimulatedDevice {
  public:
    SimulatedDevice(Clock& clock, const sim::RqSystemOptions& options, bool autoPanel, std::string label,
                    Console& console)
        : device_(switchedOn(sim::makeRqSystem(clock, options))),
          label_(std::move(label)),
          console_(console),
          cable_(*device_, autoPanel, [this](const std::string& what) { console_.say(label_ + what); }) {}

    bool ok() const { return transport_.ok(); }
    const std::string& path() const { return transport_.path(); }
    sim::SimDevice& device() { return *device_; }
    void sayPanel() { console_.say(label_ + sim::describePanel(*device_)); }
    void start() {
        transport_.start([this](std::span<const std::uint8_t> bytes) { cable_.fromComputer(bytes); },
                         [this] { return cable_.toComputer(); });
    }

  private:
    std::unique_ptr<sim::SimDevice> device_;
    std::string label_;
    Console& console_;
    sim::ModemlessCable cable_;
    PtyTransport transport_;  // the last, so that its thread stops before the cable goes
};

// Works the panel from the keys typed; false at q.
bool press(char key, sim::SimDevice& device) {
    switch (key) {
        case 'p':
            device.setPower(!device.powered());
            return true;
        case 'w':
        case '-':
            device.setFwSwitch(key == 'w');
            return true;
        default:
            return key != 'q';
    }
}

std::string keysHelp(std::size_t count) {
    const std::string keys = "keys: p power, w or - FW switch, q quit";
    if (count == 1) return keys;
    return keys + "; a device number first for that device alone (1 to " + std::to_string(count) + ")";
}

// Works the panels a line of keys is for until q: a leading device number picks one device, none
// picks every device.
bool pressLine(const std::string& line, std::vector<std::unique_ptr<SimulatedDevice>>& devices,
               Console& console) {
    const std::size_t digits = std::min(line.find_first_not_of("0123456789"), line.size());
    const auto number = wholeNumber(line.substr(0, digits));
    const std::string keys = line.substr(digits);
    if ((digits > 0 && (!number || *number == 0 || *number > devices.size())) ||
        keys.find_first_of("pwq-") == std::string::npos) {
        console.say(keysHelp(devices.size()));
        return true;
    }
    const auto first = devices.begin() + (digits > 0 ? static_cast<std::ptrdiff_t>(*number) - 1 : 0);
    const auto end = digits > 0 ? first + 1 : devices.end();
    for (auto it = first; it != end; ++it) {
        for (const char key : keys) {
            if (!press(key, (*it)->device())) return false;
        }
        (*it)->sayPanel();
    }
    return true;
}

int simulate(const SimulateOptions& options, const Io& io) {
    if (!PtyTransport::supported()) {
        io.err << "rqfwup-cli: simulate needs a POSIX system (Linux, macOS): it serves the simulated RQ "
                  "system on a pseudo-terminal, which this system does not have; update, info and params "
                  "take --simulate instead\n";
        return 1;
    }
    SteadyClock clock;
    Console console(io.out);
    std::vector<std::unique_ptr<SimulatedDevice>> devices;
    for (int number = 1; number <= options.count; ++number) {
        // Appended, not "[" + …: GCC 12 at -O3 takes that for an overlapping copy (-Wrestrict).
        const std::string label =
            options.count == 1 ? "" : std::string("[").append(std::to_string(number)).append("] ");
        devices.push_back(std::make_unique<SimulatedDevice>(clock, options.sim.systemOf(number),
                                                            options.autoPanel, label, console));
        if (!devices.back()->ok()) {
            io.err << "rqfwup-cli: cannot open a pseudo-terminal\n";
            return 1;
        }
    }
    for (const auto& device : devices) console.say(device->path());
    for (const auto& device : devices) device->sayPanel();
    for (const auto& device : devices) device->start();

    for (std::string line; std::getline(io.in, line) && pressLine(line, devices, console);) {
    }
    return 0;
}

}  // namespace

const char* const kSimulateSynopsis =
    "  rqfwup-cli simulate [--count N] [--auto-panel] [--sim-fault [N:]NAME[=VALUE]]\n"
    "                      [--sim-line instant|real]\n"
    "                                             simulated RQ systems on pseudo-terminals\n";

std::string simulateHelp() {
    return "Simulate prints the path of the pseudo-terminal for --port (rqfwup --port in the window), then\n"
           "the front panel. Type p (power), w or - (the FW switch) and Enter to work the panel, q or end "
           "of\n"
           "input to stop. --auto-panel works it as the wizard asks: programming mode when step 5 wakes\n"
           "the boot firmware, normal mode when a normal-mode frame arrives. --sim-fault and --sim-line\n"
           "as for update.\n"
           "--count N (1 to " +
           std::to_string(kMaxCount) +
           ") simulates N devices, each with a pseudo-terminal, cable and panel of its own:\n"
           "their paths come one a line, device 1 first, then their panels, each line starting with [N],\n"
           "the device's number. Keys work every panel, or one device's alone after its number (2p: the\n"
           "power of device 2). --sim-fault N:NAME[=VALUE] gives device N alone a fault.\n";
}

int runSimulate(const std::vector<std::string>& args, const Io& io) {
    return runParsed(parse(args), io, simulate);
}

}  // namespace rq::cli
