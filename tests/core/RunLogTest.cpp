#include <gtest/gtest.h>

#include <fstream>

#include "TempDir.h"
#include "core/io/ViewTee.h"
#include "core/log/RunLog.h"
#include "core/wizard/JsonEventView.h"
#include "sim/VirtualClock.h"
#include "support/RecordingView.h"

namespace rq {
namespace {

using namespace std::chrono_literals;

class JsonEventViewTest : public ::testing::Test {
  protected:
    sim::VirtualClock clock;
    std::vector<std::string> lines;
    JsonEventView view{clock, [this](const std::string& line) { lines.push_back(line); }};
};

TEST_F(JsonEventViewTest, EachChangeIsOneObjectWithItsTime) {
    clock.sleep(7ms);
    view.setText(Control::txtInfo, "１．開始\r\n\"x\"");
    view.setBold(Control::lblProcess02, true);
    view.setStatus(2, "RESET SEND");
    view.setEnabled(Control::cmdNext, false);
    view.traceLine("PC->RQX::BOOT:00\r\n");
    view.showMessage("タイトル", "a\r\nb", {});  // no hint, no line of it
    view.note("power off");
    view.readBackChanged(false);
    view.backupNoted({BackupNote::Event::Saved, "/b/identity-1.json", {}});
    view.backupNoted({BackupNote::Event::NotSaved, "/b", "cannot make /b"});
    view.pendingIdentity("", "");
    EXPECT_FALSE(view.askYesNo("問", "a"));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         R"({"t":7,"control":"txtInfo","text":"１．開始\r\n\"x\""})",
                         R"({"t":7,"control":"lblProcess02","bold":true})",
                         R"({"t":7,"control":"stsAppStatus","panel":2,"text":"RESET SEND"})",
                         R"({"t":7,"control":"cmdNext","enabled":false})",
                         R"({"t":7,"trace":"PC->RQX::BOOT:00"})",
                         R"({"t":7,"messageBox":{"title":"タイトル","text":"a\r\nb"}})",
                         R"({"t":7,"runner":"power off"})",
                         R"({"t":7,"verifyIdentity":false})",
                         R"({"t":7,"backup":{"event":"saved","path":"/b/identity-1.json"}})",
                         R"({"t":7,"backup":{"event":"not saved","path":"/b","reason":"cannot make /b"}})",
                         R"({"t":7,"identityNotRestored":{"file":null,"command":null}})",
                         R"({"t":7,"question":{"title":"問","text":"a"}})",
                     }));
}

TEST_F(JsonEventViewTest, OnlyChangesOfWhatIsShown) {
    view.setText(Control::txtProcess, "a");
    view.setText(Control::txtProcess, "a");
    view.setText(Control::lblFWOld, "a");
    view.setProgress({0, 6, 1});
    view.setProgress({0, 6, 1});
    view.setStatus(1, "x");
    view.setStatus(2, "x");
    view.setStatus(2, "x");
    view.stepIndexChanged(1);
    view.stepIndexChanged(1);  // each step entered counts
    EXPECT_EQ(lines.size(), 7u);
}

TEST_F(JsonEventViewTest, TheSettingsInWords) {
    CommSettings settings;
    settings.ComPort = 3;
    settings.FlowCtl = 2;
    view.settingsChanged(settings, "/dev/ttyUSB0");
    settings.FlowCtl = 9;
    settings.UpBaudrateIndex = 6;
    view.settingsChanged(settings, "");
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  R"({"t":0,"settings":{"port":"COM3","device":"/dev/ttyUSB0","baud":"307200","parity":"O",)"
                  R"("dataBits":"8","stopBits":"1","flow":"rtscts","programBaud":"38400"}})",
                  R"({"t":0,"settings":{"port":"COM3","device":"","baud":"307200","parity":"O",)"
                  R"("dataBits":"8","stopBits":"1","flow":"9","programBaud":"6"}})",
              }));
}

TEST(RunLogTest, KeepsTheFirstLinesAndTheNewestWithinItsBound) {
    RunLog log(30);  // three lines of ten bytes beyond the head
    for (int i = 0; i < static_cast<int>(RunLog::kHeadLines) + 5; ++i) {
        log.append("line " + std::string(5 - std::to_string(i).size(), '0') + std::to_string(i));
    }
    const std::vector<std::string> lines = log.lines();
    ASSERT_EQ(lines.size(), RunLog::kHeadLines + 1 + 3);
    EXPECT_EQ(lines.front(), "line 00000");
    EXPECT_EQ(lines[RunLog::kHeadLines - 1], "line 00063");
    EXPECT_EQ(lines[RunLog::kHeadLines], R"({"dropped":2})");
    EXPECT_EQ(lines.back(), "line 00068");
}

TEST(RunLogTest, AFileGetsWhatCameBeforeAndFollows) {
    test::TempDir dir;
    RunLog log;
    log.append("one");
    ASSERT_TRUE(log.writeTo(dir.path("run.jsonl")));
    log.append("two");
    EXPECT_EQ(test::linesOf(std::ifstream(dir.path("run.jsonl"))), (std::vector<std::string>{"one", "two"}));

    ASSERT_TRUE(log.saveCopy(dir.path("copy.jsonl")));
    log.append("three");
    EXPECT_EQ(test::linesOf(std::ifstream(dir.path("copy.jsonl"))), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(test::linesOf(std::ifstream(dir.path("run.jsonl"))).size(), 3u);

    EXPECT_FALSE(log.writeTo(dir.path("no-such-folder/run.jsonl")));
    EXPECT_FALSE(log.saveCopy(dir.path("no-such-folder/copy.jsonl")));
    log.append("four");
    EXPECT_EQ(test::linesOf(std::ifstream(dir.path("run.jsonl"))).size(), 4u)
        << "a failed switch keeps the file it had";
}

// The record gets every trace line, the shown view only those while its trace is on.
TEST(ViewTeeTest, BothSeeTheScreenTheShownViewAnswers) {
    test::RecordingView shown;
    test::RecordingView record;
    shown.fileChoices.push_back(FileChoice{"/a/b.bin", "b.bin"});
    record.fileChoices.push_back(FileChoice{"/wrong.bin", "wrong.bin"});
    ViewTee tee(&shown, &record);
    tee.setText(Control::txtInfo, "x");
    tee.showMessage("t", "m", {});
    tee.stepIndexChanged(3);
    for (const test::RecordingView* view : {&shown, &record}) {
        EXPECT_EQ(view->text(Control::txtInfo), "x");
        EXPECT_EQ(view->messages.size(), 1u);
        EXPECT_EQ(view->stepIndexes, std::vector<int>{3});
    }
    EXPECT_EQ(tee.chooseFirmwareFile()->title, "b.bin");
    tee.traceLine("a");
    tee.showTrace(true);
    tee.traceLine("b");
    tee.showTrace(false);
    tee.traceLine("c");
    EXPECT_EQ(record.traceLines, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(shown.traceLines, (std::vector<std::string>{"b"}));

    ViewTee nobody(nullptr, nullptr);
    nobody.setText(Control::txtInfo, "x");
    nobody.traceLine("x");
    EXPECT_EQ(nobody.chooseFirmwareFile(), std::nullopt);
    EXPECT_EQ(nobody.askModelAndSerial(), std::nullopt);
}

}  // namespace
}  // namespace rq
