#include "cli/InfoCommand.h"

#include <variant>

#include "cli/DevicePort.h"
#include "cli/SupportLog.h"
#include "cli/TraceOnlyView.h"
#include "cli/TranscriptView.h"
#include "core/io/ViewTee.h"
#include "core/params/CommandRecord.h"
#include "core/log/Json.h"
#include "core/text/Text.h"
#include "core/wizard/DeviceSteps.h"
#include "core/wizard/ErrorMessages.h"
#include "core/wizard/Hints.h"
#include "core/wizard/Screens.h"
#include "platform/LocaleTime.h"
#include "platform/SteadyClock.h"

namespace rq::cli {
namespace {

struct InfoOptions {
    PortOptions portOptions;
    SimOptions sim;
    OutputOptions output;
    bool trace = false;
};

std::variant<InfoOptions, UsageError> parse(const std::vector<std::string>& args) {
    InfoOptions options;
    ArgReader reader(args);
    while (!reader.done()) {
        const std::string& word = reader.next();
        if (!isOption(word)) return UsageError{"info takes no file, not '" + word + "'"};
        if (word == "--trace") {
            options.trace = true;
            continue;
        }
        std::string error;
        const bool taken = takePortOption(word, reader, options.portOptions, error) ||
                           takeSimOption(word, reader, options.sim, error) ||
                           takeOutputOption(word, reader, options.output, error);
        if (!taken) return UsageError{"unknown option " + word};
        if (!error.empty()) return UsageError{error};
    }
    if (const auto error = checkSimOptions(options.sim, options.portOptions)) return UsageError{*error};
    return options;
}

void printIdentity(std::ostream& out, const ParameterStore& store, bool json) {
    if (json) {
        out << "{\"model\":" << jsonString(utf8OfBytes(store.ModelName))
            << ",\"serial\":" << jsonString(utf8OfBytes(store.SerialNumber))
            << ",\"param04\":" << int(store.Param04Value) << ",\"param06\":" << int(store.Param06Value)
            << ",\"version\":" << jsonString(deviceVersionCaption(store)) << ",\"versionBytes\":["
            << int(store.FirmwareVersion[0]) << "," << int(store.FirmwareVersion[1]) << "]}\n";
        return;
    }
    out << "Model name        " << printableBytes(store.ModelName) << "\n"
        << "Serial number     " << printableBytes(store.SerialNumber) << "\n"
        << "Identity byte 4   " << HexByte(store.Param04Value) << "h\n"
        << "Identity byte 6   " << HexByte(store.Param06Value) << "h\n"
        << "Firmware version  " << deviceVersionCaption(store) << "\n";
}

int readInfo(const InfoOptions& options, const Io& io) {
    SteadyClock clock;
    SupportLog log;
    if (!log.open(options.output.logPath, clock, "info", io.err)) return 1;
    TraceOnlyView traces(io.err);
    ViewTee view(&traces, log.view());
    view.showTrace(options.trace);
    const DevicePort device =
        attachDevicePort(options.portOptions, options.sim, clock, [&io, &log](const std::string& why) {
            io.err << "rqfwup-cli: " << why << "\n" << std::flush;
            log.hint(why);
        });

    WizardState state;
    state.commSettings = options.portOptions.settings;
    state.commSettings.ComPort = static_cast<std::uint8_t>(device.number);
    state.TraceEnabled = options.trace;
    state.traceRecorded = log.view() != nullptr;
    state.traceTime = localeTraceTime;
    const std::string deviceName = device.port->deviceName(device.number);
    view.settingsChanged(state.commSettings, deviceName);
    StepContext context{state, *device.port, clock, view};
    readIdentity(context);

    const auto failure = errorMessage(state.LinkError);
    if (!failure) {
        printIdentity(io.out, state.params, options.output.json);
        return 0;
    }
    const std::string hint = readFailureHint(state, deviceName, "reading the identity");
    view.showMessage(failure->title, failure->text, hint);
    if (options.output.json) {
        io.out << "{\"error\":" << int(state.LinkError)
               << ",\"messageBox\":{\"title\":" << jsonString(failure->title)
               << ",\"text\":" << jsonString(failure->text) << "},\"hint\":" << jsonString(hint) << "}\n";
    } else {
        TranscriptView(io.out, std::nullopt).showMessage(failure->title, failure->text, hint);
    }
    io.err << "rqfwup-cli: " << hint << "\n";
    return state.LinkError;
}

}  // namespace

const char* const kInfoSynopsis =
    "  rqfwup-cli info [options]                  read the device's identity and firmware version\n";

std::string infoHelp() {
    return std::string("Options of info: the port and simulation options of update, and\n") +
           "  --json                  one JSON object\n"
           "  --trace                 trace every normal-mode frame on standard error\n"
           "  --log FILE              write a support log\n"
           "It reads what step 2 reads, twice as step 2 does, and prints the model name, serial number,\n"
           "the identity bytes of commands 4 and 6 and the firmware version as step 3 shows it. Exit status\n"
           "as update.\n";
}

int runInfo(const std::vector<std::string>& args, const Io& io) {
    return runParsed(parse(args), io, readInfo);
}

}  // namespace rq::cli
