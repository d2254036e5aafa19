#include <gtest/gtest.h>

#include <set>

#include "LinkTestSupport.h"
#include "core/link/Dispatch.h"
#include "core/link/Link.h"
#include "sim/VirtualClock.h"
#include "support/RecordingView.h"

namespace rq {
namespace {

using test::Bytes;
using test::responseFrame;
using namespace std::chrono_literals;

using Requests = std::vector<std::pair<std::uint8_t, std::uint8_t>>;
// The pieces the device sends back to the n-th write (counted from 1), one piece per read.
using Answers = std::function<std::vector<Bytes>(std::size_t attempt, const Bytes& request)>;

// Status 00h, and the identity's model name and serial number to their reads.
Bytes soundAnswer(const Bytes& request) {
    const std::uint8_t command = request[5];
    return responseFrame(command, 0x00,
                         test::bytesOf(command == 1   ? "RQA-4021"
                                       : command == 2 ? "24680 "
                                                      : ""));
}
std::vector<Bytes> acceptAll(std::size_t, const Bytes& request) {
    return {soundAnswer(request)};
}
std::vector<Bytes> silent(std::size_t, const Bytes&) {
    return {};
}
// `bad` to the first `count` attempts, the sound answer after them.
Answers badFirst(std::size_t count, const Bytes& bad) {
    return [count, bad](std::size_t attempt, const Bytes& request) {
        return std::vector<Bytes>{attempt <= count ? bad : soundAnswer(request)};
    };
}
std::vector<Bytes> busyAtTheTenth(std::size_t attempt, const Bytes& request) {
    return attempt == 10 ? std::vector<Bytes>{responseFrame(request[5], 0x33)} : silent(attempt, request);
}
std::vector<Bytes> inOneBytePieces(std::size_t, const Bytes& request) {
    std::vector<Bytes> pieces;
    for (const std::uint8_t byte : soundAnswer(request)) pieces.push_back({byte});
    return pieces;
}
// The second answer loses its last byte.
std::vector<Bytes> shortAtTheSecond(std::size_t attempt, const Bytes& request) {
    Bytes answer = soundAnswer(request);
    if (attempt == 2) answer.pop_back();
    return {answer};
}
std::vector<Bytes> answeredOnce(std::size_t attempt, const Bytes& request) {
    return attempt == 1 ? acceptAll(attempt, request) : silent(attempt, request);
}

// The commands written, as runs of {command, times}.
std::vector<int> sends(std::initializer_list<std::pair<int, int>> runs) {
    std::vector<int> commands;
    for (const auto& [command, times] : runs) commands.insert(commands.end(), times, command);
    return commands;
}

class LinkEngineTest : public ::testing::Test {
  protected:
    sim::VirtualClock clock;
    test::RecordingView view;
    WizardState state;
    Answers answers = acceptAll;
    test::ScriptedPort port{clock,
                            [this](const Bytes& request) { return answers(port.writes.size(), request); }};
    StepContext context{state, port, clock, view};

    // A new batch on an open port, to a device that answers as `device` does.
    void reset(Answers device) {
        state = {};
        view = {};
        answers = std::move(device);
        port.writes.clear();
        port.writeTimes.clear();
        port.ctsOn = true;
        port.writeResult = PortError::None;
        port.lineFailsAt.reset();
        port.open();
    }
    void run(const Requests& requests, AnswerRule rule = AnswerRule::Accepted, AnswerLog* log = nullptr) {
        CommandQueue queue;
        std::int32_t count = 0;
        for (const auto& [command, readWrite] : requests)
            QueueCommand(queue, count, command, readWrite, state.params);
        subFirstSend(context, queue, rule, log);
        EXPECT_TRUE(queue.empty());
    }
};

TEST_F(LinkEngineTest, WhatEachKindOfAnswerCosts) {
    struct Batch {
        const char* name;
        Requests requests;
        Answers answers;
        std::uint8_t error;
        std::vector<int> sent;
        std::string model = "";  // a refused or foreign answer is not dispatched
    };
    Bytes badSum = responseFrame(1, 0x00, test::bytesOf("RQB-0000"));
    badSum.back() ^= 0x01;
    const Bytes refused = responseFrame(1, 0x01, test::bytesOf("RQB-0000"));
    // Length byte 246 and zeros: kept, they would cut into a frame that passes its checksum.
    const Bytes oversize = responseFrame(1, 0x00, Bytes(246, 0));
    // Such as the late answer to the request before.
    const Bytes foreign = responseFrame(2, 0x00, test::bytesOf("99999 "));
    const Requests read1 = {{1, kRead}}, read4 = {{4, kRead}}, read12 = {{1, kRead}, {2, kRead}};
    const Requests init = {{127, kWrite}, {124, kWrite}}, init123 = {{127, kWrite}, {123, kWrite}};
    const Batch batches[] = {
        {"silent", {{127, kWrite}, {1, kRead}}, silent, 12, sends({{127, 11}})},
        {"status 01h ten times", read1, badFirst(10, refused), 0, sends({{1, 11}}), "RQA-4021"},
        {"status 01h eleven times", read1, badFirst(11, refused), 12, sends({{1, 11}})},
        {"status 34h eleven times", read1, badFirst(11, responseFrame(1, 0x34)), 12, sends({{1, 11}})},
        {"a wrong checksum eleven times", read1, badFirst(11, badSum), 12, sends({{1, 11}})},
        {"busy fifty times: no retry used up", read4, badFirst(50, responseFrame(4, 0x33)), 0,
         sends({{4, 51}})},
        {"busy at the tenth starts the count again", read4, busyAtTheTenth, 12, sends({{4, 20}})},
        {"one-byte pieces", read1, inOneBytePieces, 0, sends({{1, 1}}), "RQA-4021"},
        {"oversize", read12, badFirst(1, oversize), 0, sends({{1, 2}, {2, 1}}), "RQA-4021"},
        {"another command's frame", read1, badFirst(1, foreign), 0, sends({{1, 2}}), "RQA-4021"},
        {"124's answer stops short", init, shortAtTheSecond, 0, sends({{127, 1}, {124, 2}})},
        {"123 first: sent once", {{123, kWrite}}, silent, 13, sends({{123, 1}})},
        {"124 first: sent once", {{124, kWrite}}, silent, 13, sends({{124, 1}})},
        {"124 later: not repeated", init, answeredOnce, 13, sends({{127, 1}, {124, 1}})},
        {"123 later: repeated", init123, answeredOnce, 12, sends({{127, 1}, {123, 11}})},
    };
    for (const Batch& b : batches) {
        SCOPED_TRACE(b.name);
        reset(b.answers);
        run(b.requests);
        EXPECT_EQ(state.LinkError, b.error);
        const std::vector<int> sent = test::commandsOf(port.writes);
        EXPECT_EQ(sent, b.sent);
        EXPECT_EQ(state.params.ModelName, b.model);
        for (std::size_t i = 1; i < sent.size(); ++i)
            EXPECT_TRUE(sent[i] != sent[i - 1] || port.writes[i] == port.writes[i - 1]) << "a repeat differs";
        EXPECT_FALSE(port.isOpen()) << "KeepPortOpen is off";
        EXPECT_FALSE(port.rts);
    }
}

// The device answers 6 ms after each send; the response timer runs 10 ms from the last answer.
TEST_F(LinkEngineTest, StatusWordsAndSendTimes) {
    struct Case {
        const char* name;
        Requests requests;
        Answers answers;
        std::string statuses;  // every word panel 2 showed
        std::vector<Micros> sentAt;
        Micros end;
    };
    std::string retries = "Send/Wait";
    std::vector<Micros> everyTick = {0ms};
    for (int i = 1; i <= 10; ++i) {
        retries += "/Retry/Wait";
        everyTick.push_back(i * Micros(10ms));
    }
    const Case cases[] = {
        {"one record: no tick after its answer", {{5, kRead}}, acceptAll, "Send/Wait/Recv/Ready", {0ms}, 6ms},
        {"the next record one tick after the answer",
         {{1, kRead}, {2, kRead}, {4, kRead}},
         acceptAll,
         "Send/Wait/Recv/Wait/Send/Wait/Recv/Wait/Send/Wait/Recv/Ready",
         {0ms, 16ms, 32ms},
         38ms},
        {"a refusal: the retry one tick after it",
         {{5, kRead}},
         badFirst(1, responseFrame(5, 0x01)),
         "Send/Wait/Recv/Wait/Retry/Wait/Recv/Ready",
         {0ms, 16ms},
         22ms},
        {"an oversize answer: the retry one tick after it",
         {{5, kRead}},
         badFirst(1, responseFrame(5, 0x00, Bytes(246, 0))),
         "Send/Wait/Recv/Wait/Retry/Wait/Recv/Ready",
         {0ms, 16ms},
         22ms},
        {"silent: a retry every tick", {{5, kRead}}, silent, retries + "/Ready", everyTick, 110ms},
        {"124 first: no word while it waits", {{124, kWrite}}, silent, "Send//Ready", {0ms}, 60s},
    };
    port.answerDelay = 6ms;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset(c.answers);
        const Micros start = clock.now();
        run(c.requests);
        std::string statuses;
        for (const std::string& word : view.statusHistory2) statuses += (statuses.empty() ? "" : "/") + word;
        EXPECT_EQ(statuses, c.statuses);
        std::vector<Micros> sentAt;
        for (const Micros at : port.writeTimes) sentAt.push_back(at - start);
        EXPECT_EQ(sentAt, c.sentAt);
        EXPECT_EQ(clock.now() - start, c.end);
    }
}

TEST_F(LinkEngineTest, AcceptedStatusesAreDispatched) {
    for (int status = 0; status <= 0xFF; ++status) {
        if (status == 0x33) continue;  // busy is answered by resending for as long as it lasts
        const Bytes answer = responseFrame(2, static_cast<std::uint8_t>(status), test::bytesOf("24680 "));
        reset([&](std::size_t, const Bytes&) { return std::vector<Bytes>{answer}; });
        run({{2, kRead}});
        const bool accepted =
            std::set<int>{0x00, 0x1F, 0x20, 0x21, 0x22, 0x25, 0x26, 0x27, 0x2A, 0x36}.count(status);
        EXPECT_EQ(state.params.SerialNumber, accepted ? "24680 " : "") << status;
        EXPECT_EQ(port.writes.size(), accepted ? 1u : 11u) << status;
    }
}

TEST_F(LinkEngineTest, PortFailuresEndTheBatchAtOnce) {
    struct Case {
        const char* name;
        std::function<void(test::ScriptedPort&)> fault;
        std::uint8_t command;
        std::uint8_t error;
        std::size_t writes;
        Micros end;
    };
    const auto pulledIn5ms = [&](test::ScriptedPort& p) { p.lineFailsAt = clock.now() + 5ms; };
    const Case cases[] = {
        {"CTS never on: 11 polls 1 ms apart", [](auto& p) { p.ctsOn = false; }, 1, 13, 0, 11ms},
        {"a refused write", [](auto& p) { p.writeResult = PortError::Io; }, 1, 99, 0, 0ms},
        {"closed before the batch", [](auto& p) { p.close(); }, 1, 99, 0, 0ms},
        {"pulled during a read", pulledIn5ms, 1, 99, 1, 5ms},
        {"pulled during 124's wait", pulledIn5ms, 124, 99, 1, 5ms},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset(silent);
        c.fault(port);
        const Micros start = clock.now();
        run({{c.command, kWrite}});
        EXPECT_EQ(state.LinkError, c.error);
        EXPECT_EQ(port.writes.size(), c.writes);
        EXPECT_EQ(clock.now() - start, c.end);
    }
}

TEST_F(LinkEngineTest, TraceLinesOnlyWhenShownOrRecorded) {
    const std::vector<std::string> lines = {
        "31.01.24 09:05  Send PC->RQX::CMD[006]:FF FF FF FF FF 06 00 00 00 06\r\n",
        "31.01.24 09:05  Recv PC<-RQX::CMD[006]:FF FF FF FF FF 06 33 00 00 35\r\n",
        "31.01.24 09:05 Retry PC->RQX::CMD[006]:FF FF FF FF FF 06 00 00 00 06\r\n",
        "31.01.24 09:05  Recv PC<-RQX::CMD[006]:FF FF FF FF FF 06 00 00 02 07 00 03\r\n",
    };
    const std::pair<bool, bool> shownAndRecorded[] = {
        {false, false}, {false, true}, {true, false}, {true, true}};
    for (const auto& [shown, recorded] : shownAndRecorded) {
        reset([](std::size_t attempt, const Bytes&) {
            return std::vector<Bytes>{
                responseFrame(6, attempt == 1 ? 0x33 : 0x00, attempt == 1 ? Bytes{} : Bytes{7, 0})};
        });
        state.TraceEnabled = shown;
        state.traceRecorded = recorded;
        state.traceTime = [](std::chrono::system_clock::time_point) { return std::string("31.01.24 09:05"); };
        run({{6, kRead}});
        EXPECT_EQ(view.traceLines, shown || recorded ? lines : std::vector<std::string>{})
            << shown << recorded;
    }
}

// Every way one byte of an answer can go wrong, at every position of it, costs one retry at most.
TEST_F(LinkEngineTest, OneBadByteInAnAnswerCostsOneRetryAtMost) {
    const Bytes good = responseFrame(2, 0x00, test::bytesOf("24680 "));
    const std::pair<const char*, std::function<void(Bytes&, std::size_t)>> faults[] = {
        {"dropped", [](Bytes& bytes, std::size_t at) { bytes.erase(bytes.begin() + at); }},
        {"duplicated", [](Bytes& bytes, std::size_t at) { bytes.insert(bytes.begin() + at, bytes[at]); }},
        {"inserted", [](Bytes& bytes, std::size_t at) { bytes.insert(bytes.begin() + at, 0x5A); }},
        {"flipped", [](Bytes& bytes, std::size_t at) { bytes[at] ^= 0x10; }},
    };
    for (const auto& [name, fault] : faults) {
        for (std::size_t at = 0; at < good.size(); ++at) {
            SCOPED_TRACE(std::string(name) + " byte " + std::to_string(at));
            // The faulty answer comes in two reads, as a real line may cut it.
            reset([&, at](std::size_t attempt, const Bytes& request) {
                if (request[5] != 2 || attempt != 2) return acceptAll(attempt, request);
                Bytes bad = good;
                fault(bad, at);
                return std::vector<Bytes>{Bytes(bad.begin(), bad.begin() + 4),
                                          Bytes(bad.begin() + 4, bad.end())};
            });
            run({{1, kRead}, {2, kRead}, {4, kRead}});
            EXPECT_EQ(state.LinkError, 0);
            EXPECT_LE(port.writes.size(), 4u);
            EXPECT_EQ(state.params.SerialNumber, "24680 ");
        }
    }
}

TEST_F(LinkEngineTest, AReadAnswerOfAnotherLengthIsAskedForAgainOnlyWithReadsStored) {
    struct Case {
        AnswerRule rule;
        std::size_t shortAnswers;
        std::uint8_t error;
        std::size_t writes;
        bool stored;
    };
    const Case cases[] = {
        {AnswerRule::Accepted, 0, 0, 1, true},
        {AnswerRule::Accepted, 1, 0, 1, false},  // answered, and logged as not stored
        {AnswerRule::ReadsStored, 1, 0, 2, true},
        {AnswerRule::ReadsStored, 11, 12, 11, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.rule) << " " << c.shortAnswers);
        reset([&](std::size_t attempt, const Bytes& request) {
            const Bytes data = attempt <= c.shortAnswers ? Bytes{0x44} : Bytes{0x44, 0x00};
            return std::vector<Bytes>{responseFrame(request[5], 0x00, data)};
        });
        AnswerLog log;
        run({{PARAM_04, kRead}}, c.rule, &log);
        EXPECT_EQ(state.LinkError, c.error);
        EXPECT_EQ(port.writes.size(), c.writes);
        EXPECT_EQ(log.filled.holds(state.params.Param04Value), c.stored);
        EXPECT_EQ(state.params.Param04Value, c.stored ? 0x44 : 0);
        const std::vector<UnstoredAnswer> request04 = {{PARAM_04, {}}};
        EXPECT_EQ(log.unstored, c.error == 0 && !c.stored ? request04 : std::vector<UnstoredAnswer>{});
    }
}

TEST_F(LinkEngineTest, NoRequestWaitsMoreThanAMinute) {
    struct Case {
        const char* name;
        std::uint8_t command;
        std::uint8_t status;
        Micros gap;  // between the frames the device keeps sending
        std::uint8_t error;
    };
    const Case cases[] = {
        {"busy for ever", 5, 0x33, 0ms, 12},
        {"refusals that never let the timer run out", 5, 0x01, 5ms, 12},
        {"busy for ever to the initialisation", 124, 0x33, 0ms, 13},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset([&](std::size_t, const Bytes& request) {
            const std::size_t frames = c.gap == 0ms ? 1 : 61s / c.gap;
            return std::vector<Bytes>(frames, responseFrame(request[5], c.status));
        });
        port.pieceGap = c.gap;
        const Micros start = clock.now();
        run({{c.command, kWrite}});
        EXPECT_EQ(state.LinkError, c.error);
        EXPECT_GE(clock.now() - start, Micros(60s));
        EXPECT_LT(clock.now() - start, Micros(61s));
    }
}

TEST_F(LinkEngineTest, AnAnswerJustInsideTheMinuteIsTaken) {
    // Busy answers 3 ms after each send put the accepted one at 59.998 s, its tick after the minute.
    reset([](std::size_t attempt, const Bytes& request) {
        const bool busy = request[5] == 5 && attempt <= 4615;
        return std::vector<Bytes>{responseFrame(request[5], busy ? 0x33 : 0x00)};
    });
    port.answerDelay = 3ms;
    run({{5, kRead}, {6, kRead}});
    EXPECT_EQ(state.LinkError, 0);
    EXPECT_EQ(port.writeTimes.at(4615), Micros(59'995ms));
    EXPECT_EQ(test::commandsOf(port.writes).back(), 6);
}

TEST_F(LinkEngineTest, RtsFollowsCtsWhileTheLinkWaits) {
    reset(acceptAll);
    port.ctsAt = [](Micros now) { return now < 30ms || now >= 70ms; };
    port.answerDelay = 100ms;
    run({{124, kWrite}});
    EXPECT_EQ(state.LinkError, 0);
    ASSERT_EQ(port.rtsChanges.size(), 3u);
    EXPECT_EQ(port.rtsChanges[0], std::make_pair(Micros(0ms), true)) << "the handshake before sending";
    EXPECT_EQ(port.rtsChanges[1], std::make_pair(Micros(0ms), false));
    EXPECT_GE(port.rtsChanges[2].first, Micros(70ms));
    EXPECT_TRUE(port.rtsChanges[2].second) << "CTS came back on";
}

TEST_F(LinkEngineTest, EveryBatchHasItsOwnElevenSends) {
    reset([](std::size_t attempt, const Bytes& request) {
        return attempt <= 10 ? silent(attempt, request) : acceptAll(attempt, request);
    });
    run({{5, kRead}});
    ASSERT_EQ(state.LinkError, 0);
    reset(silent);
    run({{5, kRead}});
    EXPECT_EQ(state.LinkError, 12);
    EXPECT_EQ(port.writes.size(), 11u);
}

}  // namespace
}  // namespace rq
