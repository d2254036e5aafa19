#pragma once

#include <cstdint>
#include <memory>

#include "core/firmware/FirmwareFile.h"
#include "core/firmware/ProgrammingImage.h"
#include "core/io/Clock.h"
#include "core/io/Port.h"
#include "core/io/WizardView.h"
#include "core/params/ParameterStore.h"
#include "core/settings/CommSettings.h"

namespace rq {

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
    bool TraceEnabled = false;
    // Read the identity back after step 7's write and fail the step when it differs.
    bool verifyIdentity = false;
};

// What a step handler works with.
struct StepContext {
    WizardState& state;
    Port& port;
    Clock& clock;
    WizardView& view;

    void setProgress(const Progress& progress) {
        state.progress = progress;
        view.setProgress(progress);
    }
    void setProgressValue(int value) { setProgress({state.progress.minimum, state.progress.maximum, value}); }
};

}  // namespace rq
