#include "passes.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "binary_file.h"
#include "console.h"
#include "dividing.h"
#include "line_conversion.h"
#include "locator.h"
#include "report_files.h"
#include "text_file.h"

namespace morvel {

namespace {

constexpr std::size_t kPieceLimit = kWorkBufferSize - 1;  // the most bytes a file piece holds
constexpr std::size_t kOutputBlock = 1 << 18;
// Long lines are converted this many bytes at a time; the state carries
// across, so the cut does not show in the output.
constexpr std::size_t kChunk = 1 << 16;
static_assert(kOutputBlock >= convertedRoom(kChunk) + 2);

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

// The converted text on its way to the output file, in large writes. Any
// failed write, flush or close is remembered so that a truncated result is
// never reported as a success.
class Output {
 public:
  explicit Output(const std::string& name)
      : fd_(::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)), buffer_(kOutputBlock) {}
  ~Output() {
    if (fd_ >= 0) ::close(fd_);
  }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  bool isOpen() const { return fd_ >= 0; }

  // Room for `n` more bytes (n <= kOutputBlock); keep() says how many were used.
  char* room(std::size_t n) {
    if (buffer_.size() - used_ < n) flush();
    return buffer_.data() + used_;
  }
  void keep(const char* end) { used_ = static_cast<std::size_t>(end - buffer_.data()); }

  // Flushes and closes; true when every byte reached the file.
  bool close() {
    flush();
    const int fd = fd_;
    fd_ = -1;
    if (fd >= 0 && ::close(fd) != 0) failed_ = true;
    return !failed_;
  }

 private:
  void flush() {
    if (!failed_ && !writeFully(fd_, buffer_.data(), used_)) failed_ = true;
    used_ = 0;
  }

  int fd_;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

// Converts one line and ends it.
class LineWriter {
 public:
  LineWriter(const FlatTable& table, bool crlf, Output& output)
      : table_(table), lineEnd_(crlf ? "\r\n" : "\n"), output_(output) {}

  void write(std::string_view line) {
    while (line.size() > kChunk) {
      const std::string_view chunk = line.substr(0, kChunk);
      line.remove_prefix(kChunk);
      output_.keep(convertLine(table_, chunk, state_, output_.room(convertedRoom(kChunk))));
    }
    char* out = convertLine(table_, line, state_, output_.room(convertedRoom(line.size()) + lineEnd_.size()));
    std::memcpy(out, lineEnd_.data(), lineEnd_.size());
    output_.keep(out + lineEnd_.size());
  }

 private:
  const FlatTable& table_;
  std::string_view lineEnd_;
  Output& output_;
  LineState state_;
};

void writeListLines(const std::vector<std::string>& lines, LineWriter& writer) {
  for (const std::string& line : lines) writer.write(line);
}

// The input read as text and cut into pieces: each ends after a line feed,
// which is dropped, or after kPieceLimit bytes, whichever comes first.
void writeFilePieces(TextReader& input, LineWriter& writer) {
  for (;;) {
    std::string_view piece = input.nextPiece(kPieceLimit);
    if (piece.empty()) return;
    if (piece.back() == '\n') piece.remove_suffix(1);
    writer.write(piece);
  }
}

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
  if (!openClose(reporter, outputName, OpenFor::writing)) {
    if (pass.source == LineSource::file) {
      consoleWriteAsIs(stderr, "openClose() error-2: " + outputName + "\n");
    } else {
      reporter.error(joinedParts({"openClose() error-2:", outputName}));
    }
    return PassResult::failed;
  }
  std::optional<TextReader> input;
  if (pass.source == LineSource::file) {
    input.emplace(job.inputName);
    if (!input->isOpen()) {
      reportInputMissing(reporter, job.inputName);
      return PassResult::inputUnreadable;
    }
  }
  Output output(outputName);
  if (!output.isOpen()) {
    reporter.error(joinedParts({passError, "write error: " + outputName}));
    return PassResult::failed;
  }
  SparseTable<K> table;
  if (!setting(context, table, job.no_searching, &job.whichTable)) {
    reporter.error(
        joinedParts({passError, std::string(TableTraits<K>::variable) + "->setting(no_searching, &whichTable)"}));
    output.close();
    return PassResult::failed;
  }
  const FlatTable flat = flattenTable(table, pass.rule);
  LineWriter writer(flat, job.crlf, output);
  if (pass.source == LineSource::file) {
    writeFilePieces(*input, writer);
  } else {
    writeListLines(job.lines, writer);
  }
  const bool written = output.close();
  // An input cut short by a read error would pass for a shorter file.
  if (input && input->failed()) {
    reporter.error(joinedParts({passError, "read error: " + job.inputName}));
    return PassResult::failed;
  }
  if (!written) {
    reporter.error(joinedParts({passError, "write error: " + outputName}));
    return PassResult::failed;
  }
  return PassResult::converted;
}

}  // namespace

bool openClose(Reporter& reporter, std::string& name, OpenFor mode) {
  if (mode == OpenFor::reading) {
    if (canOpenForReading(name)) return true;
    reportInputMissing(reporter, name);
    return false;
  }
  std::FILE* file = std::fopen(name.c_str(), "w");
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
