#include "cli/UpdateCommand.h"

#include <algorithm>

#include "cli/ManyDevices.h"
#include "cli/RestoreCommand.h"
#include "core/wizard/ForceUpdate.h"

namespace rq::cli {
namespace {

// Takes --force or --resume; false when the option is another.
bool takeStartOption(const std::string& option, ArgReader& reader, UpdateOptions& options,
                     std::string& error) {
    if (option == "--resume") {
        const auto file = reader.value();
        if (file) options.resume = *file;
        if (!file || file->empty()) error = "--resume needs the file of a saved identity";
        return true;
    }
    if (option != "--force") return false;
    const auto model = reader.value();
    const auto serial = reader.value();
    if (!model || !serial) {
        error = "--force needs MODEL and SERIAL";
    } else if (std::find(kForceUpdateModels.begin(), kForceUpdateModels.end(), *model) ==
               kForceUpdateModels.end()) {
        error = "--force takes the model RQA-4021 or RQA-4020, not '" + *model + "'";
    } else {
        options.force = std::make_pair(*model, *serial);
    }
    return true;
}

// Takes --port, given once or more, each time one port or a list: "COM1,COM2".
bool takePorts(const std::string& option, ArgReader& reader, UpdateOptions& options, std::string& error) {
    if (option != "--port") return false;
    const auto value = reader.value();
    if (!value) {
        error = missingValue(option);
        return true;
    }
    std::size_t start = 0;
    while (error.empty() && start <= value->size()) {
        const auto end = std::min(value->find(',', start), value->size());
        const std::string port = value->substr(start, end - start);
        if (port.empty()) {
            error = "--port needs COMn or a device path";
        } else if (std::find(options.ports.begin(), options.ports.end(), port) != options.ports.end()) {
            error = "--port names " + port + " twice";
        }
        options.ports.push_back(port);
        start = end + 1;
    }
    return true;
}

// What several ports exclude.
std::optional<std::string> checkPorts(const UpdateOptions& options) {
    if (options.ports.size() < 2) return std::nullopt;
    if (options.force)
        return "--force takes one serial number, and each device has its own: update them one port at a time";
    if (!options.resume.empty()) return "--resume takes one device's identity: give one port";
    return std::nullopt;
}

}  // namespace

// From the start screen: the file chosen, then Next, the forced update, or the step 4 screen with a saved
// identity.
std::optional<int> startUpdate(const UpdateOptions& options, const std::optional<BackupFile>& resumed,
                               const FirmwareRead* image, WizardRun& run, Wizard& wizard) {
    run.view().setFirmwareChoice(options.firmwarePath);
    if (image != nullptr) {
        wizard.takeFirmwareFile(fileChoiceOf(options.firmwarePath), *image);
    } else {
        wizard.cmdFWFileSel();
    }
    if (!wizard.state().firmware.valid) return wizard.lastShownError();
    if (resumed) {
        run.note("programming again, then writing back " + backupDescription(*resumed));
        wizard.resumeProgramming(*resumed);
        return std::nullopt;
    }

    if (!options.force) {
        if (!run.waitForEnter("次へ ＞")) return kCancelledStatus;
        wizard.cmdNext();
        return std::nullopt;
    }
    const auto& [model, serial] = *options.force;
    // The dialog keeps a refused entry open; without a window the run ends there.
    if (const auto refusal = checkSerialEntry(serial)) {
        run.view().showMessage(refusal->title, refusal->text, {});
        return kUsageStatus;
    }
    if (!run.waitForEnter("強制更新")) return kCancelledStatus;
    run.view().setModelSerial(model, serial);
    wizard.cmdForceUpdate();
    return std::nullopt;
}

std::variant<UpdateOptions, UsageError> parseUpdate(const std::vector<std::string>& args) {
    UpdateOptions options;
    ArgReader reader(args);
    while (!reader.done()) {
        const std::string& word = reader.next();
        if (!isOption(word)) {
            if (!options.firmwarePath.empty())
                return UsageError{"one firmware file only, not also '" + word + "'"};
            options.firmwarePath = word;
            continue;
        }
        std::string error;
        const bool taken = takeStartOption(word, reader, options, error) ||
                           takePorts(word, reader, options, error) ||
                           takeWalkOption(word, reader, options, error) ||
                           takePortOption(word, reader, options.portOptions, error) ||
                           takeSimOption(word, reader, options.sim, error) ||
                           takeOutputOption(word, reader, options.output, error);
        if (!taken) return UsageError{"unknown option " + word};
        if (!error.empty()) return UsageError{error};
    }
    if (options.sim.faultHelp) return options;
    if (options.firmwarePath.empty()) return UsageError{"update needs a firmware file"};
    if (options.force && !options.resume.empty())
        return UsageError{"--force and --resume exclude each other"};
    if (const auto error = checkPorts(options)) return UsageError{*error};
    if (options.ports.size() == 1) {
        options.portOptions.port = options.ports.front();
        options.portOptions.portGiven = true;
    }
    const auto error = options.ports.size() > 1 ? checkSimOptions(options.sim, options.ports)
                                                : checkSimOptions(options.sim, options.portOptions);
    if (error) return UsageError{*error};
    return options;
}

const char* const kUpdateSynopsis =
    "  rqfwup-cli update FIRMWARE.bin [options]   walk the update wizard without a window\n";

std::string updateHelp() {
    return std::string("Options of update:\n") + kPortOptionsHelp +
           R"(  --force MODEL SERIAL    forced update: skip the backup, write MODEL (RQA-4021 or RQA-4020) and the
                          five-digit SERIAL back after programming
  --resume FILE           start again from step 4 with the identity saved in FILE, for a device whose
                          step 5 failed: program it, then write that identity back
)" + kWalkOptionsHelp +
           kSimOptionsHelp +
           R"(
Step 2 saves the identity it read in a file of its own until step 7 has written it back (see restore).
On a pipe or in a file it prints each step's title, its progress lines (every tenth of a long bar), its
message boxes and the runner's own lines; on a terminal the progress is one live line. A failure adds a
line on standard error with its code, where it happened and what to check. At step 3 it warns, on
standard error, when the file's firmware is older than the device's or the same. The last line sums the
run up: port, model, serial number, version before -> after (as the identity read-back found it),
result and time.
With several ports (--port COM3,COM4 or --port given again) their devices are updated at once, each
on its own thread; an instruction step waits for one Enter for all. Every line is marked with its
port, and a table ends the run. The exit status is that of the first port given that failed.
)";
}

int runUpdate(const std::vector<std::string>& args, const Io& io) {
    return runParsed(
        parseUpdate(args), io, +[](const UpdateOptions& options, const Io& io) {
            if (options.ports.size() > 1) return updateMany(options, io);
            std::optional<BackupFile> resumed;
            if (!options.resume.empty()) {
                auto given = readGivenBackup(options.resume, io);
                if (const int* status = std::get_if<int>(&given)) return *status;
                resumed = std::move(std::get<BackupFile>(given));
            }
            return WizardRun(options, io).execute("update", [&](WizardRun& run, Wizard& wizard) {
                return startUpdate(options, resumed, nullptr, run, wizard);
            });
        });
}

}  // namespace rq::cli
