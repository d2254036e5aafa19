#include <gtest/gtest.h>

#include "platform/PortNames.h"

namespace rq {
namespace {

// COMn is the system's own port COMn, listed or not; the listing gives the ports that `ports` shows.
TEST(PortNamesOnWindows, EveryNumberIsTheSystemsOwnPort) {
    PortTable table([] {
        return std::vector<ListedPort>{{"COM10", true}, {"COM3", false}, {"LPT1", false}, {"COM16", true}};
    });
    std::vector<std::pair<int, std::string>> listed;
    for (const NumberedPort& port : table.ports()) listed.emplace_back(port.number, port.device.path);
    EXPECT_EQ(listed, (std::vector<std::pair<int, std::string>>{{3, "COM3"}, {10, "COM10"}, {16, "COM16"}}));

    const struct {
        int number;
        const char* device;
    } numbers[] = {{1, "COM1"}, {3, "COM3"}, {10, "COM10"}, {16, "COM16"}, {0, ""}, {-1, ""}};
    for (const auto& row : numbers) {
        EXPECT_EQ(table.deviceName(row.number), row.device) << row.number;
        EXPECT_EQ(table.currentDevice(row.number), row.device) << row.number;
    }
}

// Each row: a port as a user names it, and its number; 0 for anything that is no COM port.
TEST(PortNamesOnWindows, ANamedPortIsItsComNumber) {
    const struct {
        const char* name;
        int number;
    } rows[] = {
        {"COM5", 5}, {"com12", 12}, {"\\\\.\\COM10", 10}, {"COM255", 255},
        {"COM256", 0}, {"COM0", 0}, {"/dev/ttyUSB0", 0}, {"LPT1", 0},
    };
    PortTable table([] { return std::vector<ListedPort>{}; });
    for (const auto& row : rows) EXPECT_EQ(table.registerDevicePath(row.name), row.number) << row.name;
}

}  // namespace
}  // namespace rq
