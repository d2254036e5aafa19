#include <gtest/gtest.h>

#include <QStandardPaths>
#include <QtGlobal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/TempDir.h"
#include "platform/BackupPlace.h"

namespace rq {
namespace {

void setVariable(const char* name, const char* value) {
    if (value != nullptr) {
        qputenv(name, value);
    } else {
        qunsetenv(name);
    }
}

TEST(BackupPlaceTest, TheFolderIsTheVariablesOrInTheUsersDataFolder) {
    struct Case {
        const char* variable;  // RQFWUP_BACKUP_DIR
        bool simulated;
        const char* folder;
    };
    // The user's data folder as the system names it (on Linux XDG_DATA_HOME, set below).
    setVariable("XDG_DATA_HOME", "/home/tester/.data");
    const std::string data =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString() + "/rqfwup";
    const std::string simulated = data + "/simulated";
    const Case cases[] = {
        {"/srv/rq/backups/", false, "/srv/rq/backups"},
        {"/srv/rq/backups", true, "/srv/rq/backups/simulated"},
        {nullptr, false, data.c_str()},
        {nullptr, true, simulated.c_str()},
    };
    const QByteArray saved = qgetenv("RQFWUP_BACKUP_DIR");
    for (const Case& c : cases) {
        setVariable("RQFWUP_BACKUP_DIR", c.variable);
        EXPECT_EQ(std::filesystem::path(backupDirectory(c.simulated)), std::filesystem::path(c.folder));
    }
    setVariable("RQFWUP_BACKUP_DIR", saved.isEmpty() ? nullptr : saved.constData());
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
