#include <QCoreApplication>
#include <iostream>

#include "cli/Runner.h"
#include "platform/Terminal.h"

int main(int argc, char** argv) {
    rq::prepareConsole();
    // The serial port layer wants an application object; no event loop runs.
    QCoreApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    return rq::cli::run(args, std::cout, std::cerr, std::cin);
}
