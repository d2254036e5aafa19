#include <gtest/gtest.h>

#include "FakePort.h"
#include "core/flash/ImageBuild.h"
#include "core/state/WizardState.h"
#include "sim/VirtualClock.h"
#include "support/RecordingView.h"

namespace rq {
namespace {

std::uint8_t dataByte(std::size_t offset) {
    return static_cast<std::uint8_t>(offset * 7 + 1);
}

// A firmware file of `size` bytes whose data byte at offset k is dataByte(k).
FirmwareFile fileOfSize(std::size_t size) {
    FirmwareFile file;
    file.contents.assign(std::min(size, kFirmwareReadLimit), 0x20);
    for (std::size_t at = kFirmwareHeaderSize; at < file.contents.size(); ++at) {
        file.contents[at] = dataByte(at - kFirmwareHeaderSize);
    }
    file.length = size;
    return file;
}

class ProgrammingImageTest : public ::testing::Test {
  protected:
    test::FakePort port;
    sim::VirtualClock clock;
    test::RecordingView view;
    WizardState state;
    StepContext context{state, port, clock, view};

    std::uint8_t build(std::size_t fileSize) {
        state.firmware = fileOfSize(fileSize);
        state.image->fill({});  // a previous build must not shine through
        return buildProgrammingImage(context);
    }
    // The file's bytes up to `fromFile`, then FFh to the end of the flash.
    bool imageIs(std::size_t fromFile) const {
        for (std::size_t address = 0; address < kFlashSize; ++address) {
            if ((*state.image)[address / 256][address % 256] !=
                (address < fromFile ? dataByte(address) : 0xFF))
                return false;
        }
        return true;
    }
};

TEST_F(ProgrammingImageTest, FileSizes) {
    // The file's size, what the build returns, LinkError, and how much of the image is from the file.
    const std::tuple<std::size_t, std::uint8_t, std::uint8_t, std::size_t> cases[] = {
        {48, 0, 0, 0},
        {48 + 300, 0, 0, 300},  // block 0 and the first 44 bytes of block 1
        {131'120, 0, 0, kFlashSize},
        {131'121, 0, 0, kFlashSize},  // the last byte is dropped
        {131'122, 36, 22, kFlashSize},
    };
    for (const auto& [fileSize, result, linkError, fromFile] : cases) {
        SCOPED_TRACE(fileSize);
        state.LinkError = 0;
        EXPECT_EQ(build(fileSize), result);
        EXPECT_EQ(state.LinkError, linkError);
        EXPECT_TRUE(imageIs(fromFile));
        EXPECT_EQ(view.text(Control::txtProcess), "バイナリ・データ作成完了");
        EXPECT_EQ(view.progress(), (Progress{0, 512, 512}));
    }
}

TEST_F(ProgrammingImageTest, ShowsEveryBlockWithoutWaiting) {
    build(100);
    ASSERT_EQ(view.processTexts.size(), 515u);
    EXPECT_EQ(view.processTexts[0], "バイナリ・データ作成中");
    EXPECT_EQ(view.processTexts[8], "BINファイル読み込み中　：7 Block");
    EXPECT_EQ(view.processTexts[513], "BINファイル読み込み中　：512 Block");
    EXPECT_EQ(view.progressHistory.at(8), (Progress{0, 512, 7}));
    EXPECT_EQ(clock.now(), Micros(0));
}

}  // namespace
}  // namespace rq
