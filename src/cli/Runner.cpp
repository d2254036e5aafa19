#include "cli/Runner.h"

#include <algorithm>
#include <ostream>

#include "cli/InfoCommand.h"
#include "cli/MakeFirmwareCommand.h"
#include "cli/ParamsCommand.h"
#include "cli/PortsCommand.h"
#include "cli/RestoreCommand.h"
#include "cli/SimulateCommand.h"
#include "cli/Subcommand.h"
#include "cli/UpdateCommand.h"
#include "core/wizard/Wizard.h"

namespace rq::cli {
namespace {

const Subcommand kSubcommands[] = {
    {"update", runUpdate, kUpdateSynopsis, updateHelp},
    {"restore", runRestore, kRestoreSynopsis, restoreHelp},
    {"info", runInfo, kInfoSynopsis, infoHelp},
    {"params", runParams, kParamsSynopsis, paramsHelp},
    {"ports", runPorts, kPortsSynopsis, nullptr},
    {"simulate", runSimulate, kSimulateSynopsis, simulateHelp},
    {"make-firmware", runMakeFirmware, kMakeFirmwareSynopsis, nullptr},
};

}  // namespace

std::string usageText() {
    std::string text = "Usage:\n";
    for (const Subcommand& subcommand : kSubcommands) text += subcommand.synopsis;
    text += "  rqfwup-cli --help | --version\n";
    for (const Subcommand& subcommand : kSubcommands) {
        if (subcommand.help != nullptr) text.append("\n").append(subcommand.help());
    }
    return text;
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, std::istream& in) {
    const Io io{out, err, in};
    if (args.empty()) return wrongCommandLine(io, "a command is needed (try --help)");
    const std::string& command = args[0];
    if (command == "--version") {
        out << "rqfwup-cli " << programVersion() << "\n";
        return 0;
    }
    if (command == "-h" || command == "help" || std::find(args.begin(), args.end(), "--help") != args.end()) {
        out << usageText();
        return 0;
    }
    for (const Subcommand& subcommand : kSubcommands) {
        if (command == subcommand.name) return subcommand.run({args.begin() + 1, args.end()}, io);
    }
    return wrongCommandLine(io, "unknown command '" + command + "' (try --help)");
}

}  // namespace rq::cli
