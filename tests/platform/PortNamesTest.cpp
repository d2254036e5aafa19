#include <gtest/gtest.h>

#include "platform/PortNames.h"

namespace rq {
namespace {

TEST(PortNames, UsbAdaptersComeFirstThenOnBoardPortsEachInNameOrder) {
    const std::vector<ListedPort> listed = {
        {"/dev/ttyS10", false}, {"/dev/ttyUSB1", true},  {"/dev/ttyS2", false},  {"/dev/ttyACM0", true},
        {"/dev/ttyS0", false},  {"/dev/ttyUSB10", true}, {"/dev/ttyUSB2", true},
    };
    EXPECT_EQ(numberingOrder(listed),
              (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyUSB10",
                                        "/dev/ttyS0", "/dev/ttyS2", "/dev/ttyS10"}));
}

TEST(PortNames, NumbersStartAtOne) {
    const PortTable table({"/dev/ttyUSB0", "/dev/ttyS0"});
    EXPECT_EQ(table.deviceName(1), "/dev/ttyUSB0");
    EXPECT_EQ(table.deviceName(2), "/dev/ttyS0");
    for (const int number : {0, 3, 16, -1}) EXPECT_EQ(table.deviceName(number), "") << number;
}

TEST(PortNames, RegisteringAPathKeepsItsNumberOrAppendsIt) {
    PortTable table({"/dev/ttyUSB0", "/dev/ttyS0"});
    EXPECT_EQ(table.registerDevicePath("/dev/ttyS0"), 2);
    EXPECT_EQ(table.registerDevicePath("/dev/pts/5"), 3);
    EXPECT_EQ(table.registerDevicePath("/dev/pts/7"), 4);
    EXPECT_EQ(table.registerDevicePath("/dev/pts/5"), 3);
    EXPECT_EQ(table.deviceName(3), "/dev/pts/5");
    EXPECT_EQ(table.deviceName(4), "/dev/pts/7");
    EXPECT_EQ(table.deviceName(1), "/dev/ttyUSB0");
}

TEST(PortNames, AnEmptyTableGivesTheFirstRegisteredPathCom1) {
    PortTable table;
    EXPECT_EQ(table.deviceName(1), "");
    EXPECT_EQ(table.registerDevicePath("/dev/pts/3"), 1);
    EXPECT_EQ(table.deviceName(1), "/dev/pts/3");
}

}  // namespace
}  // namespace rq
