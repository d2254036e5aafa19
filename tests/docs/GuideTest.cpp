#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "core/wizard/ErrorMessages.h"
#include "core/wizard/Hints.h"
#include "gui/ScenePlayer.h"

namespace rq::test {
namespace {

const std::filesystem::path kSource = RQ_SOURCE_DIR;

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
}

const std::string kGuide = readText(kSource / "docs/guide.md");

// Each message box's code, title and first line, exactly, as a row of the troubleshooting table.
TEST(Guide, TheTroubleshootingTableHasEveryErrorCode) {
    for (int code = 0; code < 256; ++code) {
        const auto message = errorMessage(static_cast<std::uint8_t>(code));
        if (!message) continue;
        const std::string row = "\n| " + std::to_string(code) + " | " + message->title + " | " +
                                message->text.substr(0, message->text.find("\r\n")) + " |";
        EXPECT_NE(kGuide.find(row), std::string::npos) << "no row" << row;
    }
}

std::string cell(int step) {
    return step == 0 ? "any" : std::to_string(step);
}

std::string cell(const std::optional<FlashStage>& stage) {
    if (!stage) return "any";
    return *stage == FlashStage::None ? "before connect" : std::string(stageName(*stage));
}

std::string cell(const std::optional<Reply>& reply) {
    if (!reply) return "any";
    static constexpr const char* kWords[] = {"nothing", "bytes, no whole answer", "frames",
                                             "another identity"};
    return kWords[static_cast<int>(*reply)];
}

// The hint table row for row, in its order, and nothing else under its heading.
TEST(Guide, TheTroubleshootingHintsAreTheToolsOwn) {
    const auto section = kGuide.find("\n### What the tool says\n");
    ASSERT_NE(section, std::string::npos);
    const std::string table = kGuide.substr(section, kGuide.find("\n#", section + 1) - section);
    std::size_t at = 0;
    for (const HintRow& row : hintTable()) {
        const std::string line = "\n| " + std::to_string(row.code) + " | " + cell(row.step) + " | " +
                                 cell(row.stage) + " | " + cell(row.reply) + " | " + row.text + " |";
        const auto found = table.find(line, at);
        EXPECT_NE(found, std::string::npos) << "no row, or not in the table's order:" << line;
        if (found != std::string::npos) at = found + line.size();
    }
    const std::regex anyRow(R"(\n\| [0-9]+ \|)");
    EXPECT_EQ(std::distance(std::sregex_iterator(table.begin(), table.end(), anyRow), std::sregex_iterator()),
              static_cast<long>(hintTable().size()))
        << "rows the tool does not have";
}

// A picture of every scene in the guide, and a file for every picture the guide and the README show.
TEST(Guide, ShowsAPictureOfEverySceneAndEachPictureExists) {
    for (const gui::SceneInfo& scene : gui::sceneCatalogue()) {
        const std::string picture = "images/" + std::string(scene.name) + ".png";
        EXPECT_NE(kGuide.find("](" + picture + ")"), std::string::npos) << picture;
    }
    const std::pair<std::string, const char*> pages[] = {{kGuide, "docs"},
                                                         {readText(kSource / "README.md"), "."}};
    const std::regex picture(R"(!\[[^\]]*\]\(([^)]+)\))");
    for (const auto& [text, base] : pages) {
        int found = 0;
        for (std::sregex_iterator it(text.begin(), text.end(), picture), end; it != end; ++it, ++found)
            EXPECT_TRUE(std::filesystem::is_regular_file(kSource / base / (*it)[1].str()))
                << base << ": " << (*it)[1];
        EXPECT_GT(found, 0) << base;
    }
}

}  // namespace
}  // namespace rq::test
