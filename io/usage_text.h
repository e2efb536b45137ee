// The version and usage text that both programs print for "-V" and "-VC".
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace morvel {

struct UsageLine {
  const char* usage;  // padded to the column where the comment starts
  const char* comment;
};

// "<heading><version>", an empty line, then each usage line with or without
// its comment; every line ends in LF. The version is written with at most six
// significant digits (1.08 stays 1.08).
std::string usageText(std::string_view heading, double version, std::span<const UsageLine> lines, bool commented);

}  // namespace morvel
