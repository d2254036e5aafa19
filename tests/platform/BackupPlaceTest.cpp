#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/TempDir.h"
#include "platform/BackupPlace.h"

namespace rq {
namespace {

void setVariable(const char* name, const char* value) {
    if (value != nullptr) {
        ::setenv(name, value, 1);
    } else {
        ::unsetenv(name);
    }
}

TEST(BackupPlaceTest, TheFolderIsTheVariablesOrInTheUsersDataFolder) {
    struct Case {
        const char* variable;  // RQFWUP_BACKUP_DIR
        bool simulated;
        const char* folder;
    };
    const Case cases[] = {
        {"/srv/rq/backups/", false, "/srv/rq/backups"},
        {"/srv/rq/backups", true, "/srv/rq/backups/simulated"},
        {nullptr, false, "/home/tester/.data/rqfwup"},
        {nullptr, true, "/home/tester/.data/rqfwup/simulated"},
    };
    const std::string saved = std::getenv("RQFWUP_BACKUP_DIR") ? std::getenv("RQFWUP_BACKUP_DIR") : "";
    setVariable("XDG_DATA_HOME", "/home/tester/.data");
    for (const Case& c : cases) {
        setVariable("RQFWUP_BACKUP_DIR", c.variable);
        EXPECT_EQ(backupDirectory(c.simulated), c.folder);
    }
    setVariable("RQFWUP_BACKUP_DIR", saved.empty() ? nullptr : saved.c_str());
}

TEST(BackupPlaceTest, TheWriterReplacesTheWholeFileOrSaysWhyNot) {
    test::TempDir dir;
    SaveFileWriter writer;
    std::string error;
    const std::string path = dir.file("backup.json", {'o', 'l', 'd'});
    ASSERT_TRUE(writer.writeWhole(path, "new", error)) << error;
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    EXPECT_EQ(text.str(), "new");
    EXPECT_FALSE(writer.writeWhole(dir.path("no-such-folder/backup.json"), "new", error));
    EXPECT_NE(error.find("cannot write " + dir.path("no-such-folder/backup.json") + ": "), std::string::npos);
}

}  // namespace
}  // namespace rq
