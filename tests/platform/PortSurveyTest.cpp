#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

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

}  // namespace
}  // namespace rq
