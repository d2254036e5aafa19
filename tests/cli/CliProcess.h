#pragma once

#include <QProcess>
#include <string>

namespace rq::test {

struct ProcessResult {
    int status = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs the rqfwup-cli of this build with `args` (split as a shell would, quotes kept together),
// standard input closed.
inline ProcessResult runCli(const std::string& args) {
    QProcess cli;
    cli.setStandardInputFile(QProcess::nullDevice());
    cli.start(QString::fromUtf8(RQ_CLI_PATH), QProcess::splitCommand(QString::fromStdString(args)));
    ProcessResult result;
    if (!cli.waitForFinished(-1) || cli.exitStatus() != QProcess::NormalExit) return result;
    result.status = cli.exitCode();
    result.out = cli.readAllStandardOutput().toStdString();
    result.err = cli.readAllStandardError().toStdString();
    return result;
}

}  // namespace rq::test
