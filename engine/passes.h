// Conversion passes: Shift_JIS lines, from a job's line list or from a text
// file, converted through a table into an output file (every caller names
// "binary.tmp"). Each returns 0 on success and the job's failureResult (1)
// on failure, after writing its error line. The output name may be replaced
// by the fallback "Morvel.txt" when it cannot be created.
#pragma once

#include <cstdint>
#include <string>

#include "regulate.h"

namespace morvel {

inline constexpr const char* kFallbackOutput = "Morvel.txt";

enum class OpenFor { reading, writing };

// Access check. For writing: creates or empties the file; when that fails the
// name becomes "Morvel.txt" and the result is false. For reading: when the
// file cannot be opened, "ifstream in() error:" and the name go to
// "error.txt" and the program ends with exit status 1.
bool openClose(std::string& name, OpenFor mode);

std::int32_t readingToProduceEUC(Regulate& job, std::string& outputName);
std::int32_t readingToProduceUTF8(Regulate& job, std::string& outputName);
std::int32_t readingAnotherFileToProduceEUC(Regulate& job, std::string& outputName);

// As the list-driven passes, but single-byte control characters are dropped.
std::int32_t skippingControlCharactersToProduceEUC(Regulate& job, std::string& outputName);
std::int32_t skippingControlCharactersToProduceSJIS(Regulate& job, std::string& outputName);
std::int32_t skippingControlCharactersToProduceUTF8(Regulate& job, std::string& outputName);

}  // namespace morvel
