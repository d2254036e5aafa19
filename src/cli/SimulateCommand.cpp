#include "cli/SimulateCommand.h"

#include <istream>
#include <mutex>
#include <variant>

#include "cli/DevicePort.h"
#include "platform/PtyTransport.h"
#include "platform/SteadyClock.h"
#include "sim/ModemlessCable.h"

namespace rq::cli {
namespace {

struct SimulateOptions {
    SimOptions sim;
    bool autoPanel = false;
};

std::variant<SimulateOptions, UsageError> parse(const std::vector<std::string>& args) {
    SimulateOptions options;
    ArgReader reader(args);
    while (!reader.done()) {
        const std::string& word = reader.next();
        std::string error;
        if (word == "--auto-panel") {
            options.autoPanel = true;
        } else if (word == "--simulate" || !takeSimOption(word, reader, options.sim, error)) {
            return UsageError{isOption(word) ? "unknown option " + word
                                             : "simulate takes no file, not '" + word + "'"};
        }
        if (!error.empty()) return UsageError{error};
    }
    return options;
}

// Lines from the front panel and from the cable's thread, one at a time.
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

int simulate(const SimulateOptions& options, const Io& io) {
    if (!PtyTransport::supported()) {
        io.err << "rqfwup-cli: simulate needs a POSIX system (Linux, macOS): it serves the simulated RQ "
                  "system on a pseudo-terminal, which this system does not have; update, info and params "
                  "take --simulate instead\n";
        return 1;
    }
    PtyTransport transport;
    if (!transport.ok()) {
        io.err << "rqfwup-cli: cannot open a pseudo-terminal\n";
        return 1;
    }
    SteadyClock clock;
    const auto device = sim::makeRqSystem(clock, options.sim.system);
    device->setPower(true);
    Console console(io.out);
    sim::ModemlessCable cable(*device, options.autoPanel,
                              [&console](const std::string& what) { console.say(what); });
    console.say(transport.path());
    console.say(sim::describePanel(*device));
    transport.start([&cable](std::span<const std::uint8_t> bytes) { cable.fromComputer(bytes); },
                    [&cable] { return cable.toComputer(); });

    for (std::string line; std::getline(io.in, line);) {
        bool going = true;
        for (const char key : line) going = going && press(key, *device);
        if (!going) break;
        console.say(line.find_first_of("pw-") == std::string::npos ? "keys: p power, w or - FW switch, q quit"
                                                                   : sim::describePanel(*device));
    }
    transport.stop();
    return 0;
}

}  // namespace

const char* const kSimulateSynopsis =
    "  rqfwup-cli simulate [--auto-panel] [--sim-fault NAME[=VALUE]] [--sim-line instant|real]\n"
    "                                             the simulated RQ system on a pseudo-terminal\n";

std::string simulateHelp() {
    return "Simulate prints the path of the pseudo-terminal for --port (rqfwup --port in the window), then\n"
           "the front panel. Type p (power), w or - (the FW switch) and Enter to work the panel, q or end "
           "of\n"
           "input to stop. --auto-panel works it as the wizard asks: programming mode when step 5 wakes\n"
           "the boot firmware, normal mode when a normal-mode frame arrives. --sim-fault and --sim-line\n"
           "as for update.\n";
}

int runSimulate(const std::vector<std::string>& args, const Io& io) {
    return runParsed(parse(args), io, simulate);
}

}  // namespace rq::cli
