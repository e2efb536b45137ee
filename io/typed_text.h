// What the user typed (an option value, a line of a list or settings file)
// as code page 932 bytes, and the lines that refuse what cannot be read.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvel {

// How the bytes of a typed text are read.
enum class TypedCoding {
  // Well-formed UTF-8 with a non-ASCII character was typed in UTF-8 and is
  // converted; anything else is code page 932 already. The decision rests
  // on the bytes alone, never on the locale.
  guessed,
  // Code page 932 already, taken as it is.
  codePage932,
  // UTF-8, converted; text that is not well-formed UTF-8 is refused.
  utf8,
  // Code page 932, unless the text is UTF-8 with a non-ASCII character and
  // not code page 932 text the table can read: a line typed in UTF-8 in a
  // file of code page 932 lines.
  codePage932UnlessUtf8,
};

// The words of a command line. Linux hands over the bytes typed, in the
// terminal's encoding: they are guessed. Windows keeps them as Unicode and
// the programs turn them into code page 932 once: they are never read again
// as UTF-8 (a word holding a character code page 932 cannot write reaches
// the options in UTF-8, marked as such).
#ifdef _WIN32
inline constexpr TypedCoding kWordCoding = TypedCoding::codePage932;
#else
inline constexpr TypedCoding kWordCoding = TypedCoding::guessed;
#endif

// A word and how its bytes are read.
struct TypedWord {
  std::string text;
  TypedCoding coding = kWordCoding;
};

// The UTF-8 byte order mark an editor may put at the start of a file.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// `text` without a byte order mark at its start.
std::string_view withoutBom(std::string_view text);

// How the lines of a list or settings file whose text (as read) is `text`
// are read: UTF-8 after a byte order mark. Otherwise each line is guessed
// on Linux, as typed words are; on Windows, whose editors write either code
// page 932 or UTF-8, a text that is UTF-8 with a non-ASCII character as a
// whole is UTF-8, and in any other each line is code page 932 unless only
// UTF-8 can read it.
TypedCoding fileCoding(std::string_view text);

// The same for the lines of a substitution list, each of which names two
// characters: on Windows a text that is UTF-8 only where some line would
// then name a single character (ﾂｧ, the bytes of §) is code page 932.
TypedCoding listCoding(const std::vector<std::string>& lines);

// `typed` as code page 932 bytes; nothing when it is refused: a character
// without a code page 932 code, or text read as UTF-8 that is not.
[[nodiscard]] std::optional<std::string> shiftJisOfTyped(std::string_view typed,
                                                         TypedCoding coding = TypedCoding::guessed);

// The bytes of a character option ("-s", "-g" and the like): the value read
// by shiftJisOfTyped, of which at most `byteCount` bytes (its first
// character) are kept. Nothing when the value is refused.
[[nodiscard]] std::optional<std::string> characterOption(std::string_view value, std::size_t byteCount,
                                                         TypedCoding coding = kWordCoding);

// A character line of a settings file (lines 2 and 3): a value of at most
// two bytes as it is, the design's field; a longer value converted as the
// file's coding says and then one character, blanks after it dropped.
// Nothing when a longer value is not one character, so that a line an
// editor saved in UTF-8 never edits the record of its first two bytes.
[[nodiscard]] std::optional<std::string> settingCharacter(std::string_view value, TypedCoding coding);

// A typed text as a report line may hold it, read as `coding` reads it:
// never bytes of another encoding than the line's. A character code page
// 932 cannot write becomes "U+XXXX" and a byte that is no character "?";
// the others stay as typed on Linux, in the user's encoding as every name
// in a report, and become code page 932 on Windows, whose reports are
// code page 932 wherever they go.
std::string shownTyped(std::string_view typed, TypedCoding coding);

// The line that reports a refused character option: `option` ("-s") and
// the value as typed.
std::string refusedOptionLine(std::string_view option, std::string_view value, TypedCoding coding = kWordCoding);

// The line that reports a refused character line of a settings file.
std::string refusedSettingLine(std::string_view file, int lineNumber, std::string_view value, TypedCoding coding);

// The refusals an edit's two character fields hold, the substituted
// character's first; a field that was read holds none.
std::vector<std::string> fieldRefusals(const std::string& substituted, const std::string& substitute);

}  // namespace morvel
