#include <gtest/gtest.h>

#include "ScreenChecks.h"
#include "StartedWizard.h"
#include "core/wizard/Screens.h"

namespace rq {
namespace {

using namespace test;

// "00100000": step 3 alone in bold.
std::string boldLabels(const RecordingView& view) {
    std::string states;
    for (int i = 0; i < kStepCount; ++i) states += view.isBold(stepLabel(i)) ? '1' : '0';
    return states;
}

using WizardTest = test::StartedWizard;

TEST_F(WizardTest, InstructionScreens) {
    struct Case {
        void (*handler)(StepContext&);
        const char* first;
        const char* last;
        std::size_t lineCount;
        const char* buttons;  // with every button enabled beforehand
        const char* status;
        const char* bold;  // with every label in bold beforehand
    };
    const Case cases[] = {
        {subStep1Start, "１．開始", "　上記の作業が終わりましたら、「次へ」をクリックしてください。", 10,
         "11111", "Update start", "10000000"},
        {subStep3VersionCheck, "３．ファームウェアのバージョン確認",
         "　更新処理を中断する場合は「中止」をクリックしてください。", 11, "11110", "Version check",
         "00100000"},
        {subStep4FwPrepare, "４．ファームウェアの更新準備",
         "　更新処理を中断する場合は「中止」をクリックしてください。", 15, "11111", "Firmware update",
         "00010000"},
        // No identity is held: the forced update lets one be typed in or chosen.
        {subStep6ParamPrepare, "６．パラメーターの更新準備",
         "　　　　　RQシステムの動作を保証することができません。", 13, "00101", "Parameter update",
         "00000100"},
        {subStep8End, "８．更新作業の終了", "　更新作業を最初からやり直してください。", 9, "00001",
         "Update end", "00000001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        for (int i = 0; i < 8; ++i) view.setBold(stepLabel(i), true);
        for (const Control button : kButtons) view.setEnabled(button, true);
        view.setText(Control::txtProcess, "old");
        view.setStatus(2, "Ready");
        context.setProgress({0, 6, 6});  // as a step that failed at its end leaves it
        c.handler(context);
        const auto text = lines(view.text(Control::txtInfo));
        EXPECT_EQ(text.size(), c.lineCount);
        EXPECT_EQ(text.front(), c.first);
        EXPECT_EQ(text.back(), c.last);
        EXPECT_EQ(text[1], "");
        EXPECT_EQ(buttons(view), c.buttons);
        EXPECT_EQ(view.status1, c.status);
        EXPECT_EQ(view.status2, "");
        EXPECT_EQ(view.text(Control::txtProcess), "");
        EXPECT_EQ(view.progress(), (Progress{0, 6, 0}));
        EXPECT_EQ(boldLabels(view), c.bold);
    }
    EXPECT_EQ(view.text(Control::cmdNext), "終了") << "step 8 renames Next";
}

TEST_F(WizardTest, AFailedStep2ShowsOneMessageThenTheStep1ScreenAgain) {
    EXPECT_EQ(port.settings(), "307200,o,8,1") << "the start sets the normal mode's line";
    EXPECT_EQ(view.text(Control::lblFWOld), "Unkonwn");
    wizard.cmdNext();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(wizard.state().StepIndex, 0);
    EXPECT_EQ(wizard.state().LinkError, 0);
    EXPECT_EQ(lines(view.text(Control::txtInfo)).front(), "１．開始");
    EXPECT_EQ(buttons(view), "11111");
    EXPECT_EQ(view.stepIndexes.back(), 0);
    EXPECT_FALSE(view.busy);

    // A runner without the fall-back stays on the failed step.
    wizard.setFallBackAfterFailure(false);
    wizard.cmdNext();
    EXPECT_EQ(wizard.state().StepIndex, 1);
    EXPECT_NE(wizard.state().LinkError, 0);
    EXPECT_EQ(wizard.lastShownError(), wizard.state().LinkError);
}

// Going on without an identity would program a device that then has none to get back.
TEST_F(WizardTest, ACancelledForcedUpdateGoesOnToStep3OnlyWithAnIdentityHeld) {
    // The model held before (empty: none); the step, its first line and the bold labels afterwards.
    const std::tuple<std::string, int, const char*, const char*> cases[] = {
        {"", 0, "１．開始", "10000000"},
        {"RQA-4021", 2, "３．ファームウェアのバージョン確認", "00100000"},
    };
    for (const auto& [model, stepIndex, firstLine, bold] : cases) {
        SCOPED_TRACE(model);
        wizard.state().params.ModelName = model;
        wizard.state().params.SerialNumber = model.empty() ? "" : "12345 ";
        wizard.state().params.FirmwareVersion = {12, 0};
        view.modelSerials.push_back(std::nullopt);
        wizard.cmdForceUpdate();
        EXPECT_EQ(wizard.state().StepIndex, stepIndex);
        EXPECT_EQ(lines(view.text(Control::txtInfo)).front(), firstLine);
        EXPECT_EQ(boldLabels(view), bold) << "the step it came from is not bold";
        EXPECT_EQ(wizard.state().params.ModelName, model) << "Cancel keeps what was held";
    }
    EXPECT_EQ(view.text(Control::lblFWOld), "Ver.1.2.0");
}

// The flash already holds the new program: the wizard stays at step 6 and takes the identity typed in.
TEST_F(WizardTest, OnStep6WithoutAnIdentityTheForcedUpdateTakesOneTypedIn) {
    // The entry, the model it leaves, whether forced update is still enabled.
    const std::tuple<std::optional<ModelSerialEntry>, const char*, bool> cases[] = {
        {std::nullopt, "", true},
        {ModelSerialEntry{"RQA-4020", "54321"}, "RQA-4020", false},
    };
    for (const auto& [entry, model, forceUpdateEnabled] : cases) {
        wizard.state().StepIndex = 4;
        wizard.cmdNext();
        ASSERT_EQ(wizard.state().StepIndex, 5);
        ASSERT_TRUE(view.isEnabled(Control::cmdForceUpdate));
        view.modelSerials.push_back(entry);
        wizard.cmdForceUpdate();
        EXPECT_EQ(wizard.state().StepIndex, 5);
        EXPECT_EQ(lines(view.text(Control::txtInfo)).front(), "６．パラメーターの更新準備");
        EXPECT_EQ(wizard.state().params.ModelName, model);
        EXPECT_EQ(view.isEnabled(Control::cmdForceUpdate), forceUpdateEnabled);
        EXPECT_TRUE(view.isEnabled(Control::cmdNext));
    }
}

TEST_F(WizardTest, ForcedUpdateStoresTheEntryAndAFileChosenOnStep3EnablesNext) {
    wizard.state().params.Param04Value = 9;
    view.modelSerials.push_back(ModelSerialEntry{"RQA-4021", "1.234"});
    wizard.cmdForceUpdate();
    EXPECT_EQ(wizard.state().params.ModelName, "RQA-4021");
    EXPECT_EQ(wizard.state().params.SerialNumber, "1.234 ");
    EXPECT_EQ(wizard.state().params.Param04Value, 9);
    select(valid("fw.bin"));
    EXPECT_TRUE(view.isEnabled(Control::cmdNext));
    EXPECT_EQ(wizard.state().StepIndex, 2);
}

}  // namespace
}  // namespace rq
