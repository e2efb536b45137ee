// Finding a file along a directory list (PATH), and the PATH value itself.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace morvel {

// Directory lists (PATH) and how a directory and a file name are joined.
#ifdef _WIN32
constexpr char kListSeparator = ';';
constexpr char kPathJoiner = '\\';
#else
constexpr char kListSeparator = ':';
constexpr char kPathJoiner = '/';
#endif

// True when `name` opens for reading as a file (a directory does not).
[[nodiscard]] bool canOpenForReading(const std::string& name);

// The first path, formed from the directories of `list` in their order, that
// opens for reading; empty when none does. Paths longer than 255 bytes are
// never taken.
std::string findInPath(std::string_view list, std::string_view fileName);

// The PATH value, cut to what a buffer of `bufferSize` bytes holds (its last
// byte is the terminator). The variable is found whatever the letter case of
// its name; a missing PATH reads as empty.
class CommandPath {
 public:
  explicit CommandPath(std::size_t bufferSize);
  CommandPath(std::string_view value, std::size_t bufferSize);
  std::string_view text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace morvel
