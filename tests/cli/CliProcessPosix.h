#pragma once

// The runner on a terminal and beside a test: POSIX only, for the tests of files ending in _posix.

#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <csignal>
#include <string>
#include <vector>

#include "CliProcess.h"

namespace rq::test {

// Runs the rqfwup-cli of this build on a terminal `columns` wide, in raw mode so that its output
// arrives as written. Standard error goes to the terminal too.
inline ProcessResult runCliOnTerminal(const std::string& args, unsigned short columns) {
    std::vector<std::string> words{RQ_CLI_PATH};
    for (const QString& arg : cliArguments(args)) words.push_back(arg.toStdString());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    termios raw{};
    cfmakeraw(&raw);
    const winsize size{50, columns, 0, 0};  // rows, columns, and no pixel size
    int terminal = -1;
    ProcessResult result;
    const pid_t child = forkpty(&terminal, nullptr, &raw, &size);
    if (child < 0) return result;
    if (child == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    char buffer[4096];
    ssize_t got = 0;
    // Ends with an error once the program has closed the terminal.
    while ((got = ::read(terminal, buffer, sizeof buffer)) > 0)
        result.out.append(buffer, static_cast<std::size_t>(got));
    ::close(terminal);
    int status = 0;
    waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// rqfwup-cli running beside the test, its standard input and output on pipes, standard error kept.
class BackgroundCli {
  public:
    explicit BackgroundCli(const std::string& args) {
        cli_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        cli_.start(QString::fromUtf8(RQ_CLI_PATH), cliArguments(args));
        cli_.waitForStarted();
    }
    ~BackgroundCli() { finish(); }

    // One line of its output without the line break; what there is at end of output or after `millis`.
    std::string readLine(int millis = 10'000) {
        const QDeadlineTimer deadline(millis);
        while (!cli_.canReadLine() && cli_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
        }
        std::string line = cli_.readLine().toStdString();
        if (line.ends_with('\n')) line.pop_back();
        return line;
    }
    void signal(int number) { ::kill(static_cast<pid_t>(cli_.processId()), number); }
    void send(const std::string& text) {
        cli_.write(text.data(), static_cast<qint64>(text.size()));
        cli_.waitForBytesWritten();
    }
    // Ends its input and waits for it: its exit status.
    int finish() {
        cli_.closeWriteChannel();
        cli_.waitForFinished(-1);
        return cli_.exitStatus() == QProcess::NormalExit ? cli_.exitCode() : -1;
    }

  private:
    QProcess cli_;
};

}  // namespace rq::test
