#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace rq::cli {

// The whole program: returns its exit status.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, std::istream& in);

std::string usageText();

}  // namespace rq::cli
