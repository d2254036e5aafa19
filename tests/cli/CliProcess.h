#pragma once

#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace rq::test {

struct ProcessResult {
    int status = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs the rqfwup-cli of this build with `args`, standard input closed.
inline ProcessResult runCli(const std::string& args) {
    const std::string errFile =
        std::filesystem::temp_directory_path() / ("rqfwup-cli-err-" + std::to_string(::getpid()));
    const std::string command = std::string(RQ_CLI_PATH) + " " + args + " </dev/null 2>" + errFile;
    ProcessResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (FILE* err = std::fopen(errFile.c_str(), "r")) {
        while ((got = fread(buffer, 1, sizeof buffer, err)) > 0) result.err.append(buffer, got);
        std::fclose(err);
    }
    std::remove(errFile.c_str());
    return result;
}

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

}  // namespace rq::test
