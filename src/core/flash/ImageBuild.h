#pragma once

#include <cstdint>
#include <string_view>

#include "core/firmware/ProgrammingImage.h"

namespace rq {

// What txtProcess reads once the image is built; the programming log starts with it.
inline constexpr std::string_view kImageBuiltText = "バイナリ・データ作成完了";

struct StepContext;

// Fills the wizard's image from the selected firmware file (FFh past its end), showing each block.
// Returns 0, or 36 with LinkError 22 when the file is longer than the flash; the image is filled in
// full either way.
std::uint8_t buildProgrammingImage(StepContext& context);

}  // namespace rq
