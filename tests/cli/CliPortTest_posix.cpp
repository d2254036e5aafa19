#include <gtest/gtest.h>

#include "CliProcess.h"

namespace rq {
namespace {

using test::runCli;

using CliPortTest = test::WithFirmware;

// Each row: the run, its exit status, the explanation printed before the failure's own line, and the
// start of that line.
TEST_F(CliPortTest, APortThatDoesNotOpenIsExplainedInTheStepThatOpensIt) {
    // A device path that exists but is no serial line, so that opening it fails with the system's reason.
    const std::string notALine = dir.file("ttyNOTALINE", {0x00});
    const std::string gone = dir.path("ttyGONE");
    const struct {
        std::string args;
        int status;
        std::string why;
        std::string where;
    } rows[] = {
        {"--port " + notALine, 15, notALine + ": Inappropriate ioctl for device", "error 15 in step 2"},
        {"--port " + notALine + " --force RQA-4021 12345", 30, notALine + ": Inappropriate ioctl for device",
         "error 30 in step 5"},
        {"--port " + gone, 11,
         gone + ": no such device; is the device's USB cable plugged in? rqfwup-cli ports lists the ports",
         "error 11 in step 2"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args);
        const auto text = runCli("update " + firmware + " --yes " + row.args);
        EXPECT_EQ(text.status, row.status);
        EXPECT_EQ(text.err.rfind("rqfwup-cli: " + row.why, 0), 0u) << text.err;
        EXPECT_NE(text.err.find("\nrqfwup-cli: " + row.where + ": "), std::string::npos)
            << "then the failure's own line";
        EXPECT_EQ(text.out.find(row.why), std::string::npos);

        const auto json = runCli("update " + firmware + " --yes --json " + row.args);
        EXPECT_EQ(json.status, row.status);
        EXPECT_EQ(json.err, text.err);
        const auto at = json.out.find(",\"hint\":\"" + row.why);
        ASSERT_NE(at, std::string::npos) << json.out;
        EXPECT_EQ(json.out.rfind("{\"t\":", at), json.out.rfind('\n', at) + 1) << "one line of its own";
        EXPECT_LT(at, json.out.find("\"messageBox\"")) << "before the message box";
    }
}

}  // namespace
}  // namespace rq
