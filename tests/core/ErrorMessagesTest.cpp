#include <gtest/gtest.h>

#include "ScreenChecks.h"
#include "core/wizard/ErrorMessages.h"
#include "core/wizard/Hints.h"

namespace rq {
namespace {

const std::string kEndingA4 = "　改善されない場合は弊社サポートまでご連絡ください。";
const std::string kEndingB3 = "　弊社サポートまでご連絡ください。";
const std::string kEndingC1 = "　更新用ファイルを選択しなおしてください。";

TEST(ErrorMessages, EveryCodeWithARowHasItsTitleFirstLineAndEnding) {
    struct Case {
        int code;
        const char* title;
        const char* first;
        std::size_t lineCount;
        const std::string& last;
    };
    const std::string kFile22Last = "　その場合は更新用ファイルを入手しなおしてください。";
    const std::string k99Last = "　確認が済みましたら、再度アプリケーションを起動してください。";
    const Case cases[] = {
        {11, "通信エラー", "通信が開始できません。", 5, kEndingB3},
        {12, "通信エラー", "通信で過剰なリトライが発生しました。", 6, kEndingA4},
        {13, "通信エラー", "通信でタイムアウトが発生しました。", 6, kEndingA4},
        {15, "通信設定エラー", "通信設定が正しくありません。", 6, kEndingA4},
        {21, "更新用ファイル・エラー", "更新用ファイルの名前が正しくありません。", 3, kEndingC1},
        {22, "更新用ファイル・エラー", "更新ファイルが正しくありません。", 6, kFile22Last},
        {23, "更新用ファイル・エラー", "更新用ファイルが開けません。", 3, kEndingC1},
        {30, "更新処理エラー", "通信が開始できません。", 6, kEndingA4},
        {31, "更新処理エラー", "更新の接続が確立できません。", 6, kEndingA4},
        {32, "更新処理エラー", "更新処理で過剰なリトライが発生しました。", 6, kEndingA4},
        {33, "更新処理エラー", "更新処理でタイムアウトが発生しました。", 6, kEndingA4},
        {34, "更新処理エラー", "更新処理の設定で異常が発生しました。", 5, kEndingB3},
        {35, "更新処理エラー", "ファームウェアの消去で異常が発生しました。", 5, kEndingB3},
        {36, "更新処理エラー", "ファームウェアの書き込みで異常が発生しました。", 5, kEndingB3},
        {37, "更新処理エラー", "ファームウェアのベリファイで異常が発生しました。", 5, kEndingB3},
        {99, "不明なエラー", "原因不明のエラーが発生しました。", 6, k99Last},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const auto message = errorMessage(static_cast<std::uint8_t>(c.code));
        ASSERT_TRUE(message.has_value());
        EXPECT_EQ(message->title, c.title);
        const auto text = test::lines(message->text);
        ASSERT_EQ(text.size(), c.lineCount);
        EXPECT_EQ(text.front(), c.first);
        EXPECT_EQ(text.back(), c.last);
        EXPECT_EQ(text[1].empty(), c.code != 99);
        EXPECT_NE(message->text.substr(message->text.size() - 2), "\r\n");
    }
    int listed = 0;  // codes without a row show nothing
    for (int code = 0; code < 256; ++code)
        listed += errorMessage(static_cast<std::uint8_t>(code)).has_value();
    EXPECT_EQ(listed, std::ssize(cases));
}

// Wherever a code can arise, whichever stage of step 5 ran and whatever came back, a row of the hint
// table fits: no failure is left without a word of what to check.
TEST(ErrorMessages, EveryCodeHasAHintWhereverItArises) {
    const std::vector<int> normalMode = {2, 7};
    const std::vector<int> fileChosen = {1, 2, 3, 4};
    const std::vector<int> step5 = {5};
    const std::pair<int, std::vector<int>> arises[] = {
        {11, normalMode}, {12, normalMode},      {13, normalMode}, {15, normalMode},
        {21, fileChosen}, {22, {1, 2, 3, 4, 5}}, {23, fileChosen}, {30, step5},
        {31, step5},      {32, step5},           {33, step5},      {34, step5},
        {35, step5},      {36, step5},           {37, step5},      {99, normalMode},
    };
    for (const auto& [code, steps] : arises) {
        EXPECT_TRUE(errorMessage(static_cast<std::uint8_t>(code)).has_value()) << code;
        for (const int step : steps) {
            for (int stage = 0; stage <= static_cast<int>(FlashStage::Verify); ++stage) {
                for (int reply = 0; reply <= static_cast<int>(Reply::OtherIdentity); ++reply) {
                    const FailurePlace place{step, static_cast<FlashStage>(stage), static_cast<Reply>(reply)};
                    EXPECT_NE(findHint(static_cast<std::uint8_t>(code), place), nullptr)
                        << code << " in step " << step << ", stage " << stage << ", reply " << reply;
                }
            }
        }
    }
}

}  // namespace
}  // namespace rq
