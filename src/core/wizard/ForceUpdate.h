#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/io/WizardView.h"
#include "core/params/ParameterStore.h"
#include "core/wizard/ErrorMessages.h"

namespace rq {

inline constexpr std::array<std::string_view, 2> kForceUpdateModels = {"RQA-4021", "RQA-4020"};

// The general numeric test of a text: blanks around it, a sign in front or behind, digit grouping,
// one decimal separator and an exponent are accepted; an empty text is not a number.
bool isNumericText(std::string_view text);

// nullopt when the entry is a serial number the model and serial dialog takes; otherwise the message
// box it shows.
std::optional<ErrorMessage> checkSerialEntry(std::string_view entry);

// What Set stores: the model as chosen, the serial number as typed followed by one blank.
void storeModelAndSerial(const ModelSerialEntry& entry, ParameterStore& store);

}  // namespace rq
