#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/settings/PortConf.h"
#include "platform/PortSurvey.h"
#include "platform/PseudoTerminal.h"

namespace rq {
namespace {

TEST(PortSurvey, TriesEveryListedDeviceInTheDialogsNumbering) {
    test::PseudoTerminal adapter;
    ASSERT_TRUE(adapter.ok());
    const std::string notALine =
        (std::filesystem::temp_directory_path() / ("rq-survey-" + std::to_string(::getpid()))).string();
    std::ofstream(notALine) << "x";

    ListedPort usb(adapter.path(), true);
    usb.vendorId = 0x0403;
    usb.productId = 0x6001;
    usb.manufacturer = "FTDI";
    usb.serialNumber = "A50285BI";
    const std::vector<ListedPort> listed = {{"/dev/rq-gone-9", false}, {notALine, false}, usb};
    QtPort port{PortTable([&listed] { return listed; })};
    port.setSettings("307200,O,8,1");

    const struct {
        std::string path;
        bool opens;
        std::optional<OpenProblem> problem;
    } expected[] = {
        {adapter.path(), true, std::nullopt},
        {"/dev/rq-gone-9", false, OpenProblem::Missing},
        {notALine, false, OpenProblem::Other},
    };
    const auto reports = surveyPorts(port);
    ASSERT_EQ(reports.size(), std::size(expected));
    for (std::size_t i = 0; i < reports.size(); ++i) {
        const PortReport& report = reports[i];
        EXPECT_EQ(report.port.number, static_cast<int>(i) + 1);
        EXPECT_EQ(report.port.device.path, expected[i].path);
        EXPECT_EQ(report.opens, expected[i].opens) << expected[i].path;
        EXPECT_EQ(report.failure ? std::optional(report.failure->problem) : std::nullopt, expected[i].problem)
            << expected[i].path;
    }
    EXPECT_EQ(reports[0].port.device.vendorId, 0x0403);
    EXPECT_EQ(reports[0].port.device.serialNumber, "A50285BI");
    EXPECT_EQ(reports[2].failure->reason, "Inappropriate ioctl for device");
    EXPECT_FALSE(port.isOpen());
    std::filesystem::remove(notALine);
}

std::vector<int> numbers(const PortProbe& probe) {
    std::vector<int> found;
    for (const FoundPort& port : probe.found) found.push_back(port.number);
    return found;
}

TEST(PortSurvey, TheSettingsDialogFindsADevicePluggedInAfterStart) {
    test::PseudoTerminal adapter;
    ASSERT_TRUE(adapter.ok());
    std::vector<ListedPort> listed;
    QtPort port{PortTable([&listed] { return listed; })};
    EXPECT_EQ(numbers(probePorts(port)), std::vector<int>{0});
    listed = {{adapter.path(), true}};
    const PortProbe probe = probePorts(port);
    EXPECT_EQ(numbers(probe), std::vector<int>{1});
    EXPECT_EQ(probe.found[0].device, adapter.path());
}

TEST(PortSurvey, APortLeftOpenIsProbedLikeTheOthers) {
    test::PseudoTerminal adapter;
    ASSERT_TRUE(adapter.ok());
    QtPort port{PortTable([] { return std::vector<ListedPort>{{"/dev/rq-gone-1"}}; })};
    port.setPortNumber(port.portTable().registerDevicePath(adapter.path()));
    ASSERT_EQ(port.portNumber(), 2);
    ASSERT_EQ(port.open(), PortError::None);
    EXPECT_EQ(numbers(probePorts(port)), std::vector<int>{2}) << "COM1 is gone, whatever was open";
    EXPECT_EQ(port.portNumber(), 2);
}

}  // namespace
}  // namespace rq
