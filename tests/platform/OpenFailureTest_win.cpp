#include <windows.h>

#include <gtest/gtest.h>

#include "platform/OpenFailure.h"

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

}  // namespace
}  // namespace rq
