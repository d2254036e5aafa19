// Every command's request and response: the bytes on the line, against a store whose values tell their
// places apart, and what the answers to the access mode, the password and the identity's writes do.

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
Bytes le(std::uint32_t word) {
    return le({word});
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

ParameterStore valuedStore() {
    ParameterStore s;
    s.ModelName = std::string("R\0A-40\0\xE9", 8);
    s.SerialNumber = std::string(
        "\0\0"
        "123",
        5);  // one short: the missing byte goes out as 0
    s.Param03Value = 0x33;
    s.Param04Value = 0x44;
    s.FirmwareVersion = {12, 3};
    s.Param06Value = 0x66;
    s.Param21Group[2] = {0, {1, 2, 3}};
    s.Param21Group[3] = {7, {4, 5, 6}};
    s.Param21Group[5] = {7, {8, 9, 10}};
    for (std::uint8_t slot = 10; slot <= 12; ++slot) s.Param21Group[slot].key = slot;  // 22's channels 1 to 3
    s.Param22Group = {0x5A, {0x21, 0x22, 0x23}, {0x22000001, 0x22000002, 0x22000003}};
    s.Param23Group = {0x50, 0x51};
    s.Param25Group = {0x25, 0x26, 0x27};
    s.Param31Group = 0x31;
    s.Param32Group = {0x32000001, 0x32000002, 0x32000003};
    s.Param34Group = {{{0x34000011, 0x34000012}, {0x34000021, 0x34000022}, {0x34000031, 0x34000032}}};
    s.Param35Group = {0x35, 0x36, 0x37};
    s.Param41Group = {0x41, 0x42, 0x43};
    s.Param42Group = {0x42000001, 0x42000002, 0x42000003};
    s.Param52Group = {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6};
    s.Param54Group = {0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6};
    s.Param55Group = {0xC1, 0xC2, 0xC3};
    s.Param61Group = {{0x61000001, 0x61000002, 0x61000003}, {0x11, 0x12, 0x13}};
    s.Param62Group = {{0x62000001, 0x62000002, 0x62000003}, {0x21, 0x22, 0x23}};
    s.Param63Group = {0x63000001, 0x63000002, 0x63000003};
    s.Param64Group = 0x64646464;
    s.Param65Group = {1, 0, 7};
    s.Param66Group = {0x66000066, 0x66};
    s.Param67Group = {{{0x67000011, 0x67000012}, {0x67000021, 0x67000022}, {0x67000031, 0x67000032}}};
    s.Param72Group = {0x72000072, 0x72};
    s.Param74Group = {0x74000001, 0x74000002, 0x74000003};
    s.Param82Group = {0x82000082, 0x82};
    s.Param83Group.received[2][0][1] = {0x0A, 0x0B, {0xDEAD, 2, 3}};
    s.Param83Group.sending[2][0][1] = {0xA1, 0xB1, {0x83000001, 0x83000002, 0x83000003}};
    s.Param102Group[1] = {0x10200021, 0x10200022};
    s.Param104Group = 0x01020304;
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

TEST(RequestsTest, EveryEncoding) {
    struct Case {
        const char* what;
        std::uint8_t command;
        std::uint8_t readWrite;
        std::map<int, std::uint8_t> selectors;
        Bytes data;
    };
    const Case cases[] = {
        {"1 write: byte for byte", 1, kWrite, {}, {'R', 0, 'A', '-', '4', '0', 0, 0xE9}},
        {"2 write: six bytes", 2, kWrite, {}, {0, 0, '1', '2', '3', 0}},
        {"3 write", 3, kWrite, {}, {0x33}},
        {"4 write", 4, kWrite, {}, {0x44, 0x00}},
        {"5 write", 5, kWrite, {}, {12, 3}},
        {"6 write", 6, kWrite, {}, {0x66, 0x00}},
        {"21 read", 21, kRead, {{0, 5}}, {5}},
        {"21 write: b3 of the first slot with the key", 21, kWrite, {{0, 7}}, {7, 6, 0}},
        {"21 write: no slot has the key", 21, kWrite, {{0, 9}}, {9, 0, 0}},
        {"22 write: slot 11's key names channel 2", 22, kWrite, {{0, 11}}, {11, 0x5A, 0x22, 2, 0, 0, 0x22}},
        {"22 write: no slot key matches", 22, kWrite, {{0, 9}}, {9, 0x5A, 0, 0, 0, 0, 0}},
        {"23 write: Q before P", 23, kWrite, {{0, 2}}, {2, 0x51, 0x50}},
        {"25 read", 25, kRead, {{0, 3}, {1, 2}}, {3}},
        {"25 write", 25, kWrite, {{0, 4}, {1, 3}}, {4, 3, 0x27}},
        {"25 write: channel 0 names no value", 25, kWrite, {{0, 4}, {1, 0}}, {4, 0, 0}},
        {"31 write", 31, kWrite, {}, {0x31}},
        {"32 read", 32, kRead, {{1, 2}, {3, 9}}, {2, 9}},
        {"32 write: u32 LSB first", 32, kWrite, {{1, 2}, {3, 9}}, Bytes{2, 9} + le(0x32000002)},
        {"33 read", 33, kRead, {{1, 3}, {2, 1}, {3, 2}, {4, 7}}, {3, 1, 2}},
        {"34 write", 34, kWrite, {{1, 3}, {2, 2}}, Bytes{3, 2} + le(0x34000032)},
        {"35 write", 35, kWrite, {{1, 1}}, {1, 0x35}},
        {"36 write", 36, kWrite, {{1, 2}, {2, 1}}, {2, 1}},
        {"41 read", 41, kRead, {{1, 2}, {2, 1}}, {2, 1}},
        {"41 write", 41, kWrite, {{1, 2}, {2, 1}}, {2, 1, 0x42}},
        {"42 read", 42, kRead, {{1, 3}, {2, 2}}, {3}},
        {"42 write", 42, kWrite, {{1, 3}, {2, 2}}, Bytes{3, 2} + le(0x42000003)},
        {"52 write: P3 P6 P2 P5 P1 P4", 52, kWrite, {{1, 1}}, {1, 0xA3, 0xA6, 0xA2, 0xA5, 0xA1, 0xA4}},
        {"54 write: W3 W2 W1 W6 W5 W4",
         54,
         kWrite,
         {{1, 2}},
         Bytes{2} + le({0xB3, 0xB2, 0xB1, 0xB6, 0xB5, 0xB4})},
        {"55 write", 55, kWrite, {{1, 3}}, {3, 0xC1, 0xC2, 0xC3}},
        {"56 write: 22's shared byte", 56, kWrite, {}, {0x5A}},
        {"61 read", 61, kRead, {{1, 1}, {5, 1}}, {1, 1}},
        {"61 write, mode 0: W3 W2 W1",
         61,
         kWrite,
         {{1, 2}, {5, 0}},
         Bytes{2, 0} + le({0x61000003, 0x61000002, 0x61000001})},
        {"61 write, mode 1: B3 B2 B1 widened",
         61,
         kWrite,
         {{1, 2}, {5, 1}},
         Bytes{2, 1} + le({0x13, 0x12, 0x11})},
        {"62 write, mode 2: zeros", 62, kWrite, {{1, 2}, {5, 2}}, Bytes{2, 2} + Bytes(12, 0)},
        {"63 write: W3 W2 W1", 63, kWrite, {{1, 1}}, Bytes{1} + le({0x63000003, 0x63000002, 0x63000001})},
        {"64 write", 64, kWrite, {{1, 1}}, Bytes{1} + le(0x64646464)},
        {"65 write", 65, kWrite, {{1, 3}}, {3, 7}},
        {"66 write, mode 0: the word", 66, kWrite, {{1, 1}, {5, 0}}, Bytes{1, 0} + le(0x66000066)},
        {"72 write, mode 1: the byte widened", 72, kWrite, {{1, 1}, {5, 1}}, Bytes{1, 1} + le(0x72)},
        {"82 write, mode 3: zero", 82, kWrite, {{1, 1}, {5, 3}}, Bytes{1, 3} + le(0)},
        {"67 write: 65 byte 1 picks the first word", 67, kWrite, {{1, 1}}, Bytes{1, 0} + le(0x67000011)},
        {"67 write: 65 byte 0 picks the second", 67, kWrite, {{1, 2}}, Bytes{2, 0} + le(0x67000022)},
        {"67 write: any other 65 byte picks neither", 67, kWrite, {{1, 3}}, Bytes{3, 0} + le(0)},
        {"73 read", 73, kRead, {{1, 2}}, {2}},
        {"93 read: the builder of 73", 93, kRead, {{1, 3}}, {3}},
        {"74 write", 74, kWrite, {{1, 2}, {2, 1}}, Bytes{2, 1} + le(0x74000002)},
        {"83 read", 83, kRead, {{1, 3}, {2, 2}, {3, 9}, {4, 1}}, {3, 2, 1}},
        {"83 write: A, B, word 1 for sending",
         83,
         kWrite,
         {{1, 3}, {2, 2}, {4, 1}},
         Bytes{3, 2, 1, 0xA1, 0xB1} + le(0x83000001)},
        {"84 write", 84, kWrite, {{1, 1}, {2, 2}, {4, 3}}, {1, 2, 3}},
        {"91 write", 91, kWrite, {{1, 2}, {2, 1}}, {2, 1}},
        {"92 write", 92, kWrite, {{1, 3}, {8, 0x88}, {9, 0x99}}, {3, 0x88, 0x99}},
        {"101 read", 101, kRead, {}, {}},
        {"101 write", 101, kWrite, {{6, 0x66}}, {0x66}},
        {"102 write", 102, kWrite, {{1, 2}, {2, 1}}, Bytes{2, 1} + le(0x10200021)},
        {"103 write: S1 S2 S7 S6", 103, kWrite, {{1, 1}, {2, 2}, {6, 0x66}, {7, 0x77}}, {1, 2, 0x77, 0x66}},
        {"104 write", 104, kWrite, {}, le(0x01020304)},
    };
    for (const Case& c : cases) {
        ParameterStore store = valuedStore();
        for (const auto& [index, value] : c.selectors)
            store.RequestSelectors[static_cast<std::size_t>(index)] = value;
        EXPECT_EQ(test::parseRequest(sent(c.command, c.readWrite, store)),
                  (test::SentRequest{c.command, c.readWrite, c.data}))
            << c.what;
    }
}

TEST(RequestsTest, WhatGoesOutWithoutDataAndWhatAsTheRecordHeldIt) {
    const std::pair<std::uint8_t, std::uint8_t> withoutData[] = {
        {1, kRead},  {2, kRead},   {3, kRead},   {4, kRead},    {5, kRead},
        {6, kRead},  {127, kRead}, {31, kRead},  {56, kRead},   {91, kRead},
        {11, kRead}, {12, kRead},  {126, kRead}, {123, kWrite}, {124, kWrite},
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

TEST_F(ResponsesTest, EveryEncoding) {
    const std::string model("R\0B-40\0\xFE", 8);
    const ResponseCase cases[] = {
        {"1: eight characters, NULs too", 1, bytesOf(model), [&](auto& s) { s.ModelName = model; }},
        {"2: six characters", 2, bytesOf("98765 "), [](auto& s) { s.SerialNumber = "98765 "; }},
        {"3", 3, {0x03}, [](auto& s) { s.Param03Value = 0x03; }},
        {"4: the first of two bytes", 4, {0x09, 0xEE}, [](auto& s) { s.Param04Value = 0x09; }},
        {"5", 5, {21, 7}, [](auto& s) { s.FirmwareVersion = {21, 7}; }},
        {"6: the first of two bytes", 6, {0x16, 0xEE}, [](auto& s) { s.Param06Value = 0x16; }},
        {"11: eight bytes", 11, {1, 2, 3, 4, 5, 6, 7, 8}, [](auto& s) { s.Param11Group = {1, 2, 3, 4, 5, 6, 7, 8}; }},
        {"12: bytes 0 to 3 only", 12, {1, 2, 3, 4, 5, 6, 7, 8}, [](auto& s) { s.Param12Group = {1, 2, 3, 4}; }},
        {"21: the first slot with the key", 21, {9, 0xB1, 0xB2, 0xB3, 0xEE}, [](auto& s) { s.Param21Group[2].b = {0xB1, 0xB2, 0xB3}; }},
        {"22", 22, Bytes{0xEE, 2, 0x5A, 0x22} + le(0x22000002),
         [](auto& s) {
             s.Param22Group.shared = 0x5A;
             s.Param22Group.bytes[1] = 0x22;
             s.Param22Group.words[1] = 0x22000002;
         }},
        {"23: Q at byte 2, P at byte 3", 23, {0xEE, 0xEE, 0x51, 0x50}, [](auto& s) { s.Param23Group = {0x50, 0x51}; }},
        {"25: three bytes", 25, {0xEE, 3, 0x27}, [](auto& s) { s.Param25Group[2] = 0x27; }},
        {"25: eight bytes", 25, {0xEE, 0xEE, 2, 0x26, 3, 0x27, 1, 0x25}, [](auto& s) { s.Param25Group = {0x25, 0x26, 0x27}; }},
        {"25: channel 2 three times, the last pair", 25, {0xEE, 0xEE, 2, 0x61, 2, 0x62, 2, 0x63},
         [](auto& s) { s.Param25Group[1] = 0x63; }},
        {"31", 31, {0x31}, [](auto& s) { s.Param31Group = 0x31; }},
        {"32", 32, Bytes{2, 0xEE} + le(0x32000002), [](auto& s) { s.Param32Group[1] = 0x32000002; }},
        {"33: seven bytes", 33, Bytes{3, 2, 1} + le(0x33000321), [](auto& s) { s.Param33Group[2][1][0] = 0x33000321; }},
        {"33: seventeen bytes, three words of one channel and sub-index", 33,
         Bytes{1, 2, 3} + le(0x33000123) + Bytes{1} + le(0x33000121) + Bytes{2} + le(0x33000122),
         [](auto& s) { s.Param33Group[0][1] = {0x33000121, 0x33000122, 0x33000123}; }},
        {"34: six bytes", 34, Bytes{2, 1} + le(0x34000021), [](auto& s) { s.Param34Group[1][0] = 0x34000021; }},
        {"34: eleven bytes, the one whole group at byte 2", 34, Bytes{3, 0xEE, 2} + le(0x34000032) + Bytes{1, 9, 9, 9},
         [](auto& s) { s.Param34Group[2][1] = 0x34000032; }},
        {"35", 35, {3, 0x37}, [](auto& s) { s.Param35Group[2] = 0x37; }},
        {"35: longer than read", 35, {1, 0x35, 0xEE, 0xEE}, [](auto& s) { s.Param35Group[0] = 0x35; }},
        {"41", 41, {2, 0xEE, 0x42}, [](auto& s) { s.Param41Group[1] = 0x42; }},
        {"42", 42, Bytes{3, 0xEE} + le(0x42000003), [](auto& s) { s.Param42Group[2] = 0x42000003; }},
        {"51", 51, {1, 0xEE, 0x51}, [](auto& s) { s.Param51Group[0] = 0x51; }},
        {"52: P3 P2 P1 P6 P5 P4", 52, {0xEE, 0xA3, 0xA2, 0xA1, 0xA6, 0xA5, 0xA4},
         [](auto& s) { s.Param52Group = {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6}; }},
        {"53", 53, {3, 0xEE, 0x53}, [](auto& s) { s.Param53Group[2] = 0x53; }},
        {"54: W3 W2 W1 W6 W5 W4", 54, Bytes{0xEE} + le({0xB3, 0xB2, 0xB1, 0xB6, 0xB5, 0xB4}),
         [](auto& s) { s.Param54Group = {0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6}; }},
        {"55", 55, {0xEE, 0xC1, 0xC2, 0xC3}, [](auto& s) { s.Param55Group = {0xC1, 0xC2, 0xC3}; }},
        {"56: 22's shared byte", 56, {0x56}, [](auto& s) { s.Param22Group.shared = 0x56; }},
        {"61, mode 0: W3 W2 W1", 61, Bytes{0xEE, 0} + le({0x61000003, 0x61000002, 0x61000001}),
         [](auto& s) { s.Param61Group.words = {0x61000001, 0x61000002, 0x61000003}; }},
        {"62, mode 1: B3 B2 B1", 62, Bytes{0xEE, 1} + le({0x13, 0x12, 0xFF}),
         [](auto& s) { s.Param62Group.bytes = {0xFF, 0x12, 0x13}; }},
        {"63: W3 W2 W1", 63, Bytes{0xEE} + le({3, 2, 1}), [](auto& s) { s.Param63Group = {1, 2, 3}; }},
        {"64", 64, Bytes{0xEE} + le(0x64646464), [](auto& s) { s.Param64Group = 0x64646464; }},
        {"65", 65, {2, 0x65}, [](auto& s) { s.Param65Group[1] = 0x65; }},
        {"66, mode 0: the word", 66, Bytes{0xEE, 0} + le(0x66000066), [](auto& s) { s.Param66Group.word = 0x66000066; }},
        {"72, mode 1: the byte", 72, Bytes{0xEE, 1} + le(0x72), [](auto& s) { s.Param72Group.byte = 0x72; }},
        {"82, mode 1: the byte", 82, Bytes{0xEE, 1} + le(0xFF), [](auto& s) { s.Param82Group.byte = 0xFF; }},
        {"67: 65 byte 1, the first word", 67, Bytes{1, 0xEE} + le(0x67000011), [](auto& s) { s.Param67Group[0].first = 0x67000011; }},
        {"67: 65 byte 0, the second word", 67, Bytes{2, 0xEE} + le(0x67000022), [](auto& s) { s.Param67Group[1].second = 0x67000022; }},
        {"73", 73, {3, 0x73}, [](auto& s) { s.Param73Group[2] = 0x73; }},
        {"93: byte 1", 93, {0xEE, 0x93}, [](auto& s) { s.Param93Group = 0x93; }},
        {"74", 74, Bytes{1, 0xEE} + le(0x74000001), [](auto& s) { s.Param74Group[0] = 0x74000001; }},
        {"75", 75, Bytes{2, 0xEE} + le(0x75000002), [](auto& s) { s.Param75Group[1] = 0x75000002; }},
        {"83: the half, then the whole entry into the copy for sending", 83,
         Bytes{3, 2, 1, 0xA1, 0xB1} + le({0x83000001, 0x83000002, 0x83000003}),
         [](auto& s) {
             s.Param83Group.received[2][0][1] = {0xA1, 0xB1, {0x83000001, 0x83000002, 0x83000003}};
             s.Param83Group.sending[2][0] = s.Param83Group.received[2][0];
         }},
        {"84: as 83", 84, Bytes{1, 1, 3, 0xA2, 0xB2} + le({4, 5, 6}),
         [](auto& s) {
             s.Param83Group.received[0][2][0] = {0xA2, 0xB2, {4, 5, 6}};
             s.Param83Group.sending[0][2] = s.Param83Group.received[0][2];
         }},
        {"91", 91, {0x91, 0x19}, [](auto& s) { s.Param91Group = {0x91, 0x19}; }},
        {"102", 102, Bytes{3, 2} + le(0x10200032), [](auto& s) { s.Param102Group[2][1] = 0x10200032; }},
        {"104", 104, le(0x01020304), [](auto& s) { s.Param104Group = 0x01020304; }},
    };
    for (const ResponseCase& c : cases) {
        store = {};
        store.Param21Group[2].key = store.Param21Group[4].key = 9;
        store.Param21Group[0].key = 1;
        store.Param65Group = {1, 0, 9};
        store.Param83Group.received[2][0][0] = {0x0A, 0x0B, {7, 8, 9}};  // the other half of the entry
        store.Param83Group.received[0][2][1] = {0x0C, 0x0D, {7, 8, 9}};
        ParameterStore expected = store;
        c.change(expected);
        EXPECT_TRUE(respond(c.command, c.data)) << c.what;
        EXPECT_EQ(store, expected) << c.what;
    }
}

TEST_F(ResponsesTest, WrongLengthsAndSelectorsChangeNothing) {
    const ResponseCase cases[] = {
        {"1: seven bytes", 1, bytesOf("RQB-402")},
        {"1: nine bytes", 1, bytesOf("RQB-40211")},
        {"2: five bytes", 2, bytesOf("98765")},
        {"3: none", 3, {}},
        {"3: two bytes", 3, {1, 2}},
        {"4: one byte", 4, {9}},
        {"5: three bytes", 5, {1, 2, 3}},
        {"6: none", 6, {}},
        {"11: seven bytes", 11, Bytes(7, 1)},
        {"12: nine bytes", 12, Bytes(9, 1)},
        {"21: four bytes", 21, {0, 1, 2, 3}},
        {"21: a key no slot has", 21, {5, 1, 2, 3, 4}},
        {"22: seven bytes", 22, Bytes{0, 1, 2, 3} + Bytes{4, 5, 6}},
        {"22: channel 4", 22, Bytes{0, 4, 2, 3} + le(1)},
        {"23: five bytes", 23, {0, 0, 1, 2, 3}},
        {"25: four bytes", 25, {0, 1, 2, 3}},
        {"25: channel 0", 25, {0, 0, 2}},
        {"25: eight bytes, one channel 4", 25, {0, 0, 1, 0x25, 4, 0x26, 3, 0x27}},
        {"31: none", 31, {}},
        {"32: five bytes", 32, {1, 0, 1, 2, 3}},
        {"32: channel 4", 32, Bytes{4, 0} + le(1)},
        {"33: eight bytes", 33, Bytes{1, 1, 1} + le(1) + Bytes{0}},
        {"33: sub-index 3", 33, Bytes{1, 3, 1} + le(1)},
        {"33: index 0", 33, Bytes{1, 1, 0} + le(1)},
        {"33: seventeen bytes, the third index 4", 33,
         Bytes{1, 1, 1} + le(1) + Bytes{2} + le(2) + Bytes{4} + le(3)},
        {"34: seven bytes", 34, Bytes{1, 1} + le(1) + Bytes{0}},
        {"34: sub-index 0", 34, Bytes{1, 0} + le(1)},
        {"34: eleven bytes, sub-index 3", 34, Bytes{1, 0, 3} + le(1) + Bytes{1, 0, 0, 0}},
        {"35: channel 0", 35, {0, 1}},
        {"41: channel 4", 41, {4, 1, 1}},
        {"61: mode 2", 61, Bytes{0, 2} + le({1, 2, 3})},
        {"61, mode 1: one value above 255", 61, Bytes{0, 1} + le({1, 0x100, 3})},
        {"64: six bytes", 64, Bytes{0} + le(1) + Bytes{0}},
        {"65: channel 0", 65, {0, 1}},
        {"66: mode 2", 66, Bytes{0, 2} + le(1)},
        {"72, mode 1: 256", 72, Bytes{0, 1} + le(0x100)},
        {"82, mode 1: above a byte", 82, Bytes{0, 1} + le(0xFFFFFFFF)},
        {"67: 65 byte picks neither", 67, Bytes{3, 0} + le(1)},
        {"67: five bytes", 67, Bytes{1, 0, 1, 2, 3}},
        {"73: one byte", 73, {1}},
        {"74: channel 4", 74, Bytes{4, 0} + le(1)},
        {"83: sixteen bytes", 83, Bytes{1, 1, 1, 1, 1} + le({1, 2}) + Bytes{3, 0, 0}},
        {"83: index 4", 83, Bytes{1, 1, 4, 1, 1} + le({1, 2, 3})},
        {"84: sub-index 0", 84, Bytes{1, 0, 1, 1, 1} + le({1, 2, 3})},
        {"91: three bytes", 91, {1, 2, 3}},
        {"93: one byte", 93, {1}},
        {"102: channel 0", 102, Bytes{0, 1} + le(1)},
        {"104: three bytes", 104, {1, 2, 3}},
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
        {41, {1, 0, 2}},
        {42, Bytes{1, 0} + le(2)},
        {51, {1, 0, 2}},
        {52, {0, 1, 2, 3, 4, 5, 6}},
        {53, {1, 0, 2}},
        {54, Bytes{0} + le({1, 2, 3, 4, 5, 6})},
        {55, {0, 1, 2, 3}},
        {56, {1}},
        {61, Bytes{0, 0} + le({1, 2, 3})},
        {62, Bytes{0, 1} + le({1, 2, 3})},
        {63, Bytes{0} + le({1, 2, 3})},
    };
    for (const auto& [command, data] : whole) {
        for (std::size_t length = 0; length < data.size(); ++length) {
            store = {};
            EXPECT_FALSE(respond(command, Bytes(data.begin(), data.begin() + static_cast<long>(length))))
                << int(command) << " of " << length << " bytes";
            EXPECT_EQ(store, ParameterStore{}) << int(command) << " of " << length << " bytes";
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

TEST_F(ResponsesTest, PasswordIsShownInAMessageBox) {
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
