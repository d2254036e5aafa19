#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QtGlobal>
#include <optional>
#include <string>

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
    ProcessResult result;
    if (!cli.waitForStarted()) return result;
    cli.write(input.data(), static_cast<qint64>(input.size()));
    cli.closeWriteChannel();
    if (!cli.waitForFinished(-1) || cli.exitStatus() != QProcess::NormalExit) return result;
    result.status = cli.exitCode();
    result.out = cli.readAllStandardOutput().toStdString();
    result.err = cli.readAllStandardError().toStdString();
    return result;
}

// An environment variable set for the programs this test starts, and put back afterwards.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        if (qEnvironmentVariableIsSet(name)) old_ = qgetenv(name);
        qputenv(name, QByteArray::fromStdString(value));
    }
    ~ScopedVariable() {
        if (old_) {
            qputenv(name_, *old_);
        } else {
            qunsetenv(name_);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* name_;
    std::optional<QByteArray> old_;
};

// A test with a folder of its own and a firmware file in it that the runner made (Ver 1.3.0).
class WithFirmware : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(runCli("make-firmware " + firmware).status, 0); }

    // An update with that file on the simulated RQ system, on an instant line.
    std::string simulatedUpdate(const std::string& options) const {
        return "update " + firmware + " --simulate --sim-line instant " + options;
    }

    TempDir dir;
    std::string firmware = dir.path("fw.bin");
};

}  // namespace rq::test
