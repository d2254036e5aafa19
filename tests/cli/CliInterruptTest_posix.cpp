#include <gtest/gtest.h>

#include "CliProcessPosix.h"

namespace rq {
namespace {

// Ctrl+C or a request to end, once the flash holds the new program: every device ends and tells where its
// identity is. (Which status each signal stands for is the platform's.)
using CliInterruptTest = test::WithFirmware;

TEST_F(CliInterruptTest, AnInterruptAfterStep5TellsWhereTheIdentityIs) {
    const struct {
        int number;
        int status;
        std::string ports;
    } cases[] = {{SIGTERM, 143, ""}, {SIGHUP, 129, ""}, {SIGINT, 130, "--port COM1,COM2"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        test::BackgroundCli run(simulatedUpdate("--json " + c.ports));
        run.send("\n\n\n");
        std::string line;
        while ((line = run.readLine()).find(R"(,"stepIndex":5})") == std::string::npos && !line.empty()) {
        }
        ASSERT_FALSE(line.empty()) << "step 6 was not reached";
        run.signal(c.number);
        long told = 0;
        while (!(line = run.readLine()).empty())
            told += line.find(R"("identityNotRestored":{"file":")") != line.npos;
        EXPECT_EQ(told, c.ports.empty() ? 1 : 2);
        EXPECT_EQ(run.finish(), c.status);
    }
}

}  // namespace
}  // namespace rq
