#include <QSysInfo>
#include <fstream>

#include "GuiFixture.h"
#include "core/TempDir.h"
#include "gui/frmDebug.h"
#include "support/InstantSystem.h"

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
};

// The log gets every trace line, whether the trace is shown or not; the trace window shows only what it
// shows.
TEST_F(GuiLogTest, TheMenuSavesTheRunSoFar) {
    for (const bool traceShown : {false, true}) {
        SCOPED_TRACE(traceShown);
        auto options = simulatedOptions();
        options.simulation = instantSystem({"silent-after=1"});  // step 2 fails after one exchange
        start(options);
        if (traceShown) window().showTraceWindow();
        ASSERT_TRUE(waitIdle());
        click("cmdNext");
        const std::string path = dir.path("saved.jsonl");
        ASSERT_TRUE(window().saveLog(QString::fromStdString(path)));
        const auto log = readLines(path);
        EXPECT_GT(linesWith(log, "Retry PC->RQX::CMD[001]:"), 0);
        EXPECT_EQ(find<gui::frmDebug>("frmDebug")->lineCount(),
                  traceShown ? linesWith(log, R"("trace":)") : 0);
    }
    EXPECT_FALSE(window().saveLog(QString::fromStdString(dir.path("no-such-folder/saved.jsonl"))));
}

// The run on a port that is not there: the log is written as the run goes.
TEST_F(GuiLogTest, TheLogAndPortOptionsTakeEffectAtStart) {
    gui::GuiOptions options;
    options.backupFolder = backupFolder;  // a backup another test left would be offered at start
    // A port that no machine has, named as its system names ports.
    options.port =
        QSysInfo::productType() == QStringLiteral("windows") ? "COM199" : "/dev/rqfwup-no-such-port";
    options.logPath = dir.path("run.jsonl");
    start(options);
    EXPECT_FALSE(application->logFailed());
    EXPECT_GE(fromWizard([](Wizard& wizard) { return int(wizard.state().commSettings.ComPort); }), 1);
    click("cmdNext");
    ASSERT_EQ(answerer.messages.size(), 1u);
    const auto log = readLines(options.logPath);
    EXPECT_EQ(linesWith(log, R"("program":"rqfwup")"), 1);
    EXPECT_EQ(linesWith(log, ",\"device\":\"" + options.port + "\","), 1);
    EXPECT_EQ(linesWith(log, R"("messageBox":{"title":")" + answerer.messages[0].title), 1);

    options.logPath = dir.path("no-such-folder/run.jsonl");
    start(options);
    EXPECT_TRUE(application->logFailed());
}

}  // namespace
}  // namespace rq::test
