// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
#include "options.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <limits>
#include <system_error>

#include "buffer_sizes.h"
#include "command_words.h"
#include "numbered_lines.h"

namespace morvel {

namespace {

// The raw command line went through the field splitter, whose buffer keeps
// 524,287 bytes and whose table keeps 3072 fields.
constexpr std::size_t kCommandLineLimit = kLineBufferSize - 1;
constexpr std::size_t kWordCountLimit = kMaxFields;
constexpr std::size_t kNameLimit = kNameBufferSize - 1;

constexpr Corner kDefaultCorner = Corner::bottomRight;
constexpr TargetEncoding kDefaultEncoding = TargetEncoding::utf8;

// The option reading in progress: the values it builds and the two switches
// that only shape how later plain words are taken.
struct OptionReading {
  CommandLineOptions options;
  NameQuotes quotes = kNameQuotes;
  bool listNameFollows = false;
  bool firstFilePending = true;
};

std::string nameText(std::string_view word) { return std::string(word.substr(0, kNameLimit)); }

// --- parameters.txt -------------------------------------------------------

bool isWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The decimal number at the start of `text` after optional white space and
// a sign; 0 without digits, held at the 32-bit limits when it does not fit.
std::int32_t leadingNumber(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && isWhiteSpace(text[at])) ++at;
  const bool negative = at < text.size() && text[at] == '-';
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
  constexpr std::int64_t kCeiling = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    magnitude = std::min(kCeiling, magnitude * 10 + (text[at] - '0'));
  }
  const std::int64_t value = negative ? -magnitude : std::min(magnitude, kCeiling - 1);
  return static_cast<std::int32_t>(value);
}

// Lines 5 and 6 hold the option with its number ("-c4"), so the number is
// read from the third byte on.
std::int32_t lineNumberValue(const std::string& line) {
  return line.size() > 2 ? leadingNumber(std::string_view(line).substr(2)) : 0;
}

bool lineFlag(const std::string& line) { return line != "0"; }

bool lineCrlf(const std::string& line) { return line != "0" && line != "-LF" && line != "-L"; }

// A line of the file: its value, its number and how its characters are read.
struct ParameterLine {
  const std::string& text;
  int number;
  TypedCoding coding;
  std::string_view file;
};

using LineMeaning = void (*)(const ParameterLine& line, CommandLineOptions& options);

// Lines 2 and 3 name a character each; one that cannot be read leaves the
// field as it was and refuses the single-character edit.
void setCharacterLine(const ParameterLine& line, std::string FinalEffect::*field, std::string& refusal,
                      CommandLineOptions& options) {
  if (const auto bytes = settingCharacter(line.text, line.coding)) {
    options.effect.*field = *bytes;
    refusal.clear();
  } else {
    refusal = refusedSettingLine(line.file, line.number, line.text, line.coding);
  }
}

// What lines 1 to 18 set, in line order.
constexpr LineMeaning kLineMeanings[] = {
    [](const ParameterLine& line, CommandLineOptions& o) { o.effect.tableName = line.text; },
    [](const ParameterLine& line, CommandLineOptions& o) {
      setCharacterLine(line, &FinalEffect::substituted, o.substitutedRefusal, o);
    },
    [](const ParameterLine& line, CommandLineOptions& o) {
      setCharacterLine(line, &FinalEffect::substitute, o.substituteRefusal, o);
    },
    [](const ParameterLine& line, CommandLineOptions& o) { o.effect.listName = line.text; },
    [](const ParameterLine& line, CommandLineOptions& o) {
      o.effect.corner = cornerFromNumber(lineNumberValue(line.text));
    },
    [](const ParameterLine& line, CommandLineOptions& o) {
      o.effect.encoding = encodingFromNumber(lineNumberValue(line.text));
    },
    [](const ParameterLine& line, CommandLineOptions& o) { o.effect.anotherFile = lineFlag(line.text); },
    [](const ParameterLine& line, CommandLineOptions& o) { o.effect.switchB = lineFlag(line.text); },
    [](const ParameterLine& line, CommandLineOptions& o) { o.effect.crlf = lineCrlf(line.text); },
    [](const ParameterLine& line, CommandLineOptions& o) { o.effect.no_searching = lineFlag(line.text); },
    [](const ParameterLine& line, CommandLineOptions& o) { o.effect.longTitle = lineFlag(line.text); },
    [](const ParameterLine& line, CommandLineOptions& o) { o.effect.skipControls = lineFlag(line.text); },
    [](const ParameterLine& line, CommandLineOptions& o) { o.effect.numbering = lineFlag(line.text); },
    [](const ParameterLine& line, CommandLineOptions& o) { o.effect.pdfHelp = lineFlag(line.text); },
    [](const ParameterLine& line, CommandLineOptions& o) { o.quiet = lineFlag(line.text); },
    // The line holds "-u" to stop editing; only "0" leaves it on.
    [](const ParameterLine& line, CommandLineOptions& o) { o.editMode = !lineFlag(line.text); },
    [](const ParameterLine& line, CommandLineOptions& o) { o.effect.whichTable = lineFlag(line.text); },
    [](const ParameterLine& line, CommandLineOptions& o) { o.effect.keepBinary = lineFlag(line.text); },
};

// --- command-line words ---------------------------------------------------

struct ExactOption {
  std::string_view word;
  void (*apply)(OptionReading& reading);
};

// Tested before the prefix rules, so "-a" alone is a switch while "-aN"
// names a character.
constexpr ExactOption kExactOptions[] = {
    {"-CRLF", [](OptionReading& r) { r.options.effect.crlf = true; }},
    {"-L-", [](OptionReading& r) { r.options.effect.crlf = true; }},
    {"-LF", [](OptionReading& r) { r.options.effect.crlf = false; }},
    {"-L", [](OptionReading& r) { r.options.effect.crlf = false; }},
    {"--unix",
     [](OptionReading& r) {
       r.options.effect.encoding = TargetEncoding::eucJp;
       r.options.effect.crlf = false;
     }},
    {"-8",
     [](OptionReading& r) {
       r.options.effect.encoding = TargetEncoding::utf8;
       r.options.effect.crlf = false;
     }},
    {"-e", [](OptionReading& r) { r.options.editMode = true; }},
    {"-u", [](OptionReading& r) { r.options.editMode = false; }},
    {"-a", [](OptionReading& r) { r.options.effect.anotherFile = true; }},
    {"-t-", [](OptionReading& r) { r.options.effect.anotherFile = false; }},
    {"-t", [](OptionReading& r) { r.listNameFollows = true; }},
    {"-q", [](OptionReading& r) { r.options.quiet = true; }},
    {"-r", [](OptionReading& r) { r.options.quiet = false; }},
    {"-y", [](OptionReading& r) { r.options.effect.keepBinary = true; }},
    {"-d", [](OptionReading& r) { r.options.effect.no_searching = true; }},
    {"-d-", [](OptionReading& r) { r.options.effect.no_searching = false; }},
    {"-w", [](OptionReading& r) { r.options.effect.whichTable = true; }},
    {"-w-", [](OptionReading& r) { r.options.effect.whichTable = false; }},
    {"-i", [](OptionReading& r) { r.options.effect.skipControls = true; }},
    {"-i-", [](OptionReading& r) { r.options.effect.skipControls = false; }},
    {"-n", [](OptionReading& r) { r.options.effect.numbering = true; }},
    {"-n-", [](OptionReading& r) { r.options.effect.numbering = false; }},
    {"-f", [](OptionReading& r) { r.options.effect.longTitle = true; }},
    {"-p", [](OptionReading& r) { r.options.effect.pdfHelp = true; }},
    {"-b", [](OptionReading& r) { r.options.effect.switchB = true; }},
    {"-V", [](OptionReading& r) { r.options.version = VersionRequest::plain; }},
    {"-VC", [](OptionReading& r) { r.options.version = VersionRequest::commented; }},
};

bool appliedExactOption(std::string_view word, OptionReading& reading) {
  for (const ExactOption& option : kExactOptions) {
    if (word == option.word) {
      option.apply(reading);
      return true;
    }
  }
  return false;
}

struct CharacterPrefix {
  std::string_view prefix;
  std::size_t byteCount;
  std::string FinalEffect::*field;
  std::string CommandLineOptions::*refusal;
};

constexpr CharacterPrefix kCharacterPrefixes[] = {
    {"-a", 1, &FinalEffect::substitute, &CommandLineOptions::substituteRefusal},
    {"-g", 2, &FinalEffect::substitute, &CommandLineOptions::substituteRefusal},
    {"-k", 1, &FinalEffect::substituted, &CommandLineOptions::substitutedRefusal},
    {"-s", 2, &FinalEffect::substituted, &CommandLineOptions::substitutedRefusal},
};

bool appliedCharacterOption(const TypedWord& word, OptionReading& reading) {
  for (const CharacterPrefix& form : kCharacterPrefixes) {
    if (word.text.starts_with(form.prefix)) {
      const std::string_view value = std::string_view(word.text).substr(form.prefix.size());
      if (const auto bytes = characterOption(value, form.byteCount, word.coding)) {
        reading.options.effect.*form.field = *bytes;
        (reading.options.*form.refusal).clear();
      } else {
        reading.options.*form.refusal = refusedOptionLine(form.prefix, value, word.coding);
      }
      return true;
    }
  }
  return false;
}

// "-cN" and "-eN". A word with the prefix but another text part resets the
// value and is not done: it goes on to the plain-word rule.
bool appliedCornerOption(std::string_view word, OptionReading& reading) {
  if (!word.starts_with("-c")) return false;
  const Numbered numbered(word);
  FinalEffect& effect = reading.options.effect;
  if (numbered.text() != "-c") {
    effect.corner = kDefaultCorner;
    return false;
  }
  effect.corner = numbered.number() == -1 ? kDefaultCorner : cornerFromNumber(numbered.number());
  return true;
}

bool appliedEncodingOption(std::string_view word, OptionReading& reading) {
  if (!word.starts_with("-e")) return false;
  const Numbered numbered(word);
  FinalEffect& effect = reading.options.effect;
  if (numbered.text() != "-e") {
    effect.encoding = kDefaultEncoding;
    return false;
  }
  effect.encoding = numbered.number() == -1 ? kDefaultEncoding : encodingFromNumber(numbered.number());
  // EUC-JP and UTF-8 go out with LF, every other target with CR LF.
  effect.crlf = !(effect.encoding == TargetEncoding::eucJp || effect.encoding == TargetEncoding::utf8);
  return true;
}

// Any other word names a file, by the state the earlier words left.
void applyPlainWord(std::string_view typed, OptionReading& reading) {
  const std::string unquoted = reading.quotes == NameQuotes::grouping ? unquotedName(typed) : std::string(typed);
  const std::string_view word = unquoted;
  CommandLineOptions& options = reading.options;
  if (options.editMode) {
    if (reading.listNameFollows) {
      options.effect.listName = nameText(word);
      reading.listNameFollows = false;
    } else {
      options.effect.tableName = nameText(word);
    }
    return;
  }
  if (!options.effect.anotherFile) return;
  if (reading.firstFilePending) {
    options.inputName = nameText(word);
    reading.firstFilePending = false;
  }
  options.outputName = nameText(word);
}

void applyWord(const TypedWord& typed, OptionReading& reading) {
  const std::string_view word = typed.text;
  if (appliedExactOption(word, reading)) return;
  if (appliedCharacterOption(typed, reading)) return;
  if (appliedCornerOption(word, reading)) return;
  if (appliedEncodingOption(word, reading)) return;
  applyPlainWord(word, reading);
}

}  // namespace

Numbered::Numbered(std::string_view word) {
  const std::size_t lastText = word.find_last_not_of("0123456789");
  const std::size_t digitsStart = lastText == std::string_view::npos ? 0 : lastText + 1;
  text_ = std::string(word.substr(0, digitsStart));
  const std::string_view digits = word.substr(digitsStart);
  if (digits.empty()) return;
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error == std::errc() && end == digits.data() + digits.size()) number_ = value;
}

void ReadParameterFile(const std::string& name, CommandLineOptions& options) {
  const auto lines = readNumberedLines(name);
  if (!lines) return;
  // Lines after the last meaning are ignored.
  const std::size_t count = std::min(lines->values.size(), std::size(kLineMeanings));
  for (std::size_t index = 0; index < count; ++index) {
    kLineMeanings[index]({lines->values[index], static_cast<int>(index + 1), lines->coding, name}, options);
  }
}

std::vector<std::string> commandWords(int argc, const char* const* argv) {
  std::vector<std::string> words;
  std::size_t start = 0;  // where the word begins in the blank-joined command line
  const std::size_t count = std::min(static_cast<std::size_t>(argc < 0 ? 0 : argc), kWordCountLimit);
  for (std::size_t index = 0; index < count && start < kCommandLineLimit; ++index) {
    const std::string_view word(argv[index]);
    const std::string_view seen = word.substr(0, kCommandLineLimit - start);
    if (index > 0 && !seen.empty()) words.emplace_back(seen);
    start += word.size() + 1;
  }
  return words;
}

CommandLineOptions readTypedOptions(const std::vector<TypedWord>& words, NameQuotes quotes) {
  OptionReading reading;
  reading.quotes = quotes;
  ReadParameterFile(kParameterFile, reading.options);
  for (const TypedWord& word : words) {
    if (!word.text.empty()) applyWord(word, reading);  // an empty word carries nothing
    if (reading.options.version != VersionRequest::none) break;
  }
  return reading.options;
}

CommandLineOptions readOptions(const std::vector<std::string>& words) { return readTypedOptions(typedWords(words)); }

std::vector<TypedWord> typedWords(const std::vector<std::string>& words) {
  std::vector<TypedWord> typed;
  for (const std::string& word : words) typed.push_back({word, kWordCoding});
  return typed;
}

std::vector<std::string> CommandLineOptions::refusals() const {
  return fieldRefusals(substitutedRefusal, substituteRefusal);
}

ConsoleRequest consoleRequest(const std::vector<TypedWord>& typed) {
  for (const TypedWord& entry : typed) {
    const std::string& word = entry.text;
    if (word == "--help" || word == "-h") return ConsoleRequest::usage;
    if (word == "--version") return ConsoleRequest::versionLine;
    if (word == "-V" || word == "-VC") return ConsoleRequest::none;
  }
  return ConsoleRequest::none;
}

ProgramProfile profileFor(const FinalEffect& settings) {
  ProgramProfile profile = morvelProfile();
  profile.givenTableName = settings.tableName;
  profile.reportEncoding = settings.encoding;
  return profile;
}

}  // namespace morvel
