#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include "dividing.h"
#include "utf16.h"
#include "windows_command_line.h"

namespace morvel {

namespace {

// UTF-8 of a word that code page 932 cannot write, for the line that
// refuses it: each character that does not convert (a lone surrogate)
// becomes U+FFFD.
std::string utf8Of(std::wstring_view wide) {
  if (std::optional<std::string> exact = utf8OfUtf16(wide)) return std::move(*exact);
  std::string bytes;
  for (std::size_t at = 0; at < wide.size();) {
    const bool pair = at + 1 < wide.size() && IS_HIGH_SURROGATE(wide[at]) && IS_LOW_SURROGATE(wide[at + 1]);
    const std::size_t length = pair ? 2 : 1;
    bytes += utf8OfUtf16(wide.substr(at, length)).value_or("\xEF\xBF\xBD");
    at += length;
  }
  return bytes;
}

CommandWord wordOf(std::wstring_view wide) {
  if (std::optional<std::string> exact = cp932OfUtf16(wide)) return {std::move(*exact), true};
  return {utf8Of(wide), false};
}

}  // namespace

std::vector<CommandWord> rawCommandWords() {
  // Character by character, so that one a code page cannot write marks only
  // the word that holds it. Its UTF-8 bytes hold no blank, quote, LF or NUL:
  // the split is the same as that of the exact text.
  const std::wstring_view wide = ::GetCommandLineW();
  std::string line;
  std::vector<bool> unwritable;
  for (std::size_t at = 0; at < wide.size();) {
    const bool pair = at + 1 < wide.size() && IS_HIGH_SURROGATE(wide[at]) && IS_LOW_SURROGATE(wide[at + 1]);
    const std::wstring_view character = wide.substr(at, pair ? 2 : 1);
    at += character.size();
    const CommandWord part = wordOf(character);
    line += part.text;
    unwritable.insert(unwritable.end(), part.text.size(), !part.exact);
  }
  Dividing splitter(' ');
  splitter.splitFields(line);
  std::vector<CommandWord> words;
  std::size_t start = 0;  // each field but the last ends at one blank
  for (const std::string& field : splitter.fields()) {
    bool exact = true;
    for (std::size_t k = start; k < start + field.size() && k < unwritable.size(); ++k) exact = exact && !unwritable[k];
    words.push_back({field, exact});
    start += field.size() + 1;
  }
  return words;
}

std::vector<CommandWord> argumentWords() {
  int count = 0;
  wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<CommandWord> words;
  if (arguments == nullptr) return words;
  for (int k = 0; k < count; ++k) words.push_back(wordOf(arguments[k]));
  ::LocalFree(arguments);
  return words;
}

std::optional<std::string> unwritableWordLine(const std::vector<CommandWord>& words,
                                              std::initializer_list<std::string_view> characterOptions) {
  for (std::size_t k = 1; k < words.size(); ++k) {
    const CommandWord& word = words[k];
    if (word.exact) continue;
    bool option = false;
    for (std::string_view prefix : characterOptions) option = option || word.text.starts_with(prefix);
    if (!option) return word.text + " has a character that code page 932 cannot write: no file can be named by it";
  }
  return std::nullopt;
}

std::vector<TypedWord> typedWordsOf(const std::vector<CommandWord>& words) {
  std::vector<TypedWord> typed;
  for (std::size_t k = 1; k < words.size(); ++k) {
    typed.push_back({words[k].text, words[k].exact ? TypedCoding::codePage932 : TypedCoding::utf8});
  }
  return typed;
}

}  // namespace morvel
