#include <gtest/gtest.h>

#include "core/flash/FlashFrames.h"

namespace rq {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(FlashFramesTest, CommandFramesAreTheDevicesByteStrings) {
    EXPECT_EQ(commandFrame(FlashCommand::Reset), (Bytes{0x01, 0x01, 0x00, 0xFF, 0x03}));
    EXPECT_EQ(commandFrame(FlashCommand::ChipErase), (Bytes{0x01, 0x01, 0x20, 0xDF, 0x03}));
    EXPECT_EQ(oscillationFrequencyFrame(), (Bytes{0x01, 0x05, 0x90, 0x04, 0x09, 0x01, 0x04, 0x59, 0x03}));
    EXPECT_EQ(programmingFrame(), (Bytes{0x01, 0x07, 0x40, 0x00, 0x00, 0x00, 0x01, 0xFF, 0xFF, 0xBA, 0x03}));
    EXPECT_EQ(verifyFrame(), (Bytes{0x01, 0x07, 0x13, 0x00, 0x00, 0x00, 0x01, 0xFF, 0xFF, 0xE7, 0x03}));
    EXPECT_EQ(securitySetFrame(), (Bytes{0x01, 0x03, 0xA0, 0x00, 0x00, 0x5D, 0x03}));
    EXPECT_EQ(securityDataFrame(), (Bytes{0x02, 0x02, 0xF7, 0x00, 0x07, 0x03}));
}

TEST(FlashFramesTest, BaudRateFramesCarryIndexPlusThree) {
    const std::uint8_t sums[] = {0x61, 0x60, 0x5F, 0x5E, 0x5D, 0x5C};
    for (std::uint8_t index = 0; index < 6; ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(baudRateFrame(index),
                  (Bytes{0x01, 0x02, 0x9A, static_cast<std::uint8_t>(index + 3), sums[index], 0x03}));
    }
    EXPECT_EQ(baudRateFrame(6), std::nullopt);
    EXPECT_EQ(baudRateFrame(255), std::nullopt);
}

TEST(FlashFramesTest, DataFramesSumLenAndAll256Bytes) {
    struct Case {
        const char* name;
        ImageBlock block;
        bool last;
        std::uint8_t sum;
        std::uint8_t end;
    };
    ImageBlock erased;
    erased.fill(0xFF);
    ImageBlock oneAtTheEnd{};
    oneAtTheEnd[255] = 0x01;
    ImageBlock firstOnly{};
    firstOnly[0] = 0x80;
    const Case cases[] = {
        {"all FFh sum to FF00h", erased, false, 0x00, 0x17},
        {"255 zeros then 01h", oneAtTheEnd, true, 0xFF, 0x03},
        {"the first byte counts", firstOnly, true, 0x80, 0x03},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes frame = dataFrame(c.block, c.last);
        ASSERT_EQ(frame.size(), 260u);
        EXPECT_EQ(frame[0], 0x02);
        EXPECT_EQ(frame[1], 0x00);
        EXPECT_TRUE(std::equal(c.block.begin(), c.block.end(), frame.begin() + 2));
        EXPECT_EQ(frame[258], c.sum);
        EXPECT_EQ(frame[259], c.end);
    }
}

TEST(FlashFramesTest, StatusFramesAreJudgedOnSumAndStatusBytes) {
    struct Case {
        const char* name;
        Bytes frame;
        bool withSt2;
        std::uint8_t result;
    };
    const Case cases[] = {
        {"ACK", {0x02, 0x01, 0x06, 0xF9, 0x03}, false, 0},
        {"data frame accepted", {0x02, 0x02, 0x06, 0x06, 0xF2, 0x03}, true, 0},
        {"NACK", {0x02, 0x01, 0x15, 0xEA, 0x03}, false, 0x15},
        {"parameter error", {0x02, 0x01, 0x05, 0xFA, 0x03}, false, 0x05},
        {"wrong SUM although ST1 is ACK", {0x02, 0x01, 0x06, 0xF8, 0x03}, false, 7},
        {"ST2 verify error", {0x02, 0x02, 0x06, 0x0F, 0xE9, 0x03}, true, 0x0F},
        {"ST1 fails before ST2", {0x02, 0x02, 0x18, 0x0F, 0xD7, 0x03}, true, 0x18},
        {"ST2 not asked for", {0x02, 0x02, 0x06, 0x0F, 0xE9, 0x03}, false, 0},
        {"wrong STX and ETX, right SUM", {0x55, 0x01, 0x06, 0xF9, 0xAA}, false, 0},
        {"LEN points SUM past the frame", {0x02, 0x07, 0x06, 0xF3, 0x03}, false, 7},
        {"LEN FFh", {0x02, 0xFF, 0x06, 0x06, 0xF2, 0x03}, true, 7},
        {"a status 00h is no success", {0x02, 0x00, 0x00, 0x00, 0x03}, false, 37},
        {"too short to hold a status", {0x02, 0x01}, false, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(judgeStatus(checkStatusFrame(c.frame), c.withSt2), c.result);
    }
}

}  // namespace
}  // namespace rq
