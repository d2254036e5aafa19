#include <gtest/gtest.h>
#include <windows.h>

#include "platform/OpenFailure.h"
#include "platform/PortNames.h"

namespace rq {
namespace {

// Each row: what Windows says when a port does not open, and what the user is told to do about it.
TEST(OpenFailureOnWindows, EachReasonComesWithItsRemedy) {
    const struct {
        DWORD error;
        OpenProblem problem;
        const char* remedy;
    } rows[] = {
        {ERROR_ACCESS_DENIED, OpenProblem::Permission,
         "Windows refuses a port that another program has open: close the program that uses it (a terminal "
         "program, another copy of rqfwup); if none does, ask an administrator for access to the port"},
        {ERROR_SHARING_VIOLATION, OpenProblem::Busy, "it is in use by another program; close that program"},
        {ERROR_FILE_NOT_FOUND, OpenProblem::Missing,
         "there is no such port now: plug the adapter in, and find its number under Ports (COM & LPT) in the "
         "Device Manager"},
        {ERROR_GEN_FAILURE, OpenProblem::Other, ""},
    };
    for (const auto& row : rows) {
        const OpenFailure failure = describeOpenError("COM3", static_cast<int>(row.error));
        EXPECT_EQ(failure.problem, row.problem) << row.error;
        ASSERT_FALSE(failure.reason.empty()) << row.error;
        EXPECT_EQ(failure.reason.find('\n'), std::string::npos) << failure.reason;
        EXPECT_NE(failure.reason.back(), '.') << "one line, no full stop before the remedy";
        const std::string remedy = row.remedy;
        EXPECT_EQ(explain(failure), "COM3: " + failure.reason + (remedy.empty() ? "" : "; " + remedy));
    }
}

TEST(OpenFailureOnWindows, APortThatIsNotThereIsMissing) {
    EXPECT_EQ(systemOpenError("COM199"), std::optional<int>(ERROR_FILE_NOT_FOUND));
}

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
        {"COM5", 5},   {"com12", 12}, {"\\\\.\\COM10", 10}, {"COM255", 255},
        {"COM256", 0}, {"COM0", 0},   {"/dev/ttyUSB0", 0},  {"LPT1", 0},
    };
    PortTable table([] { return std::vector<ListedPort>{}; });
    for (const auto& row : rows) EXPECT_EQ(table.registerDevicePath(row.name), row.number) << row.name;
}

}  // namespace
}  // namespace rq
