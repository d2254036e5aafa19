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

// The variable's folder, tidied; without it, a folder of its own in the user's data folder. A simulated
// system's backups are kept apart.
TEST(BackupPlaceTest, TheFolderIsTheVariablesOrInTheUsersDataFolder) {
    using std::filesystem::path;
    const QByteArray saved = qgetenv("RQFWUP_BACKUP_DIR");
    qputenv("RQFWUP_BACKUP_DIR", "/srv/rq/backups/");
    EXPECT_EQ(path(backupDirectory(true)), path("/srv/rq/backups/simulated"));
    qunsetenv("RQFWUP_BACKUP_DIR");
    EXPECT_EQ(path(backupDirectory(false)),
              path(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString() +
                   "/rqfwup"));
    qputenv("RQFWUP_BACKUP_DIR", saved);
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
