#pragma once

#include <optional>

#include "core/backup/BackupStore.h"
#include "core/state/WizardState.h"

namespace rq {

// The step machine of the main window. Every handler runs on the wizard's own thread and talks to the
// window only through WizardView.
class Wizard {
  public:
    Wizard(Port& port, Clock& clock, WizardView& view);

    // The window has loaded. Settings given to state() before are those the run starts with.
    void start();
    // Where the identity step 2 reads is kept until step 7 has written it back; none without a store.
    void setBackupStore(BackupStore* store) { context_.backups = store; }
    // Offers the newest backup that step 7 has not written back yet, if there is one; Yes loads it.
    void offerSavedBackup();
    // Takes a saved identity as the one step 7 writes back and shows the step 6 screen: the device has
    // been programmed and waits for its identity.
    void loadSavedIdentity(const BackupFile& file);
    // The same from the step 4 screen: the programming of a device whose identity is saved is to run again.
    void resumeProgramming(const BackupFile& file);

    void cmdNext();
    void cmdCancel();
    void cmdForceUpdate();
    void cmdCommSetting();
    void cmdFWFileSel();
    // The file dialog of cmdFWFileSel answered with this file.
    void selectFirmwareFile(const FileChoice& choice);
    // The same with the file already read, for several wizards that program one image.
    void takeFirmwareFile(const FileChoice& choice, FirmwareRead read);
    void portConfSet(const PortConfSelection& selection);
    void portConfCancel();
    void closeRequest();
    void setTraceEnabled(bool enabled) { state_.TraceEnabled = enabled; }
    void setTraceRecorded(bool recorded) { state_.traceRecorded = recorded; }
    void setVerifyIdentity(bool verify);
    void setTraceTimeFormat(TraceTimeFormat format) { state_.traceTime = std::move(format); }
    // A runner without a window stops at a failed step instead of showing the step before it again.
    void setFallBackAfterFailure(bool fallBack) { fallBack_ = fallBack; }

    // The code of the last message box shown for an error, 0 before any.
    std::uint8_t lastShownError() const { return lastShownError_; }

    bool ended() const { return ended_; }
    const WizardState& state() const { return state_; }
    WizardState& state() { return state_; }

  private:
    void subRunStep();
    void subShowError();
    void setStepIndex(int stepIndex);
    void announceSettings();
    void reportFileError(std::uint8_t code);
    // Asks whether step 7 is to write this backup back; Yes loads it.
    bool offerBackup(const BackupFile& file);
    // Takes a saved identity and shows the screen of `stepIndex`.
    void takeSavedIdentity(const BackupFile& file, int stepIndex);
    void chooseIdentityForStep7();
    void takeTypedIdentity(const ModelSerialEntry& entry);

    WizardState state_;
    StepContext context_;
    bool ended_ = false;
    bool fallBack_ = true;
    std::uint8_t lastShownError_ = 0;
    bool portConfOpen_ = false;
    // The port as it was when the settings dialog was opened, for its Cancel.
    int savedPortNumber_ = 0;
    std::string savedPortSettings_;
    FlowControl savedFlow_ = FlowControl::None;
};

// The program's own version, "1.0.0"; the build takes it from the project's version.
std::string programVersion();
std::string mainWindowCaption();

}  // namespace rq
