#include "sim/Faults.h"

#include <charconv>

namespace rq::sim {
namespace {

// The longest latency timer common adapters can be set to.
constexpr long kMaxLatency = 255;

template <typename T, typename... Format>
std::optional<T> parseWhole(std::string_view text, Format... format) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, format...);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

const std::vector<FaultInfo>& faultCatalogue() {
    static const std::vector<FaultInfo> kCatalogue = {
        // Boot firmware (programming mode).
        {"reset-nack", "N", "NACK the first N resets"},
        {"reset-silent", "", "never answer a reset"},
        {"dsr-held", "", "hold DSR on in programming mode"},
        {"ofs-status", "HH", "answer the clock setting with status HH"},
        {"erase-status", "HH", "answer the chip erase with status HH"},
        {"write-cmd-status", "HH", "answer the programming command with status HH"},
        {"write-block-st2", "N:HH", "answer written block N with ST2 HH"},
        {"final-write-silent", "", "send no final status after the last written block"},
        {"security-status", "HH", "answer the security command with status HH"},
        {"security-second-silent", "", "send no second status after the security data"},
        {"verify-mismatch", "N", "flash block N differs from what is verified"},
        {"verify-st2", "N:HH", "answer verified block N with ST2 HH"},
        {"bad-sum", "STAGE|N",
         "a wrong SUM at a boot stage (reset, ofs, baudrate, erase, write, security, "
         "verify), or a wrong checksum on normal-mode response N"},
        {"power-off-at-block", "N", "lose power while block N is written"},
        // Normal-mode firmware.
        {"silent-after", "N", "no answer after N exchanges"},
        {"refuse", "N", "status 01h to the first N requests"},
        {"busy", "N", "status 33h to the first N requests"},
        {"cts-off", "", "never raise CTS"},
        {"silent-124", "", "never answer the parameter initialisation"},
        {"oversize-response", "", "answer with a length byte above 245"},
        {"identity-bytes", "", "a model name and serial number with NUL, control and 80h to FFh bytes"},
        {"identity-nul", "", "a model name that contains NUL bytes"},
        {"short-answer", "N", "answer the first read of command N one byte short"},
        {"channel-zero", "N", "answer the first read of command N with channel byte 0"},
        // The computer's end of the line.
        {"latency", "MS", "a USB adapter that holds short replies up to MS ms (0 to 255)"},
        // The cable.
        {"noise", "RATE",
         "per byte, flip a bit, drop, duplicate or insert a byte at RATE in all (such as 1e-4), both "
         "ways, both modes"},
    };
    return kCatalogue;
}

std::string faultHelp() {
    std::string help;
    for (const FaultInfo& fault : faultCatalogue()) {
        std::string name(fault.name);
        if (!fault.value.empty()) name.append("=").append(fault.value);
        help.append("  ").append(name).append(name.size() < 26 ? 26 - name.size() : 1, ' ');
        help.append(fault.help).append("\n");
    }
    return help;
}

std::optional<std::string> Faults::add(std::string_view entry) {
    const auto equals = entry.find('=');
    const std::string_view name = entry.substr(0, equals);
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view() : entry.substr(equals + 1);
    for (const FaultInfo& fault : faultCatalogue()) {
        if (fault.name != name) continue;
        if (fault.value.empty() != (equals == std::string_view::npos)) {
            return fault.value.empty()
                       ? "fault " + std::string(name) + " takes no value"
                       : "fault " + std::string(name) + " needs a value: " + std::string(name) + "=" +
                             std::string(fault.value);
        }
        values_[std::string(name)] = std::string(value);
        if (wellFormed(fault)) return std::nullopt;
        values_.erase(std::string(name));
        return "fault " + std::string(name) + " wants " + std::string(name) + "=" + std::string(fault.value);
    }
    return "unknown fault '" + std::string(name) + "' (--sim-fault help lists them)";
}

bool Faults::wellFormed(const FaultInfo& fault) const {
    const std::string_view kind = fault.value;
    if (kind == "N") return number(fault.name).has_value();
    if (kind == "MS") {
        const long millis = number(fault.name).value_or(-1);
        return millis >= 0 && millis <= kMaxLatency;
    }
    if (kind == "HH") return hexByte(fault.name).has_value();
    if (kind == "N:HH") return numberAndHexByte(fault.name).has_value();
    if (kind == "RATE") return rate(fault.name).has_value();
    return kind.empty() || !text(fault.name).value_or("").empty();
}

std::optional<std::string> Faults::text(std::string_view name) const {
    const auto it = values_.find(name);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

std::optional<long> Faults::number(std::string_view name) const {
    const auto value = text(name);
    return value ? parseWhole<long>(*value, 10) : std::nullopt;
}

std::optional<std::uint8_t> Faults::hexByte(std::string_view name) const {
    const auto value = text(name);
    return value ? parseWhole<std::uint8_t>(*value, 16) : std::nullopt;
}

std::optional<double> Faults::rate(std::string_view name) const {
    const auto value = text(name);
    const auto parsed = value ? parseWhole<double>(*value) : std::nullopt;
    if (!parsed || !(*parsed >= 0 && *parsed <= 1)) return std::nullopt;
    return parsed;
}

std::optional<std::pair<long, std::uint8_t>> Faults::numberAndHexByte(std::string_view name) const {
    const auto value = text(name);
    if (!value) return std::nullopt;
    const auto colon = value->find(':');
    if (colon == std::string::npos) return std::nullopt;
    const auto block = parseWhole<long>(std::string_view(*value).substr(0, colon), 10);
    const auto status = parseWhole<std::uint8_t>(std::string_view(*value).substr(colon + 1), 16);
    if (!block || !status) return std::nullopt;
    return std::make_pair(*block, *status);
}

}  // namespace rq::sim
