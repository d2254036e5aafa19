#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/Subcommand.h"
#include "core/link/Link.h"
#include "core/params/StoreListing.h"

namespace rq::cli {

// rqfwup-cli params: reads the device's parameters and prints them on standard output, all or nothing;
// a failure goes to standard error. Returns the exit status: 0, the error code, or 2 for a wrong
// command line.
int runParams(const std::vector<std::string>& args, const Io& io);
extern const char* const kParamsSynopsis;
std::string paramsHelp();

// The listing as one JSON object keyed by the groups' names, and as a table for a person; both end with
// the requests whose answers were not stored.
std::string listingJson(const std::vector<ListedGroup>& groups, const std::vector<UnstoredAnswer>& unstored);
std::string listingTable(const std::vector<ListedGroup>& groups, const std::vector<UnstoredAnswer>& unstored);

}  // namespace rq::cli
