#include <gtest/gtest.h>

#include <csignal>

#include "CliProcessPosix.h"
#include "core/TempDir.h"

namespace rq {
namespace {

// Ctrl+C, a closed terminal or a request to end, once the flash holds the new program.
TEST(CliInterruptTest, AnInterruptAfterStep5TellsWhereTheIdentityIs) {
    const std::pair<int, int> cases[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
    test::TempDir dir;
    const std::string firmware = dir.path("fw.bin");
    test::ScopedVariable folder{"RQFWUP_BACKUP_DIR", dir.path("backups")};
    ASSERT_EQ(test::runCli("make-firmware " + firmware).status, 0);
    for (const auto& [number, status] : cases) {
        SCOPED_TRACE(number);
        test::BackgroundCli run({"update", firmware, "--simulate", "--sim-line", "instant", "--json"});
        run.send("\n\n\n");
        std::string line;
        while ((line = run.readLine()).find(R"(,"stepIndex":5})") == std::string::npos && !line.empty()) {
        }
        ASSERT_FALSE(line.empty()) << "step 6 was not reached";
        run.signal(number);
        bool told = false;
        while (!(line = run.readLine()).empty())
            told = told || line.find(R"("identityNotRestored":{"file":")") != line.npos;
        EXPECT_TRUE(told);
        EXPECT_EQ(run.finish(), status);
    }
}

}  // namespace
}  // namespace rq
