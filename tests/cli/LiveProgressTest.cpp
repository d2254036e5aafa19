#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "TerminalScreen.h"
#include "cli/LiveProgress.h"
#include "cli/TextColumns.h"
#include "sim/VirtualClock.h"

namespace rq {
namespace {

using namespace std::chrono_literals;

TEST(TextColumnsTest, FullWidthAndUncertainCharactersTakeTwoColumns) {
    const std::pair<std::string, std::size_t> cases[] = {
        {"Block 12", 8},
        {"………", 6},                  // an ellipsis is two columns on a Japanese terminal
        {"ｶﾀｶﾅ", 4},                 // half-width forms
        {"e\xcc\x81", 1},            // e and a combining accent
        {"\xff\xfe", 2},             // bytes that are no UTF-8 count one each
        {"\xe3\x81", 2},             // a sequence cut short
        {"\xf0\x9f\x98\x80 ok", 5},  // a four-byte character
    };
    for (const auto& [text, columns] : cases) EXPECT_EQ(cli::displayColumns(text), columns) << text;
}

TEST(ProgressLineTest, TheBarAndTheTimesGiveWayToNarrowTerminals) {
    const cli::ProgressFigures half{{0, 512, 256}, 41s, 41s};
    const cli::ProgressFigures start{{0, 6, 0}, 0s, std::nullopt};
    const cli::ProgressFigures hour{{0, 100, 100}, 3725s, 0s};
    const std::string text = "書き込み中 256 Block";  // 20 columns
    const struct {
        std::optional<cli::ProgressFigures> figures;
        std::size_t columns;
        std::string line;
    } cases[] = {
        {std::nullopt, 80, "  " + text},
        {std::nullopt, 10, "  書き込"},
        {half, 100, "  " + text + " [###############...............]  50%  0:41 (0:41 left)"},
        {half, 60, "  " + text + " [#####......]  50%  0:41 (0:41 left)"},
        {half, 55, "  " + text + " [############............]  50%"},  // no room for the times
        {half, 30, "  書き込み [#####......]  50%"},
        {half, 12, "  書き込み"},
        {half, 1, ""},
        {start, 80, "  " + text + " [" + std::string(30, '.') + "]   0%  0:00"},
        {hour, 80, "  " + text + " [############################] 100%  1:02:05 (0:00 left)"},
    };
    for (const auto& c : cases) EXPECT_EQ(cli::progressLine(text, c.figures, c.columns), c.line) << c.columns;
}

// A run of progress lines as the wizard writes them, and what stays on the terminal.
class LiveProgressTest : public ::testing::Test {
  protected:
    sim::VirtualClock clock;
    std::ostringstream out;
    cli::LiveProgress live{out, clock, [] { return std::size_t{80}; }};

    std::vector<std::string> screen() const { return test::terminalScreen(out.str()); }
};

TEST_F(LiveProgressTest, OnlyTheLineThatEndsARunStays) {
    live.showText("バイナリ・データ作成完了\r\n新ファームウェア書き込み開始");
    for (int block = 0; block < 512; ++block) {
        live.showText("バイナリ・データ作成完了\r\n新ファームウェア書き込み中 " + std::to_string(block) +
                      " Block");
        live.showProgress({0, 512, block});
        clock.sleep(10ms);
    }
    live.showText("バイナリ・データ作成完了\r\n新ファームウェア書き込み完了");
    live.showText("バイナリ・データ作成完了\r\n新ファームウェア書き込み完了\r\n最終設定開始");
    live.settle();
    EXPECT_EQ(screen(), (std::vector<std::string>{"  バイナリ・データ作成完了",
                                                  "  新ファームウェア書き込み完了", "  最終設定開始"}));
    const auto draws = test::liveDraws(out.str());
    EXPECT_LE(draws.size(), 2 + 512 / 10 + 2) << "at most ten a second";
    EXPECT_GE(draws.size(), 512 / 10);
    const std::regex halfway(
        R"(  新ファームウェア書き込み中 30\d Block \[#{8}\.{7}\]  5\d%  0:03 \(0:02 left\))");
    EXPECT_TRUE(std::any_of(draws.begin(), draws.end(),
                            [&](const std::string& draw) { return std::regex_match(draw, halfway); }));
}

TEST_F(LiveProgressTest, OutputBetweenUpdatesKeepsTheLiveLineBelowIt) {
    live.showText("ベリファイ中 1 Block");
    live.hide();
    out << "a trace line\n";
    live.redraw();
    live.showText("");
    EXPECT_EQ(screen(), (std::vector<std::string>{"a trace line"}))
        << "an emptied box takes the live line away";
}

}  // namespace
}  // namespace rq
