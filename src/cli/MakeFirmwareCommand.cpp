#include "cli/MakeFirmwareCommand.h"

#include <array>
#include <ostream>
#include <variant>

#include "cli/Options.h"
#include "sim/FirmwareGenerator.h"

namespace rq::cli {
namespace {

constexpr std::size_t kMaxGeneratedData = 16u << 20;

struct MakeFirmwareOptions {
    std::string outputPath;
    sim::GeneratedFirmware firmware;
};

std::optional<std::array<std::uint8_t, 3>> parseVersion(const std::string& text) {
    std::array<std::uint8_t, 3> version{};
    std::size_t start = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t dot = text.find('.', start);
        if ((i < 2) == (dot == std::string::npos)) return std::nullopt;
        const auto number = wholeNumber(text.substr(start, dot == std::string::npos ? dot : dot - start));
        if (!number || *number > 255) return std::nullopt;
        version[i] = static_cast<std::uint8_t>(*number);
        start = dot + 1;
    }
    return version;
}

std::variant<MakeFirmwareOptions, UsageError> parse(const std::vector<std::string>& args) {
    MakeFirmwareOptions options;
    ArgReader reader(args);
    while (!reader.done()) {
        const std::string& word = reader.next();
        if (word == "--version" || word == "--length") {
            const auto value = reader.value();
            if (!value) return UsageError{missingValue(word)};
            if (word == "--version") {
                const auto version = parseVersion(*value);
                if (!version)
                    return UsageError{"--version takes A.B.C with numbers 0 to 255, not '" + *value + "'"};
                options.firmware.version = *version;
            } else {
                const auto length = wholeNumber(*value);
                if (!length || *length > kMaxGeneratedData)
                    return UsageError{"--length takes 0 to 16777216, not '" + *value + "'"};
                options.firmware.dataLength = static_cast<std::size_t>(*length);
            }
        } else if (isOption(word)) {
            return UsageError{"unknown option " + word};
        } else if (!options.outputPath.empty()) {
            return UsageError{"one output file only, not also '" + word + "'"};
        } else {
            options.outputPath = word;
        }
    }
    if (options.outputPath.empty()) return UsageError{"make-firmware needs an output file"};
    return options;
}

}  // namespace

const char* const kMakeFirmwareSynopsis =
    "  rqfwup-cli make-firmware OUT.bin [--version A.B.C] [--length N]\n"
    "                                             write a valid firmware file (N data bytes, default "
    "131072)\n";

int runMakeFirmware(const std::vector<std::string>& args, const Io& io) {
    const auto parsed = parse(args);
    if (const auto* error = std::get_if<UsageError>(&parsed)) return wrongCommandLine(io, error->reason);
    const auto& [outputPath, firmware] = std::get<MakeFirmwareOptions>(parsed);
    if (!sim::writeFirmwareFile(outputPath, firmware)) {
        io.err << "rqfwup-cli: cannot write " << outputPath << "\n";
        return 1;
    }
    io.out << "wrote " << outputPath << ": version " << int(firmware.version[0]) << "."
           << int(firmware.version[1]) << "." << int(firmware.version[2]) << ", " << firmware.dataLength
           << " data bytes\n";
    return 0;
}

}  // namespace rq::cli
