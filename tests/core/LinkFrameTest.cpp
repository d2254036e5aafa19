#include <gtest/gtest.h>

#include "LinkTestSupport.h"
#include "core/link/FrameCutter.h"
#include "core/link/TraceBox.h"
#include "core/params/CommandRecord.h"
#include "core/text/Trace.h"

namespace rq {
namespace {

using test::Bytes;

// The longest frame taken, in one-byte pieces; bytes after a frame in the same read are dropped.
TEST(FrameCutterTest, AFrameOfMoreThan245DataBytesIsDroppedUntilTheNextRequest) {
    FrameCutter cutter;
    CommandRecord response;
    const Bytes frame = test::responseFrame(3, 0x00, Bytes(245, 0xA5));
    for (std::size_t i = 0; i + 1 < frame.size(); ++i)
        ASSERT_EQ(cutter.feed({&frame[i], 1}, response), FrameCutter::Result::Incomplete) << "byte " << i;
    Bytes last = {frame.back()};
    last.insert(last.end(), frame.begin(), frame.begin() + 4);
    ASSERT_EQ(cutter.feed(last, response), FrameCutter::Result::Complete);
    EXPECT_EQ(response.Data, Bytes(245, 0xA5));
    EXPECT_EQ(cutter.bytesWanted(), 9u) << "the buffer starts empty again";
    const Bytes oversize = test::responseFrame(1, 0x00, Bytes(246, 0x00));
    EXPECT_EQ(cutter.feed({oversize.data(), 9}, response), FrameCutter::Result::Oversize);
    // The zeros that follow would make a frame of their own (length 0, checksum 0) if they were kept.
    EXPECT_EQ(cutter.feed({oversize.data() + 9, oversize.size() - 9}, response),
              FrameCutter::Result::Incomplete);
}

// The link's test has the lines of requests and answers and their right-aligned status words; here, an
// answer's preamble as it came, where a boot frame starts being cut short, and the time's form.
TEST(TraceTest, LinesAndEntries) {
    const CommandRecord busy{{0x00, 0x11, 0xFF, 0xFF, 0xFF}, 127, 0x33, kWrite, 1, {0x01}, 0x4C};
    EXPECT_EQ(traceLine(busy, Direction::Response), "PC<-RQX::CMD[127]:00 11 FF FF FF 7F 33 01 01 01 4C\r\n");
    EXPECT_EQ(bootTraceLine(Bytes(16, 0xAB), Direction::Request),
              "PC->RQX::BOOT:AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB\r\n");
    EXPECT_EQ(bootTraceLine(Bytes(17, 0xAB), Direction::Response),
              "PC<-RQX::BOOT:AB AB AB AB AB AB AB AB .. AB AB AB AB (17 bytes)\r\n");
    std::tm local{};
    local.tm_year = 2024 - 1900;
    local.tm_mday = 31;
    local.tm_hour = 9;
    local.tm_min = 5;
    local.tm_sec = 7;
    local.tm_isdst = -1;
    const auto at = std::chrono::system_clock::from_time_t(std::mktime(&local));
    EXPECT_EQ(traceEntry(fixedTraceTime(at), "", "X\r\n"), "2024/01/31 09:05:07       X\r\n");
}

TEST(TraceBoxTest, The502ndLineAndClearEmptyTheBoxFirst) {
    TraceBox box;
    for (int i = 1; i <= 501; ++i) box.append("line " + std::to_string(i) + "\r\n");
    EXPECT_EQ(box.lineCount(), 501);
    EXPECT_EQ(box.text().substr(0, 10), "line 501\r\n") << "newest first";
    box.append("line 502\r\n");
    EXPECT_EQ(box.text(), "line 502\r\n");
    box.clear();
    box.append("c\r\n");
    EXPECT_EQ(box.text(), "c\r\n");
    EXPECT_EQ(box.lineCount(), 1);
}

}  // namespace
}  // namespace rq
