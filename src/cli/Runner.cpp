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

// Each exit status and what it means; a meaning's later lines follow a line break.
struct ExitStatusRow {
    std::vector<int> statuses;
    const char* meaning;
};

const ExitStatusRow kExitStatuses[] = {
    {{0}, "the update reached its end, or the command did what it was asked"},
    {{1},
     "cancelled at a prompt; or the support log, the file of make-firmware or the pseudo-terminal\n"
     "of simulate could not be had"},
    {{2}, "a wrong command line, or a serial number the forced update refuses"},
    {{3}, "restore: the file is not a whole backup of this program"},
    {{4}, "restore: no backup waits to be written back"},
    {{11}, "the port cannot be opened"},
    {{12}, "the device gave no usable answer (too many retries)"},
    {{13}, "the device never signalled ready to receive, or gave no answer for a minute"},
    {{15}, "the port refused the line settings"},
    {{21}, "no firmware file at the path"},
    {{22}, "not a firmware file of this device, or longer than its flash"},
    {{23}, "the firmware file cannot be read"},
    {{30}, "step 5 could not open or use the port"},
    {{31}, "step 5: the boot firmware did not release DSR"},
    {{32}, "step 5: too many retries of a reset"},
    {{33}, "step 5: no answer in time"},
    {{34}, "step 5: the clock or the security setting failed"},
    {{35}, "step 5: the erase failed"},
    {{36}, "step 5: the write failed"},
    {{37}, "step 5: the verify failed"},
    {{99}, "step 2 or 7: another failure of the port, or another identity read back"},
    {{129, 130, 143}, "a closed terminal, Ctrl+C or a request to end stopped the run"},
};

std::string exitStatusHelp() {
    constexpr std::string_view kIndent = "       ";
    std::string text = "\nExit status:\n";
    for (const ExitStatusRow& row : kExitStatuses) {
        std::string statuses;
        for (const int status : row.statuses)
            statuses.append(statuses.empty() ? "" : ", ").append(std::to_string(status));
        text.append("  ").append(statuses);
        // A list longer than its column stands on a line of its own.
        if (statuses.size() + 2 < kIndent.size()) {
            text.append(kIndent.size() - 2 - statuses.size(), ' ');
        } else {
            text.append("\n").append(kIndent);
        }
        for (const char c : std::string_view(row.meaning)) {
            text += c;
            if (c == '\n') text.append(kIndent);
        }
        text += '\n';
    }
    return text +
           R"(An error code is that of the failure's message box; a line on standard error gives the code, where the
failure happened and what to check.
)";
}

}  // namespace

std::string exitStatusMeaning(int status) {
    for (const ExitStatusRow& row : kExitStatuses) {
        if (std::find(row.statuses.begin(), row.statuses.end(), status) == row.statuses.end()) continue;
        std::string meaning = row.meaning;
        std::replace(meaning.begin(), meaning.end(), '\n', ' ');
        return meaning;
    }
    return {};
}

std::string usageText() {
    std::string text = "Usage:\n";
    for (const Subcommand& subcommand : kSubcommands) text += subcommand.synopsis;
    text += "  rqfwup-cli --help | --version\n";
    for (const Subcommand& subcommand : kSubcommands) {
        if (subcommand.help != nullptr) text.append("\n").append(subcommand.help());
    }
    return text + exitStatusHelp();
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
