#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>

#include "CliProcess.h"
#include "core/log/Json.h"

namespace rq {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

using test::runCli;

// The part of `text` after `before`, up to the end of its line.
std::string after(const std::string& text, const std::string& before) {
    const auto at = text.find(before);
    if (at == std::string::npos) return {};
    const auto start = at + before.size();
    return text.substr(start, text.find('\n', start) - start);
}

// A path as the program prints it: with the system's own separators.
std::string native(const std::string& path) {
    return QDir::toNativeSeparators(QString::fromStdString(path)).toStdString();
}

// Updates and restores on the simulated RQ system, each with backups of its own.
using CliRestoreTest = test::WithFirmware;

// Enter on steps 1, 3 and 4; the input ends at the prompt of step 6, after the flash was programmed.
TEST_F(CliRestoreTest, AnUpdateThatEndsAfterStep5TellsWhereTheIdentityIsAndRestoreWritesItBack) {
    const auto stopped = runCli(simulatedUpdate("--sim-fault identity-bytes --json"), "\n\n\n");
    EXPECT_EQ(stopped.status, 1);
    const std::string file = after(stopped.err, "it is saved in ");
    ASSERT_EQ(file.rfind(native(backups + "/simulated/identity-"), 0), 0u) << stopped.err;
    const std::string restore = "restore " + file + " --port COM1 --simulate";
    EXPECT_EQ(after(stopped.err, "write it back with: "), "rqfwup-cli " + restore);
    EXPECT_THAT(stopped.out, HasSubstr(R"(,"identityNotRestored":{"file":)" + jsonString(file) +
                                       R"(,"command":"rqfwup-cli restore )"));

    // A fresh simulated device holds the model RQA-4021: the read-back passes only with the file's bytes.
    const auto restored = runCli(restore + " --sim-line instant --yes");
    EXPECT_EQ(restored.status, 0) << restored.err;
    EXPECT_THAT(restored.out, HasSubstr("* writing back " + file +
                                        ": model \\x00RQ\\x7F\\x80\\xA5\\xFE\\xFF, serial number "
                                        "\\x01\\x1F9\\x81\\xC3\\x00"));
    EXPECT_THAT(restored.out, HasSubstr("  パラメーター確認完了"));

    const auto listed = runCli("restore --list --json --simulate");
    EXPECT_THAT(listed.out, HasSubstr(R"("modelBytes":[0,82,81,127,128,165,254,255],)"));
    EXPECT_THAT(listed.out, HasSubstr(R"("serialBytes":[1,31,57,129,195,0],)"));
    EXPECT_THAT(listed.out, Not(HasSubstr(R"("restored":null)"))) << "marked restored";

    const auto again = runCli("restore --simulate --yes");
    EXPECT_EQ(again.status, 4) << "a restored backup is not taken again";
    EXPECT_THAT(again.err, HasSubstr("no identity backup waits to be written back"));
}

// A failed step 5 may leave the device without its program: the run says how to program it again and
// then write the saved identity back, and that run ends the update.
TEST_F(CliRestoreTest, AFailedStep5TellsHowToProgramAgainAndResumeEndsTheUpdate) {
    const auto failed =
        runCli(simulatedUpdate("--sim-fault identity-bytes --sim-fault erase-status=05 --yes"));
    EXPECT_EQ(failed.status, 35);
    const std::string file = after(failed.err, "it is saved in ");
    ASSERT_EQ(file.rfind(native(backups + "/simulated/identity-"), 0), 0u) << failed.err;
    const std::string resume = "update " + native(firmware) + " --resume " + file + " --port COM1 --simulate";
    EXPECT_EQ(after(failed.err, "then write it back, with: "), "rqfwup-cli " + resume);

    // A fresh simulated device holds the model RQA-4021: the read-back passes only with the file's bytes.
    const auto resumed = runCli(resume + " --sim-line instant --yes");
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_THAT(resumed.out, HasSubstr("* programming again, then writing back " + file));
    EXPECT_THAT(resumed.out, Not(HasSubstr("２．更新前パラメーターの取得"))) << "no step 2";
    EXPECT_THAT(resumed.out, HasSubstr("  Ver.1.2.0 -> Ver.1.3.0  done  "));
    EXPECT_THAT(runCli("restore --list --json --simulate").out, Not(HasSubstr(R"("restored":null)")));

    // Which files are refused, and why, is the backup store's; the runner shows no screen for them.
    const auto refused = runCli(simulatedUpdate("--yes --resume " + dir.file("cut.json", {'{', '"', 'f'})));
    EXPECT_EQ(refused.status, 3);
    EXPECT_THAT(refused.err,
                HasSubstr(" is refused: damaged: not a JSON object; nothing was written to the device\n"));
    EXPECT_EQ(refused.out, "") << "no run";
}

}  // namespace
}  // namespace rq
