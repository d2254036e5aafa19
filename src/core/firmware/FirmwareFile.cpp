#include "core/firmware/FirmwareFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace rq {

FirmwareRead readFirmwareFile(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status)) return {FirmwareLoad::NotFound, 0, {}};
    const auto size = std::filesystem::file_size(path, error);
    if (error) return {FirmwareLoad::Unreadable, 0, {}};

    std::ifstream file(path, std::ios::binary);
    if (!file) return {FirmwareLoad::Unreadable, 0, {}};
    std::vector<std::uint8_t> contents(
        static_cast<std::size_t>(std::min<std::uint64_t>(size, kFirmwareReadLimit)));
    file.read(reinterpret_cast<char*>(contents.data()), static_cast<std::streamsize>(contents.size()));
    if (file.bad() || static_cast<std::size_t>(file.gcount()) != contents.size()) {
        return {FirmwareLoad::Unreadable, 0, {}};
    }
    if (contents.size() < kFirmwareHeaderSize) return {FirmwareLoad::Unreadable, 0, {}};
    if (!hasFirmwareHeader(contents)) return {FirmwareLoad::BadHeader, size, std::move(contents)};
    return {FirmwareLoad::Ok, size, std::move(contents)};
}

bool hasFirmwareHeader(const std::vector<std::uint8_t>& contents) {
    if (contents.size() < kFirmwareHeaderSize) return false;
    const std::string_view header(reinterpret_cast<const char*>(contents.data()), kFirmwareHeaderSize);
    return header.find(kFirmwareHeaderText) != std::string_view::npos;
}

std::string firmwareVersionCaption(const std::vector<std::uint8_t>& contents) {
    return "Ver " + std::to_string(contents.at(33)) + "." + std::to_string(contents.at(35)) + "." +
           std::to_string(contents.at(37));
}

}  // namespace rq
