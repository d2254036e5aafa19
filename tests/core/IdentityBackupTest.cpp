#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TempDir.h"
#include "core/backup/BackupStore.h"
#include "core/log/JsonReader.h"
#include "support/PlainFileWriter.h"

namespace rq {
namespace {

SavedIdentity identity(const std::string& model, const std::string& serial, const std::string& time) {
    return {model, serial, 0x04, 0x06, {12, 0}, time, "COM3", "/dev/ttyUSB0", std::nullopt};
}

class IdentityBackupTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    test::PlainFileWriter writer;
    BackupStore store{dir.path("backups"), writer};

    std::string save(const SavedIdentity& saved) {
        std::string error;
        const auto path = store.save(saved, error);
        EXPECT_TRUE(path.has_value()) << error;
        return path.value_or("");
    }
};

// Byte n of a field is character n, whatever it is; the file keeps each exactly.
TEST_F(IdentityBackupTest, EveryByteOfTheCharacterFieldsComesBackFromTheFile) {
    for (int first = 0; first < 256; first += 14) {
        std::string bytes;
        for (int n = first; n < first + 14; ++n) bytes += static_cast<char>(n % 256);
        SavedIdentity saved = identity(bytes.substr(0, 8), bytes.substr(8), "2026-12-07T02:15:58.123Z");
        saved.param04 = static_cast<std::uint8_t>(first);
        saved.param06 = static_cast<std::uint8_t>(255 - first);
        saved.version = {static_cast<std::uint8_t>(first), 0xFF};
        saved.restored =
            first % 28 == 0 ? std::optional<std::string>("2026-12-07T02:19:00.000Z") : std::nullopt;
        const BackupRead read = readBackupFile(save(saved));
        ASSERT_TRUE(read.identity.has_value()) << first << ": " << read.refusal;
        EXPECT_EQ(*read.identity, saved) << first;
    }
}

TEST_F(IdentityBackupTest, AnythingButAWholeBackupIsRefusedWithItsReason) {
    const std::string good = backupFileText(identity("RQA-4021", "12345 ", "2026-12-07T02:15:58.123Z"));
    const auto replaced = [&good](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const std::pair<std::string, std::string> cases[] = {
        {"", "damaged: not a JSON object"},
        {good.substr(0, good.size() / 2), "damaged: not a JSON object"},
        {"[1,2]", "damaged: not a JSON object"},
        {std::string(100000, '['), "damaged: not a JSON object"},
        {R"({"format":"someone else's","formatVersion":1})", "not a backup of rqfwup"},
        {replaced("\"formatVersion\": 1", "\"formatVersion\": 2"),
         "a backup of another rqfwup version's format"},
        {replaced("[82,81,65,45,52,48,50,49]", "[82,81,65,45,52,48,50]"),
         "damaged: \"modelBytes\" is not a list of 8 bytes"},
        {replaced("[49,50,51,52,53,32]", "[49,50,51,52,53,256]"),
         "damaged: \"serialBytes\" is not a list of 6 bytes"},
        {replaced("\"model\": \"RQA-4021\"", "\"model\": \"RQA-4020\""),
         "damaged: \"model\" does not match modelBytes"},
        {replaced("\"param04\": 4", "\"param04\": 4.5"), "damaged: \"param04\" is not a byte"},
        {replaced("2026-12-07T02:15:58.123Z", "2026-02-30T02:15:58.123Z"), "damaged: \"time\" is not a time"},
        {replaced("2026-12-07T02:15:58.123Z", "9026-12-07T02:15:58.123Z"), "damaged: \"time\" is not a time"},
        {replaced("\"restored\": null", "\"restored\": \"yesterday\""),
         "damaged: \"restored\" is not a time"},
        {replaced("\"port\": \"COM3\"", "\"port\": \"COM3\", \"port\": \"COM4\""),
         "damaged: not a JSON object"},
    };
    for (const auto& [text, reason] : cases) {
        const BackupRead read = readBackupText(text);
        EXPECT_FALSE(read.identity.has_value()) << text.substr(0, 200);
        EXPECT_EQ(read.refusal, reason) << text.substr(0, 200);
    }
    const std::string large = dir.file("large.json", std::vector<std::uint8_t>(kMaxBackupFileSize + 1, ' '));
    EXPECT_EQ(readBackupFile(large).refusal, "not a backup of rqfwup: too large");
    EXPECT_TRUE(readBackupText(good).identity.has_value()) << readBackupText(good).refusal;
}

TEST_F(IdentityBackupTest, TheNewestUnrestoredComesFirstAndARestoredOneIsNotOfferedAgain) {
    const std::string older = save(identity("RQA-4021", "11111 ", "2026-12-07T02:15:58.123Z"));
    const std::string newer = save(identity("RQA-4021", "22222 ", "2026-12-08T09:00:00.000Z"));
    const std::string sameTime = save(identity("RQA-4020", "33333 ", "2026-12-08T09:00:00.000Z"));
    dir.file("backups/notes.json", {'{', '}'});
    const std::vector<BackupFile> listed = store.list();
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_EQ(listed[0].path, sameTime) << "saved later within the same millisecond";
    EXPECT_EQ(listed[1].path, newer);
    EXPECT_EQ(listed[2].path, older);
    EXPECT_EQ(listed[3].read.refusal, "not a backup of rqfwup") << "refused files come last";

    std::string error;
    ASSERT_TRUE(store.markRestored(sameTime, "2026-12-08T09:05:00.000Z", error)) << error;
    ASSERT_TRUE(store.markRestored(newer, "2026-12-08T09:06:00.000Z", error)) << error;
    ASSERT_TRUE(store.newestUnrestored().has_value());
    EXPECT_EQ(store.newestUnrestored()->path, older);
    EXPECT_EQ(store.unrestored().size(), 1u);
    EXPECT_EQ(readBackupFile(newer).identity->restored, "2026-12-08T09:06:00.000Z");

    EXPECT_FALSE(store.markRestored(listed[3].path, "2026-12-08T09:07:00.000Z", error));
    EXPECT_NE(error.find("not a backup of rqfwup"), std::string::npos) << error;
}

TEST(JsonReaderTest, ValuesAndTheirEscapes) {
    const auto json = parseJson(R"( {"a": [1, -2.5e1, true, null], "b": "\u00e9\ud83d\ude00\t", "c": {}} )");
    ASSERT_TRUE(json.has_value());
    EXPECT_EQ(json->member("a")->items.size(), 4u);
    EXPECT_EQ(json->member("a")->items[1].number, -25);
    EXPECT_EQ(json->member("b")->text, "\xC3\xA9\xF0\x9F\x98\x80\t");
    EXPECT_EQ(json->member("c")->kind, JsonValue::Kind::Object);
    for (const char* wrong : {"01", "1.", "-", "\"\\ud83d\"", "\"a\nb\"", "{\"a\" 1}", "[1,]", "tru", "1 2"})
        EXPECT_FALSE(parseJson(wrong).has_value()) << wrong;
}

}  // namespace
}  // namespace rq
