// The plain form of the streaming text conversion, the reference its tests
// and fuzzer hold it to: the file read as pieces by the text reader, each
// converted by the byte-by-byte line conversion and followed by the line end.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "line_conversion.h"
#include "regulate.h"
#include "text_file.h"

namespace testing_support {

template <morvel::TableKind K>
std::string convertTextPieces(const std::string& path, const morvel::SparseTable<K>& table, morvel::ControlRule rule,
                              bool crlf, std::size_t pieceLimit = morvel::kWorkBufferSize - 1) {
  morvel::TextReader reader(path);
  morvel::LineState state;
  std::string out;
  for (;;) {
    std::string_view piece = reader.nextPiece(std::max<std::size_t>(pieceLimit, 1));
    if (piece.empty()) return out;
    if (piece.back() == '\n') piece.remove_suffix(1);
    morvel::convertLineByteByByte(table, rule, piece, state, out);
    out += crlf ? "\r\n" : "\n";
  }
}

}  // namespace testing_support
