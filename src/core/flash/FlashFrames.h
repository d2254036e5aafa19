#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/firmware/ProgrammingImage.h"

namespace rq {

// The frames of the device's boot firmware.
inline constexpr std::uint8_t kSoh = 0x01;
inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::uint8_t kEtb = 0x17;

inline constexpr std::uint8_t kStatusAck = 0x06;

enum class FlashCommand : std::uint8_t {
    Reset = 0x00,
    OscillationFrequencySet = 0x90,
    BaudRateSet = 0x9A,
    ChipErase = 0x20,
    Programming = 0x40,
    Verify = 0x13,
    SecuritySet = 0xA0,
};

inline constexpr std::size_t kDataFrameSize = kBlockSize + 4;
inline constexpr std::size_t kShortStatusSize = 5;  // ST1 only
inline constexpr std::size_t kLongStatusSize = 6;   // ST1 and ST2
// The programming speeds in bit/s, by the index of the communication settings.
inline constexpr std::array<std::uint32_t, 6> kProgrammingBaudRates = {9600,  19200, 31250,
                                                                       38400, 76800, 153600};

// Two's complement of the 8-bit sum: a frame is right when its summed bytes and SUM add up to 0.
std::uint8_t frameChecksum(std::span<const std::uint8_t> bytes);

// SOH, LEN, COM, data, SUM, ETX.
std::vector<std::uint8_t> commandFrame(FlashCommand command, std::span<const std::uint8_t> data = {});
// STX, LEN 00h (256 bytes), one block, SUM, then ETX on the last frame of a transfer or ETB.
std::vector<std::uint8_t> dataFrame(const ImageBlock& block, bool last);
// The one short data frame, STX 02h F7h 00h SUM ETX, that follows the security command.
std::vector<std::uint8_t> securityDataFrame();

// The complete frames of the commands that carry data.
std::vector<std::uint8_t> oscillationFrequencyFrame();
std::vector<std::uint8_t> programmingFrame();  // the whole flash, 000000h to 1FFFFh
std::vector<std::uint8_t> verifyFrame();
std::vector<std::uint8_t> securitySetFrame();
// nullopt when the index names no programming speed.
std::optional<std::vector<std::uint8_t>> baudRateFrame(std::uint8_t speedIndex);

struct StatusFrame {
    bool sumRight = false;
    std::uint8_t st1 = 0;
    std::uint8_t st2 = 0;  // only in 6-byte frames
};

// Recomputes SUM over LEN and the LEN status bytes. A LEN that would put SUM outside the frame makes
// the SUM wrong, as does any other mismatch; STX and ETX are not looked at.
StatusFrame checkStatusFrame(std::span<const std::uint8_t> frame);

inline constexpr std::uint8_t kResultWrongSum = 7;
inline constexpr std::uint8_t kResultOtherFailure = 37;

// 0 when the frame accepts; else 7 for a wrong SUM, or the failing status byte (37 for a status 00h).
// ST2 counts only when `withSt2`.
std::uint8_t judgeStatus(const StatusFrame& status, bool withSt2);

}  // namespace rq
