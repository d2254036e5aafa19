#include <gtest/gtest.h>

#include "FakePort.h"
#include "core/firmware/ProgrammingImage.h"
#include "core/wizard/WizardState.h"
#include "sim/VirtualClock.h"
#include "support/RecordingView.h"

namespace rq {
namespace {

// A firmware file of `size` bytes whose data byte at offset k is (k * 7 + 1) mod 256.
FirmwareFile fileOfSize(std::size_t size) {
    FirmwareFile file;
    file.contents.assign(std::min(size, kFirmwareReadLimit), 0x20);
    for (std::size_t at = kFirmwareHeaderSize; at < file.contents.size(); ++at) {
        file.contents[at] = static_cast<std::uint8_t>((at - kFirmwareHeaderSize) * 7 + 1);
    }
    file.length = size;
    file.valid = true;
    return file;
}

std::uint8_t dataByte(std::size_t offset) {
    return static_cast<std::uint8_t>(offset * 7 + 1);
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
    // How many image bytes, from the start of the flash, come from the file.
    std::size_t bytesFromFile() const {
        std::size_t count = 0;
        for (std::size_t address = 0; address < kFlashSize; ++address) {
            const std::uint8_t byte = (*state.image)[address / kBlockSize][address % kBlockSize];
            if (byte != dataByte(address)) break;
            ++count;
        }
        return count;
    }
    bool erasedFrom(std::size_t address) const {
        for (; address < kFlashSize; ++address) {
            if ((*state.image)[address / kBlockSize][address % kBlockSize] != 0xFF) return false;
        }
        return true;
    }
};

TEST_F(ProgrammingImageTest, FileSizes) {
    struct Case {
        std::size_t fileSize;
        std::uint8_t result;
        std::uint8_t linkError;
        std::size_t fromFile;
    };
    const Case cases[] = {
        {48, 0, 0, 0},
        {48 + 300, 0, 0, 300},
        {131'120, 0, 0, kFlashSize},
        {131'121, 0, 0, kFlashSize},  // the last byte is dropped
        {131'122, 36, 22, kFlashSize},
        {1'000'000, 36, 22, kFlashSize},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileSize);
        state.LinkError = 0;
        EXPECT_EQ(build(c.fileSize), c.result);
        EXPECT_EQ(state.LinkError, c.linkError);
        EXPECT_EQ(bytesFromFile(), c.fromFile);
        EXPECT_TRUE(erasedFrom(c.fromFile));
    }
}

TEST_F(ProgrammingImageTest, FileOf348BytesFillsBlock0AndPartOfBlock1) {
    build(48 + 300);
    const ProgrammingImage& image = *state.image;
    EXPECT_EQ(image[0][0], dataByte(0));
    EXPECT_EQ(image[0][255], dataByte(255));
    EXPECT_EQ(image[1][43], dataByte(299));
    EXPECT_EQ(image[1][44], 0xFF);
    EXPECT_EQ(image[511][255], 0xFF);
}

TEST_F(ProgrammingImageTest, ShowsEachBlockAndEndsAt512) {
    build(48 + 1000);
    EXPECT_EQ(view.text(Control::txtProcess), "バイナリ・データ作成完了");
    EXPECT_EQ(view.status2, "HEX READ");
    ASSERT_EQ(view.progressHistory.size(), 514u);  // the range, then blocks 0 to 511, then 512
    EXPECT_EQ(view.progressHistory.front(), (Progress{0, 512, 0}));
    EXPECT_EQ(view.progressHistory[8], (Progress{0, 512, 7}));
    EXPECT_EQ(view.progress(), (Progress{0, 512, 512}));
    EXPECT_EQ(state.progress, (Progress{0, 512, 512}));
}

// Records every txtProcess line, which the final text would hide.
class LineView : public test::RecordingView {
  public:
    std::vector<std::string> processTexts;
    void setText(Control control, const std::string& value) override {
        if (control == Control::txtProcess) processTexts.push_back(value);
        RecordingView::setText(control, value);
    }
};

TEST(ProgrammingImageLinesTest, BlockLinesReadAsTheWindowShowsThem) {
    test::FakePort port;
    sim::VirtualClock clock;
    LineView view;
    WizardState state;
    state.firmware = fileOfSize(100);
    StepContext context{state, port, clock, view};
    buildProgrammingImage(context);
    ASSERT_EQ(view.processTexts.size(), 515u);
    EXPECT_EQ(view.processTexts[0], "バイナリ・データ作成中");
    EXPECT_EQ(view.processTexts[1], "BINファイル読み込み中　：0 Block");
    EXPECT_EQ(view.processTexts[8], "BINファイル読み込み中　：7 Block");
    EXPECT_EQ(view.processTexts[513], "BINファイル読み込み中　：512 Block");
    EXPECT_EQ(view.processTexts[514], "バイナリ・データ作成完了");
    EXPECT_EQ(clock.now(), Micros(0));  // nothing waits
}

TEST_F(ProgrammingImageTest, TooLongFileStillFillsTheWholeImage) {
    build(200'000);
    EXPECT_EQ(view.text(Control::txtProcess), "バイナリ・データ作成完了");
    EXPECT_EQ((*state.image)[511][255], dataByte(kFlashSize - 1));
}

TEST_F(ProgrammingImageTest, NoFileContentsGivesAnErasedImage) {
    state.image->fill({});
    EXPECT_EQ(buildProgrammingImage(context), 0);
    EXPECT_TRUE(erasedFrom(0));
}

}  // namespace
}  // namespace rq
