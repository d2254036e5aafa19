#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/firmware/FirmwareFile.h"
#include "core/firmware/ProgrammingImage.h"
#include "core/io/Clock.h"
#include "core/io/Port.h"
#include "core/io/WizardView.h"
#include "core/text/Trace.h"
#include "core/params/ParameterStore.h"
#include "core/io/CommSettings.h"

namespace rq {

// The stages of the firmware update, in their order; None before the first has begun.
enum class FlashStage : std::uint8_t {
    None,
    Connect,
    SetClock,
    SetBaudRate,
    Erase,
    Write,
    SetSecurity,
    Verify
};

// What came back from the device in a batch of normal-mode exchanges.
enum class Reply : std::uint8_t {
    Nothing,        // not one byte
    Garbled,        // bytes, but not one frame whose checksum holds
    Frames,         // frames
    OtherIdentity,  // frames, and the identity read back is not the one written
};

// Everything that lives for the whole run.
struct WizardState {
    std::uint8_t StepIndex = 0;  // the wizard step minus one
    std::uint8_t LinkError = 0;  // 0: no error
    CommSettings commSettings;
    ParameterStore params;
    FirmwareFile firmware;
    std::unique_ptr<ProgrammingImage> image = std::make_unique<ProgrammingImage>();
    Progress progress;  // as prgProcess shows it
    // Of the last firmware update: 0, or the result code that stopped it.
    std::uint8_t programmingResult = 0;
    // The stage of the firmware update at work, or the last one that ran.
    FlashStage flashStage = FlashStage::None;
    // Of the last batch of normal-mode exchanges.
    Reply reply = Reply::Nothing;
    bool TraceEnabled = false;  // the trace is shown
    // A record of the run keeps every trace line, shown or not.
    bool traceRecorded = false;
    bool traceWanted() const { return TraceEnabled || traceRecorded; }
    TraceTimeFormat traceTime = fixedTraceTime;
    // Read the identity back after step 7's write and fail the step when it differs.
    bool verifyIdentity = true;
    // The firmware version step 2 read, or the saved identity holds: the version the device ran before.
    std::optional<std::array<std::uint8_t, 2>> versionBefore;
    // The firmware version the read-back of step 7 found: the version the device runs now.
    std::optional<std::array<std::uint8_t, 2>> versionAfter;
    // The file that keeps this run's identity until step 7 has written it back; empty without one.
    std::string backupPath;
    // Step 5 has begun: the device may have lost its program, and at the next step 7 its identity.
    bool programmingStarted = false;
};

class BackupStore;

// What a step handler works with.
struct StepContext {
    WizardState& state;
    Port& port;
    Clock& clock;
    WizardView& view;
    BackupStore* backups = nullptr;  // where the identity read is kept on disk; none without it

    void setProgress(const Progress& progress) {
        state.progress = progress;
        view.setProgress(progress);
    }
    void setProgressValue(int value) { setProgress({state.progress.minimum, state.progress.maximum, value}); }
};

}  // namespace rq
