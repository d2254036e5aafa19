#pragma once

#include <string>
#include <vector>

namespace rq {

// A serial device as the system lists it.
struct ListedPort {
    std::string path;  // e.g. /dev/ttyUSB0
    bool usb = false;
};

// The order in which COM1, COM2, ... number the listed devices: USB adapters first, then on-board
// ports, each in natural name order (ttyS2 before ttyS10).
std::vector<std::string> numberingOrder(std::vector<ListedPort> ports);

// Which device each port number COMn stands for. On Windows COMn is the system's own COMn; elsewhere
// the numbers are given to the listed serial devices, and further paths (a pseudo-terminal, say) can
// be registered after them.
class PortTable {
  public:
    PortTable() = default;
    explicit PortTable(std::vector<std::string> devices) : devices_(std::move(devices)) {}
    // The serial devices the system lists now.
    static PortTable fromSystem();

    // The device of COMn; empty when there is none.
    std::string deviceName(int number) const;
    // The number of a device path: the one it already has, or the next free one.
    int registerDevicePath(const std::string& path);

  private:
    std::vector<std::string> devices_;
};

}  // namespace rq
