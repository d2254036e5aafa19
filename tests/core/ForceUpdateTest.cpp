#include <gtest/gtest.h>

#include "core/wizard/ForceUpdate.h"

namespace rq {
namespace {

enum class Verdict { Accepted, NotANumber, WrongLength };

Verdict verdict(std::string_view entry) {
    const auto message = checkSerialEntry(entry);
    if (!message) return Verdict::Accepted;
    EXPECT_EQ(message->title, "入力エラー");
    if (message->text.rfind("シリアルナンバーに数値以外の文字が入力されいます。\r\n", 0) == 0)
        return Verdict::NotANumber;
    EXPECT_EQ(message->text,
              "シリアルナンバーの桁数が正しくありません。\r\n"
              "正しいナンバーを入力してから再度「Set」ボタンをクリックしてください。");
    return Verdict::WrongLength;
}

TEST(SerialEntry, TheDialogsVerdicts) {
    const std::pair<const char*, Verdict> cases[] = {
        {"12345", Verdict::Accepted},   {"1234", Verdict::WrongLength},      {"123456", Verdict::WrongLength},
        {"12a45", Verdict::NotANumber}, {"", Verdict::NotANumber},           {"1.234", Verdict::Accepted},
        {"-1234", Verdict::Accepted},   {"1,234", Verdict::Accepted},        {"1e+03", Verdict::Accepted},
        {" 1234", Verdict::Accepted},   {"+1234", Verdict::Accepted},        {"1234-", Verdict::Accepted},
        {"1.2.3", Verdict::NotANumber}, {"-", Verdict::NotANumber},          {"1e", Verdict::NotANumber},
        {"  ", Verdict::NotANumber},    {"１２３４５", Verdict::NotANumber},
    };
    for (const auto& [entry, expected] : cases) EXPECT_EQ(verdict(entry), expected) << entry;
}

}  // namespace
}  // namespace rq
