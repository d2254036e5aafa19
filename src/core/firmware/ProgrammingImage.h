#pragma once

#include <array>
#include <cstdint>

namespace rq {

inline constexpr int kImageBlocks = 512;
inline constexpr int kBlockSize = 256;

// The whole flash as it is programmed: block n, byte i is flash address n * 256 + i.
using ImageBlock = std::array<std::uint8_t, kBlockSize>;
using ProgrammingImage = std::array<ImageBlock, kImageBlocks>;

}  // namespace rq
