#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QSerialPortInfo;

namespace rq {

// A serial device as the system lists it.
struct ListedPort {
    ListedPort() = default;
    ListedPort(std::string devicePath, bool isUsb = false) : path(std::move(devicePath)), usb(isUsb) {}

    std::string path;  // the name it is opened by: /dev/ttyUSB0, or COM3 on Windows
    bool usb = false;
    // What the system tells of a USB adapter; unset or empty for other ports.
    std::optional<std::uint16_t> vendorId;
    std::optional<std::uint16_t> productId;
    std::string manufacturer;
    std::string description;
    std::string serialNumber;
};

struct NumberedPort {
    int number = 0;  // n of COMn
    ListedPort device;
};

// The serial devices the system lists now.
std::vector<ListedPort> systemPorts();
// The name a listed device is opened by: its path on POSIX systems, COMn on Windows; empty for one
// that is listed under another name as well and is opened by that.
std::string openingName(const QSerialPortInfo& info);

// The order in which COM1, COM2, ... number the listed devices: USB adapters first, then on-board
// ports, each in natural name order (ttyS2 before ttyS10).
std::vector<ListedPort> numberingOrder(std::vector<ListedPort> ports);

// Which device each port number COMn stands for. On Windows COMn is the system's own COMn; elsewhere
// the numbers are given to the listed serial devices in numbering order, so a device that went and came
// back under another path keeps its number as long as the others stay. A path given by name (a
// pseudo-terminal, say) is pinned to its number for good.
class PortTable {
  public:
    using Lister = std::function<std::vector<ListedPort>()>;

    // Lists the devices at once, and again at every refresh(). A look-up of the current device lists
    // them afresh unless the listing is younger than `reuseFor`.
    explicit PortTable(Lister lister, std::chrono::milliseconds reuseFor = {});
    // The system's devices. Listing them takes tens of milliseconds, so the settings dialog's sixteen
    // tries share one listing.
    static PortTable system();

    void refresh();
    // The device of COMn as the system lists it now; empty when there is none.
    std::string currentDevice(int number);
    // The device of COMn as last listed; empty when there is none.
    std::string deviceName(int number) const;
    // The listed devices with their numbers, as last listed.
    std::vector<NumberedPort> ports() const;
    // The number of a device path: the one pinned to it, or the one it is listed at, or the next free one.
    int registerDevicePath(const std::string& path);

  private:
    Lister lister_;
    std::chrono::milliseconds reuseFor_;
    std::chrono::steady_clock::time_point listedAt_;
    std::vector<ListedPort> listed_;  // in numbering order
    std::map<int, std::string> pinned_;
};

}  // namespace rq
