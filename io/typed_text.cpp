#include "typed_text.h"

#include <algorithm>

#include "code_page.h"
#include "codes.h"

namespace morvel {

namespace {

constexpr std::size_t kCharacterField = 2;  // one code page 932 character

#ifdef _WIN32
constexpr bool kShownInCodePage932 = true;
#else
constexpr bool kShownInCodePage932 = false;
#endif

bool readAsUtf8(std::string_view typed, TypedCoding coding) {
  switch (coding) {
    case TypedCoding::codePage932:
      return false;
    case TypedCoding::utf8:
      return true;
    case TypedCoding::codePage932UnlessUtf8:
      if (isKnownCp932(typed)) return false;
      break;
    case TypedCoding::guessed:
      break;
  }
  return isUtf8BeyondAscii(typed);
}

std::string codePointText(char32_t character) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string digits;
  for (; character != 0 || digits.size() < 4; character >>= 4) digits.insert(digits.begin(), kDigits[character & 0xF]);
  return "U+" + digits;
}

}  // namespace

std::string_view withoutBom(std::string_view text) {
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  return text;
}

TypedCoding fileCoding(std::string_view text) {
  if (text.starts_with(kUtf8Bom)) return TypedCoding::utf8;
#ifdef _WIN32
  return isUtf8BeyondAscii(text) ? TypedCoding::utf8 : TypedCoding::codePage932UnlessUtf8;
#else
  return TypedCoding::guessed;
#endif
}

TypedCoding listCoding(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + '\n';
  const TypedCoding coding = fileCoding(text);
#ifdef _WIN32
  if (coding != TypedCoding::utf8 || text.starts_with(kUtf8Bom)) return coding;
  for (const std::string& line : lines) {
    std::size_t characters = 0;
    for (std::string_view rest = line; !rest.empty() && utf8SequenceAt(rest) > 0;
         rest.remove_prefix(utf8SequenceAt(rest))) {
      ++characters;
    }
    if (characters == 1 && isUtf8BeyondAscii(line)) return TypedCoding::codePage932UnlessUtf8;
  }
#endif
  return coding;
}

std::optional<std::string> shiftJisOfTyped(std::string_view typed, TypedCoding coding) {
  switch (coding) {
    case TypedCoding::codePage932:
      return std::string(typed);
    case TypedCoding::utf8:
      return cp932OfUtf8(typed);
    case TypedCoding::codePage932UnlessUtf8:
      if (isKnownCp932(typed)) return std::string(typed);
      break;
    case TypedCoding::guessed:
      break;
  }
  if (!isUtf8BeyondAscii(typed)) return std::string(typed);
  return cp932OfUtf8(typed);
}

std::optional<std::string> characterOption(std::string_view value, std::size_t byteCount, TypedCoding coding) {
  std::optional<std::string> bytes = shiftJisOfTyped(value, coding);
  if (bytes) bytes->resize(std::min(bytes->size(), byteCount));
  return bytes;
}

std::optional<std::string> settingCharacter(std::string_view value, TypedCoding coding) {
  // A UTF-8 line of two bytes is one character too: it is converted as well.
  std::optional<std::string> bytes = shiftJisOfTyped(value, coding);
  if (!bytes) return std::nullopt;
  if (bytes->size() <= kCharacterField && value.size() <= kCharacterField) return bytes;
  const std::size_t end = bytes->find_last_not_of(' ');
  if (end == std::string::npos) return std::string();  // blanks only: no character
  bytes->resize(end + 1);
  const Cp932Character character = characterAt(*bytes);
  if (character.code == kNoCode || character.length != bytes->size()) return std::nullopt;
  return bytes;
}

std::string shownTyped(std::string_view typed, TypedCoding coding) {
  if (!readAsUtf8(typed, coding)) return std::string(typed);
  std::string shown;
  while (!typed.empty()) {
    const std::size_t length = utf8SequenceAt(typed);
    if (length == 0) {
      shown += '?';
      typed.remove_prefix(1);
      continue;
    }
    const std::string_view sequence = typed.substr(0, length);
    const char32_t character = decodedUtf8(sequence);
    const std::optional<std::int32_t> code =
        character < 0x80 ? std::optional<std::int32_t>(static_cast<std::int32_t>(character)) : codeOfUnicode(character);
    if (!code) {
      shown += codePointText(character);
    } else {
      shown += kShownInCodePage932 ? bytesOfCode(*code) : std::string(sequence);
    }
    typed.remove_prefix(length);
  }
  return shown;
}

std::string refusedOptionLine(std::string_view option, std::string_view value, TypedCoding coding) {
  return "option " + std::string(option) + ": " + shownTyped(value, coding) +
         " has a character that code page 932 cannot write";
}

std::string refusedSettingLine(std::string_view file, int lineNumber, std::string_view value, TypedCoding coding) {
  return std::string(file) + ": line " + std::to_string(lineNumber) + " (" + shownTyped(value, coding) +
         ") is not one character in code page 932 or UTF-8";
}

std::vector<std::string> fieldRefusals(const std::string& substituted, const std::string& substitute) {
  std::vector<std::string> lines;
  for (const std::string* line : {&substituted, &substitute}) {
    if (!line->empty()) lines.push_back(*line);
  }
  return lines;
}

}  // namespace morvel
