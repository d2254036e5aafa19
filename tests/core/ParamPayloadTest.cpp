#include <gtest/gtest.h>

#include "LinkTestSupport.h"
#include "core/link/Dispatch.h"
#include "support/RecordingView.h"

namespace rq {
namespace {

using test::Bytes;
using test::bytesOf;

ParameterStore storedIdentity() {
    ParameterStore store;
    store.ModelName = "RQA-4021";
    store.SerialNumber = "12345 ";
    store.Param03Value = 0x33;
    store.Param04Value = 0x44;
    store.FirmwareVersion = {12, 3};
    store.Param06Value = 0x66;
    return store;
}

Bytes requestData(std::uint8_t command, std::uint8_t readWrite, const ParameterStore& store) {
    CommandQueue queue;
    std::int32_t count = 0;
    QueueCommand(queue, count, command, readWrite, store);
    EXPECT_EQ(queue[0].Length, queue[0].Data.size());
    return queue[0].Data;
}

TEST(PayloadBuildersTest, IdentityRequests) {
    struct Case {
        std::uint8_t command;
        Bytes write;
    };
    const Case cases[] = {
        {1, bytesOf("RQA-4021")}, {2, bytesOf("12345 ")}, {3, {0x33}},
        {4, {0x44, 0x00}},        {5, {12, 3}},           {6, {0x66, 0x00}},
    };
    const ParameterStore store = storedIdentity();
    for (const Case& c : cases) {
        EXPECT_EQ(requestData(c.command, kWrite, store), c.write) << int(c.command);
        EXPECT_TRUE(requestData(c.command, kRead, store).empty()) << int(c.command);
    }
}

TEST(PayloadBuildersTest, CharacterFieldsGoOutByteForByte) {
    ParameterStore store;
    store.ModelName = std::string("R\0A-40\0\xE9", 8);
    store.SerialNumber = std::string(
        "\0\0"
        "123",
        5);  // one short: the missing byte goes out as 0
    EXPECT_EQ(requestData(1, kWrite, store), (Bytes{'R', 0, 'A', '-', '4', '0', 0, 0xE9}));
    EXPECT_EQ(requestData(2, kWrite, store), (Bytes{0, 0, '1', '2', '3', 0}));
}

TEST(PayloadBuildersTest, AccessModeRequests) {
    struct Case {
        std::uint8_t mode;
        std::string code;
        Bytes data;
    };
    const Case cases[] = {
        {0, "", {0, '6', '0', '2', '4', '3', '1'}},
        {1, "99", {1, '6', '0', '2', '4', '3', '1'}},
        {2, "602431", {2, '6', '0', '2', '4', '3', '1'}},
        {2, "48157203", {2, '4', '8', '1', '5', '7', '2', '0', '3'}},
        {2, "", {2}},
        {5, "602431", {0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        ParameterStore store;
        store.AccessModeRequest = c.mode;
        store.AccessCode = c.code;
        EXPECT_EQ(requestData(127, kWrite, store), c.data) << int(c.mode) << " " << c.code;
        EXPECT_TRUE(requestData(127, kRead, store).empty());
    }
}

TEST(PayloadBuildersTest, OverlongAccessCodeStillFitsTheLengthByte) {
    ParameterStore store;
    store.AccessModeRequest = 2;
    store.AccessCode = std::string(300, '7');
    EXPECT_EQ(requestData(127, kWrite, store).size(), 255u);
}

class PayloadHandlersTest : public ::testing::Test {
  protected:
    ParameterStore store = storedIdentity();
    test::RecordingView view;

    bool respond(std::uint8_t command, const Bytes& data, std::uint8_t requestReadWrite = kRead) {
        CommandRecord response;
        response.Command = command;
        response.Length = static_cast<std::uint8_t>(data.size());
        response.Data = data;
        ResponseTarget target{store, view, requestReadWrite};
        return DispatchResponse(response, target);
    }

    void expectIdentityUnchanged() {
        const ParameterStore before = storedIdentity();
        EXPECT_EQ(store.ModelName, before.ModelName);
        EXPECT_EQ(store.SerialNumber, before.SerialNumber);
        EXPECT_EQ(store.Param03Value, before.Param03Value);
        EXPECT_EQ(store.Param04Value, before.Param04Value);
        EXPECT_EQ(store.FirmwareVersion, before.FirmwareVersion);
        EXPECT_EQ(store.Param06Value, before.Param06Value);
    }
};

TEST_F(PayloadHandlersTest, IdentityOfTheRightLengthIsStored) {
    respond(1, {'R', 0, 'B', '-', '4', '0', 0, 0xFE});
    respond(2, bytesOf("98765 "));
    respond(3, {0x03});
    respond(4, {0x09, 0xEE});
    respond(5, {21, 7});
    respond(6, {0x16, 0xEE});
    EXPECT_EQ(store.ModelName, std::string("R\0B-40\0\xFE", 8));
    EXPECT_EQ(store.SerialNumber, "98765 ");
    EXPECT_EQ(store.Param03Value, 0x03);
    EXPECT_EQ(store.Param04Value, 0x09);
    EXPECT_EQ(store.FirmwareVersion, (std::array<std::uint8_t, 2>{21, 7}));
    EXPECT_EQ(store.Param06Value, 0x16);
}

TEST_F(PayloadHandlersTest, AnyOtherLengthLeavesTheStoreAlone) {
    const std::pair<std::uint8_t, Bytes> wrong[] = {
        {1, bytesOf("RQB-402")},
        {1, bytesOf("RQB-40211")},
        {2, bytesOf("98765")},
        {3, {}},
        {3, {1, 2}},
        {4, {9}},
        {5, {1, 2, 3}},
        {6, {}},
    };
    for (const auto& [command, data] : wrong) EXPECT_FALSE(respond(command, data)) << int(command);
    expectIdentityUnchanged();
}

TEST_F(PayloadHandlersTest, TheAnswerToAWriteNeverChangesTheIdentity) {
    const std::pair<std::uint8_t, Bytes> answers[] = {
        {1, bytesOf("VQA-4025")}, {2, bytesOf("99999 ")}, {3, {1}}, {4, {1, 0}}, {5, {1, 1}}, {6, {1, 0}},
    };
    for (const auto& [command, data] : answers) {
        EXPECT_FALSE(respond(command, data, kWrite)) << int(command);
        EXPECT_TRUE(respond(command, data, kRead)) << int(command);
        store = storedIdentity();
        respond(command, data, kWrite);
    }
    expectIdentityUnchanged();
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
        respond(127, c.data);
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
