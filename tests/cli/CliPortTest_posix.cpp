#include <gtest/gtest.h>

#include "CliProcess.h"
#include "core/TempDir.h"

namespace rq {
namespace {

using test::runCli;

// A device path that exists but is no serial line, so that opening it fails with the system's reason.
class CliPortTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(runCli("make-firmware " + firmware).status, 0); }

    test::TempDir dir;
    std::string firmware = dir.path("fw.bin");
    std::string notALine = dir.file("ttyNOTALINE", {0x00});
};

// Each row: the run, its exit status, and whether the explanation is printed.
TEST_F(CliPortTest, APortThatDoesNotOpenIsExplainedInTheStepThatOpensIt) {
    const struct {
        std::string args;
        int status;
        bool explained;
    } rows[] = {
        {"--port " + notALine, 15, true},                              // step 2
        {"--port " + notALine + " --force RQA-4021 12345", 30, true},  // step 5
        {"--port " + dir.path("ttyGONE"), 11, false},                  // no such device: nothing to add
    };
    const std::string why = notALine + ": Inappropriate ioctl for device";
    for (const auto& row : rows) {
        const auto text = runCli("update " + firmware + " --yes " + row.args);
        EXPECT_EQ(text.status, row.status) << row.args;
        EXPECT_EQ(text.err, row.explained ? "rqfwup-cli: " + why + "\n" : "") << row.args;
        EXPECT_EQ(text.out.find(why), std::string::npos) << row.args;

        const auto json = runCli("update " + firmware + " --yes --json " + row.args);
        EXPECT_EQ(json.status, row.status) << row.args;
        EXPECT_EQ(json.err, text.err) << row.args;
        const std::string hint = ",\"hint\":\"" + why + "\"}\n";
        const auto at = json.out.find(hint);
        EXPECT_EQ(at != std::string::npos, row.explained) << row.args << "\n" << json.out;
        if (at != std::string::npos) {
            EXPECT_EQ(json.out.rfind("{\"t\":", at), json.out.rfind('\n', at) + 1) << "one line of its own";
            EXPECT_LT(at, json.out.find("\"messageBox\"")) << "before the message box";
        }
    }
}

}  // namespace
}  // namespace rq
