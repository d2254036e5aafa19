#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "LinkTestSupport.h"
#include "SimSteps.h"
#include "WorkingSetMatch.h"
#include "core/link/Dispatch.h"
#include "core/link/Link.h"
#include "core/params/ChannelCatalogue.h"
#include "core/wizard/DeviceSteps.h"
#include "core/wizard/ParameterReport.h"

namespace rq {
namespace {

using test::Bytes;

using ParameterReportTest = test::SimStepsTest;

TEST_F(ParameterReportTest, TheReportHoldsTheDevicesWholeSetReadInOneSweep) {
    prepare();
    readParameterReport(*context);
    ASSERT_EQ(state.LinkError, 0);
    test::expectReportHolds(state.params, device->memory().working);
    EXPECT_EQ(state.params.ModelName, device->memory().modelName);
    EXPECT_EQ(state.params.Param03Value, device->memory().param03);
    EXPECT_EQ(state.params.RequestSelectors, (std::array<std::uint8_t, 10>{}));
    EXPECT_FALSE(port->isOpen());
    EXPECT_EQ(port->events, (std::vector<std::string>{"open", "close"}));

    // The reads sweep what the answers can fill.
    std::map<int, std::vector<Bytes>> reads;
    for (const test::SentRequest& request : sent()) {
        if (request.command != ACCESS_MODE) {
            EXPECT_EQ(request.readWrite, kRead) << int(request.command);
            reads[request.command].push_back(request.data);
        }
    }
    std::vector<Bytes> everyChannelSubIndexAndIndex;
    for (std::uint8_t channel = 1; channel <= 3; ++channel)
        for (std::uint8_t subIndex = 1; subIndex <= 2; ++subIndex)
            for (std::uint8_t index = 1; index <= 3; ++index)
                everyChannelSubIndexAndIndex.push_back({channel, subIndex, index});
    // The data of each read, by the commands that carry it.
    const std::pair<std::vector<int>, std::vector<Bytes>> sweeps[] = {
        {{1, 2, 3, 4, 5, 6, 11, 12, 31, 56, 91, 104}, {{}}},
        {{21}, {{0}}},
        {{22, 23, 25}, {{0}, {1}, {2}, {3}}},
        {{32, 41, 51, 53}, {{1, 1}, {2, 1}, {3, 1}}},
        {{33, 83}, everyChannelSubIndexAndIndex},
        {{34, 102}, {{1, 1}, {1, 2}, {2, 1}, {2, 2}, {3, 1}, {3, 2}}},
        {{35, 42, 65, 67, 73, 74, 75}, {{1}, {2}, {3}}},
        {{52, 54, 55, 63, 64, 93}, {{1}}},
        {{61, 62, 66, 72, 82}, {{1, 0}, {1, 1}}},
    };
    std::map<int, std::vector<Bytes>> expected;
    for (const auto& [commands, data] : sweeps)
        for (const int command : commands) expected[command] = data;
    EXPECT_EQ(reads, expected);
    // Access mode 1 and 0 around everything; 67 last, after 65.
    const std::vector<test::SentRequest> requests = sent();
    EXPECT_EQ(requests.front().command, ACCESS_MODE);
    EXPECT_EQ(requests.front().data.at(0), 1);
    EXPECT_EQ(requests.back().command, ACCESS_MODE);
    EXPECT_EQ(requests.back().data.at(0), 0);
    EXPECT_EQ(requests[requests.size() - 2].command, PARAM_67);
}

TEST_F(ParameterReportTest, AChannelWhose65BytePicksNeitherWordHasNo67ToRead) {
    prepare();
    sim::DeviceMemory memory = device->memory();
    memory.working.channels[1].byte65 = 7;
    device->setMemory(memory);
    readParameterReport(*context);
    ASSERT_EQ(state.LinkError, 0);
    std::vector<Bytes> reads67;
    for (const test::SentRequest& request : sent())
        if (request.command == PARAM_67) reads67.push_back(request.data);
    EXPECT_EQ(reads67, (std::vector<Bytes>{{1}, {3}}));
    test::expectReportHolds(state.params, memory.working);
}

TEST_F(ParameterReportTest, WritesChangeTheDevicesSetAsTheReportShowsIt) {
    prepare();
    ParameterStore& store = state.params;
    store.Param52Group = {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6};
    store.Param54Group = {1, 2, 3, 4, 5, 6};
    store.Param61Group.bytes = {0x11, 0x12, 0x13};
    store.Param83Group.sending[1][2][0] = {0xAA, 0xBB, {0x83838383, 0, 0}};
    store.Param22Group = {0x5A, {0x21, 0x22, 0x23}, {0x22000001, 0x22000002, 0x22000003}};
    store.Param67Group[0].first = 0x67676767;
    store.Param65Group = {1, 0, 0};
    CommandQueue queue;
    std::int32_t count = 0;
    store.AccessModeRequest = 2;
    store.AccessCode = kAccessCode;
    QueueCommand(queue, count, ACCESS_MODE, kWrite, store);
    const auto write = [&](std::uint8_t command, std::map<int, std::uint8_t> selectors) {
        store.RequestSelectors = {};
        for (const auto& [index, value] : selectors)
            store.RequestSelectors[static_cast<std::size_t>(index)] = value;
        QueueCommand(queue, count, command, kWrite, store);
    };
    write(PARAM_52, {{1, 1}});
    write(PARAM_54, {{1, 1}});
    write(PARAM_61, {{1, 1}, {5, 1}});
    write(PARAM_83, {{1, 2}, {2, 1}, {4, 3}});
    write(PARAM_22, {});  // the store's slot keys are 0: key 0 names channel 1
    write(PARAM_67, {{1, 1}});
    store.AccessModeRequest = 0;
    QueueCommand(queue, count, ACCESS_MODE, kWrite, store);
    ASSERT_TRUE(openPort(*context));
    subFirstSend(*context, queue);
    ASSERT_EQ(state.LinkError, 0);

    const sim::WorkingSet written = device->memory().working;
    EXPECT_EQ(written.bytes52, (std::array<std::uint8_t, 6>{0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6}));
    EXPECT_EQ(written.words54, (std::array<std::uint32_t, 6>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(written.group61.bytes, (std::array<std::uint8_t, 3>{0x11, 0x12, 0x13}));
    const sim::Entry83Half& half = written.channels[1].entry83[2][0];
    EXPECT_EQ(std::tie(half.a, half.b, half.words[0]), std::make_tuple(0xAA, 0xBB, 0x83838383));
    EXPECT_EQ(std::tie(written.shared22, written.channels[0].byte22, written.channels[0].word22),
              std::make_tuple(0x5A, 0x21, 0x22000001));
    EXPECT_EQ(written.channels[0].first67, 0x67676767u);

    state.params = {};
    readParameterReport(*context);
    ASSERT_EQ(state.LinkError, 0);
    test::expectReportHolds(state.params, written);
}

TEST_F(ParameterReportTest, AnAnswerTheStoreCannotTakeAnswersItsReadAndFillsNothing) {
    using Check = std::function<void(const ParameterStore&, const FilledValues&)>;
    struct Case {
        const char* fault;
        UnstoredAnswer request;
        Check check;
    };
    const Case cases[] = {
        {"short-answer=1",
         {MODEL_NAME, {}},
         [](const ParameterStore& s, const FilledValues& filled) {
             EXPECT_FALSE(filled.holds(s.ModelName));
             EXPECT_EQ(s.ModelName, "");
             EXPECT_TRUE(filled.holds(s.SerialNumber));
         }},
        // Key 0 names no channel; key 1 then names channel 1.
        {"channel-zero=22",
         {PARAM_22, {0}},
         [](const ParameterStore& s, const FilledValues& filled) {
             EXPECT_TRUE(filled.holds(s.Param22Group.words[0]));
         }},
        {"channel-zero=33",
         {PARAM_33, {1, 1, 1}},
         [](const ParameterStore& s, const FilledValues& filled) {
             EXPECT_FALSE(filled.holds(s.Param33Group[0][0][0]));
             EXPECT_TRUE(filled.holds(s.Param33Group[0][0][1]));
         }},
        // The word of 67 that channel 1's byte picks is not known, so neither is read.
        {"short-answer=65",
         {PARAM_65, {1}},
         [](const ParameterStore& s, const FilledValues& filled) {
             EXPECT_FALSE(filled.holds(s.Param65Group[0]));
             EXPECT_FALSE(filled.holds(s.Param67Group[0].first));
             EXPECT_FALSE(filled.holds(s.Param67Group[0].second));
             EXPECT_TRUE(filled.holds(s.Param67Group[1].second));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        prepare({c.fault});
        const AnswerLog log = readParameterReport(*context);
        ASSERT_EQ(state.LinkError, 0);
        EXPECT_EQ(log.unstored, std::vector<UnstoredAnswer>{c.request});
        c.check(state.params, log.filled);
        const auto requests = sent();
        EXPECT_EQ(std::count(requests.begin(), requests.end(),
                             test::SentRequest{c.request.command, kRead, c.request.request}),
                  1)
            << "asked for once";
    }
}

// What the report lists as unstored, the identity reads of step 2, info and the read-back ask for again.
TEST_F(ParameterReportTest, TheIdentityReadsStillAskAgainForAnAnswerOfAnotherLength) {
    for (const auto read : {&readIdentity, &subStep2ParamRead}) {
        prepare({"short-answer=1"});
        read(*context);
        EXPECT_EQ(state.LinkError, 0);
        EXPECT_EQ(state.params.ModelName, device->memory().modelName);
    }
}

TEST_F(ParameterReportTest, FaultsEndTheReportWithTheLinksCode) {
    const std::pair<const char*, std::uint8_t> cases[] = {
        {"silent-after=60", 12},  // within the channel parameters
        {"cts-off", 13},
    };
    for (const auto& [fault, code] : cases) {
        prepare({fault});
        readParameterReport(*context);
        EXPECT_EQ(state.LinkError, code) << fault;
    }
}

}  // namespace
}  // namespace rq
