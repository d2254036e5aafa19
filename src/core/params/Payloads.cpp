#include "core/params/Payloads.h"

#include <algorithm>
#include <string>
#include <vector>

namespace rq {
namespace {

constexpr std::size_t kModelNameLength = 8;
constexpr std::size_t kSerialNumberLength = 6;
constexpr std::size_t kPasswordLength = 6;
constexpr std::size_t kMaxCodeLength = 254;  // the code and the mode byte must fit the length byte

void setData(CommandRecord& record, std::vector<std::uint8_t> data) {
    record.Length = static_cast<std::uint8_t>(data.size());
    record.Data = std::move(data);
}

// Reads carry no data; a write carries what `writeData` gives.
template <typename WriteData>
void build(CommandRecord& record, WriteData writeData) {
    setData(record, record.ReadWrite == kWrite ? writeData() : std::vector<std::uint8_t>{});
}

// Exactly `count` character codes; what the text lacks goes out as 0.
std::vector<std::uint8_t> characterCodes(const std::string& text, std::size_t count) {
    std::vector<std::uint8_t> codes(count, 0);
    std::copy_n(text.begin(), std::min(count, text.size()), codes.begin());
    return codes;
}

std::string characters(std::span<const std::uint8_t> bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// The identity the backup read is what step 7 writes back: the answer to a write never changes it.
bool answersRead(const ResponseTarget& target) {
    return target.requestReadWrite != kWrite;
}

// The single byte of a one-byte payload, or the first of a two-byte one.
template <std::size_t Size>
bool takeFirstByte(const CommandRecord& response, const ResponseTarget& target, std::uint8_t& field) {
    const auto data = payload(response);
    if (data.size() != Size || !answersRead(target)) return false;
    field = data[0];
    target.wrote(field);
    return true;
}

bool takeCharacters(const CommandRecord& response, const ResponseTarget& target, std::size_t size,
                    std::string& field) {
    const auto data = payload(response);
    if (data.size() != size || !answersRead(target)) return false;
    field = characters(data);
    target.wrote(field);
    return true;
}

}  // namespace

void buildModelName(CommandRecord& record, const ParameterStore& store) {
    build(record, [&] { return characterCodes(store.ModelName, kModelNameLength); });
}

void buildSerialNumber(CommandRecord& record, const ParameterStore& store) {
    build(record, [&] { return characterCodes(store.SerialNumber, kSerialNumberLength); });
}

void buildParam03(CommandRecord& record, const ParameterStore& store) {
    build(record, [&] { return std::vector<std::uint8_t>{store.Param03Value}; });
}

void buildParam04(CommandRecord& record, const ParameterStore& store) {
    build(record, [&] { return std::vector<std::uint8_t>{store.Param04Value, 0}; });
}

void buildFirmwareVersion(CommandRecord& record, const ParameterStore& store) {
    build(record, [&] {
        return std::vector<std::uint8_t>(store.FirmwareVersion.begin(), store.FirmwareVersion.end());
    });
}

void buildParam06(CommandRecord& record, const ParameterStore& store) {
    build(record, [&] { return std::vector<std::uint8_t>{store.Param06Value, 0}; });
}

void buildAccessMode(CommandRecord& record, const ParameterStore& store) {
    build(record, [&] {
        const std::uint8_t mode = store.AccessModeRequest;
        if (mode > 2) return std::vector<std::uint8_t>(7, 0);
        const std::string code = mode == 2 ? store.AccessCode.substr(0, kMaxCodeLength) : kAccessCode;
        std::vector<std::uint8_t> data{mode};
        data.insert(data.end(), code.begin(), code.end());
        return data;
    });
}

bool handleModelName(const CommandRecord& response, ResponseTarget& target) {
    return takeCharacters(response, target, kModelNameLength, target.store.ModelName);
}

bool handleSerialNumber(const CommandRecord& response, ResponseTarget& target) {
    return takeCharacters(response, target, kSerialNumberLength, target.store.SerialNumber);
}

bool handleParam03(const CommandRecord& response, ResponseTarget& target) {
    return takeFirstByte<1>(response, target, target.store.Param03Value);
}

bool handleParam04(const CommandRecord& response, ResponseTarget& target) {
    return takeFirstByte<2>(response, target, target.store.Param04Value);
}

bool handleFirmwareVersion(const CommandRecord& response, ResponseTarget& target) {
    const auto data = payload(response);
    if (data.size() != target.store.FirmwareVersion.size() || !answersRead(target)) return false;
    std::copy(data.begin(), data.end(), target.store.FirmwareVersion.begin());
    for (const std::uint8_t& byte : target.store.FirmwareVersion) target.wrote(byte);
    return true;
}

bool handleParam06(const CommandRecord& response, ResponseTarget& target) {
    return takeFirstByte<2>(response, target, target.store.Param06Value);
}

bool handleAccessMode(const CommandRecord& response, ResponseTarget& target) {
    const auto data = payload(response);
    if (data.size() != 1 && data.size() != 7) return false;
    const std::uint8_t mode = data[0];
    if (mode > 2) return false;
    target.store.KeepPortOpen = mode != 0;
    target.store.AccessModeCoded = mode == 2 ? 1 : 0;
    return true;
}

bool handlePasswordRead(const CommandRecord& response, ResponseTarget& target) {
    const auto data = payload(response);
    const bool whole = data.size() == kPasswordLength;
    target.view.showMessage("パスワードの確認", whole ? characters(data) : std::string(), {});
    return whole;
}

}  // namespace rq
