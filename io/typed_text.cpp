#include "typed_text.h"

#include <algorithm>

#include "code_page.h"

namespace morvel {

namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence at the start of `text`, 0 when
// there is none: no overlong forms, no surrogates, nothing past U+10FFFF.
std::size_t utf8SequenceAt(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  if (lead == 0xE0) low = 0xA0;
  if (lead == 0xED) high = 0x9F;
  if (lead == 0xF0) low = 0x90;
  if (lead == 0xF4) high = 0x8F;
  if (length == 0 || text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!isContinuation(byte(i))) return 0;
  }
  return length;
}

// Valid UTF-8 with at least one non-ASCII character: what a UTF-8 terminal
// or editor produces and Shift_JIS text practically never is.
bool isUtf8BeyondAscii(std::string_view text) {
  bool beyondAscii = false;
  while (!text.empty()) {
    const std::size_t length = utf8SequenceAt(text);
    if (length == 0) return false;
    beyondAscii = beyondAscii || length > 1;
    text.remove_prefix(length);
  }
  return beyondAscii;
}

}  // namespace

std::optional<std::string> shiftJisOfTyped(std::string_view typed) {
  if (!isUtf8BeyondAscii(typed)) return std::string(typed);
  return cp932OfUtf8(typed);
}

std::optional<std::string> characterOption(std::string_view value, std::size_t byteCount) {
  std::optional<std::string> bytes = shiftJisOfTyped(value);
  if (bytes) bytes->resize(std::min(bytes->size(), byteCount));
  return bytes;
}

std::string refusedOptionLine(std::string_view option, std::string_view value) {
  return "option " + std::string(option) + ": " + std::string(value) +
         " has a character that code page 932 cannot write";
}

}  // namespace morvel
