#pragma once

// The runner on a terminal and beside a test: POSIX only, for the tests of files ending in _posix.

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <vector>

#include "CliProcess.h"

namespace rq::test {

// Runs the rqfwup-cli of this build on a terminal `columns` wide, in raw mode so that its output
// arrives as written. Standard error goes to the terminal too.
inline ProcessResult runCliOnTerminal(const std::vector<std::string>& args, unsigned short columns) {
    std::vector<char*> argv{const_cast<char*>(RQ_CLI_PATH)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    termios raw{};
    cfmakeraw(&raw);
    winsize size{};
    size.ws_row = 50;
    size.ws_col = columns;
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
    explicit BackgroundCli(const std::vector<std::string>& args) {
        std::vector<char*> argv{const_cast<char*>(RQ_CLI_PATH)};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        int toChild[2];
        int fromChild[2];
        if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0) return;
        child_ = fork();
        if (child_ == 0) {
            ::dup2(toChild[0], STDIN_FILENO);
            ::dup2(fromChild[1], STDOUT_FILENO);
            for (const int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) ::close(fd);
            execv(argv[0], argv.data());
            _exit(127);
        }
        ::close(toChild[0]);
        ::close(fromChild[1]);
        input_ = toChild[1];
        output_ = fromChild[0];
    }
    ~BackgroundCli() { finish(); }
    BackgroundCli(const BackgroundCli&) = delete;
    BackgroundCli& operator=(const BackgroundCli&) = delete;

    // One line of its output without the line break; what there is at end of output or after `millis`.
    std::string readLine(int millis = 10'000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(millis);
        std::size_t end;
        while ((end = buffered_.find('\n')) == std::string::npos && output_ >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd fd{output_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&fd, 1, static_cast<int>(left.count())) <= 0) break;
            char chunk[1024];
            const auto got = ::read(output_, chunk, sizeof chunk);
            if (got <= 0) break;
            buffered_.append(chunk, static_cast<std::size_t>(got));
        }
        end = std::min(buffered_.find('\n'), buffered_.size());
        std::string line = buffered_.substr(0, end);
        buffered_.erase(0, std::min(end + 1, buffered_.size()));
        return line;
    }
    void signal(int number) {
        if (child_ > 0) ::kill(child_, number);
    }
    void closeInput() {
        if (input_ >= 0) ::close(input_);
        input_ = -1;
    }
    void send(const std::string& text) {
        if (input_ >= 0 && ::write(input_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
            ADD_FAILURE() << "cannot write to rqfwup-cli";
        }
    }
    // Ends its input and waits for it: its exit status.
    int finish() {
        closeInput();
        if (child_ > 0) {
            ::waitpid(child_, &status_, 0);
            child_ = -1;
        }
        if (output_ >= 0) ::close(output_);
        output_ = -1;
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }

  private:
    pid_t child_ = -1;
    int input_ = -1;
    int output_ = -1;
    int status_ = -1;
    std::string buffered_;
};

}  // namespace rq::test
