#pragma once

#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "cli/DevicePort.h"
#include "cli/Options.h"

namespace rq::cli {

// The standard streams of the program.
struct Io {
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
};

// One subcommand of rqfwup-cli: its arguments are the words after its name; it returns the exit status.
struct Subcommand {
    const char* name;
    int (*run)(const std::vector<std::string>& args, const Io& io);
    const char* synopsis;   // its lines at the head of the usage text
    std::string (*help)();  // what follows them, or nullptr
};

inline constexpr int kUsageStatus = 2;

// Reports a wrong command line in one line and gives its exit status.
inline int wrongCommandLine(const Io& io, const std::string& reason) {
    io.err << "rqfwup-cli: " << reason << "\n";
    return kUsageStatus;
}

// The way of a subcommand that may simulate: a wrong command line is reported, --sim-fault help is
// answered, and otherwise `run` runs.
template <typename Options>
int runParsed(const std::variant<Options, UsageError>& parsed, const Io& io,
              int (*run)(const Options& options, const Io& io)) {
    if (const auto* error = std::get_if<UsageError>(&parsed)) return wrongCommandLine(io, error->reason);
    const Options& options = std::get<Options>(parsed);
    if (options.sim.faultHelp) {
        printFaultHelp(io.out);
        return 0;
    }
    return run(options, io);
}

}  // namespace rq::cli
