#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/Options.h"
#include "core/params/StoreListing.h"

namespace rq::cli {

// rqfwup-cli params: reads the device's parameters and prints them on `out`, all or nothing; a failure
// goes to `err`. Returns the exit status: 0, the error code, or 2 for an unknown simulated fault.
int runParams(const ParamsOptions& options, std::ostream& out, std::ostream& err);

// The listing as one JSON object keyed by the groups' names, and as a table for a person.
std::string listingJson(const std::vector<ListedGroup>& groups);
std::string listingTable(const std::vector<ListedGroup>& groups);

}  // namespace rq::cli
