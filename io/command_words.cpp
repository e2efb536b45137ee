#include "command_words.h"

#include <algorithm>

#include "buffer_sizes.h"
#include "dividing.h"

namespace morvel {

namespace {

constexpr char kQuote = '"';

bool endsPath(char c) { return c == ' ' || c == '\t'; }

// The file CreateProcess looks for when the path is `prefix`.
std::string programFile(std::string_view prefix) {
  const std::size_t lastPart = prefix.find_last_of("\\/:");
  const std::string_view name = lastPart == std::string_view::npos ? prefix : prefix.substr(lastPart + 1);
  return std::string(prefix) + (name.find('.') == std::string_view::npos ? ".exe" : "");
}

}  // namespace

std::size_t programPathEnd(std::string_view line, const FileTest& isFile) {
  if (line.starts_with(kQuote)) return std::min(line.find(kQuote, 1), line.size() - 1) + 1;
  const std::size_t first = std::min(line.find_first_of(" \t"), line.size());
  for (std::size_t end = first; end < line.size(); ++end) {
    if (endsPath(line[end]) && isFile(programFile(line.substr(0, end)))) return end;
  }
  if (first < line.size() && isFile(programFile(line))) return line.size();
  return first;
}

std::vector<LineWord> commandLineWords(std::string_view line, const FileTest& isFile) {
  line = line.substr(0, kLineBufferSize - 1);
  line = line.substr(0, line.find_first_of(std::string_view("\n\0", 2)));
  if (line.empty()) return {};
  const std::size_t pathEnd = programPathEnd(line, isFile);
  std::vector<LineWord> words{{std::string(line.substr(0, pathEnd)), 0}};
  // The path stands in as one placeholder word, so that the splitter counts
  // it once and the limits hold as for the whole line.
  std::size_t restStart = pathEnd;
  if (restStart < line.size() && endsPath(line[restStart])) ++restStart;
  const std::string placeholder = "P ";
  Dividing splitter(' ');
  splitter.splitFields(placeholder + std::string(line.substr(restStart)));
  std::size_t start = restStart;  // each field but the last ends at one blank
  for (std::size_t k = 1; k < splitter.fields().size(); ++k) {
    words.push_back({splitter.fields()[k], start});
    start += splitter.fields()[k].size() + 1;
  }
  return words;
}

std::string unquotedName(std::string_view word) {
  std::string name(word);
  std::erase(name, kQuote);
  return name;
}

}  // namespace morvel
