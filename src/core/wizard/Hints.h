#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/state/WizardState.h"

namespace rq {

// Where a failure happened: the wizard step (1 to 8), the stage of step 5, and what came back.
struct FailurePlace {
    int step = 0;
    FlashStage stage = FlashStage::None;
    Reply reply = Reply::Nothing;
};

// One cause and its remedy, for a person. A row without a step, stage or reply holds for any.
struct HintRow {
    std::uint8_t code = 0;
    int step = 0;
    std::optional<FlashStage> stage;
    std::optional<Reply> reply;
    // In the words of a person at the bench; PORT and SETTINGS stand for the port and its line settings.
    std::string text;
};

// Every row, the more particular before the general ones of the same code.
std::span<const HintRow> hintTable();

// The first row that fits; nullptr for a code without one.
const HintRow* findHint(std::uint8_t code, const FailurePlace& place);

// "connect", "set clock", ...; empty for None.
std::string_view stageName(FlashStage stage);

// The port as a person finds it: "COM3 (/dev/ttyUSB0)", or "COM3" when the system has no such port.
std::string portCaption(int number, const std::string& device);

// Where the failure of the step that just ran happened: "in step 5 (connect)", "in step 2".
std::string failurePlace(const WizardState& state);

// The line shown with the failure of the step that just ran, or of the file chosen on its screen:
// "error 33 in step 5 (connect): the boot firmware did not answer. …"; empty for a code without a row.
std::string stepFailureHint(const WizardState& state, const std::string& device);

// The same for reads that step 2 would make, outside the wizard: "error 12 reading the identity: …".
std::string readFailureHint(const WizardState& state, const std::string& device, std::string_view reading);

}  // namespace rq
