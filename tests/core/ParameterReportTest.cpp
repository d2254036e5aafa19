#include <gtest/gtest.h>

#include <algorithm>
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
    EXPECT_EQ(state.params.ModelName, device->memory().modelName);
    EXPECT_EQ(state.params.Param03Value, device->memory().param03);
    EXPECT_FALSE(port->isOpen());
}

// Such an answer is listed and not asked for again.
TEST_F(ParameterReportTest, AnAnswerTheStoreCannotTakeAnswersItsReadAndFillsNothing) {
    const std::pair<const char*, UnstoredAnswer> cases[] = {
        {"channel-zero=22", {PARAM_22, {0}}},  // key 0 names no channel
        {"short-answer=65", {PARAM_65, {1}}},
    };
    for (const auto& [fault, request] : cases) {
        SCOPED_TRACE(fault);
        prepare({fault});
        const AnswerLog log = readParameterReport(*context);
        ASSERT_EQ(state.LinkError, 0);
        EXPECT_EQ(log.unstored, std::vector<UnstoredAnswer>{request});
        const auto requests = sent();
        EXPECT_EQ(std::count(requests.begin(), requests.end(),
                             test::SentRequest{request.command, kRead, request.request}),
                  1);
        // Neither word of 67 is read for a channel whose 65 byte is not known.
        const ParameterStore& s = state.params;
        EXPECT_EQ(log.filled.holds(s.Param67Group[0].first) || log.filled.holds(s.Param67Group[0].second),
                  request.command != PARAM_65);
        EXPECT_TRUE(log.filled.holds(s.Param67Group[1].second));
    }
}

}  // namespace
}  // namespace rq
