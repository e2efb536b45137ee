// Copies between a file and the working file "binary.tmp". Conversions write
// "binary.tmp"; these copies move the result to where it belongs, byte for
// byte.
#pragma once

#include <string>

namespace morvel {

inline constexpr const char* kWorkFile = "binary.tmp";

// Copies `source` into "binary.tmp" and, unless `keepSource`, deletes the
// source once the copy is complete. 0 on success, -2 when the source cannot
// be opened or the copy fails (the source then stays). When "binary.tmp"
// cannot be created, "fopen() error-1: binary.tmp" goes to standard error
// and the program ends with exit code 1.
int MoveToWorkFile(const std::string& source, bool keepSource);

// Copies "binary.tmp" over `target`, or over "Morvel.txt" when the target
// cannot be created, and deletes "binary.tmp" unless `keepBinary`. 0 on
// success; -2, with the target untouched, when "binary.tmp" cannot be
// opened or no destination can be created; -2, keeping "binary.tmp", when a
// write fails.
int CopyBackFromWorkFile(const std::string& target, bool keepBinary);

}  // namespace morvel
