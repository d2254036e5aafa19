#pragma once

#include <QProcess>
#include <QtGlobal>
#include <optional>
#include <string>

namespace rq::test {

struct ProcessResult {
    int status = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs the rqfwup-cli of this build with `args` (split as a shell would, quotes kept together);
// standard input holds `input` and then ends.
inline ProcessResult runCli(const std::string& args, const std::string& input = "") {
    QProcess cli;
    cli.start(QString::fromUtf8(RQ_CLI_PATH), QProcess::splitCommand(QString::fromStdString(args)));
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

}  // namespace rq::test
