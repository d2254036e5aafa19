#include "sim/FirmwareGenerator.h"

#include <algorithm>
#include <fstream>

#include "core/firmware/FirmwareFile.h"
#include "sim/RqSystem.h"

namespace rq::sim {

std::vector<std::uint8_t> generateFirmware(const GeneratedFirmware& wanted) {
    std::vector<std::uint8_t> file(kFirmwareHeaderSize + wanted.dataLength, 0);
    std::fill(file.begin(), file.begin() + kFirmwareHeaderSize, ' ');
    std::copy(kFirmwareHeaderText.begin(), kFirmwareHeaderText.end(), file.begin());
    file[33] = wanted.version[0];
    file[35] = wanted.version[1];
    file[37] = wanted.version[2];
    for (std::size_t i = 0; i < wanted.dataLength; ++i) {
        file[kFirmwareHeaderSize + i] = static_cast<std::uint8_t>((i * 131 + 7) ^ (i >> 8));
    }
    const auto tag = firmwareTag(wanted.version[0], wanted.version[1], wanted.version[2]);
    std::copy_n(tag.begin(), std::min(tag.size(), wanted.dataLength), file.begin() + kFirmwareHeaderSize);
    return file;
}

bool writeFirmwareFile(const std::string& path, const GeneratedFirmware& wanted) {
    const auto bytes = generateFirmware(wanted);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace rq::sim
