#include <gtest/gtest.h>

#include <map>

#include "LinkTestSupport.h"
#include "WorkingSetMatch.h"
#include "core/link/Dispatch.h"
#include "core/link/Link.h"
#include "core/params/ChannelCatalogue.h"
#include "core/wizard/DeviceSteps.h"
#include "core/wizard/ParameterReport.h"
#include "sim/RqSystem.h"
#include "sim/SimPort.h"
#include "sim/VirtualClock.h"
#include "support/InstantSystem.h"
#include "support/RecordingView.h"

namespace rq {
namespace {

using test::Bytes;

// The report against the simulated RQ system in normal mode, on an instant line.
class ParameterReportTest : public ::testing::Test {
  protected:
    sim::VirtualClock clock;
    std::unique_ptr<sim::SimDevice> device;
    std::unique_ptr<test::TappedPort> port;
    std::unique_ptr<sim::SimPort> simPort;
    test::RecordingView view;
    WizardState state;
    std::unique_ptr<StepContext> context;

    void prepare(std::vector<const char*> faults = {}) {
        device = sim::makeRqSystem(clock, test::instantSystem(faults));
        device->setPower(true);
        simPort = std::make_unique<sim::SimPort>(*device);
        port = std::make_unique<test::TappedPort>(*simPort);
        state = {};
        context = std::make_unique<StepContext>(StepContext{state, *port, clock, view});
    }

    // The requests that went out, in order.
    std::vector<test::SentRequest> sent() const {
        std::vector<test::SentRequest> requests;
        for (const Bytes& frame : port->writes) requests.push_back(test::parseRequest(frame));
        return requests;
    }
};

TEST_F(ParameterReportTest, TheReportHoldsTheDevicesWholeSet) {
    prepare();
    readParameterReport(*context);
    ASSERT_EQ(state.LinkError, 0);
    test::expectReportHolds(state.params, device->memory().working);
    EXPECT_EQ(state.params.ModelName, device->memory().modelName);
    EXPECT_EQ(state.params.Param03Value, device->memory().param03);
    EXPECT_EQ(state.params.RequestSelectors, (std::array<std::uint8_t, 10>{}));
    EXPECT_FALSE(port->isOpen());
    // The identity twice, then the channel parameters.
    EXPECT_EQ(port->events, (std::vector<std::string>{"open", "close", "open", "close", "open", "close"}));
}

TEST_F(ParameterReportTest, TheReadsSweepWhatTheAnswersCanFill) {
    prepare();
    readParameterReport(*context);
    ASSERT_EQ(state.LinkError, 0);
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
    const std::map<int, std::vector<Bytes>> expected = {
        {1, {{}, {}}},
        {2, {{}, {}}},
        {3, {{}}},
        {4, {{}, {}}},
        {5, {{}, {}}},
        {6, {{}, {}}},
        {11, {{}}},
        {12, {{}}},
        {21, {{0}}},
        {22, {{0}, {1}, {2}, {3}}},
        {23, {{0}, {1}, {2}, {3}}},
        {25, {{0}, {1}, {2}, {3}}},
        {31, {{}}},
        {32, {{1, 1}, {2, 1}, {3, 1}}},
        {33, everyChannelSubIndexAndIndex},
        {34, {{1, 1}, {1, 2}, {2, 1}, {2, 2}, {3, 1}, {3, 2}}},
        {35, {{1}, {2}, {3}}},
        {41, {{1, 1}, {2, 1}, {3, 1}}},
        {42, {{1}, {2}, {3}}},
        {51, {{1, 1}, {2, 1}, {3, 1}}},
        {52, {{1}}},
        {53, {{1, 1}, {2, 1}, {3, 1}}},
        {54, {{1}}},
        {55, {{1}}},
        {56, {{}}},
        {61, {{1, 0}, {1, 1}}},
        {62, {{1, 0}, {1, 1}}},
        {63, {{1}}},
        {64, {{1}}},
        {65, {{1}, {2}, {3}}},
        {66, {{1, 0}, {1, 1}}},
        {67, {{1}, {2}, {3}}},
        {72, {{1, 0}, {1, 1}}},
        {73, {{1}, {2}, {3}}},
        {74, {{1}, {2}, {3}}},
        {75, {{1}, {2}, {3}}},
        {82, {{1, 0}, {1, 1}}},
        {83, everyChannelSubIndexAndIndex},
        {91, {{}}},
        {93, {{1}}},
        {102, {{1, 1}, {1, 2}, {2, 1}, {2, 2}, {3, 1}, {3, 2}}},
        {104, {{}}},
    };
    EXPECT_EQ(reads, expected);
    // Access mode 1 and 0 around each read of the identity, then around the rest; 67 last, after 65.
    const std::vector<test::SentRequest> requests = sent();
    const std::vector<int> modes = {0, 6, 7, 13, 14, static_cast<int>(requests.size()) - 1};
    for (std::size_t i = 0; i < modes.size(); ++i) {
        const test::SentRequest& request = requests[static_cast<std::size_t>(modes[i])];
        EXPECT_EQ(request.command, ACCESS_MODE) << i;
        EXPECT_EQ(request.data.at(0), i % 2 == 0 ? 1 : 0) << i;
    }
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

TEST_F(ParameterReportTest, FaultsEndTheReportWithTheLinksCode) {
    const std::pair<const char*, std::uint8_t> cases[] = {
        {"silent-after=3", 12},   // within the identity's batch
        {"silent-after=60", 12},  // within the channel parameters
        {"refuse=11", 12},        // the first request, eleven times
        {"oversize-response", 12}, {"cts-off", 13},
    };
    for (const auto& [fault, code] : cases) {
        prepare({fault});
        readParameterReport(*context);
        EXPECT_EQ(state.LinkError, code) << fault;
    }
}

}  // namespace
}  // namespace rq
