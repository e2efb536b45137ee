#include "numbered_lines.h"

#include "buffer_sizes.h"
#include "text_file.h"

namespace morvel {

namespace {
constexpr std::string_view kCuts("\n',|\t\0", 6);  // a NUL ends the text as well
}  // namespace

std::optional<std::vector<std::string>> readNumberedLines(const std::string& path) {
  TextReader reader(path);
  if (!reader.isOpen()) return std::nullopt;
  std::vector<std::string> values;
  std::string piece;
  while (reader.readPiece(piece, kNameBufferSize - 1)) {
    const std::size_t cut = piece.find_first_of(kCuts);
    if (cut != std::string::npos) piece.resize(cut);
    values.push_back(piece);
  }
  return values;
}

}  // namespace morvel
