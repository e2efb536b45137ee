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
// its comment; every line ends in LF. The version is text, as version.h
// carries it, so a version such as 1.10 keeps its last zero.
std::string usageText(std::string_view heading, std::string_view version, std::span<const UsageLine> lines,
                      bool commented);

}  // namespace morvel
