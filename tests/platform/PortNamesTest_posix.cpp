#include <gtest/gtest.h>

#include "platform/PortNames.h"

namespace rq {
namespace {

// A listing the test changes between calls, as devices are plugged in and pulled out.
struct ChangingListing {
    std::vector<ListedPort> now;
    PortTable::Lister lister() {
        return [this] { return now; };
    }
};

TEST(PortNames, UsbAdaptersComeFirstThenOnBoardPortsEachInNameOrderNumberedFromOne) {
    const std::vector<ListedPort> listed = {
        {"/dev/ttyS10", false}, {"/dev/ttyUSB1", true},  {"/dev/ttyS2", false},  {"/dev/ttyACM0", true},
        {"/dev/ttyS0", false},  {"/dev/ttyUSB10", true}, {"/dev/ttyUSB2", true},
    };
    const std::vector<std::string> order = {"/dev/ttyACM0", "/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyUSB10",
                                            "/dev/ttyS0",   "/dev/ttyS2",   "/dev/ttyS10"};
    const PortTable table([&listed] { return listed; });
    const auto ports = table.ports();
    ASSERT_EQ(ports.size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(ports[i].number, int(i) + 1);
        EXPECT_EQ(table.deviceName(int(i) + 1), order[i]);
    }
    for (const int number : {0, 8, -1}) EXPECT_EQ(table.deviceName(number), "") << number;
}

// A look-up lists the devices afresh, unless the last listing is younger than the table was told.
TEST(PortNames, ALookUpListsTheDevicesAfreshUnlessTheLastListingIsRecent) {
    ChangingListing listing;
    listing.now = {{"/dev/ttyS0", false}};
    PortTable fresh(listing.lister());
    PortTable recent(listing.lister(), std::chrono::hours(1));
    listing.now = {{"/dev/ttyS0", false}, {"/dev/ttyUSB0", true}};  // plugged in
    EXPECT_EQ(fresh.currentDevice(1), "/dev/ttyUSB0");
    EXPECT_EQ(recent.currentDevice(1), "/dev/ttyS0");
    recent.refresh();
    EXPECT_EQ(recent.currentDevice(1), "/dev/ttyUSB0");
}

TEST(PortNames, ARegisteredPathKeepsItsNumberWhateverIsPluggedInLater) {
    ChangingListing listing;
    PortTable table(listing.lister());
    EXPECT_EQ(table.registerDevicePath("/dev/pts/3"), 1) << "an empty listing leaves COM1 free";
    EXPECT_EQ(table.deviceName(1), "/dev/pts/3");

    listing.now = {{"/dev/ttyUSB0", true}, {"/dev/ttyS0", false}};
    table = PortTable(listing.lister());
    EXPECT_EQ(table.registerDevicePath("/dev/ttyS0"), 2);
    EXPECT_EQ(table.registerDevicePath("/dev/pts/5"), 3);
    EXPECT_EQ(table.registerDevicePath("/dev/pts/7"), 4);
    EXPECT_EQ(table.registerDevicePath("/dev/pts/5"), 3);

    listing.now = {
        {"/dev/ttyUSB0", true}, {"/dev/ttyUSB1", true}, {"/dev/ttyS0", false}, {"/dev/ttyS1", false}};
    EXPECT_EQ(table.currentDevice(2), "/dev/ttyS0");
    EXPECT_EQ(table.currentDevice(3), "/dev/pts/5");
    EXPECT_EQ(table.currentDevice(4), "/dev/pts/7");
    EXPECT_EQ(table.currentDevice(1), "/dev/ttyUSB0");
    EXPECT_EQ(table.registerDevicePath("/dev/ttyS1"), 5) << "its listed number 4 is taken";
}

}  // namespace
}  // namespace rq
