#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

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

}  // namespace rq::test
