#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "CliProcessPosix.h"
#include "TerminalScreen.h"
#include "cli/TextColumns.h"

namespace rq {
namespace {

using test::linesWith;
using test::runCli;
using test::runCliOnTerminal;

using CliTerminalTest = test::WithFirmware;

// On a terminal each run of progress lines is one live line that leaves only the line ending the run;
// the rest of the screen is what a pipe gives. --plain and a pipe give a line at every tenth of each bar,
// the transcript every progress line.
TEST_F(CliTerminalTest, OnATerminalEachRunOfProgressLinesIsOneLiveLine) {
    constexpr unsigned short kColumns = 72;
    for (const bool transcript : {false, true}) {
        SCOPED_TRACE(transcript ? "transcript" : "for a person");
        const std::string update = simulatedUpdate(transcript ? "--yes --transcript" : "--yes");
        const auto result = runCliOnTerminal(update, kColumns);
        ASSERT_EQ(result.status, 0) << result.out;
        const auto screen = test::terminalScreen(result.out);
        for (const char* kept : {"  接続完了", "  新ファームウェア書き込み完了", "  ベリファイ完了",
                                 "  パラメーター書き込み完了"})
            EXPECT_EQ(std::count(screen.begin(), screen.end(), kept), 1) << kept;
        // Everything but the progress lines and the summary, whose time may differ, as in a pipe.
        auto withoutProgress = [](std::vector<std::string> lines) {
            std::erase_if(lines, [](const std::string& line) {
                return line.starts_with("  ") || line.find("  done  ") != std::string::npos;
            });
            return lines;
        };
        const auto piped = runCli(update);
        EXPECT_EQ(withoutProgress(screen), withoutProgress(test::terminalScreen(piped.out)));
        if (!transcript) {
            // What a person reads of a whole update in a file: each step's title once, no control names,
            // and at the end the summary.
            for (const char* title :
                 {"１．開始", "２．更新前パラメーターの取得", "３．ファームウェアのバージョン確認",
                  "４．ファームウェアの更新準備", "５．ファームウェアの更新中", "６．パラメーターの更新準備",
                  "７．パラメーターの更新中", "８．更新作業の終了"})
                EXPECT_EQ(std::count(screen.begin(), screen.end(), title), 1) << title;
            EXPECT_EQ(piped.err, "");
            EXPECT_EQ(std::regex_search(piped.out, std::regex("frmMain|txtInfo|lblFW|cmdNext")), false);
            EXPECT_TRUE(std::regex_search(piped.out,
                                          std::regex(R"(\nCOM1 \(simulated RQ system\)  RQA-4021  12345  )"
                                                     R"(Ver\.1\.2\.0 -> Ver\.1\.3\.0  done  0:0[0-9]\n$)")))
                << piped.out;
        }
        const auto draws = test::liveDraws(result.out);
        EXPECT_GT(linesWith(draws, "新ファームウェア書き込み中"), 0);
        for (const std::string& draw : draws) EXPECT_LT(cli::displayColumns(draw), kColumns) << draw;

        for (const auto& run : {runCliOnTerminal(update + " --plain", kColumns), piped}) {
            EXPECT_EQ(run.status, 0);
            EXPECT_EQ(run.out.find("\x1b[K"), std::string::npos);
            const auto lines = test::terminalScreen(run.out);
            EXPECT_EQ(linesWith(lines, "  新ファームウェア書き込み中 "), transcript ? 512 : 9);
            EXPECT_EQ(linesWith(lines, "  ベリファイ中 "), transcript ? 512 : 9);
        }
    }
}

// Several devices on a terminal: a live line each below their lines, which stay, and at the end the table.
TEST_F(CliTerminalTest, SeveralDevicesHaveALiveLineEach) {
    const auto result =
        runCliOnTerminal(simulatedUpdate("--yes --port COM1,COM2 --sim-fault COM2:verify-st2=3:0F"), 72);
    EXPECT_EQ(result.status, 37);
    EXPECT_TRUE(
        std::regex_search(result.out, std::regex(R"(\[COM1\] 新ファームウェア書き込み中 [0-9]+ Block \[)")));
    const auto screen = test::terminalScreen(result.out);
    EXPECT_EQ(linesWith(screen, " Block"), 1) << "only the block where COM2 stopped stays";
    for (const char* kept : {"[COM2]   ベリファイ中 3 Block", "[COM1]   新ファームウェア書き込み完了",
                             "[COM1] ８．更新作業の終了"})
        EXPECT_EQ(std::count(screen.begin(), screen.end(), kept), 1) << kept;
    ASSERT_GE(screen.size(), 3u);
    EXPECT_EQ(screen[screen.size() - 3].rfind("Port  ", 0), 0u);
    EXPECT_NE(screen.back().find("error 37 in step 5 (verify)"), std::string::npos);
}

}  // namespace
}  // namespace rq
