#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rq::sim {

struct FaultInfo {
    std::string_view name;
    std::string_view value;  // what follows "=", empty when the fault takes none
    std::string_view help;
};

// Every fault the simulated device can be asked for, in both of its modes.
const std::vector<FaultInfo>& faultCatalogue();
std::string faultHelp();

// The faults asked for, as NAME or NAME=VALUE.
class Faults {
  public:
    // Adds one; returns a one-line reason when the name is unknown or the value is missing or not wanted.
    std::optional<std::string> add(std::string_view entry);

    bool has(std::string_view name) const { return values_.count(std::string(name)) != 0; }
    std::optional<std::string> text(std::string_view name) const;
    std::optional<long> number(std::string_view name) const;                                     // "N"
    std::optional<std::uint8_t> hexByte(std::string_view name) const;                            // "HH"
    std::optional<std::pair<long, std::uint8_t>> numberAndHexByte(std::string_view name) const;  // "N:HH"
    std::optional<double> rate(std::string_view name) const;  // "RATE": 0 to 1, such as 1e-4

  private:
    bool wellFormed(const FaultInfo& fault) const;

    std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace rq::sim
