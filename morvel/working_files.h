// Copies between a file and the working file "binary.tmp". Conversions write
// "binary.tmp"; these copies move the result to where it belongs, byte for
// byte.
#pragma once

#include <string>

namespace morvel {

inline constexpr const char* kWorkFile = "binary.tmp";

enum class WorkCopy {
  copied,
  failed,              // the source cannot be opened or the copy failed; the source stays
  workFileUnwritable,  // "binary.tmp" cannot be created: the run ends with exit code 1
};

// Copies `source` into "binary.tmp" and, unless `keepSource`, deletes the
// source once the copy is complete. When "binary.tmp" cannot be created,
// "fopen() error-1: binary.tmp" goes to standard error.
WorkCopy MoveToWorkFile(const std::string& source, bool keepSource);

// Copies "binary.tmp" over `target`, or over "Morvel.txt" when the target
// cannot be created, and deletes "binary.tmp" unless `keepBinary`. False,
// with the target untouched, when "binary.tmp" cannot be opened or no
// destination can be created; false, keeping "binary.tmp", when a write fails.
bool CopyBackFromWorkFile(const std::string& target, bool keepBinary);

}  // namespace morvel
