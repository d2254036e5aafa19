#include <gtest/gtest.h>

#include <regex>

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

using Statuses = std::vector<std::string>;

// Answers every request at once with status 00h and no data.
std::vector<Bytes> acceptEverything(const Bytes& request) {
    return {responseFrame(request[5], 0x00)};
}

class LinkEngineTest : public ::testing::Test {
  protected:
    sim::VirtualClock clock;
    test::RecordingView view;
    WizardState state;
    test::ScriptedPort::Script device = acceptEverything;
    test::ScriptedPort port{clock, [this](const Bytes& request) { return device(request); }};
    StepContext context{state, port, clock, view};

    void SetUp() override { port.open(); }

    void run(std::initializer_list<std::pair<std::uint8_t, std::uint8_t>> requests) {
        CommandQueue queue;
        std::int32_t count = 0;
        for (const auto& [command, readWrite] : requests)
            QueueCommand(queue, count, command, readWrite, state.params);
        subFirstSend(context, queue);
        EXPECT_TRUE(queue.empty());
    }

    // Answers the n-th write (counted from 1) with what `answer` gives.
    void scriptByAttempt(
        std::function<std::vector<Bytes>(std::size_t attempt, const Bytes& request)> answer) {
        device = [this, answer](const Bytes& request) { return answer(port.writes.size(), request); };
    }
};

TEST_F(LinkEngineTest, OneAcceptedRecordEndsTheBatchWithoutAnotherTick) {
    run({{5, kRead}});
    EXPECT_EQ(state.LinkError, 0);
    EXPECT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0], (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x05, 0x00, 0x00, 0x00, 0x05, 0x00}));
    EXPECT_EQ(view.statusHistory2, (Statuses{"Send", "Wait", "Recv", "Ready"}));
    EXPECT_EQ(clock.now(), 0us) << "no tick was waited for";
    EXPECT_FALSE(port.isOpen()) << "KeepPortOpen is off";
    EXPECT_FALSE(port.rts);
}

TEST_F(LinkEngineTest, NextRequestGoesOutOneTickAfterTheAnswer) {
    run({{1, kRead}, {2, kRead}, {4, kRead}});
    EXPECT_EQ(state.LinkError, 0);
    EXPECT_EQ(test::commandsOf(port.writes), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(port.writeTimes, (std::vector<Micros>{0ms, 10ms, 20ms}));
    EXPECT_EQ(view.statusHistory2, (Statuses{"Send", "Wait", "Recv", "Wait", "Send", "Wait", "Recv", "Wait",
                                             "Send", "Wait", "Recv", "Ready"}));
    // The bar follows the requests sent until the last one is on its way.
    ASSERT_EQ(view.progressHistory.size(), 2u);
    EXPECT_EQ(view.progressHistory[0].value, 1);
    EXPECT_EQ(view.progressHistory[1].value, 2);
}

TEST_F(LinkEngineTest, SilentDeviceGets11SendsThenError12) {
    device = [](const Bytes&) { return std::vector<Bytes>{}; };
    run({{127, kWrite}, {1, kRead}});
    EXPECT_EQ(state.LinkError, 12);
    ASSERT_EQ(port.writes.size(), 11u);
    for (std::size_t i = 0; i < port.writes.size(); ++i) {
        EXPECT_EQ(port.writes[i], port.writes[0]);
        EXPECT_EQ(port.writeTimes[i], Micros(10ms) * static_cast<int>(i));
    }
    Statuses expected = {"Send", "Wait"};
    for (int i = 0; i < 10; ++i) expected.insert(expected.end(), {"Retry", "Wait"});
    expected.push_back("Ready");
    EXPECT_EQ(view.statusHistory2, expected);
    EXPECT_FALSE(port.isOpen());
}

TEST_F(LinkEngineTest, RefusedAndBrokenAnswersCountAsFailedAttempts) {
    struct Case {
        const char* name;
        Bytes answer;
        std::size_t refusals;
        std::size_t writes;
        std::uint8_t error;
    };
    Bytes badSum = responseFrame(1, 0x00, test::bytesOf("RQB-0000"));
    badSum.back() ^= 0x01;
    const Case cases[] = {
        {"status 01h ten times", responseFrame(1, 0x01, test::bytesOf("RQB-0000")), 10, 11, 0},
        {"status 01h eleven times", responseFrame(1, 0x01, test::bytesOf("RQB-0000")), 11, 11, 12},
        {"status 34h eleven times", responseFrame(1, 0x34, test::bytesOf("RQB-0000")), 11, 11, 12},
        {"bad checksum with status 00h", badSum, 11, 11, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state = {};
        port.writes.clear();
        port.open();
        scriptByAttempt([&](std::size_t attempt, const Bytes& request) {
            if (attempt <= c.refusals) return std::vector<Bytes>{c.answer};
            return std::vector<Bytes>{responseFrame(request[5], 0x00, test::bytesOf("RQA-4021"))};
        });
        run({{1, kRead}});
        EXPECT_EQ(state.LinkError, c.error);
        EXPECT_EQ(port.writes.size(), c.writes);
        EXPECT_EQ(state.params.ModelName, c.error == 0 ? "RQA-4021" : "")
            << "a refused answer is not dispatched";
    }
}

TEST_F(LinkEngineTest, AcceptedStatusesAreDispatched) {
    for (int status = 0; status <= 0xFF; ++status) {
        if (status == 0x33) continue;  // busy is answered by resending for as long as it lasts; see below
        state = {};
        port.writes.clear();
        port.open();
        const Bytes answer = responseFrame(2, static_cast<std::uint8_t>(status), test::bytesOf("24680 "));
        device = [&](const Bytes&) { return std::vector<Bytes>{answer}; };
        run({{2, kRead}});
        const bool accepted =
            std::set<int>{0x00, 0x1F, 0x20, 0x21, 0x22, 0x25, 0x26, 0x27, 0x2A, 0x36}.count(status);
        EXPECT_EQ(state.params.SerialNumber, accepted ? "24680 " : "") << status;
        EXPECT_EQ(port.writes.size(), accepted ? 1u : 11u) << status;
    }
}

TEST_F(LinkEngineTest, BusyAnswerNeverUsesUpTheRetries) {
    // Busy fifty times, far beyond eleven attempts, then the answer.
    scriptByAttempt([](std::size_t attempt, const Bytes& request) {
        return std::vector<Bytes>{responseFrame(request[5], attempt <= 50 ? 0x33 : 0x00)};
    });
    run({{4, kRead}});
    EXPECT_EQ(state.LinkError, 0);
    EXPECT_EQ(port.writes.size(), 51u);
}

TEST_F(LinkEngineTest, BusyAnswerStartsTheCountAgain) {
    scriptByAttempt([](std::size_t attempt, const Bytes& request) {
        return attempt == 10 ? std::vector<Bytes>{responseFrame(request[5], 0x33)} : std::vector<Bytes>{};
    });
    run({{4, kRead}});
    EXPECT_EQ(state.LinkError, 12);
    EXPECT_EQ(port.writes.size(), 20u) << "ten attempts before the busy answer, ten after it";
}

TEST_F(LinkEngineTest, AnswerInOneBytePieces) {
    device = [](const Bytes& request) {
        std::vector<Bytes> pieces;
        for (const std::uint8_t byte : responseFrame(request[5], 0x00, test::bytesOf("RQA-4020"))) {
            pieces.push_back({byte});
        }
        return pieces;
    };
    run({{1, kRead}});
    EXPECT_EQ(state.LinkError, 0);
    EXPECT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(state.params.ModelName, "RQA-4020");
}

TEST_F(LinkEngineTest, OversizeAnswerIsDroppedAndTheRequestRepeated) {
    scriptByAttempt([](std::size_t attempt, const Bytes& request) {
        // Length byte 246 and then zeros: kept, they would cut into a frame that passes its checksum.
        if (attempt == 1) return std::vector<Bytes>{responseFrame(request[5], 0x00, Bytes(246, 0x00))};
        return std::vector<Bytes>{responseFrame(request[5], 0x00, test::bytesOf("RQA-4021"))};
    });
    run({{1, kRead}, {2, kRead}});
    EXPECT_EQ(state.LinkError, 0);
    EXPECT_EQ(test::commandsOf(port.writes), (std::vector<int>{1, 1, 2}));
    EXPECT_EQ(state.params.ModelName, "RQA-4021");
}

TEST_F(LinkEngineTest, FirstParameterInitIsSentOnceWithoutTheTimer) {
    for (const std::uint8_t command : {123, 124}) {
        state = {};
        port.writes.clear();
        view.statusHistory2.clear();
        port.open();
        scriptByAttempt([](std::size_t, const Bytes&) { return std::vector<Bytes>{}; });
        const Micros start = clock.now();
        run({{command, kWrite}});
        EXPECT_EQ(port.writes.size(), 1u) << int(command);
        EXPECT_EQ(state.LinkError, 13) << "the wait for its answer is bounded";
        EXPECT_EQ(clock.now() - start, 60s);
        EXPECT_EQ(view.statusHistory2, (Statuses{"Send", "", "Ready"}));
    }
}

TEST_F(LinkEngineTest, ParameterInitAnswerEndsTheBatch) {
    device = [this](const Bytes& request) {
        // The device takes its time over the initialisation.
        clock.sleep(5s);
        return std::vector<Bytes>{responseFrame(request[5], 0x00)};
    };
    run({{127, kWrite}, {124, kWrite}});
    EXPECT_EQ(state.LinkError, 0);
    EXPECT_EQ(test::commandsOf(port.writes), (std::vector<int>{127, 124}));
}

TEST_F(LinkEngineTest, ParameterInitLaterInTheBatchIsNotRepeated) {
    scriptByAttempt([](std::size_t attempt, const Bytes& request) {
        return attempt == 1 ? std::vector<Bytes>{responseFrame(request[5], 0x00)} : std::vector<Bytes>{};
    });
    run({{127, kWrite}, {124, kWrite}, {127, kWrite}});
    EXPECT_EQ(test::commandsOf(port.writes), (std::vector<int>{127, 124}));
    EXPECT_EQ(state.LinkError, 13);
}

TEST_F(LinkEngineTest, Command123LaterInTheBatchIsRepeatedLikeAnyOther) {
    scriptByAttempt([](std::size_t attempt, const Bytes& request) {
        return attempt == 1 ? std::vector<Bytes>{responseFrame(request[5], 0x00)} : std::vector<Bytes>{};
    });
    run({{127, kWrite}, {123, kWrite}});
    EXPECT_EQ(state.LinkError, 12);
    EXPECT_EQ(port.writes.size(), 12u);
}

TEST_F(LinkEngineTest, CtsNeverOnGives13WithNoByteWritten) {
    port.ctsOn = false;
    run({{127, kWrite}, {1, kRead}});
    EXPECT_EQ(state.LinkError, 13);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(port.ctsPolls, 11);
    EXPECT_EQ(clock.now(), 11ms) << "one 1 ms pause after each poll";
    EXPECT_FALSE(port.isOpen());
}

TEST_F(LinkEngineTest, RefusedWriteGives99) {
    port.writeResult = PortError::Io;
    run({{1, kRead}});
    EXPECT_EQ(state.LinkError, 99);
}

TEST_F(LinkEngineTest, AccessModeAnswerDecidesWhetherThePortStaysOpen) {
    for (const std::uint8_t mode : {0, 1, 2}) {
        state = {};
        port.open();
        device = [mode](const Bytes& request) {
            return std::vector<Bytes>{responseFrame(request[5], 0x00, {mode})};
        };
        run({{127, kWrite}});
        EXPECT_EQ(port.isOpen(), mode != 0) << int(mode);
    }
}

TEST_F(LinkEngineTest, TraceLinesForRequestsAndAnswers) {
    state.TraceEnabled = true;
    scriptByAttempt([](std::size_t attempt, const Bytes& request) {
        return attempt == 1 ? std::vector<Bytes>{responseFrame(request[5], 0x33)}
                            : std::vector<Bytes>{responseFrame(request[5], 0x00, {0x07, 0x00})};
    });
    run({{6, kRead}});
    const std::regex stamp(R"(^\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2} )");
    std::vector<std::string> rest;
    for (const std::string& entry : view.traceLines) {
        EXPECT_TRUE(std::regex_search(entry, stamp)) << entry;
        rest.push_back(entry.substr(20));
    }
    EXPECT_EQ(rest, (std::vector<std::string>{
                        " Send PC->RQX::CMD[006]:FF FF FF FF FF 06 00 00 00 06\r\n",
                        " Recv PC<-RQX::CMD[006]:FF FF FF FF FF 06 33 00 00 35\r\n",
                        "Retry PC->RQX::CMD[006]:FF FF FF FF FF 06 00 00 00 06\r\n",
                        " Recv PC<-RQX::CMD[006]:FF FF FF FF FF 06 00 00 02 07 00 03\r\n",
                    }));
}

TEST_F(LinkEngineTest, TraceEntriesTakeTheirDateAndTimeFromTheGivenFormat) {
    state.TraceEnabled = true;
    state.traceTime = [](std::chrono::system_clock::time_point) { return std::string("31.01.24 09:05"); };
    run({{6, kRead}});
    ASSERT_FALSE(view.traceLines.empty());
    EXPECT_EQ(view.traceLines.front(),
              "31.01.24 09:05  Send PC->RQX::CMD[006]:FF FF FF FF FF 06 00 00 00 06\r\n");
}

TEST_F(LinkEngineTest, TraceLinesOnlyWhenShownOrRecorded) {
    const struct {
        bool shown;
        bool recorded;
        std::size_t lines;
    } cases[] = {{false, false, 0}, {false, true, 2}, {true, false, 2}, {true, true, 2}};
    for (const auto& c : cases) {
        state.TraceEnabled = c.shown;
        state.traceRecorded = c.recorded;
        view.traceLines.clear();
        port.open();
        run({{6, kRead}});
        EXPECT_EQ(view.traceLines.size(), c.lines) << c.shown << c.recorded;
    }
}

// Every way one byte of an answer can go wrong, at every position of it, costs one retry at most.
TEST_F(LinkEngineTest, OneBadByteInAnAnswerCostsOneRetryAtMost) {
    const Bytes good = responseFrame(2, 0x00, test::bytesOf("24680 "));
    using Fault = std::function<Bytes(std::size_t at)>;
    const std::pair<const char*, Fault> faults[] = {
        {"dropped",
         [&](std::size_t at) {
             Bytes bytes = good;
             bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at));
             return bytes;
         }},
        {"duplicated",
         [&](std::size_t at) {
             Bytes bytes = good;
             bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes[at]);
             return bytes;
         }},
        {"inserted",
         [&](std::size_t at) {
             Bytes bytes = good;
             bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), 0x5A);
             return bytes;
         }},
        {"flipped",
         [&](std::size_t at) {
             Bytes bytes = good;
             bytes[at] ^= 0x10;
             return bytes;
         }},
    };
    for (const auto& [name, fault] : faults) {
        for (std::size_t at = 0; at < good.size(); ++at) {
            SCOPED_TRACE(std::string(name) + " byte " + std::to_string(at));
            state = {};
            port.writes.clear();
            port.open();
            // The faulty answer comes in two reads, as a real line may cut it.
            scriptByAttempt([&, at](std::size_t attempt, const Bytes& request) {
                if (request[5] != 2) return std::vector<Bytes>{responseFrame(request[5], 0x00)};
                if (attempt != 2) return std::vector<Bytes>{good};
                const Bytes bad = fault(at);
                const auto cut = bad.begin() + 4;
                return std::vector<Bytes>{Bytes(bad.begin(), cut), Bytes(cut, bad.end())};
            });
            run({{1, kRead}, {2, kRead}, {4, kRead}});
            EXPECT_EQ(state.LinkError, 0);
            EXPECT_LE(port.writes.size(), 4u);
            EXPECT_EQ(state.params.SerialNumber, "24680 ");
        }
    }
}
TEST_F(LinkEngineTest, AFrameOfAnotherCommandAnswersNothing) {
    // The late answer to an earlier request comes first; only the second attempt's answer is taken.
    scriptByAttempt([](std::size_t attempt, const Bytes& request) {
        if (attempt == 1) return std::vector<Bytes>{responseFrame(2, 0x00, test::bytesOf("99999 "))};
        return std::vector<Bytes>{responseFrame(request[5], 0x00, test::bytesOf("RQA-4021"))};
    });
    run({{1, kRead}});
    EXPECT_EQ(state.LinkError, 0);
    EXPECT_EQ(port.writes.size(), 2u);
    EXPECT_EQ(state.params.ModelName, "RQA-4021");
    EXPECT_EQ(state.params.SerialNumber, "") << "a frame for another request is not dispatched";
}

TEST_F(LinkEngineTest, AnInitialisationAnswerThatStopsShortIsAskedForAgain) {
    scriptByAttempt([](std::size_t attempt, const Bytes& request) {
        Bytes answer = responseFrame(request[5], 0x00);
        if (attempt == 2) answer.pop_back();  // the answer to the first 124 loses its last byte
        return std::vector<Bytes>{answer};
    });
    run({{127, kWrite}, {124, kWrite}});
    EXPECT_EQ(state.LinkError, 0);
    EXPECT_EQ(test::commandsOf(port.writes), (std::vector<int>{127, 124, 124}));
    EXPECT_LT(clock.now(), Micros(100ms)) << "not the minute's bound";
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
        state = {};
        port.writes.clear();
        port.open();
        scriptByAttempt([&](std::size_t attempt, const Bytes& request) {
            const Bytes data = attempt <= c.shortAnswers ? Bytes{0x44} : Bytes{0x44, 0x00};
            return std::vector<Bytes>{responseFrame(request[5], 0x00, data)};
        });
        CommandQueue queue;
        std::int32_t count = 0;
        QueueCommand(queue, count, PARAM_04, kRead, state.params);
        AnswerLog log;
        subFirstSend(context, queue, c.rule, &log);
        EXPECT_EQ(state.LinkError, c.error);
        EXPECT_EQ(port.writes.size(), c.writes);
        EXPECT_EQ(log.filled.holds(state.params.Param04Value), c.stored);
        EXPECT_EQ(state.params.Param04Value, c.stored ? 0x44 : 0);
        const std::vector<UnstoredAnswer> none;
        const std::vector<UnstoredAnswer> request04 = {{PARAM_04, {}}};
        EXPECT_EQ(log.unstored, c.error == 0 && !c.stored ? request04 : none);
    }
}

TEST_F(LinkEngineTest, TheRetryComesOneTickAfterARefusal) {
    port.answerDelay = 6ms;
    scriptByAttempt([](std::size_t attempt, const Bytes& request) {
        return std::vector<Bytes>{responseFrame(request[5], attempt == 1 ? 0x01 : 0x00)};
    });
    run({{5, kRead}});
    EXPECT_EQ(state.LinkError, 0);
    EXPECT_EQ(port.writeTimes, (std::vector<Micros>{0ms, 16ms}));
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
        state = {};
        port.writes.clear();
        port.open();
        port.pieceGap = c.gap;
        device = [&](const Bytes& request) {
            const std::size_t frames = c.gap == 0ms ? 1 : 61s / c.gap;
            return std::vector<Bytes>(frames, responseFrame(request[5], c.status));
        };
        const Micros start = clock.now();
        run({{c.command, kWrite}});
        EXPECT_EQ(state.LinkError, c.error);
        EXPECT_GE(clock.now() - start, Micros(60s));
        EXPECT_LT(clock.now() - start, Micros(61s));
    }
}

TEST_F(LinkEngineTest, RtsFollowsCtsWhileTheLinkWaits) {
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

TEST_F(LinkEngineTest, APortThatFailsOrIsClosedEndsTheBatchWith99AtOnce) {
    struct Case {
        const char* name;
        std::uint8_t command;
        bool closedBefore;
    };
    const Case cases[] = {
        {"closed before the batch", 1, true},
        {"cable pulled while a read is awaited", 1, false},
        {"cable pulled while the initialisation is awaited", 124, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state = {};
        port.writes.clear();
        port.open();
        if (c.closedBefore) port.close();
        device = [](const Bytes&) { return std::vector<Bytes>{}; };
        const Micros start = clock.now();
        port.lineFailsAt = start + 5ms;
        run({{c.command, kWrite}});
        EXPECT_EQ(state.LinkError, 99);
        EXPECT_LT(clock.now() - start, Micros(50ms));
        EXPECT_EQ(port.writes.size(), c.closedBefore ? 0u : 1u);
    }
}

TEST_F(LinkEngineTest, EveryBatchHasItsOwnElevenSends) {
    scriptByAttempt([](std::size_t attempt, const Bytes& request) {
        if (attempt <= 10) return std::vector<Bytes>{};
        return std::vector<Bytes>{responseFrame(request[5], 0x00)};
    });
    run({{5, kRead}});
    ASSERT_EQ(state.LinkError, 0);
    port.writes.clear();
    port.open();
    device = [](const Bytes&) { return std::vector<Bytes>{}; };
    run({{5, kRead}});
    EXPECT_EQ(state.LinkError, 12);
    EXPECT_EQ(port.writes.size(), 11u);
}
TEST_F(LinkEngineTest, AnAnswerJustInsideTheMinuteIsTaken) {
    // Busy answers 3 ms after each send put the accepted one at 59.998 s, its tick after the minute.
    port.answerDelay = 3ms;
    scriptByAttempt([](std::size_t attempt, const Bytes& request) {
        const bool busy = request[5] == 5 && attempt <= 4615;
        return std::vector<Bytes>{responseFrame(request[5], busy ? 0x33 : 0x00)};
    });
    run({{5, kRead}, {6, kRead}});
    EXPECT_EQ(state.LinkError, 0);
    EXPECT_EQ(port.writeTimes.at(4615), Micros(59'995ms));
    EXPECT_EQ(test::commandsOf(port.writes).back(), 6);
}
}  // namespace
}  // namespace rq
