#include "core/wizard/Wizard.h"

#include "core/settings/PortConf.h"
#include "core/wizard/Backups.h"
#include "core/wizard/DeviceSteps.h"
#include "core/wizard/ErrorMessages.h"
#include "core/wizard/ForceUpdate.h"
#include "core/wizard/Hints.h"
#include "core/wizard/Screens.h"

namespace rq {
namespace {

using StepHandler = void (*)(StepContext&);
constexpr StepHandler kStepHandlers[] = {subStep1Start,      subStep2ParamRead, subStep3VersionCheck,
                                         subStep4FwPrepare,  subStep5FwUpdate,  subStep6ParamPrepare,
                                         subStep7ParamWrite, subStep8End};
constexpr int kLastStep = 7;
constexpr int kFwPrepareStep = 3;
constexpr int kFwUpdateStep = 4;
constexpr int kParamPrepareStep = 5;

}  // namespace

std::string programVersion() {
    return std::to_string(RQ_VERSION_MAJOR) + "." + std::to_string(RQ_VERSION_MINOR) + "." +
           std::to_string(RQ_VERSION_PATCH);
}

std::string mainWindowCaption() {
    return "RQ SYSTEM  Firmware update tool (Ver" + programVersion() + ")";
}

Wizard::Wizard(Port& port, Clock& clock, WizardView& view) : context_{state_, port, clock, view} {}

void Wizard::start() {
    WizardView& view = context_.view;
    view.setText(Control::frmMain, mainWindowCaption());
    setStepIndex(0);
    view.setText(Control::lblFWFile, "");
    view.setText(Control::lblFWOld, "Unkonwn");
    view.setText(Control::lblFWNew, "No select");
    view.setText(Control::txtProcess, "");
    context_.setProgress({0, 1, 0});
    context_.port.setPortNumber(state_.commSettings.ComPort);
    context_.port.setFlowControl(FlowControl::None);
    context_.port.setSettings("307200,o,8,1");
    announceSettings();
    subStep1Start(context_);
}

void Wizard::announceSettings() {
    const CommSettings& settings = state_.commSettings;
    context_.view.settingsChanged(settings, context_.port.deviceName(settings.ComPort));
    context_.view.readBackChanged(state_.verifyIdentity);
}

void Wizard::setVerifyIdentity(bool verify) {
    if (verify == state_.verifyIdentity) return;
    state_.verifyIdentity = verify;
    context_.view.readBackChanged(verify);
}

void Wizard::offerSavedBackup() {
    if (context_.backups == nullptr) return;
    if (const auto newest = context_.backups->newestUnrestored()) offerBackup(*newest);
}

bool Wizard::offerBackup(const BackupFile& file) {
    const ErrorMessage offer = backupOffer(*file.read.identity, state_.traceTime);
    if (!context_.view.askYesNo(offer.title, offer.text)) return false;
    loadSavedIdentity(file);
    return true;
}

void Wizard::loadSavedIdentity(const BackupFile& file) {
    takeSavedIdentity(file, kParamPrepareStep);
}

void Wizard::resumeProgramming(const BackupFile& file) {
    takeSavedIdentity(file, kFwPrepareStep);
}

void Wizard::takeSavedIdentity(const BackupFile& file, int stepIndex) {
    loadIntoStore(*file.read.identity, state_.params);
    state_.backupPath = file.path;
    state_.versionBefore = file.read.identity->version;
    // The device may have lost its program already: the file stays until step 7 has written it back.
    state_.programmingStarted = true;
    context_.view.backupNoted({BackupNote::Event::Loaded, file.path, {}});
    context_.view.setText(Control::lblFWOld, deviceVersionCaption(state_.params));
    setStepIndex(stepIndex);
    subRunStep();
}

void Wizard::setStepIndex(int stepIndex) {
    state_.StepIndex = static_cast<std::uint8_t>(stepIndex);
    context_.view.stepIndexChanged(stepIndex);
}

void Wizard::subRunStep() {
    context_.view.setBusyPointer(true);
    state_.LinkError = 0;
    // What an earlier step met tells nothing of this one.
    state_.flashStage = FlashStage::None;
    state_.reply = Reply::Nothing;
    if (state_.StepIndex <= kLastStep) kStepHandlers[state_.StepIndex](context_);
    subShowError();
    context_.view.setBusyPointer(false);
}

void Wizard::subShowError() {
    const auto message = errorMessage(state_.LinkError);
    if (!message) return;
    lastShownError_ = state_.LinkError;
    const std::string device = context_.port.deviceName(state_.commSettings.ComPort);
    context_.view.showMessage(message->title, message->text, stepFailureHint(state_, device));
}

void Wizard::cmdNext() {
    if (state_.StepIndex >= kLastStep) {
        cmdCancel();
        return;
    }
    setStepIndex(state_.StepIndex + 1);
    if (state_.StepIndex == kFwUpdateStep) state_.programmingStarted = true;
    subRunStep();
    if (state_.LinkError != 0 && fallBack_) {
        setStepIndex(state_.StepIndex - 1);
        subRunStep();
    }
}

void Wizard::cmdCancel() {
    ended_ = true;
    dropUnneededBackup(context_);
    context_.view.endProgram();
}

void Wizard::closeRequest() {
    ended_ = true;
    dropUnneededBackup(context_);
}

void Wizard::cmdForceUpdate() {
    if (state_.StepIndex == kParamPrepareStep) {
        chooseIdentityForStep7();
        return;
    }
    if (const auto entry = context_.view.askModelAndSerial()) {
        takeTypedIdentity(*entry);
    } else if (!holdsIdentity(state_.params)) {
        // Going on would program a device that then has no identity to get back.
        setStepIndex(0);
        subRunStep();
        return;
    }
    setStepIndex(2);
    subRunStep();
}

// The flash already holds the new program, so the wizard stays at step 6: a saved backup is offered
// first, newest first, then the model and serial dialog.
void Wizard::chooseIdentityForStep7() {
    if (context_.backups != nullptr) {
        for (const BackupFile& file : context_.backups->unrestored()) {
            if (offerBackup(file)) return;
        }
    }
    if (const auto entry = context_.view.askModelAndSerial()) takeTypedIdentity(*entry);
    subRunStep();
}

// What step 7 writes is now typed in, so this run's backup is not what it writes back.
void Wizard::takeTypedIdentity(const ModelSerialEntry& entry) {
    storeModelAndSerial(entry, state_.params);
    dropUnneededBackup(context_);
    state_.backupPath.clear();
}

void Wizard::cmdCommSetting() {
    Port& port = context_.port;
    savedPortNumber_ = port.portNumber();
    savedPortSettings_ = port.settings();
    savedFlow_ = port.flowControl();
    if (portConfOpen_) {
        context_.view.showSettingsDialog(std::nullopt);
        return;
    }
    portConfOpen_ = true;
    context_.view.showSettingsDialog(loadPortConf(probePorts(port), port.portNumber(), state_.commSettings));
}

void Wizard::portConfSet(const PortConfSelection& selection) {
    if (context_.port.isOpen()) context_.port.close();
    applyPortConf(selection, state_.commSettings);
    portConfOpen_ = false;
    announceSettings();
}

void Wizard::portConfCancel() {
    Port& port = context_.port;
    if (port.isOpen()) {
        port.setPortNumber(savedPortNumber_);
        const bool settingsTaken = port.setSettings(savedPortSettings_) == PortError::None;
        const bool flowTaken = port.setFlowControl(savedFlow_) == PortError::None;
        if (!settingsTaken || !flowTaken)
            context_.view.showMessage("RQ_FW_UP", "ポートの設定が無効です再設定してください。", {});
    }
    portConfOpen_ = false;
}

void Wizard::cmdFWFileSel() {
    // A cancelled dialog changes nothing, so the file shown is always the file that would be programmed.
    if (const auto choice = context_.view.chooseFirmwareFile()) selectFirmwareFile(*choice);
}

void Wizard::selectFirmwareFile(const FileChoice& choice) {
    takeFirmwareFile(choice, readFirmwareFile(choice.path));
}

void Wizard::takeFirmwareFile(const FileChoice& choice, FirmwareRead read) {
    WizardView& view = context_.view;
    FirmwareFile& firmware = state_.firmware;
    if (read.result == FirmwareLoad::NotFound) {
        reportFileError(21);
        view.setEnabled(Control::cmdNext, false);
        return;
    }
    firmware.path = choice.path;
    firmware.title = choice.title;
    view.setText(Control::lblFWFile, choice.title);
    if (read.result == FirmwareLoad::Unreadable) {
        // What was read before must not stay valid under the new file's name.
        firmware.valid = false;
        firmware.length = 0;
        firmware.contents.clear();
        reportFileError(23);
        view.setEnabled(Control::cmdNext, false);
        return;
    }
    firmware.length = read.length;
    firmware.contents = std::move(read.contents);
    if (read.result == FirmwareLoad::BadHeader) {
        reportFileError(22);
        firmware.valid = false;
        view.setEnabled(Control::cmdNext, false);
        return;
    }
    view.setText(Control::lblFWNew, firmwareVersionCaption(firmware.contents));
    firmware.valid = true;
    view.setEnabled(Control::cmdNext, true);
}

void Wizard::reportFileError(std::uint8_t code) {
    state_.LinkError = code;
    subShowError();
    state_.LinkError = 0;
}

}  // namespace rq
