#include <gtest/gtest.h>

#include "core/flash/FlashFrames.h"

namespace rq {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(FlashFramesTest, StatusFramesAreJudgedOnSumAndStatusBytes) {
    // The frame, whether ST2 is asked for, the judgement.
    const std::tuple<const char*, Bytes, bool, std::uint8_t> cases[] = {
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
    for (const auto& [name, frame, withSt2, result] : cases)
        EXPECT_EQ(judgeStatus(checkStatusFrame(frame), withSt2), result) << name;
}

}  // namespace
}  // namespace rq
