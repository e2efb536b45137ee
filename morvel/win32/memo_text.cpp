#include "memo_text.h"

#include <algorithm>

namespace morvel {

namespace {

bool isLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool isHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// The kinds of character a word is made of: a word is a run of one kind.
enum class Kind { blank, asciiWord, asciiMark, hiragana, katakana, ideograph, other };

Kind kindOf(wchar_t c) {
  if (c == L' ' || c == L'\t' || c == 0x3000) return Kind::blank;
  if ((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_') {
    return Kind::asciiWord;
  }
  if (c < 0x80) return Kind::asciiMark;
  if (c >= 0x3041 && c <= 0x309F) return Kind::hiragana;
  if ((c >= 0x30A0 && c <= 0x30FF) || (c >= 0xFF66 && c <= 0xFF9F)) return Kind::katakana;
  if ((c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || c == 0x3005) return Kind::ideograph;
  return Kind::other;
}

}  // namespace

void MemoText::setText(std::wstring_view text) {
  lines_.assign(1, std::wstring());
  for (std::size_t k = 0; k < text.size(); ++k) {
    const wchar_t c = text[k];
    if (c == L'\r' || c == L'\n') {
      if (c == L'\r' && k + 1 < text.size() && text[k + 1] == L'\n') ++k;
      lines_.emplace_back();
    } else {
      lines_.back() += c;
    }
  }
  caret_ = anchor_ = {};
}

std::wstring MemoText::text() const {
  std::wstring joined;
  for (std::size_t k = 0; k < lines_.size(); ++k) {
    if (k > 0) joined += L"\r\n";
    joined += lines_[k];
  }
  return joined;
}

std::pair<TextPlace, TextPlace> MemoText::selection() const { return std::minmax(caret_, anchor_); }

std::wstring MemoText::selectedText() const {
  const auto [from, to] = selection();
  if (from.line == to.line) return lines_[from.line].substr(from.column, to.column - from.column);
  std::wstring picked = lines_[from.line].substr(from.column);
  for (int line = from.line + 1; line < to.line; ++line) picked += L"\r\n" + lines_[line];
  return picked + L"\r\n" + lines_[to.line].substr(0, to.column);
}

TextPlace MemoText::kept(TextPlace place) const {
  place.line = std::clamp(place.line, 0, static_cast<int>(lines_.size()) - 1);
  const std::wstring& line = lines_[place.line];
  place.column = std::clamp(place.column, 0, static_cast<int>(line.size()));
  if (place.column > 0 && place.column < static_cast<int>(line.size()) && isLowSurrogate(line[place.column]) &&
      isHighSurrogate(line[place.column - 1])) {
    --place.column;
  }
  return place;
}

void MemoText::moveTo(TextPlace place, bool extend) {
  caret_ = kept(place);
  if (!extend) anchor_ = caret_;
}

void MemoText::selectAll() {
  anchor_ = {};
  caret_ = end();
}

void MemoText::selectWordAt(TextPlace place) {
  place = kept(place);
  const std::wstring& line = lines_[place.line];
  const int size = static_cast<int>(line.size());
  int from = place.column;
  int to = place.column;
  if (size > 0) {
    const Kind kind = kindOf(line[std::min(from, size - 1)]);
    while (from > 0 && kindOf(line[from - 1]) == kind) --from;
    while (to < size && kindOf(line[to]) == kind) ++to;
  }
  anchor_ = {place.line, from};
  caret_ = {place.line, to};
}

void MemoText::erase(TextPlace from, TextPlace to) {
  std::wstring& first = lines_[from.line];
  const std::wstring rest = lines_[to.line].substr(to.column);
  first.erase(from.column);
  first += rest;
  lines_.erase(lines_.begin() + from.line + 1, lines_.begin() + to.line + 1);
  caret_ = anchor_ = from;
}

void MemoText::replaceSelection(std::wstring_view typed) {
  const auto [from, to] = selection();
  erase(from, to);
  MemoText pieces;
  pieces.setText(typed);
  const std::vector<std::wstring>& added = pieces.lines();
  std::wstring& line = lines_[from.line];
  const std::wstring rest = line.substr(from.column);
  line.erase(from.column);
  line += added.front();
  lines_.insert(lines_.begin() + from.line + 1, added.begin() + 1, added.end());
  TextPlace after{from.line + static_cast<int>(added.size()) - 1, 0};
  after.column = static_cast<int>(lines_[after.line].size());
  lines_[after.line] += rest;
  caret_ = anchor_ = after;
}

void MemoText::eraseBackward() {
  if (!hasSelection()) anchor_ = characterBefore(caret_);
  const auto [from, to] = selection();
  erase(from, to);
}

void MemoText::eraseForward() {
  if (!hasSelection()) anchor_ = characterAfter(caret_);
  const auto [from, to] = selection();
  erase(from, to);
}

TextPlace MemoText::characterBefore(TextPlace place) const {
  if (place.column == 0) {
    return place.line == 0 ? place : TextPlace{place.line - 1, static_cast<int>(lines_[place.line - 1].size())};
  }
  const std::wstring& line = lines_[place.line];
  int column = place.column - 1;
  if (column > 0 && isLowSurrogate(line[column]) && isHighSurrogate(line[column - 1])) --column;
  return {place.line, column};
}

TextPlace MemoText::characterAfter(TextPlace place) const {
  const std::wstring& line = lines_[place.line];
  if (place.column >= static_cast<int>(line.size())) {
    return place.line + 1 < static_cast<int>(lines_.size()) ? TextPlace{place.line + 1, 0} : place;
  }
  int column = place.column + 1;
  if (column < static_cast<int>(line.size()) && isLowSurrogate(line[column]) && isHighSurrogate(line[column - 1])) {
    ++column;
  }
  return {place.line, column};
}

// To the start of the word before, over blanks first; at a line's start,
// to the end of the line above.
TextPlace MemoText::wordBefore(TextPlace place) const {
  if (place.column == 0) return characterBefore(place);
  const std::wstring& line = lines_[place.line];
  int column = place.column;
  while (column > 0 && kindOf(line[column - 1]) == Kind::blank) --column;
  if (column > 0) {
    const Kind kind = kindOf(line[column - 1]);
    while (column > 0 && kindOf(line[column - 1]) == kind) --column;
  }
  return {place.line, column};
}

// To the start of the next word, past the blanks after this one; at a
// line's end, to the start of the line below.
TextPlace MemoText::wordAfter(TextPlace place) const {
  const std::wstring& line = lines_[place.line];
  const int size = static_cast<int>(line.size());
  if (place.column >= size) return characterAfter(place);
  int column = place.column;
  const Kind kind = kindOf(line[column]);
  if (kind != Kind::blank) {
    while (column < size && kindOf(line[column]) == kind) ++column;
  }
  while (column < size && kindOf(line[column]) == Kind::blank) ++column;
  return {place.line, column};
}

TextPlace MemoText::end() const {
  const int last = static_cast<int>(lines_.size()) - 1;
  return {last, static_cast<int>(lines_[last].size())};
}

int MemoText::offsetOf(TextPlace place) const {
  place = kept(place);
  int offset = place.column;
  for (int line = 0; line < place.line; ++line) offset += static_cast<int>(lines_[line].size()) + 2;
  return offset;
}

TextPlace MemoText::placeAt(int offset) const {
  for (int line = 0; line < static_cast<int>(lines_.size()); ++line) {
    const int size = static_cast<int>(lines_[line].size());
    if (offset <= size) return kept({line, std::max(0, offset)});
    offset -= size + 2;
    if (offset < 0) return {line, size};  // inside the line end
  }
  return end();
}

}  // namespace morvel
