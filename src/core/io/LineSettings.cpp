#include "core/io/LineSettings.h"

#include <charconv>
#include <vector>

namespace rq {
namespace {

std::vector<std::string_view> splitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        fields.push_back(text.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (comma == std::string_view::npos) return fields;
        start = comma + 1;
    }
}

std::optional<std::uint32_t> parseNumber(std::string_view field) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size() || field.empty()) return std::nullopt;
    return value;
}

std::optional<Parity> parseParity(std::string_view field) {
    if (field.size() != 1) return std::nullopt;
    switch (field[0]) {
        case 'E':
        case 'e':
            return Parity::Even;
        case 'N':
        case 'n':
            return Parity::None;
        case 'O':
        case 'o':
            return Parity::Odd;
        case 'S':
        case 's':
            return Parity::Space;
        case 'M':
        case 'm':
            return Parity::Mark;
        default:
            return std::nullopt;
    }
}

std::optional<StopBits> parseStopBits(std::string_view field) {
    if (field == "1") return StopBits::One;
    if (field == "1.5") return StopBits::OneAndHalf;
    if (field == "2") return StopBits::Two;
    return std::nullopt;
}

}  // namespace

std::optional<LineSettings> parseLineSettings(std::string_view text) {
    const auto fields = splitFields(text);
    if (fields.size() != 4) return std::nullopt;
    const auto baud = parseNumber(fields[0]);
    const auto parity = parseParity(fields[1]);
    const auto dataBits = parseNumber(fields[2]);
    const auto stopBits = parseStopBits(fields[3]);
    if (!baud || *baud == 0 || !parity || !dataBits || *dataBits < 4 || *dataBits > 8 || !stopBits) {
        return std::nullopt;
    }
    return LineSettings{*baud, *parity, static_cast<int>(*dataBits), *stopBits};
}

std::string formatLineSettings(const LineSettings& settings) {
    static constexpr char kParityLetters[] = {'E', 'N', 'O', 'S', 'M'};
    static constexpr const char* kStopTexts[] = {"1", "1.5", "2"};
    return std::to_string(settings.baud) + "," + kParityLetters[static_cast<int>(settings.parity)] + "," +
           std::to_string(settings.dataBits) + "," + kStopTexts[static_cast<int>(settings.stopBits)];
}

int bitsPerCharacter(const LineSettings& settings) {
    const int parityBits = settings.parity == Parity::None ? 0 : 1;
    const int stopBits = settings.stopBits == StopBits::One ? 1 : 2;
    return 1 + settings.dataBits + parityBits + stopBits;
}

}  // namespace rq
