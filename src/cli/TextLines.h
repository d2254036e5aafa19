#pragma once

#include <string>
#include <utility>

namespace rq::cli {

// Lines for a terminal or a file: LF only.
std::string withoutCarriageReturns(std::string text);

// The lines above the last one, and the last one, of a text whose lines end in LF or CR LF.
std::pair<std::string, std::string> splitLastLine(const std::string& text);

// The last line of such a text.
std::string lastLine(const std::string& text);

// A JSON line of one device among several: "port" follows the time, or opens the object.
std::string taggedWithPort(const std::string& jsonLine, const std::string& port);

}  // namespace rq::cli
