// Requests and responses as bytes on the line, one row for each way a position is filled or an answer
// refused, against a store whose values tell their places apart; and what the answers to the access mode,
// the password and the identity's writes do.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "LinkTestSupport.h"
#include "core/link/Dispatch.h"
#include "support/RecordingView.h"

namespace rq {
namespace {

using test::Bytes;
using test::bytesOf;
using Change = std::function<void(ParameterStore&)>;

// u32 words as they travel: least significant byte first.
Bytes le(std::initializer_list<std::uint32_t> words) {
    Bytes bytes;
    for (const std::uint32_t word : words)
        for (const int shift : {0, 8, 16, 24}) bytes.push_back(static_cast<std::uint8_t>(word >> shift));
    return bytes;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

ParameterStore valuedStore() {
    ParameterStore s;
    s.SerialNumber = std::string{'\0', '\0', '1', '2', '3'};  // one short: the missing byte goes out as 0
    s.Param03Value = 0x33;
    s.FirmwareVersion = {12, 3};
    s.Param06Value = 0x66;
    s.Param21Group[2] = {0, {1, 2, 3}};
    s.Param21Group[3] = {7, {4, 5, 6}};
    s.Param21Group[5] = {7, {8, 9, 10}};
    for (std::uint8_t slot = 10; slot <= 12; ++slot) s.Param21Group[slot].key = slot;  // 22's channels 1 to 3
    s.Param22Group = {0x5A, {0x21, 0x22, 0x23}, {0x22000001, 0x22000002, 0x22000003}};
    s.Param23Group = {0x50, 0x51};
    s.Param25Group = {0x25, 0x26, 0x27};
    s.Param32Group = {0x32000001, 0x32000002, 0x32000003};
    s.Param61Group = {{0x61000001, 0x61000002, 0x61000003}, {0x11, 0x12, 0x13}};
    s.Param62Group = {{0x62000001, 0x62000002, 0x62000003}, {0x21, 0x22, 0x23}};
    s.Param65Group = {1, 0, 7};
    s.Param66Group = {0x66000066, 0x66};
    s.Param67Group = {{{0x67000011, 0x67000012}, {0x67000021, 0x67000022}, {0x67000031, 0x67000032}}};
    s.Param72Group = {0x72000072, 0x72};
    s.Param82Group = {0x82000082, 0x82};
    return s;
}

// A record that held three bytes of its own, built from the store, as it goes on the line.
Bytes sent(std::uint8_t command, std::uint8_t readWrite, const ParameterStore& store) {
    CommandRecord record;
    record.Command = command;
    record.ReadWrite = readWrite;
    record.Length = 3;
    record.Data = {0xE1, 0xE2, 0xE3};
    BuildRequest(record, store);
    return encodeRequest(record);
}

// One row for each way a builder fills a position. The reads of every command and the writes the steps and
// the parameter report make (the identity's, the access mode 2 with the initialisation's code) are checked
// against the simulated device by their own tests.
TEST(RequestsTest, EveryEncoding) {
    struct Case {
        const char* what;
        std::uint8_t command;
        std::map<int, std::uint8_t> selectors;
        Bytes data;
    };
    const Case cases[] = {
        {"2 write: six bytes", 2, {}, {0, 0, '1', '2', '3', 0}},
        {"3 write", 3, {}, {0x33}},
        {"5 write", 5, {}, {12, 3}},
        {"6 write", 6, {}, {0x66, 0x00}},
        {"21 write: b3 of the first slot with the key", 21, {{0, 7}}, {7, 6, 0}},
        {"21 write: no slot has the key", 21, {{0, 9}}, {9, 0, 0}},
        {"22 write: slot 11's key names channel 2", 22, {{0, 11}}, {11, 0x5A, 0x22, 2, 0, 0, 0x22}},
        {"22 write: no slot key matches", 22, {{0, 9}}, {9, 0x5A, 0, 0, 0, 0, 0}},
        {"23 write: Q before P", 23, {{0, 2}}, {2, 0x51, 0x50}},
        {"25 write", 25, {{0, 4}, {1, 3}}, {4, 3, 0x27}},
        {"25 write: channel 0 names no value", 25, {{0, 4}, {1, 0}}, {4, 0, 0}},
        {"32 write: u32 LSB first", 32, {{1, 2}, {3, 9}}, Bytes{2, 9} + le({0x32000002})},
        {"61 mode 0: W3 W2 W1", 61, {{1, 2}, {5, 0}}, Bytes{2, 0} + le({0x61000003, 0x61000002, 0x61000001})},
        {"62 write, mode 2: zeros", 62, {{1, 2}, {5, 2}}, Bytes{2, 2} + Bytes(12, 0)},
        {"66 write, mode 0: the word", 66, {{1, 1}, {5, 0}}, Bytes{1, 0} + le({0x66000066})},
        {"72 write, mode 1: the byte widened", 72, {{1, 1}, {5, 1}}, Bytes{1, 1} + le({0x72})},
        {"82 write, mode 3: zero", 82, {{1, 1}, {5, 3}}, Bytes{1, 3} + le({0})},
        {"67 write: 65 byte 0 picks the second word", 67, {{1, 2}}, Bytes{2, 0} + le({0x67000022})},
        {"67 write: any other 65 byte picks neither", 67, {{1, 3}}, Bytes{3, 0} + le({0})},
        {"103 write: S1 S2 S7 S6", 103, {{1, 1}, {2, 2}, {6, 0x66}, {7, 0x77}}, {1, 2, 0x77, 0x66}},
    };
    for (const Case& c : cases) {
        ParameterStore store = valuedStore();
        for (const auto& [index, value] : c.selectors)
            store.RequestSelectors[static_cast<std::size_t>(index)] = value;
        EXPECT_EQ(test::parseRequest(sent(c.command, kWrite, store)),
                  (test::SentRequest{c.command, kWrite, c.data}))
            << c.what;
    }
}

TEST(RequestsTest, WhatGoesOutWithoutDataAndWhatAsTheRecordHeldIt) {
    const std::pair<std::uint8_t, std::uint8_t> withoutData[] = {
        {1, kRead},   {2, kRead},   {3, kRead},    {4, kRead},    {5, kRead},   {6, kRead},
        {127, kRead}, {31, kRead},  {56, kRead},   {91, kRead},   {101, kRead}, {11, kRead},
        {12, kRead},  {126, kRead}, {123, kWrite}, {124, kWrite},
    };
    // Builders that set nothing, and numbers without a meaning.
    const std::pair<std::uint8_t, std::uint8_t> asHeld[] = {
        {11, kWrite}, {12, kWrite}, {126, kWrite}, {123, kRead}, {124, kRead},
        {33, kWrite}, {36, kRead},  {73, kWrite},  {84, kRead},  {92, kRead},
        {93, kWrite}, {0, kRead},   {7, kWrite},   {125, kRead}, {128, kWrite},
    };
    ParameterStore store = valuedStore();
    store.RequestSelectors = {1, 2, 1};
    for (const auto& [command, readWrite] : withoutData)
        EXPECT_EQ(test::parseRequest(sent(command, readWrite, store)).data, Bytes{}) << int(command);
    for (const auto& [command, readWrite] : asHeld) {
        const Bytes frame = sent(command, readWrite, store);
        EXPECT_EQ(test::parseRequest(frame).data, (Bytes{0xE1, 0xE2, 0xE3})) << int(command);
        EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 5), Bytes(5, 0xFF)) << int(command);
    }
}

TEST(RequestsTest, TheAccessModeAndTheCodeItCarries) {
    struct Case {
        std::uint8_t mode;
        std::string code;
        Bytes data;
    };
    Bytes overlong(255, '7');
    overlong[0] = 2;  // the code is cut so that the mode byte and it fit the length byte
    const Case cases[] = {
        {1, "99", {1, '6', '0', '2', '4', '3', '1'}},
        {2, std::string(300, '7'), overlong},
        {5, "602431", {0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        ParameterStore store;
        store.AccessModeRequest = c.mode;
        store.AccessCode = c.code;
        EXPECT_EQ(test::parseRequest(sent(ACCESS_MODE, kWrite, store)).data, c.data)
            << int(c.mode) << " " << c.code;
    }
}

class ResponsesTest : public ::testing::Test {
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

struct ResponseCase {
    const char* what;
    std::uint8_t command;
    Bytes data;
    Change change = {};  // what it does to the store
};

// The forms the simulated device never answers with: the parameter report's test takes every other one
// from it and holds each value against the device's own.
TEST_F(ResponsesTest, TheFormsTheSimulatedDeviceNeverSends) {
    const std::string model("R\0B-40\0\xFE", 8);
    const ResponseCase cases[] = {
        {"1: eight characters, NULs too", 1, bytesOf(model), [&](auto& s) { s.ModelName = model; }},
        {"25: channel 2 three times, the last pair",
         25,
         {0xEE, 0xEE, 2, 0x61, 2, 0x62, 2, 0x63},
         [](auto& s) { s.Param25Group[1] = 0x63; }},
        {"33: seventeen bytes, three words of one channel and sub-index", 33,
         Bytes{1, 2, 3} + le({0x33000123}) + Bytes{1} + le({0x33000121}) + Bytes{2} + le({0x33000122}),
         [](auto& s) {
             s.Param33Group[0][1] = {0x33000121, 0x33000122, 0x33000123};
         }},
        {"34: eleven bytes, the one whole group at byte 2", 34,
         Bytes{3, 0xEE, 2} + le({0x34000032}) + Bytes{1, 9, 9, 9},
         [](auto& s) { s.Param34Group[2][1] = 0x34000032; }},
        {"35: longer than read", 35, {1, 0x35, 0xEE, 0xEE}, [](auto& s) { s.Param35Group[0] = 0x35; }},
        {"84: as 83, the whole entry into the copy for sending", 84,
         Bytes{1, 1, 3, 0xA2, 0xB2} + le({4, 5, 6}),
         [](auto& s) {
             s.Param83Group.received[0][2][0] = {0xA2, 0xB2, {4, 5, 6}};
             s.Param83Group.sending[0][2] = s.Param83Group.received[0][2];
         }},
    };
    for (const ResponseCase& c : cases) {
        store = {};
        store.Param83Group.received[0][2][1] = {0x0C, 0x0D, {7, 8, 9}};  // the other half of the entry
        ParameterStore expected = store;
        c.change(expected);
        EXPECT_TRUE(respond(c.command, c.data)) << c.what;
        EXPECT_EQ(store, expected) << c.what;
    }
}

// One row for each check that refuses a response: a length no form has, a selector out of its range, a mode
// without a value or a byte mode above 255.
TEST_F(ResponsesTest, WrongLengthsAndSelectorsChangeNothing) {
    const ResponseCase cases[] = {
        {"1: seven bytes", 1, bytesOf("RQB-402")},
        {"3: two bytes", 3, {1, 2}},
        {"5: three bytes", 5, {1, 2, 3}},  // 4's short answer: the link's test
        {"33: eight bytes, neither form", 33, Bytes{1, 1, 1} + le({1}) + Bytes{0}},
        {"21: a key no slot has", 21, {5, 1, 2, 3, 4}},
        {"22: channel 4", 22, Bytes{0, 4, 2, 3} + le({1})},
        {"25: channel 0", 25, {0, 0, 2}},
        {"33: sub-index 3", 33, Bytes{1, 3, 1} + le({1})},
        {"33: index 0", 33, Bytes{1, 1, 0} + le({1})},
        {"33: seventeen bytes, the third index 4", 33,
         Bytes{1, 1, 1} + le({1}) + Bytes{2} + le({2}) + Bytes{4} + le({3})},
        {"61: mode 2", 61, Bytes{0, 2} + le({1, 2, 3})},
        {"66: mode 2", 66, Bytes{0, 2} + le({1})},
        {"61, mode 1: one value above 255", 61, Bytes{0, 1} + le({1, 0x100, 3})},
        {"67: 65 byte picks neither", 67, Bytes{3, 0} + le({1})},
        {"83: index 4", 83, Bytes{1, 1, 4, 1, 1} + le({1, 2, 3})},
    };
    for (const ResponseCase& c : cases) {
        store = {};
        store.Param65Group = {1, 0, 9};
        const ParameterStore before = store;
        EXPECT_FALSE(respond(c.command, c.data)) << c.what;
        EXPECT_EQ(store, before) << c.what;
    }
}

TEST_F(ResponsesTest, ANoCheckResponseShorterThanItsBytesChangesNothing) {
    // Whole responses that are taken; every shorter prefix is not.
    const std::pair<std::uint8_t, Bytes> whole[] = {
        {35, {1, 2}},
        {42, Bytes{1, 0} + le({2})},
        {61, Bytes{0, 0} + le({1, 2, 3})},
    };
    for (const auto& [command, data] : whole) {
        for (std::size_t length = 0; length < data.size(); ++length) {
            SCOPED_TRACE(testing::Message() << int(command) << " of " << length << " bytes");
            store = {};
            EXPECT_FALSE(respond(command, Bytes(data.begin(), data.begin() + static_cast<long>(length))));
            EXPECT_EQ(store, ParameterStore{});
        }
        EXPECT_TRUE(respond(command, data)) << int(command);
    }
}

// Only the numbers with a meaning change the store, only they and those whose answer holds nothing to
// store take an answer, and no answer is read past its data (AddressSanitizer would tell).
TEST_F(ResponsesTest, EveryNumberAtEveryLength) {
    const std::set<int> nothingToStore = {36, 92, 101, 103, 123, 124};
    const std::set<int> meaningful = {1,  2,  3,  4,  5,  6,  11, 12, 21, 22, 23, 25,  31,  32,  33,
                                      34, 35, 41, 42, 51, 52, 53, 54, 55, 56, 61, 62,  63,  64,  65,
                                      66, 67, 72, 73, 74, 75, 82, 83, 84, 91, 93, 102, 104, 126, 127};
    for (int command = 0; command <= 255; ++command) {
        store = {};
        // Channel-like bytes, so that as many forms as possible are taken at every length.
        for (std::size_t length = 0; length <= 40; ++length) {
            Bytes data(length);
            for (std::size_t i = 0; i < length; ++i) data[i] = static_cast<std::uint8_t>(1 + i % 3);
            const bool taken = respond(static_cast<std::uint8_t>(command), data);
            EXPECT_TRUE(meaningful.count(command) || taken == nothingToStore.count(command)) << command;
        }
        EXPECT_TRUE(meaningful.count(command) || store == ParameterStore{}) << command;
    }
}

TEST_F(ResponsesTest, TheAnswerToAWriteNeverChangesTheIdentity) {
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

TEST_F(ResponsesTest, AccessModeAnswers) {
    struct Case {
        Bytes data;
        bool keepOpenAfter;  // starting from true, coded 1
        std::uint8_t codedAfter;
    };
    const Case cases[] = {
        {{0}, false, 0}, {{1}, true, 0}, {{2, 0, 0, 0, 0, 0, 0}, true, 1}, {{0, 0}, true, 1}, {{3}, true, 1},
    };
    for (const Case& c : cases) {
        store.KeepPortOpen = true;
        store.AccessModeCoded = 1;
        respond(ACCESS_MODE, c.data);
        EXPECT_EQ(store.KeepPortOpen, c.keepOpenAfter) << c.data.size();
        EXPECT_EQ(store.AccessModeCoded, c.codedAfter) << c.data.size();
    }
}

TEST_F(ResponsesTest, PasswordIsShownInAMessageBox) {
    respond(126, bytesOf("602431"));
    respond(126, bytesOf("60243"));
    ASSERT_EQ(view.messages.size(), 2u);
    for (const auto& message : view.messages) EXPECT_EQ(message.title, "パスワードの確認");
    EXPECT_EQ(view.messages[0].text, "602431");
    EXPECT_EQ(view.messages[1].text, "");
}

}  // namespace
}  // namespace rq
