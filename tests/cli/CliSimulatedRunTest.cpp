#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "CliProcess.h"

namespace rq {
namespace {

using test::linesOf;
using test::linesWith;
using test::runCli;
using ::testing::HasSubstr;

// A JSON line without its time, which two records of one event may tell apart by a millisecond.
std::string untimed(const std::string& line) {
    return line.substr(line.find(','));
}

// The lines that carry `port`, without their time; its trace lines left out.
std::vector<std::string> eventsOf(const std::vector<std::string>& lines, const std::string& port) {
    std::vector<std::string> events;
    for (const std::string& line : lines) {
        if (line.find(R"(,"port":")" + port + "\",") != line.npos && line.find(R"("trace":)") == line.npos)
            events.push_back(untimed(line));
    }
    return events;
}

// Whole runs of the runner against the simulated RQ system, on an instant line.
using CliSimulatedRunTest = test::WithFirmware;

// Each run of update and info: its exit status, what its output holds and lacks, and a part of its
// standard error. Every line of update's --json is one object with its time. No identity backup can be
// kept on disk here, and the update goes on. Info's support log holds the exchange and the settings.
TEST_F(CliSimulatedRunTest, EachRunEndsWithItsStatusAndShowsWhatItShould) {
    test::BackupFolder blocked(dir.file("taken", {'x'}));
    const std::string logPath = dir.path("info.jsonl");
    const std::string older = dir.path("older.bin");
    ASSERT_EQ(runCli("make-firmware " + older + " --version 1.1.0 --length 300").status, 0);
    EXPECT_EQ(std::filesystem::file_size(older), 348u);
    const std::string simulated = " --simulate --sim-line instant ";
    const struct {
        std::string args;
        int status;
        std::vector<std::string> outHas;
        std::string errHas = "";  // none at all when empty
        std::vector<std::string> outLacks = {};
    } cases[] = {
        // An older file is only warned of; --yes goes on.
        {"update " + older + simulated + "--yes --json --trace",
         0,
         {",\"stepIndex\":7}", "\"control\":\"lblFWOld\",\"text\":\"Ver.1.2.0\"",
          "\"control\":\"prgProcess\",\"min\":0,\"max\":512,\"value\":512}",
          ",\"warning\":\"the file's firmware Ver 1.1.0 is older than the Ver.1.2.0 the device runs\"}",
          R"(,"summary":{"port":"COM1","device":"simulated RQ system","model":"RQA-4021","serial":"12345",)"
          R"("versionBefore":"Ver.1.2.0","versionAfter":"Ver.1.1.0","result":"done","status":0,"milliseconds":)",
          "\"trace\":\"", "PC->RQX::CMD[127]:FF FF FF FF FF 7F 00 01 07 01 36 30 32 34 33 31 ",
          R"(,"backup":{"event":"not saved","path":")"},
         "rqfwup-cli: the identity read cannot be kept on disk (cannot make ",
         {"messageBox", "\"port\":\"COM1\",\"control\""}},
        {"update " + firmware + simulated + "--yes --force RQA-4021 12345 --verify-identity --transcript",
         0,
         {"パラメーター確認中 ………", "　更新作業が終了しました。「次へ」をクリックしてください。",
          "lblFWOld: Ver.0.0.0"},
         "  RQA-4021  12345  - -> Ver.1.3.0  done  "},
        {"update " + firmware + " --simulate --yes --force RQA-4021 12a45",
         2,
         {"シリアルナンバーに数値以外の文字が入力されいます。"},
         "",
         {"３．ファームウェアのバージョン確認"}},
        {"info --simulate --json",
         0,
         {R"({"model":"RQA-4021","serial":"12345 ","param04":4,"param06":6,"version":"Ver.1.2.0","versionBytes":[12,0]})"
          "\n"}},
        {"info --simulate --sim-fault identity-nul --sim-line instant",
         0,
         {"Model name        RQA\\x0040\\x001\n"
          "Serial number     12345 \n"
          "Identity byte 4   04h\n"
          "Identity byte 6   06h\n"
          "Firmware version  Ver.1.2.0\n"}},
        {"info" + simulated + "--trace --program-baud 9600 --log " + logPath,
         0,
         {"Model name        RQA-4021\n"},
         " PC->RQX::CMD[127]:FF FF "},
        {"info --simulate --json --sim-fault silent-after=1",
         12,
         {R"({"error":12,"messageBox":{"title":"通信エラー","text":"通信で過剰なリトライが発生しました。\r\n)"},
         "rqfwup-cli: error 12 reading the identity: the device answered on COM1"},
        // A log that cannot be written ends the run before it starts.
        {"update " + firmware + simulated + "--log " + dir.path("no-such-folder/run.jsonl"),
         1,
         {},
         "rqfwup-cli: cannot write " + dir.path("no-such-folder/run.jsonl") + "\n",
         {"１．開始"}},
        // A port the system does not have is explained as one that does not open.
        {"info --port /dev/rqfwup-no-such-port",
         11,
         {"--- message box: 通信エラー ---\n通信が開始できません。\n"},
         ": no such device; "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const auto result = runCli(c.args);
        EXPECT_EQ(result.status, c.status);
        for (const std::string& part : c.outHas) EXPECT_THAT(result.out, HasSubstr(part));
        for (const std::string& part : c.outLacks) EXPECT_THAT(result.out, ::testing::Not(HasSubstr(part)));
        EXPECT_EQ(result.err.empty(), c.errHas.empty()) << result.err;
        EXPECT_THAT(result.err, HasSubstr(c.errHas));
        if (!c.args.starts_with("update") || c.args.find("--json") == std::string::npos) continue;
        for (const std::string& line : linesOf(std::istringstream(result.out)))
            EXPECT_TRUE(line.starts_with("{\"t\":") && line.ends_with("}")) << line;
    }
    const std::vector<std::string> log = linesOf(std::ifstream(logPath));
    ASSERT_GE(log.size(), 3u);
    EXPECT_NE(log[0].find(R"("program":"rqfwup-cli info")"), std::string::npos);
    EXPECT_NE(log[1].find(R"("device":"simulated RQ system","baud":"307200")"), std::string::npos);
    EXPECT_NE(log[1].find(R"("programBaud":"9600")"), std::string::npos);
    EXPECT_GT(linesWith(log, "PC<-RQX::CMD["), 0);
}

// A failure's exit status, the line on standard error that says where it happened and what to check, and
// the summary that ends the output; a row for each step, stage and kind of answer that picks another line.
TEST_F(CliSimulatedRunTest, EveryFailureSaysWhereAndWhatToCheck) {
    const struct {
        std::string options;
        int status;
        std::string hint;
    } cases[] = {
        {"--sim-fault silent-after=0", 12,
         "error 12 in step 2: no answer at all on COM1 (simulated RQ system)."},
        {"--sim-fault oversize-response", 12,
         "error 12 in step 2: bytes came back on COM1 (simulated RQ system), but not one whole answer: "
         "the line settings 307200,O,8,1 are not the device's"},
        {"--data-bits 4", 15,
         "error 15 in step 2: COM1 (simulated RQ system) refused the line settings 307200,O,4,1"},
        {"--sim-fault power-off-at-block=3", 33, "error 33 in step 5 (write): the device stopped answering"},
        {"--sim-fault silent-after=20", 12,
         "error 12 in step 7: the device answered on COM1 (simulated RQ system)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        const auto result = runCli(simulatedUpdate("--yes " + c.options));
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.err.rfind("rqfwup-cli: " + c.hint, 0), 0u) << result.err;
        const std::string where = c.hint.substr(0, c.hint.find(':'));
        const std::vector<std::string> lines = linesOf(std::istringstream(result.out));
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(lines.back().find("  " + where + "  "), std::string::npos) << lines.back();
    }
    // The same line follows the message box in the JSON.
    const auto json = runCli(simulatedUpdate("--yes --json --sim-fault silent-after=0"));
    EXPECT_LT(json.out.find("\"messageBox\":"),
              json.out.find(",\"hint\":\"error 12 in step 2: no answer at all on COM1"));
}

// The simulated device runs Ver.1.2.0; step 3 warns of the same version (an older one: see above).
TEST_F(CliSimulatedRunTest, Step3WarnsOfAFileThatIsNotNewer) {
    const std::pair<const char*, std::string> cases[] = {
        {"1.2.0", "the file's firmware Ver 1.2.0 is the version the device runs already"},
        {"1.2.1", ""},
    };
    for (const auto& [version, warning] : cases) {
        SCOPED_TRACE(version);
        const std::string file = dir.path(std::string(version) + ".bin");
        ASSERT_EQ(runCli("make-firmware " + file + " --version " + version).status, 0);
        // Enter at steps 1 and 3, then the end of input cancels at step 4.
        const auto result = runCli("update " + file + " --simulate --sim-line instant", "\n\n");
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.out.find("Press Enter to click 次へ ＞"), std::string::npos);
        EXPECT_EQ(result.err, warning.empty() ? "" : "rqfwup-cli: warning: " + warning + "\n");
    }
}

// Several devices at once: a device that fails, even one switched off while its flash is written, stops
// alone; the others are updated and get their identity back. The table lists the ports as given, and the
// exit status is that of the first of them that failed.
TEST_F(CliSimulatedRunTest, SeveralDevicesAtOnceOneFailingLeavesTheOthersUpdated) {
    const struct {
        std::string options;
        std::string input;
        int status;
        std::vector<std::string> results;  // of each port, in the order given
        long notRestored;                  // backups left to write back
    } cases[] = {
        {"--yes --port COM3 --port COM2,COM1 --sim-fault COM2:power-off-at-block=3 --sim-fault "
         "COM1:silent-after=5",
         "",
         33,
         {"done", "error 33 in step 5 (write): step 5: no answer in time", "error 12 in step 2: "},
         1},
        // One Enter for both at steps 1, 3, 4, 6 and 8; an input that ends cancels both.
        {"--port COM1,COM2", "\n\n\n\n\n", 0, {"done", "done"}, 0},
        {"--port COM1,COM2", "\n\n\n", 1, {"cancelled (1)", "cancelled (1)"}, 2},
    };
    for (std::size_t n = 0; n < std::size(cases); ++n) {
        const auto& c = cases[n];
        SCOPED_TRACE(c.options);
        test::BackupFolder folder(dir.path("backups" + std::to_string(n)));
        const auto result = runCli(simulatedUpdate(c.options), c.input);
        EXPECT_EQ(result.status, c.status);
        std::vector<std::string> lines = linesOf(std::istringstream(result.out));
        const auto table = std::find_if(lines.begin(), lines.end(),
                                        [](const std::string& line) { return line.starts_with("Port  "); });
        ASSERT_EQ(lines.end() - table, static_cast<long>(c.results.size()) + 1) << result.out;
        for (std::size_t row = 0; row < c.results.size(); ++row) {
            const std::string& line = table[static_cast<long>(row) + 1];
            EXPECT_NE(line.find("  " + c.results[row]), std::string::npos) << line;
            EXPECT_EQ(line.find("Ver.1.2.0 -> Ver.1.3.0") != std::string::npos, c.results[row] == "done")
                << line;
        }
        for (auto line = lines.begin(); line != table; ++line)
            EXPECT_TRUE(line->starts_with("[COM") || line->starts_with("Press Enter to click ")) << *line;
        EXPECT_EQ(linesWith(lines, "Press Enter to click 次へ ＞ for COM1, COM2 (end of input cancels) ") > 0,
                  !c.input.empty());
        // A backup for each device past step 2, marked restored when step 7 wrote it back.
        const std::vector<std::string> listed =
            linesOf(std::istringstream(runCli("restore --list --json --simulate").out));
        EXPECT_EQ(static_cast<long>(listed.size()),
                  std::count(c.results.begin(), c.results.end(), "done") + c.notRestored);
        EXPECT_EQ(linesWith(listed, R"("restored":null)"), c.notRestored);
    }
}

// With --json every line of a device carries its port, and the summary of all is one object. The support
// log holds the program and its system, then each device's events as --json printed them, in their order,
// and its trace lines, each with its port.
TEST_F(CliSimulatedRunTest, SeveralDevicesInJsonAndInTheSupportLog) {
    const std::string logPath = dir.path("run.jsonl");
    const auto result = runCli(
        simulatedUpdate("--yes --json --port COM1,COM2 --sim-fault COM2:silent-after=5 --log " + logPath));
    EXPECT_EQ(result.status, 12);
    const std::vector<std::string> lines = linesOf(std::istringstream(result.out));
    ASSERT_FALSE(lines.empty());
    for (std::size_t n = 0; n + 1 < lines.size(); ++n)
        EXPECT_TRUE(std::regex_search(lines[n], std::regex(R"(^\{"t":[0-9]+,"port":"COM[12]",)")))
            << lines[n];
    EXPECT_TRUE(std::regex_match(
        lines.back(),
        std::regex(R"(\{"t":[0-9]+,"devices":\[\{"port":"COM1",.*"result":"done",)"
                   R"(.*\},\{"port":"COM2",.*"result":"error 12 in step 2",.*\}\],"status":12\})")))
        << lines.back();
    EXPECT_NE(result.err.find("[COM2] rqfwup-cli: error 12 in step 2: "), std::string::npos) << result.err;

    const std::vector<std::string> log = linesOf(std::ifstream(logPath));
    ASSERT_GT(log.size(), 2u);
    EXPECT_THAT(log.front(), HasSubstr(R"(,"program":"rqfwup-cli update","version":"1.0.0","system":")"));
    EXPECT_EQ(untimed(log.back()), untimed(lines.back()));
    for (std::size_t n = 1; n + 1 < log.size(); ++n) EXPECT_THAT(log[n], HasSubstr(R"(,"port":"COM)"));
    for (const std::string port : {"COM1", "COM2"}) {
        EXPECT_EQ(eventsOf(log, port), eventsOf(lines, port)) << port;
        EXPECT_GT(linesWith(log, R"("port":")" + port + R"(","trace":)"), 0) << port;
    }
    EXPECT_GT(linesWith(log, "VERIFY DATA RECV PC<-RQX::BOOT:02 02 06 "), 0);
}

}  // namespace
}  // namespace rq
