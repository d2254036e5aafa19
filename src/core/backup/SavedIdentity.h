#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/params/ParameterStore.h"

namespace rq {

// What step 2 read from a device, kept on disk until step 7 has written it back.
struct SavedIdentity {
    std::string model;   // the device's 8 bytes, one character each
    std::string serial;  // its 6 bytes
    std::uint8_t param04 = 0;
    std::uint8_t param06 = 0;
    std::array<std::uint8_t, 2> version{};  // the firmware version it ran
    std::string time;                       // when it was read: "2026-12-07T02:15:58.123Z"
    std::string port;                       // "COM3"
    std::string device;                     // the system's name of the port, such as "/dev/ttyUSB0"
    std::optional<std::string> restored;    // when step 7 wrote it back, in the form of `time`

    friend bool operator==(const SavedIdentity&, const SavedIdentity&) = default;
};

// The identity group of the store, as step 2 left it.
SavedIdentity identityOfStore(const ParameterStore& store);
// Puts a saved identity into the store, as step 2 would have.
void loadIntoStore(const SavedIdentity& identity, ParameterStore& store);

// A moment as the files write it: UTC, to the millisecond.
std::string utcTimeText(std::chrono::system_clock::time_point time);
// The moment such a text names; nullopt for any other text.
std::optional<std::chrono::system_clock::time_point> parseUtcTime(std::string_view text);

// The members of a backup's JSON object, in order, each value as JSON: the character fields both as text
// and as their bytes.
std::vector<std::pair<std::string, std::string>> backupFields(const SavedIdentity& identity);
// The file's text: that object, one member a line.
std::string backupFileText(const SavedIdentity& identity);

struct BackupRead {
    std::optional<SavedIdentity> identity;
    std::string refusal;  // why the text is no backup this program can use; empty when read
};

// Reads a file's text; anything but a whole, consistent backup of this format is refused.
BackupRead readBackupText(std::string_view text);

}  // namespace rq
