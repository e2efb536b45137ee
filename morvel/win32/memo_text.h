// The text of Morvel's display area on Win32 as its lines, with the caret
// and the selection: what typing, the keys and the clipboard do to it,
// apart from how it is drawn.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace morvel {

// A place between two characters: a line and a column in UTF-16 units.
struct TextPlace {
  int line = 0;
  int column = 0;
  friend bool operator==(const TextPlace&, const TextPlace&) = default;
  friend auto operator<=>(const TextPlace&, const TextPlace&) = default;
};

class MemoText {
 public:
  MemoText() : lines_(1) {}

  // Lines end at "\r\n", "\n" or "\r"; the caret goes to the start.
  void setText(std::wstring_view text);
  // The lines joined by "\r\n".
  std::wstring text() const;
  const std::vector<std::wstring>& lines() const { return lines_; }

  TextPlace caret() const { return caret_; }
  bool hasSelection() const { return caret_ != anchor_; }
  // The selection's start and end, in order.
  std::pair<TextPlace, TextPlace> selection() const;
  std::wstring selectedText() const;

  // The caret goes to `place`, kept inside the text and off the middle of a
  // surrogate pair; `extend` keeps the selection's other end.
  void moveTo(TextPlace place, bool extend);
  void selectAll();
  // The word (a run of one kind of character) at `place`, as a double
  // click takes it.
  void selectWordAt(TextPlace place);
  // Typed or pasted text in place of the selection; the caret follows it.
  void replaceSelection(std::wstring_view typed);
  // Backspace and Delete: the selection, else one character.
  void eraseBackward();
  void eraseForward();

  // Neighbouring places, for the arrow keys.
  TextPlace characterBefore(TextPlace place) const;
  TextPlace characterAfter(TextPlace place) const;
  TextPlace wordBefore(TextPlace place) const;
  TextPlace wordAfter(TextPlace place) const;
  TextPlace end() const;

  // Places as offsets into text(), as an edit control counts them.
  int offsetOf(TextPlace place) const;
  TextPlace placeAt(int offset) const;

 private:
  TextPlace kept(TextPlace place) const;
  void erase(TextPlace from, TextPlace to);

  std::vector<std::wstring> lines_;
  TextPlace caret_;
  TextPlace anchor_;
};

}  // namespace morvel
