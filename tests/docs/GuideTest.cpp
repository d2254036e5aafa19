#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "core/wizard/ErrorMessages.h"
#include "gui/ScenePlayer.h"

namespace rq::test {
namespace {

const std::filesystem::path kSource = RQ_SOURCE_DIR;

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string firstLine(const std::string& text) {
    return text.substr(0, text.find("\r\n"));
}

// Each message box's code, title and first line, exactly, as a row of the troubleshooting table.
TEST(Guide, TheTroubleshootingTableHasEveryErrorCode) {
    const std::string guide = readText(kSource / "docs/guide.md");
    int codes = 0;
    for (int code = 0; code < 256; ++code) {
        const auto message = errorMessage(static_cast<std::uint8_t>(code));
        if (!message) continue;
        ++codes;
        const std::string row =
            "\n| " + std::to_string(code) + " | " + message->title + " | " + firstLine(message->text) + " | ";
        EXPECT_NE(guide.find(row), std::string::npos) << "no row" << row;
    }
    EXPECT_EQ(codes, 16);
}

TEST(Guide, ShowsAPictureOfEveryScene) {
    const std::string guide = readText(kSource / "docs/guide.md");
    for (const gui::SceneInfo& scene : gui::sceneCatalogue()) {
        const std::string picture = "images/" + std::string(scene.name) + ".png";
        EXPECT_NE(guide.find("](" + picture + ")"), std::string::npos) << picture;
    }
}

TEST(Guide, EveryPictureShownExists) {
    const std::pair<const char*, const char*> pages[] = {{"docs/guide.md", "docs"}, {"README.md", "."}};
    const std::regex picture(R"(!\[[^\]]*\]\(([^)]+)\))");
    for (const auto& [page, base] : pages) {
        const std::string text = readText(kSource / page);
        int found = 0;
        for (std::sregex_iterator it(text.begin(), text.end(), picture), end; it != end; ++it, ++found)
            EXPECT_TRUE(std::filesystem::is_regular_file(kSource / base / (*it)[1].str()))
                << page << ": " << (*it)[1];
        EXPECT_GT(found, 0) << page;
    }
}

}  // namespace
}  // namespace rq::test
