#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <algorithm>
#include <functional>

#include "code_page.h"
#include "command_words.h"
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

// A word of the line in UTF-8 throughout: its characters code page 932
// cannot write are UTF-8 in the line already, the others code page 932.
std::string utf8OfLineWord(std::string_view line, const std::vector<bool>& unwritable, const LineWord& word) {
  std::string utf8;
  std::size_t runStart = word.start;  // the code page 932 bytes not yet converted
  const std::size_t end = word.start + word.text.size();
  for (std::size_t k = word.start; k <= end; ++k) {
    if (k < end && !unwritable[k]) continue;
    utf8 += utf8OfCp932(line.substr(runStart, k - runStart), "\xEF\xBF\xBD");
    if (k < end) utf8 += line[k];
    runStart = k + 1;
  }
  return utf8;
}

bool isFileNamed(std::string_view cp932) {
  const std::optional<std::wstring> wide = utf16OfCp932(cp932);
  if (!wide) return false;
  const DWORD attributes = ::GetFileAttributesW(wide->c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

std::vector<CommandWord> rawCommandWords() {
  // Character by character, so that one a code page cannot write marks only
  // the word that holds it. Its UTF-8 bytes hold no blank, tab, quote, LF or
  // NUL: the split is the same as that of the exact text.
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
  std::vector<CommandWord> words;
  for (const LineWord& word : commandLineWords(line, isFileNamed)) {
    const auto begin = unwritable.begin() + static_cast<std::ptrdiff_t>(word.start);
    const bool exact = std::none_of(begin, begin + static_cast<std::ptrdiff_t>(word.text.size()), std::identity());
    words.push_back({exact ? word.text : utf8OfLineWord(line, unwritable, word), exact});
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
    if (!option)
      return shownTyped(word.text, TypedCoding::utf8) +
             " has a character that code page 932 cannot write: no file can be named by it";
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
