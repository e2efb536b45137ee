#include "numbered_lines.h"

#include <algorithm>

#include "buffer_sizes.h"
#include "text_file.h"

namespace morvel {

namespace {

constexpr std::string_view kCuts("\n',|\t\0", 6);  // a NUL ends the text as well
constexpr std::size_t kPieceLimit = kNameBufferSize - 1;

// The whole text as read; settings files are a few lines long.
std::string wholeText(TextReader& reader) {
  std::string text;
  char chunk[4096];
  for (std::size_t got; (got = reader.read(chunk, sizeof chunk)) > 0;) text.append(chunk, got);
  return text;
}

}  // namespace

std::optional<NumberedLines> readNumberedLines(const std::string& path) {
  TextReader reader(path);
  if (!reader.isOpen()) return std::nullopt;
  const std::string whole = wholeText(reader);
  NumberedLines lines;
  lines.coding = fileCoding(whole);
  std::string_view text = withoutBom(whole);
  // Pieces as a line buffer of 256 bytes takes them: up to and with the
  // next LF, at most 255 bytes.
  while (!text.empty()) {
    const std::size_t lineEnd = text.find('\n');
    const std::size_t length = std::min(lineEnd == std::string_view::npos ? text.size() : lineEnd + 1, kPieceLimit);
    std::string_view piece = text.substr(0, length);
    text.remove_prefix(length);
    piece = piece.substr(0, piece.find_first_of(kCuts));
    lines.values.emplace_back(piece);
  }
  return lines;
}

}  // namespace morvel
