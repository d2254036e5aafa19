#include <gtest/gtest.h>

#include <algorithm>

#include "ScreenChecks.h"
#include "core/wizard/ErrorMessages.h"
#include "core/wizard/Hints.h"

namespace rq {
namespace {

// Every place a failure can have on the given steps: each stage of step 5, each kind of reply.
std::vector<FailurePlace> placesOn(const std::vector<int>& steps) {
    std::vector<FailurePlace> places;
    for (const int step : steps)
        for (int stage = 0; stage <= static_cast<int>(FlashStage::Verify); ++stage)
            for (int reply = 0; reply <= static_cast<int>(Reply::OtherIdentity); ++reply)
                places.push_back({step, static_cast<FlashStage>(stage), static_cast<Reply>(reply)});
    return places;
}

// Each code's title and first line are held against the guide's table; here, which ending it shares and
// that wherever it can arise, whichever stage of step 5 ran and whatever came back, a row of the hint table
// fits: no failure is left without a word of what to check.
TEST(ErrorMessages, EveryCodeHasItsEndingAndAHintWhereverItArises) {
    const std::string endingA = "　改善されない場合は弊社サポートまでご連絡ください。";
    const std::string endingB = "　弊社サポートまでご連絡ください。";
    const std::string endingC = "　更新用ファイルを選択しなおしてください。";
    const std::string file22 = "　その場合は更新用ファイルを入手しなおしてください。";
    const std::string unknown99 = "　確認が済みましたら、再度アプリケーションを起動してください。";
    const std::vector<int> normalMode = {2, 7};
    const std::vector<int> fileChosen = {1, 2, 3, 4};
    const std::vector<int> step5 = {5};
    struct Case {
        int code;
        std::size_t lineCount;
        const std::string& last;
        std::vector<int> steps;  // where it arises
    };
    const Case cases[] = {
        {11, 5, endingB, normalMode},   {12, 6, endingA, normalMode}, {13, 6, endingA, normalMode},
        {15, 6, endingA, normalMode},   {21, 3, endingC, fileChosen}, {22, 6, file22, {1, 2, 3, 4, 5}},
        {23, 3, endingC, fileChosen},   {30, 6, endingA, step5},      {31, 6, endingA, step5},
        {32, 6, endingA, step5},        {33, 6, endingA, step5},      {34, 5, endingB, step5},
        {35, 5, endingB, step5},        {36, 5, endingB, step5},      {37, 5, endingB, step5},
        {99, 6, unknown99, normalMode},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const auto message = errorMessage(static_cast<std::uint8_t>(c.code));
        ASSERT_TRUE(message.has_value());
        const auto text = test::lines(message->text);
        EXPECT_EQ(text.size(), c.lineCount);
        EXPECT_EQ(text.back(), c.last);
        EXPECT_EQ(text[1].empty(), c.code != 99);
        for (const FailurePlace& place : placesOn(c.steps))
            EXPECT_NE(findHint(static_cast<std::uint8_t>(c.code), place), nullptr)
                << "step " << place.step << ", stage " << int(place.stage) << ", reply " << int(place.reply);
    }
    int listed = 0;  // codes without a row show nothing
    for (int code = 0; code < 256; ++code)
        listed += errorMessage(static_cast<std::uint8_t>(code)).has_value();
    EXPECT_EQ(listed, std::ssize(cases));
}

// A particular row put after a general one of its code would never be shown.
TEST(ErrorMessages, EveryHintRowIsTheOneFoundSomewhere) {
    const auto places = placesOn({1, 2, 3, 4, 5, 6, 7, 8});
    for (const HintRow& row : hintTable()) {
        EXPECT_TRUE(
            std::any_of(places.begin(), places.end(),
                        [&row](const FailurePlace& place) { return findHint(row.code, place) == &row; }))
            << int(row.code) << ": " << row.text;
    }
}

}  // namespace
}  // namespace rq
