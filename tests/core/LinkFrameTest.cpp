#include <gtest/gtest.h>

#include "LinkTestSupport.h"
#include "core/link/FrameCutter.h"
#include "core/link/TraceBox.h"
#include "core/params/CommandRecord.h"
#include "core/text/Trace.h"

namespace rq {
namespace {

using test::Bytes;
using test::responseFrame;

CommandRecord request(std::uint8_t command, std::uint8_t readWrite, const Bytes& data = {}) {
    CommandRecord record;
    record.Preamble.fill(0xFF);
    record.Command = command;
    record.ReadWrite = readWrite;
    record.Length = static_cast<std::uint8_t>(data.size());
    record.Data = data;
    record.Checksum = CalcChecksum(record);
    return record;
}

TEST(CommandRecordTest, RequestsOnTheWireEndInAPadByte) {
    EXPECT_EQ(encodeRequest(request(5, kRead)),
              (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x05, 0x00, 0x00, 0x00, 0x05, 0x00}));
    EXPECT_EQ(encodeRequest(request(127, kWrite, {0x02, '6', '0'})),
              (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x01, 0x03, 0x02, '6', '0', 0x79, 0x00}));
}

TEST(FrameCutterTest, OneBytePiecesCompleteOnlyAtLengthPlus10) {
    const Bytes frame = responseFrame(2, 0x00, test::bytesOf("12345 "));
    FrameCutter cutter;
    CommandRecord response;
    for (std::size_t i = 0; i + 1 < frame.size(); ++i) {
        ASSERT_EQ(cutter.feed({&frame[i], 1}, response), FrameCutter::Result::Incomplete) << "byte " << i;
        EXPECT_EQ(cutter.bytesWanted(), i < 8 ? 8 - i : frame.size() - i - 1) << "byte " << i;
    }
    EXPECT_EQ(response.Command, 0) << "nothing is decoded before the frame is complete";
    ASSERT_EQ(cutter.feed({&frame.back(), 1}, response), FrameCutter::Result::Complete);
    EXPECT_EQ(response.Command, 2);
    EXPECT_EQ(response.Length, 6);
    EXPECT_EQ(response.Data, test::bytesOf("12345 "));
    EXPECT_EQ(response.Checksum, frame.back());
    EXPECT_TRUE(IsChecksumValid(response));
}

TEST(FrameCutterTest, ExtraBytesInTheSameReadAreDropped) {
    Bytes bytes = responseFrame(4, 0x00, {0x09, 0x00});
    const Bytes next = responseFrame(5, 0x00, {0x12, 0x03});
    bytes.insert(bytes.end(), next.begin(), next.begin() + 4);
    FrameCutter cutter;
    CommandRecord response;
    ASSERT_EQ(cutter.feed(bytes, response), FrameCutter::Result::Complete);
    EXPECT_EQ(response.Command, 4);
    EXPECT_EQ(cutter.bytesWanted(), 9u) << "the buffer starts empty again";
}

TEST(FrameCutterTest, ZeroLengthKeepsTheDataBeforeAndTakesChecksumFromOffset9) {
    FrameCutter cutter;
    CommandRecord response;
    ASSERT_EQ(cutter.feed(responseFrame(1, 0x00, test::bytesOf("RQA-4021")), response),
              FrameCutter::Result::Complete);
    ASSERT_EQ(cutter.feed(responseFrame(127, 0x1F), response), FrameCutter::Result::Complete);
    EXPECT_EQ(response.Length, 0);
    EXPECT_EQ(response.Checksum, 127 ^ 0x1F);
    EXPECT_EQ(response.Data, test::bytesOf("RQA-4021"));
    EXPECT_TRUE(payload(response).empty());
}

TEST(FrameCutterTest, AFrameOfMoreThan245DataBytesIsDroppedUntilTheNextRequest) {
    FrameCutter cutter;
    CommandRecord response;
    ASSERT_EQ(cutter.feed(responseFrame(3, 0x00, Bytes(245, 0xA5)), response), FrameCutter::Result::Complete);
    EXPECT_EQ(response.Data.size(), 245u);
    const Bytes oversize = responseFrame(1, 0x00, Bytes(246, 0x00));
    EXPECT_EQ(cutter.feed({oversize.data(), 9}, response), FrameCutter::Result::Oversize);
    // The zeros that follow would make a frame of their own (length 0, checksum 0) if they were kept.
    EXPECT_EQ(cutter.feed({oversize.data() + 9, oversize.size() - 9}, response),
              FrameCutter::Result::Incomplete);
    EXPECT_EQ(response.Command, 3);
    cutter.reset();
    EXPECT_EQ(cutter.feed(responseFrame(1, 0x00, test::bytesOf("RQA-4021")), response),
              FrameCutter::Result::Complete);
    EXPECT_EQ(response.Data, test::bytesOf("RQA-4021"));
}

TEST(TraceTest, RequestAndResponseLines) {
    struct Case {
        CommandRecord record;
        Direction direction;
        std::string line;
    };
    CommandRecord busy = request(127, kWrite, {0x01});
    busy.Status = 0x33;
    busy.Preamble = {0x00, 0x11, 0xFF, 0xFF, 0xFF};
    busy.Checksum = 0x4C;
    const Case cases[] = {
        {request(5, kRead), Direction::Request, "PC->RQX::CMD[005]:FF FF FF FF FF 05 00 00 00 05\r\n"},
        {request(7, kWrite, {0xAB, 0x01}), Direction::Request,
         "PC->RQX::CMD[007]:FF FF FF FF FF 07 00 01 02 AB 01 AE\r\n"},
        {busy, Direction::Response, "PC<-RQX::CMD[127]:00 11 FF FF FF 7F 33 01 01 01 4C\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(traceLine(c.record, c.direction), c.line);
}

// Step 5's trace shows the frames it sends and gets; here, where a frame starts being cut short.
TEST(TraceTest, BootFramesOfMoreThan16BytesAreCutShort) {
    EXPECT_EQ(bootTraceLine(Bytes(16, 0xAB), Direction::Request),
              "PC->RQX::BOOT:AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB\r\n");
    EXPECT_EQ(bootTraceLine(Bytes(17, 0xAB), Direction::Response),
              "PC<-RQX::BOOT:AB AB AB AB AB AB AB AB .. AB AB AB AB (17 bytes)\r\n");
}

TEST(TraceTest, EntryRightAlignsTheStatusWord) {
    std::tm local{};
    local.tm_year = 2024 - 1900;
    local.tm_mon = 0;
    local.tm_mday = 31;
    local.tm_hour = 9;
    local.tm_min = 5;
    local.tm_sec = 7;
    local.tm_isdst = -1;
    const std::string time = fixedTraceTime(std::chrono::system_clock::from_time_t(std::mktime(&local)));
    EXPECT_EQ(traceEntry(time, "Send", "X\r\n"), "2024/01/31 09:05:07  Send X\r\n");
    EXPECT_EQ(traceEntry(time, "Retry", "X\r\n"), "2024/01/31 09:05:07 Retry X\r\n");
    EXPECT_EQ(traceEntry(time, "", "X\r\n"), "2024/01/31 09:05:07       X\r\n");
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
