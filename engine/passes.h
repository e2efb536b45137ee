// Conversion passes: Shift_JIS lines, from a job's line list or from a text
// file, converted through a table into an output file (every caller names
// "binary.tmp"). Each line goes through the line conversion of
// line_conversion.h and is written whole, zero bytes included, followed by
// the line end; a lead byte before a byte that cannot trail is dropped.
// A pass that fails has reported why; a write error on the output, and for
// the file-driven pass a read error on its input, fail it. The output name
// may be replaced by the fallback "Morvel.txt" when it cannot be created.
// The output name is each pass's own in-out parameter, by design, though
// every caller passes "binary.tmp": the caller learns from it where the
// result went.
#pragma once

#include <string>

#include "engine_texts.h"
#include "profile.h"
#include "regulate.h"

namespace morvel {

// The result enums share their words: done (it worked), failed (it did not,
// and was reported), and words of their own only for other outcomes.
enum class [[nodiscard]] PassResult{
    done,             // every line converted into the output
    failed,           // nothing usable in the output
    inputUnreadable,  // the file-driven pass's input cannot be opened: the run ends with exit code 1
};

enum class OpenFor { reading, writing };

// Access check. For writing: creates or empties the file; when that fails the
// name becomes "Morvel.txt" and the result is false. For reading: when the
// file cannot be opened, "ifstream in() error:" and the name are reported and
// the result is false.
[[nodiscard]] bool openClose(Reporter& reporter, std::string& name, OpenFor mode);

PassResult readingToProduceEUC(const TableContext& context, Regulate& job, std::string& outputName);
PassResult readingToProduceUTF8(const TableContext& context, Regulate& job, std::string& outputName);
PassResult readingAnotherFileToProduceEUC(const TableContext& context, Regulate& job, std::string& outputName);

// As the list-driven passes, but single-byte control characters are dropped.
PassResult skippingControlCharactersToProduceEUC(const TableContext& context, Regulate& job, std::string& outputName);
PassResult skippingControlCharactersToProduceSJIS(const TableContext& context, Regulate& job, std::string& outputName);
PassResult skippingControlCharactersToProduceUTF8(const TableContext& context, Regulate& job, std::string& outputName);

}  // namespace morvel
