#include <gtest/gtest.h>

#include <filesystem>

#include "StartedWizard.h"
#include "TempDir.h"
#include "core/firmware/FirmwareFile.h"
#include "sim/FirmwareGenerator.h"

namespace rq {
namespace {

std::vector<std::uint8_t> headerAt(std::size_t offset, std::string_view text, std::size_t size = 48 + 16) {
    std::vector<std::uint8_t> bytes(size, 0x20);
    std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    return bytes;
}

TEST(FirmwareFileRead, HeaderAndLengthCases) {
    test::TempDir dir;
    std::string otherCase(kFirmwareHeaderText);
    otherCase[10] = 'f';
    const std::tuple<const char*, std::vector<std::uint8_t>, FirmwareLoad> cases[] = {
        {"at0.bin", headerAt(0, kFirmwareHeaderText), FirmwareLoad::Ok},
        {"at15.bin", headerAt(15, kFirmwareHeaderText), FirmwareLoad::Ok},
        {"at16.bin", headerAt(16, kFirmwareHeaderText), FirmwareLoad::BadHeader},  // runs past byte 48
        {"case.bin", headerAt(0, otherCase), FirmwareLoad::BadHeader},
        {"short.bin", headerAt(0, kFirmwareHeaderText, 47), FirmwareLoad::Unreadable},
        {"exact.bin", headerAt(0, kFirmwareHeaderText, 48), FirmwareLoad::Ok},
    };
    for (const auto& [name, bytes, expected] : cases)
        EXPECT_EQ(readFirmwareFile(dir.file(name, bytes)).result, expected) << name;
    EXPECT_EQ(readFirmwareFile(dir.path("absent.bin")).result, FirmwareLoad::NotFound);
    std::filesystem::create_directory(dir.path("folder.bin"));
    EXPECT_EQ(readFirmwareFile(dir.path("folder.bin")).result, FirmwareLoad::Unreadable);
}

using FileSelectionTest = test::StartedWizard;

TEST_F(FileSelectionTest, ErrorsShowTheirCodeAndClearItAgain) {
    select(valid("good.bin"));
    view.fileChoices.push_back(std::nullopt);
    wizard.cmdFWFileSel();  // a cancelled dialog keeps the file
    EXPECT_EQ(view.text(Control::lblFWNew), "Ver 1.2.3");
    EXPECT_EQ(view.text(Control::lblFWFile), "good.bin");
    EXPECT_TRUE(view.isEnabled(Control::cmdNext));
    std::filesystem::create_directory(dir.path("folder.bin"));
    // The file chosen, the message's first line, whether a valid file is still held, the file label.
    const std::tuple<std::string, std::string, bool, const char*> cases[] = {
        {dir.path("absent.bin"), "更新用ファイルの名前が正しくありません。", true, "good.bin"},
        {dir.file("bad.bin", std::vector<std::uint8_t>(100, 'x')), "更新ファイルが正しくありません。", false,
         "bad.bin"},
        {dir.path("folder.bin"), "更新用ファイルが開けません。", false, "folder.bin"},
        {dir.file("short.bin", {1, 2, 3}), "更新用ファイルが開けません。", false, "short.bin"},
    };
    for (const auto& [path, firstLine, validAfter, fileLabel] : cases) {
        SCOPED_TRACE(path);
        select(valid("good.bin"));
        view.messages.clear();
        select(path);
        ASSERT_EQ(view.messages.size(), 1u);
        EXPECT_EQ(view.messages[0].text.substr(0, firstLine.size()), firstLine);
        EXPECT_EQ(wizard.state().firmware.valid, validAfter);
        const bool unreadable = firstLine == "更新用ファイルが開けません。";
        EXPECT_EQ(wizard.state().firmware.contents.empty(), unreadable) << "nothing of the earlier file";
        EXPECT_FALSE(view.isEnabled(Control::cmdNext));
        EXPECT_EQ(view.text(Control::lblFWFile), fileLabel);
        EXPECT_EQ(wizard.state().LinkError, 0);
    }
}

// The flash check of step 5 compares the file's own length; only what the image needs is read.
TEST_F(FileSelectionTest, TheWizardKeepsTheLengthOfTheWholeFile) {
    const std::string path = valid("long.bin");
    std::filesystem::resize_file(path, 8ull << 30);  // sparse: 8 GiB without using the disk
    select(path);
    EXPECT_TRUE(wizard.state().firmware.valid);
    EXPECT_EQ(wizard.state().firmware.length, 8ull << 30);
    EXPECT_EQ(wizard.state().firmware.contents.size(), kFirmwareReadLimit);
}

}  // namespace
}  // namespace rq
