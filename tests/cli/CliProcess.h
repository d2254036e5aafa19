#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QtGlobal>
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "core/TempDir.h"

namespace rq::test {

struct ProcessResult {
    int status = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

// `args` split as a shell would, quotes kept together.
inline QStringList cliArguments(const std::string& args) {
    return QProcess::splitCommand(QString::fromStdString(args));
}

// Runs the rqfwup-cli of this build with `args`; standard input holds `input` and then ends.
inline ProcessResult runCli(const std::string& args, const std::string& input = "") {
    QProcess cli;
    cli.start(QString::fromUtf8(RQ_CLI_PATH), cliArguments(args));
    if (!cli.waitForStarted()) return {};
    cli.write(input.data(), static_cast<qint64>(input.size()));
    cli.closeWriteChannel();
    if (!cli.waitForFinished(-1) || cli.exitStatus() != QProcess::NormalExit) return {};
    return {cli.exitCode(), cli.readAllStandardOutput().toStdString(),
            cli.readAllStandardError().toStdString()};
}

// How many of `lines` hold `part`.
inline long linesWith(const std::vector<std::string>& lines, std::string_view part) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& line) { return line.find(part) != std::string::npos; });
}

// The folder the programs this test starts keep their identity backups in, until the test ends. Every
// test program sets the variable (support/OwnBackupFolder.cpp), so the old value is the one to put back.
class BackupFolder {
  public:
    explicit BackupFolder(const std::string& path) : old_(qgetenv(kName)) {
        qputenv(kName, QByteArray::fromStdString(path));
    }
    ~BackupFolder() { qputenv(kName, old_); }
    BackupFolder(const BackupFolder&) = delete;
    BackupFolder& operator=(const BackupFolder&) = delete;

  private:
    static constexpr const char* kName = "RQFWUP_BACKUP_DIR";
    QByteArray old_;
};

// A test with a folder of its own, a firmware file in it that the runner made (Ver 1.3.0), and the identity
// backups of its runs in it.
class WithFirmware : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(runCli("make-firmware " + firmware).status, 0); }

    // An update with that file on the simulated RQ system, on an instant line.
    std::string simulatedUpdate(const std::string& options) const {
        return "update " + firmware + " --simulate --sim-line instant " + options;
    }

    TempDir dir;
    std::string firmware = dir.path("fw.bin");
    std::string backups = dir.path("backups");
    BackupFolder folder{backups};
};

}  // namespace rq::test
