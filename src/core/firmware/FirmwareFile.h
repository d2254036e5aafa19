#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rq {

inline constexpr std::string_view kFirmwareHeaderText = "RQ-SYSTEM FIRMWARE J.MORVANTE VER";
inline constexpr std::size_t kFirmwareHeaderSize = 48;
inline constexpr std::size_t kFlashSize = 512 * 256;
// No more of a file is ever read: the header, the whole flash and the one byte that tells a file too long.
inline constexpr std::size_t kFirmwareReadLimit = kFirmwareHeaderSize + kFlashSize + 1;

// The selected firmware file, kept for the run.
struct FirmwareFile {
    std::string path;
    std::string title;
    std::uint64_t length = 0;            // from the file system
    std::vector<std::uint8_t> contents;  // at most kFirmwareReadLimit bytes of the file
    bool valid = false;
};

enum class FirmwareLoad : std::uint8_t {
    Ok = 0,
    NotFound = 21,
    BadHeader = 22,
    Unreadable = 23,  // cannot be opened or read, or shorter than the header
};

struct FirmwareRead {
    FirmwareLoad result = FirmwareLoad::Ok;
    std::uint64_t length = 0;
    std::vector<std::uint8_t> contents;
};

FirmwareRead readFirmwareFile(const std::string& path);

// True when the header text stands anywhere within the first 48 bytes, letter case exact.
bool hasFirmwareHeader(const std::vector<std::uint8_t>& contents);

// "Ver 1.2.3" from the bytes at offsets 33, 35 and 37.
std::string firmwareVersionCaption(const std::vector<std::uint8_t>& contents);

}  // namespace rq
