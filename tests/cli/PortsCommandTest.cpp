#include <gtest/gtest.h>

#include <sstream>

#include "CliProcess.h"
#include "cli/PortsCommand.h"

namespace rq {
namespace {

PortReport usbAdapter() {
    ListedPort device("/dev/ttyUSB0", true);
    device.vendorId = 0x0403;
    device.productId = 0x6001;
    device.manufacturer = "FTDI";
    device.description = "FT232R USB UART";
    device.serialNumber = "A50285BI";
    return {{1, device}, true, std::nullopt};
}

// As Windows lists a port on the board.
PortReport onBoard() {
    ListedPort device("COM1");
    device.manufacturer = "(Standard port types)";
    device.description = "Communications Port";
    return {{1, device}, true, std::nullopt};
}

PortReport refused(int number, const char* path, OpenProblem problem, const char* reason, const char* group) {
    return {{number, {path}}, false, OpenFailure{path, problem, reason, group}};
}

// Each row: the ports found, and what `ports` prints of them as text and as JSON.
TEST(PortsCommand, PrintsEachPortAsTheDialogNumbersIt) {
    const struct {
        std::vector<PortReport> reports;
        const char* text;
        const char* json;
    } rows[] = {
        {{usbAdapter()},
         "COM1  (/dev/ttyUSB0)  opens  USB 0403:6001  FTDI  FT232R USB UART  serial number A50285BI\n",
         "[{\"port\":\"COM1\",\"path\":\"/dev/ttyUSB0\",\"opens\":true,\"usb\":true,\"vendorId\":\"0403\","
         "\"productId\":\"6001\",\"manufacturer\":\"FTDI\",\"description\":\"FT232R USB UART\","
         "\"serialNumber\":\"A50285BI\"}]\n"},
        {{refused(2, "/dev/ttyS0", OpenProblem::Other, "Input/output error", ""),
          refused(3, "/dev/ttyS1", OpenProblem::Busy, "Device or resource busy", "")},
         "COM2  (/dev/ttyS0)  does not open: Input/output error\n"
         "COM3  (/dev/ttyS1)  does not open: Device or resource busy; it is in use by another program; close "
         "that program\n",
         "[{\"port\":\"COM2\",\"path\":\"/dev/ttyS0\",\"opens\":false,\"reason\":\"Input/output error\","
         "\"usb\":false},"
         "{\"port\":\"COM3\",\"path\":\"/dev/ttyS1\",\"opens\":false,\"reason\":\"Device or resource busy\","
         "\"remedy\":\"it is in use by another program; close that program\",\"usb\":false}]\n"},
        {{onBoard()},
         "COM1  opens  (Standard port types)  Communications Port\n",
         "[{\"port\":\"COM1\",\"path\":\"COM1\",\"opens\":true,\"usb\":false,"
         "\"manufacturer\":\"(Standard port types)\",\"description\":\"Communications Port\"}]\n"},
        {{}, "No serial ports found.\n", "[]\n"},
    };
    for (const auto& row : rows) {
        for (const bool json : {false, true}) {
            std::ostringstream out;
            cli::printPorts(row.reports, out, json);
            EXPECT_EQ(out.str(), json ? row.json : row.text);
        }
    }
}

TEST(PortsCommand, RunsAsASubcommand) {
    const auto json = test::runCli("ports --json");
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out.front(), '[');
    EXPECT_EQ(json.out.substr(json.out.size() - 2), "]\n");
    const auto wrong = test::runCli("ports --port COM1");
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.err, "rqfwup-cli: ports takes --json only, not '--port'\n");
}

}  // namespace
}  // namespace rq
