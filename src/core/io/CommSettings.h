#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rq {

// The serial settings of one run; every run starts from these values.
struct CommSettings {
    std::uint8_t ComPort = 1;
    std::string CommBaudrate = "307200";
    std::uint8_t UpBaudrateIndex = 3;
    std::string Parity = "O";
    std::string DataBits = "8";
    std::string StopBits = "1";
    std::uint8_t FlowCtl = 0;

    // The normal-mode line settings text, "307200,O,8,1" with the start values.
    std::string lineSettingsText() const;
};

// "COM12" gives 12; nullopt for anything that is not COM1 to COM255.
std::optional<int> comPortNumber(const std::string& port);

// The handshaking by FlowCtl, in words for a command line or a record.
inline constexpr std::array<std::string_view, 4> kFlowWords = {"none", "xonxoff", "rtscts", "both"};

// The speeds of flash programming, by UpBaudrateIndex.
inline constexpr std::array<std::string_view, 6> kUpBaudrates = {"9600",  "19200", "31250",
                                                                 "38400", "76800", "153600"};

}  // namespace rq
