#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <chrono>
#include <thread>

#include "GuiFixture.h"
#include "gui/ScenePlayer.h"
#include "sim/FirmwareGenerator.h"

namespace rq::test {
namespace {

constexpr int kSceneMillis = 30'000;

struct SceneRun {
    QString failure;
    QString pictured;
    std::string boldStep;  // the step label in bold once the player is done
};

// Plays one scene on the real window and the simulated RQ system, as rqfwup --screenshot does.
class ScenePlayerTest : public testing::Test {
  protected:
    // `before` is posted to the wizard first.
    SceneRun play(const std::string& scene, gui::GuiOptions options, const std::string& picture,
                  gui::SceneBounds bounds = {}, WizardThread::Call before = {}) {
        options.screenshotPath = picture;
        gui::Application application(options);
        application.window().show();
        if (before) application.window().wizard().post(std::move(before));
        auto* player =
            new gui::ScenePlayer(application.window(), scene, QString::fromStdString(picture), bounds);
        std::optional<QString> failure;
        QObject::connect(player, &gui::ScenePlayer::finished,
                         [&failure](const QString& reason) { failure = reason; });
        player->start();
        EXPECT_TRUE(QTest::qWaitFor([&] { return failure.has_value(); }, kSceneMillis)) << scene;
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the player leaves no dialog open";
        SceneRun run{failure.value_or(QStringLiteral("unfinished")), player->pictured(), {}};
        for (QLabel* label : application.window().findChildren<QLabel*>())
            if (label->objectName().startsWith(QStringLiteral("lblProcess")) && label->font().bold())
                run.boldStep = label->objectName().toStdString();
        return run;
    }

    void SetUp() override { ASSERT_TRUE(sim::writeFirmwareFile(firmware, {})); }

    TempDir dir;
    std::string firmware = dir.path("RQ-1.3.0.bin");
    std::string backups = dir.path("backups");
};

// Each row: a scene, the caption of the window in its picture, and where the wizard is once the dialog the
// scene opened is closed. The model and serial dialog is left with Cancel: without an identity the wizard
// goes back to step 1. The walk to step 8 passes every screen of the main window and works the front panel
// on the way: it stands for the other steps.
TEST_F(ScenePlayerTest, EverySceneIsReachedAndPictured) {
    const struct {
        const char* scene;
        const char* pictured;
        const char* boldStep;
    } rows[] = {
        {"step8", "RQ SYSTEM  Firmware update tool (Ver1.0.0)", "lblProcess08"},
        {"settings", "通信設定", "lblProcess01"},
        {"model-serial", "Forced update config", "lblProcess01"},
        {"message", "通信エラー", "lblProcess01"},
        {"trace", "Communication monitoring window", "lblProcess02"},
        {"about", "About rqfwup", "lblProcess01"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.scene);
        const std::string picture = dir.path(std::string(row.scene) + ".png");
        const SceneRun run = play(row.scene, simulatedOptions(backups, firmware), picture);
        EXPECT_EQ(run.failure.toStdString(), "");
        EXPECT_EQ(run.pictured.toStdString(), row.pictured);
        EXPECT_EQ(run.boldStep, row.boldStep);
        const QImage image(QString::fromStdString(picture));
        EXPECT_GT(image.width(), 200);  // the About box is the narrowest
        EXPECT_GT(image.height(), 100);
    }
}

TEST_F(ScenePlayerTest, AWalkThatCannotGoOnFailsWithItsReason) {
    const struct {
        const char* scene;
        bool withFirmware;
        const char* fault;
        std::string picture;
        const char* reason;
    } cases[] = {
        {"step4", false, nullptr, "step4.png", "cmdNext is disabled"},
        {"step3", true, "silent-after=0", "step3.png", "a message box stopped the walk: 通信エラー: "},
        {"step1", true, nullptr, "no-such-folder/step1.png", "cannot write "},
    };
    for (const auto& test : cases) {
        gui::GuiOptions options = simulatedOptions(backups, test.withFirmware ? firmware : "");
        if (test.fault) {
            ASSERT_EQ(options.simulation.faults.add(test.fault), std::nullopt);
        }
        const SceneRun run = play(test.scene, options, dir.path(test.picture));
        EXPECT_TRUE(run.failure.startsWith(QString::fromUtf8(test.reason)))
            << test.scene << ": " << run.failure.toStdString();
    }
}

// A wizard held in its step, as by a message box that takes no answer, does not hold the player up.
TEST_F(ScenePlayerTest, AWizardThatDoesNotEndItsStepEndsTheSceneWithAnError) {
    const auto held = [](Wizard&) { std::this_thread::sleep_for(std::chrono::seconds(3)); };
    const SceneRun run =
        play("step2", simulatedOptions(backups, firmware), dir.path("step2.png"), {300, 300}, held);
    EXPECT_EQ(run.failure.toStdString(),
              "the window did not reach the scene in time; the window did not end its step in time");
}

}  // namespace
}  // namespace rq::test
