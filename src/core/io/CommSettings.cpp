#include "core/io/CommSettings.h"

#include <charconv>

namespace rq {

std::optional<int> comPortNumber(const std::string& port) {
    if (port.size() < 4 || port.compare(0, 3, "COM") != 0) return std::nullopt;
    int number = 0;
    const char* end = port.data() + port.size();
    const auto [at, error] = std::from_chars(port.data() + 3, end, number);
    if (error != std::errc() || at != end || number < 1 || number > 255) return std::nullopt;
    return number;
}

std::string CommSettings::lineSettingsText() const {
    return CommBaudrate + "," + Parity + "," + DataBits + "," + StopBits;
}

}  // namespace rq
