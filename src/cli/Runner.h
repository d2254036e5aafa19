#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace rq::cli {

// The whole program: returns its exit status.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, std::istream& in);

std::string usageText();

// What an exit status means, in one line; empty for one the program does not give.
std::string exitStatusMeaning(int status);

}  // namespace rq::cli
