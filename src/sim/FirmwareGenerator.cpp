#include "sim/FirmwareGenerator.h"

#include <algorithm>
#include <fstream>

#include "core/firmware/FirmwareFile.h"
#include "sim/RqSystem.h"

namespace rq::sim {

std::vector<std::uint8_t> generateFirmware(const GeneratedFirmware& spec) {
    std::vector<std::uint8_t> file(kFirmwareHeaderSize + spec.dataLength, 0);
    std::fill(file.begin(), file.begin() + kFirmwareHeaderSize, ' ');
    std::copy(kFirmwareHeaderText.begin(), kFirmwareHeaderText.end(), file.begin());
    file[33] = spec.version[0];
    file[35] = spec.version[1];
    file[37] = spec.version[2];
    for (std::size_t i = 0; i < spec.dataLength; ++i) {
        file[kFirmwareHeaderSize + i] = static_cast<std::uint8_t>((i * 131 + 7) ^ (i >> 8));
    }
    const auto tag = firmwareTag(spec.version[0], spec.version[1], spec.version[2]);
    std::copy_n(tag.begin(), std::min(tag.size(), spec.dataLength), file.begin() + kFirmwareHeaderSize);
    return file;
}

bool writeFirmwareFile(const std::string& path, const GeneratedFirmware& spec) {
    const auto bytes = generateFirmware(spec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace rq::sim
