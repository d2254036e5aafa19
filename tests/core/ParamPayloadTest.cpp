#include <gtest/gtest.h>

#include "LinkTestSupport.h"
#include "core/link/Dispatch.h"
#include "support/RecordingView.h"

namespace rq {
namespace {

using test::Bytes;
using test::bytesOf;

TEST(AccessModeRequestTest, TheModeAndTheCodeItCarries) {
    struct Case {
        std::uint8_t mode;
        std::string code;
        Bytes data;
    };
    Bytes overlong(255, '7');
    overlong[0] = 2;  // the code is cut so that the mode byte and it fit the length byte
    const Case cases[] = {
        {0, "", {0, '6', '0', '2', '4', '3', '1'}},
        {1, "99", {1, '6', '0', '2', '4', '3', '1'}},
        {2, "602431", {2, '6', '0', '2', '4', '3', '1'}},
        {2, "48157203", {2, '4', '8', '1', '5', '7', '2', '0', '3'}},
        {2, "", {2}},
        {2, std::string(300, '7'), overlong},
        {5, "602431", {0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        ParameterStore store;
        store.AccessModeRequest = c.mode;
        store.AccessCode = c.code;
        CommandQueue queue;
        std::int32_t count = 0;
        QueueCommand(queue, count, ACCESS_MODE, kWrite, store);
        EXPECT_EQ(test::parseRequest(encodeRequest(queue[0])).data, c.data) << int(c.mode) << " " << c.code;
    }
}

class PayloadHandlersTest : public ::testing::Test {
  protected:
    ParameterStore store;
    test::RecordingView view;

    bool respond(std::uint8_t command, const Bytes& data, std::uint8_t requestReadWrite = kRead) {
        CommandRecord response;
        response.Command = command;
        response.Length = static_cast<std::uint8_t>(data.size());
        response.Data = data;
        ResponseTarget target{store, view, requestReadWrite};
        return DispatchResponse(response, target);
    }
};

TEST_F(PayloadHandlersTest, TheAnswerToAWriteNeverChangesTheIdentity) {
    const std::pair<std::uint8_t, Bytes> answers[] = {
        {1, bytesOf("VQA-4025")}, {2, bytesOf("99999 ")}, {3, {1}}, {4, {1, 0}}, {5, {1, 1}}, {6, {1, 0}},
    };
    for (const auto& [command, data] : answers) {
        EXPECT_FALSE(respond(command, data, kWrite)) << int(command);
        EXPECT_EQ(store, ParameterStore{}) << int(command);
        EXPECT_TRUE(respond(command, data, kRead)) << int(command) << ": the same answer to a read is stored";
        store = {};
    }
}

TEST_F(PayloadHandlersTest, AccessModeAnswers) {
    struct Case {
        Bytes data;
        bool keepOpenAfter;  // starting from true, coded 1
        std::uint8_t codedAfter;
    };
    const Case cases[] = {
        {{0}, false, 0},
        {{1}, true, 0},
        {{2, 0, 0, 0, 0, 0, 0}, true, 1},
        {{0, 9, 9, 9, 9, 9, 9}, false, 0},
        {{0, 0}, true, 1},
        {{3}, true, 1},
        {{}, true, 1},
    };
    for (const Case& c : cases) {
        store.KeepPortOpen = true;
        store.AccessModeCoded = 1;
        respond(ACCESS_MODE, c.data);
        EXPECT_EQ(store.KeepPortOpen, c.keepOpenAfter) << c.data.size();
        EXPECT_EQ(store.AccessModeCoded, c.codedAfter) << c.data.size();
    }
}

TEST_F(PayloadHandlersTest, PasswordIsShownInAMessageBox) {
    respond(126, bytesOf("602431"));
    respond(126, bytesOf("60243"));
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[0].title, "パスワードの確認");
    EXPECT_EQ(view.messages[0].text, "602431");
    EXPECT_EQ(view.messages[1].title, "パスワードの確認");
    EXPECT_EQ(view.messages[1].text, "");
}

}  // namespace
}  // namespace rq
