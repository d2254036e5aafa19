#include <QAction>
#include <QSysInfo>
#include <fstream>

#include "GuiFixture.h"
#include "core/TempDir.h"
#include "gui/frmDebug.h"

namespace rq::test {
namespace {

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

long linesWith(const std::vector<std::string>& lines, const std::string& part) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& line) { return line.find(part) != std::string::npos; });
}

class GuiLogTest : public GuiFixture {
  protected:
    TempDir dir;

    // Step 2 against a device that stops answering after the first exchange.
    void failStep2(bool traceShown) {
        auto options = simulatedOptions();
        ASSERT_EQ(options.simulation.faults.add("silent-after=1"), std::nullopt);
        start(options);
        if (traceShown) window().showTraceWindow();
        ASSERT_TRUE(waitIdle());
        click("cmdNext");
        ASSERT_EQ(answerer.messages.size(), 1u);
    }
};

// The log gets every trace line, whether the trace is on or not; the trace window shows only what it shows.
TEST_F(GuiLogTest, TheMenuSavesTheRunSoFar) {
    auto* action = window().findChild<QAction*>(QStringLiteral("actSaveLog"));
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    for (const bool traceShown : {false, true}) {
        SCOPED_TRACE(traceShown);
        answerer.messages.clear();
        failStep2(traceShown);
        const std::string path = dir.path("saved.jsonl");
        ASSERT_TRUE(window().saveLog(QString::fromStdString(path)));
        const auto log = readLines(path);
        ASSERT_FALSE(log.empty());
        EXPECT_NE(log.front().find(R"(,"program":"rqfwup","version":"1.0.0","system":")"), std::string::npos);
        EXPECT_EQ(linesWith(log, R"("settings":{"port":"COM1","device":"simulated RQ system")"), 1);
        EXPECT_EQ(linesWith(log, R"("messageBox":{"title":")" + answerer.messages[0].title), 1);
        EXPECT_GT(linesWith(log, "Retry PC->RQX::CMD[001]:"), 0);
        EXPECT_EQ(find<gui::frmDebug>("frmDebug")->lineCount(),
                  traceShown ? linesWith(log, R"("trace":)") : 0);
    }
    EXPECT_FALSE(window().saveLog(QString::fromStdString(dir.path("no-such-folder/saved.jsonl"))));
}

TEST_F(GuiLogTest, TheLogOptionWritesTheRunAsItGoes) {
    auto options = simulatedOptions();
    options.logPath = dir.path("run.jsonl");
    start(options);
    EXPECT_FALSE(application->logFailed());
    click("cmdNext");
    const auto log = readLines(options.logPath);
    EXPECT_EQ(linesWith(log, R"("program":"rqfwup")"), 1);
    EXPECT_EQ(linesWith(log, R"("control":"txtProcess","text":"パラメーター取得完了")"), 1);

    options.logPath = dir.path("no-such-folder/run.jsonl");
    options.backupFolder = dir.path("no-backups");  // the first window's would be offered
    start(options);
    EXPECT_TRUE(application->logFailed());
}

TEST_F(GuiLogTest, ThePortOptionGivesTheWizardItsPort) {
    gui::GuiOptions options;
    options.backupFolder = backupFolder;  // a backup another test left would be offered at start
    // A port that no machine has, named as its system names ports.
    options.port =
        QSysInfo::productType() == QStringLiteral("windows") ? "COM199" : "/dev/rqfwup-no-such-port";
    start(options);
    const std::string path = dir.path("saved.jsonl");
    ASSERT_TRUE(window().saveLog(QString::fromStdString(path)));
    EXPECT_EQ(linesWith(readLines(path), ",\"device\":\"" + options.port + "\","), 1);
    const int number = fromWizard([](Wizard& wizard) { return int(wizard.state().commSettings.ComPort); });
    EXPECT_GE(number, 1);
}

}  // namespace
}  // namespace rq::test
