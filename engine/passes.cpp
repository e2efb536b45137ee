// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
#include "passes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "binary_file.h"
#include "console.h"
#include "line_conversion.h"
#include "line_list.h"
#include "locator.h"
#include "native_file.h"
#include "path_search.h"
#include "report_files.h"
#include "text_stream.h"

namespace morvel {

namespace {

enum class LineSource { list, file };

struct Pass {
  const char* name;  // as the error lines name it
  ControlRule rule;
  LineSource source;
};

constexpr Pass kReadingToProduceEUC{"readingToProduceEUC", ControlRule::copy, LineSource::list};
constexpr Pass kReadingToProduceUTF8{"readingToProduceUTF8", ControlRule::copy, LineSource::list};
constexpr Pass kReadingAnotherFileToProduceEUC{"readingAnotherFileToProduceEUC", ControlRule::copy, LineSource::file};
constexpr Pass kSkippingToProduceEUC{"skippingControlCharactersToProduceEUC", ControlRule::skip, LineSource::list};
constexpr Pass kSkippingToProduceSJIS{"skippingControlCharactersToProduceSJIS", ControlRule::skip, LineSource::list};
constexpr Pass kSkippingToProduceUTF8{"skippingControlCharactersToProduceUTF8", ControlRule::skip, LineSource::list};

// The file-driven pass's input, closed at the end of the pass.
struct InputFile {
  InputFile() = default;
  ~InputFile() {
    if (fd >= 0) releaseFile(fd);
  }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  int fd = -1;
};

void reportInputMissing(Reporter& reporter, const std::string& name) {
  reporter.error(joinedParts({"ifstream in() error:", name}));
}

template <TableKind K>
PassResult runPass(const TableContext& context, const Pass& pass, Regulate& job, std::string& outputName) {
  const std::string passError = std::string(pass.name) + "() error:";
  Reporter& reporter = context.reporter;
  if (pass.source == LineSource::file && !openClose(reporter, job.inputName, OpenFor::reading)) {
    return PassResult::inputUnreadable;
  }
  if (const std::string wanted = outputName; !openClose(reporter, outputName, OpenFor::writing)) {
    if (pass.source == LineSource::file) {
      reporter.standardError("openClose() error-2: " + outputName);
    } else {
      reporter.error(joinedParts({"openClose() error-2:", outputName}));
    }
    hintOnTerminal("The working file " + wanted + " must be writable in the current folder.");
    return PassResult::failed;
  }
  InputFile input;
  if (pass.source == LineSource::file) {
    input.fd = openForReading(job.inputName);
    if (input.fd < 0) {
      reportInputMissing(reporter, job.inputName);
      return PassResult::inputUnreadable;
    }
  }
  OutputFile output(outputName);
  if (job.onWritten) output.watch(job.onWritten);
  if (!output.isOpen()) {
    reporter.error(joinedParts({passError, "write error: " + outputName}));
    return PassResult::failed;
  }
  SparseTable<K> table;
  if (!setting(context, table, job.search)) {
    reporter.error(
        joinedParts({passError, std::string(TableTraits<K>::variable) + "->setting(no_searching, &whichTable)"}));
    static_cast<void>(output.close());  // the pass has failed already
    return PassResult::failed;
  }
  bool readFailed = false;
  if (pass.source == LineSource::file) {
    readFailed = !convertTextStream(input.fd, flattenTextTable(table, pass.rule, job.crlf), output);
  } else {
    convertLineList(job.lines, flattenTable(table, pass.rule), job.crlf, output);
  }
  const bool written = output.close();
  // An input cut short by a read error would pass for a shorter file.
  if (readFailed) {
    reporter.error(joinedParts({passError, "read error: " + job.inputName}));
    return PassResult::failed;
  }
  if (!written) {
    reporter.error(joinedParts({passError, "write error: " + outputName}));
    return PassResult::failed;
  }
  return PassResult::done;
}

}  // namespace

bool openClose(Reporter& reporter, std::string& name, OpenFor mode) {
  if (mode == OpenFor::reading) {
    if (canOpenForReading(name)) return true;
    reportInputMissing(reporter, name);
    return false;
  }
  std::FILE* file = openStream(name, "wb");
  if (file == nullptr) {
    name = kFallbackOutput;
    return false;
  }
  std::fclose(file);
  return true;
}

PassResult readingToProduceEUC(const TableContext& context, Regulate& job, std::string& outputName) {
  return runPass<TableKind::euc>(context, kReadingToProduceEUC, job, outputName);
}

PassResult readingToProduceUTF8(const TableContext& context, Regulate& job, std::string& outputName) {
  return runPass<TableKind::utf8>(context, kReadingToProduceUTF8, job, outputName);
}

PassResult readingAnotherFileToProduceEUC(const TableContext& context, Regulate& job, std::string& outputName) {
  return runPass<TableKind::euc>(context, kReadingAnotherFileToProduceEUC, job, outputName);
}

PassResult skippingControlCharactersToProduceEUC(const TableContext& context, Regulate& job, std::string& outputName) {
  return runPass<TableKind::euc>(context, kSkippingToProduceEUC, job, outputName);
}

PassResult skippingControlCharactersToProduceSJIS(const TableContext& context, Regulate& job, std::string& outputName) {
  return runPass<TableKind::sjis>(context, kSkippingToProduceSJIS, job, outputName);
}

PassResult skippingControlCharactersToProduceUTF8(const TableContext& context, Regulate& job, std::string& outputName) {
  return runPass<TableKind::utf8>(context, kSkippingToProduceUTF8, job, outputName);
}

}  // namespace morvel
