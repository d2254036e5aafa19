#include <gtest/gtest.h>

#include "core/settings/PortConf.h"
#include "platform/PortSurvey.h"
#include "platform/PseudoTerminal.h"

namespace rq {
namespace {

TEST(PortSurvey, TriesEveryListedDeviceInTheDialogsNumbering) {
    const test::PseudoTerminal adapter;
    ListedPort usb(adapter.path(), true);
    usb.vendorId = 0x0403;
    usb.serialNumber = "A50285BI";
    const std::vector<ListedPort> listed = {{"/dev/rq-gone-9", false}, usb};
    QtPort port{PortTable([&listed] { return listed; })};

    const auto reports = surveyPorts(port);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].port.number, 1);
    EXPECT_EQ(reports[0].port.device.path, adapter.path());
    EXPECT_EQ(reports[0].port.device.serialNumber, "A50285BI");
    EXPECT_TRUE(reports[0].opens);
    EXPECT_EQ(reports[1].port.number, 2);
    EXPECT_FALSE(reports[1].opens);
    ASSERT_TRUE(reports[1].failure.has_value());
    EXPECT_EQ(reports[1].failure->problem, OpenProblem::Missing);
    EXPECT_FALSE(port.isOpen());
}

std::vector<int> numbers(const PortProbe& probe) {
    std::vector<int> found;
    for (const FoundPort& port : probe.found) found.push_back(port.number);
    return found;
}

TEST(PortSurvey, APortLeftOpenIsProbedLikeTheOthers) {
    const test::PseudoTerminal adapter;
    QtPort port{PortTable([] { return std::vector<ListedPort>{{"/dev/rq-gone-1"}}; })};
    port.setPortNumber(port.portTable().registerDevicePath(adapter.path()));
    ASSERT_EQ(port.portNumber(), 2);
    ASSERT_EQ(port.open(), PortError::None);
    EXPECT_EQ(numbers(probePorts(port)), std::vector<int>{2}) << "COM1 is gone, whatever was open";
    EXPECT_EQ(port.portNumber(), 2);
}

}  // namespace
}  // namespace rq
