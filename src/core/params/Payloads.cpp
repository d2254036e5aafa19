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

// The single byte of a one-byte payload, or the first of a two-byte one.
template <std::size_t Size>
void takeFirstByte(const CommandRecord& response, std::uint8_t& field) {
    const auto data = payload(response);
    if (data.size() == Size) field = data[0];
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

void handleModelName(const CommandRecord& response, ResponseTarget& target) {
    const auto data = payload(response);
    if (data.size() == kModelNameLength) target.store.ModelName = characters(data);
}

void handleSerialNumber(const CommandRecord& response, ResponseTarget& target) {
    const auto data = payload(response);
    if (data.size() == kSerialNumberLength) target.store.SerialNumber = characters(data);
}

void handleParam03(const CommandRecord& response, ResponseTarget& target) {
    takeFirstByte<1>(response, target.store.Param03Value);
}

void handleParam04(const CommandRecord& response, ResponseTarget& target) {
    takeFirstByte<2>(response, target.store.Param04Value);
}

void handleFirmwareVersion(const CommandRecord& response, ResponseTarget& target) {
    const auto data = payload(response);
    if (data.size() == target.store.FirmwareVersion.size()) {
        std::copy(data.begin(), data.end(), target.store.FirmwareVersion.begin());
    }
}

void handleParam06(const CommandRecord& response, ResponseTarget& target) {
    takeFirstByte<2>(response, target.store.Param06Value);
}

void handleAccessMode(const CommandRecord& response, ResponseTarget& target) {
    const auto data = payload(response);
    if (data.size() != 1 && data.size() != 7) return;
    const std::uint8_t mode = data[0];
    if (mode > 2) return;
    target.store.KeepPortOpen = mode != 0;
    target.store.AccessModeCoded = mode == 2 ? 1 : 0;
}

void handlePasswordRead(const CommandRecord& response, ResponseTarget& target) {
    const auto data = payload(response);
    const std::string password = data.size() == kPasswordLength ? characters(data) : std::string();
    target.view.showMessage("パスワードの確認", password);
}

}  // namespace rq
