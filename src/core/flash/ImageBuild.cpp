#include "core/flash/ImageBuild.h"

#include <algorithm>
#include <span>
#include <string>

#include "core/state/WizardState.h"

namespace rq {
namespace {

void showBlock(StepContext& context, int block) {
    context.setProgressValue(block);
    context.view.setText(Control::txtProcess, "BINファイル読み込み中　：" + std::to_string(block) + " Block");
}

// The file bytes that go into the flash: those after the header, as many as the flash holds.
std::span<const std::uint8_t> flashData(const std::vector<std::uint8_t>& contents) {
    if (contents.size() <= kFirmwareHeaderSize) return {};
    const std::size_t size = std::min(contents.size() - kFirmwareHeaderSize, kFlashSize);
    return std::span(contents).subspan(kFirmwareHeaderSize, size);
}

void fillBlock(ImageBlock& block, std::span<const std::uint8_t> data, int index) {
    const std::size_t start = std::min(data.size(), static_cast<std::size_t>(index) * kBlockSize);
    const std::size_t count = std::min(data.size() - start, block.size());
    const auto end = std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(start), count, block.begin());
    std::fill(end, block.end(), std::uint8_t{0xFF});
}

}  // namespace

std::uint8_t buildProgrammingImage(StepContext& context) {
    const FirmwareFile& firmware = context.state.firmware;
    ProgrammingImage& image = *context.state.image;
    context.view.setText(Control::txtProcess, "バイナリ・データ作成中");
    context.setProgress({0, kImageBlocks, 0});
    context.view.setStatus(2, "HEX READ");

    const std::span<const std::uint8_t> data = flashData(firmware.contents);
    for (int block = 0; block < kImageBlocks; ++block) {
        showBlock(context, block);
        fillBlock(image[static_cast<std::size_t>(block)], data, block);
    }
    showBlock(context, kImageBlocks);

    // One byte past the flash is tolerated and dropped; a file with more is not the device's.
    const bool tooLong = firmware.length > kFirmwareHeaderSize + data.size() + 1;
    context.view.setText(Control::txtProcess, std::string(kImageBuiltText));
    if (!tooLong) return 0;
    context.state.LinkError = 22;
    return 36;
}

}  // namespace rq
