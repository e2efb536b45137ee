// Morvel's settings: "parameters.txt", then the words of the command line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "profile.h"
#include "typed_text.h"

#include "morvel_texts.h"

namespace morvel {

// Where the window starts on the screen, numbered as "-cN" and line 5 of
// "parameters.txt" number it. Other numbers are kept as they were given and
// place the window as bottomRight does.
enum class Corner : std::int32_t { centre = 0, topLeft = 1, topRight = 2, bottomRight = 3, bottomLeft = 4 };

constexpr Corner cornerFromNumber(std::int32_t number) { return static_cast<Corner>(number); }
constexpr std::int32_t cornerNumber(Corner corner) { return static_cast<std::int32_t>(corner); }

// The settings of one run. Built once after all words are read; nothing
// changes it afterwards except the table search clearing whichTable.
class FinalEffect {
 public:
  bool crlf = true;
  bool pdfHelp = false;
  bool longTitle = false;
  bool anotherFile = false;
  bool numbering = false;
  bool keepBinary = true;
  bool no_searching = false;
  bool switchB = true;  // read ("-b", line 8) and kept, but nothing acts on it: the design has it so
  bool skipControls = false;
  bool whichTable = false;
  Corner corner = Corner::bottomRight;
  TargetEncoding encoding = TargetEncoding::utf8;
  std::string tableName = "MS932~EUC-JP.bin";
  std::string substituted = "\x87\x53";  // circled digit twenty
  std::string substitute = "\x93\xF9";   // the kanji for twenty
  std::string listName;
};

// Morvel's profile once its options are read: the table name is the last
// search way, and only the table of the target encoding is reported.
ProgramProfile profileFor(const FinalEffect& settings);

// "-V" and "-VC": the usage goes to "version.txt" and the run ends.
enum class VersionRequest { none, plain, commented };

// Everything the option reading produces: the record and the values only the
// start-up dispatch uses.
struct CommandLineOptions {
  FinalEffect effect;
  bool editMode = true;  // an EUC-JP run edits the table
  bool quiet = false;    // no window after an edit or a conversion
  std::string inputName;
  std::string outputName = "Morvel.txt";
  VersionRequest version = VersionRequest::none;  // the reading stopped at "-V" or "-VC"
  // Why a character field keeps its earlier value: the line for the last
  // character option or settings line that set it and could not be read (a
  // character code page 932 cannot write, a line that is not one
  // character). Empty once a later one was read. A single-character edit
  // refuses to run while either is set.
  std::string substitutedRefusal;
  std::string substituteRefusal;

  // The refusals that are set, substituted first.
  std::vector<std::string> refusals() const;
};

// A word split into a leading text and the decimal number of its trailing
// digits; number() is -1 when there are no digits or they do not fit.
class Numbered {
 public:
  explicit Numbered(std::string_view word);
  const std::string& text() const { return text_; }
  std::int32_t number() const { return number_; }

 private:
  std::string text_;
  std::int32_t number_ = -1;
};

// Applies the lines of a parameter file to `options`; each line number has
// its own meaning and only the lines present change anything. A missing file
// changes nothing.
void ReadParameterFile(const std::string& name, CommandLineOptions& options);

// The words Morvel sees of its command line: argv[1..] without empty words,
// limited as the raw command line was (524,287 bytes, 3072 words with the
// program path).
std::vector<std::string> commandWords(int argc, const char* const* argv);

// What the double quotes of a word that names a file (table, list, input,
// output) are. On Windows, whose names hold none, they only group the word
// and are removed; elsewhere the shell has removed the grouping ones and
// a quote left is the name's own.
enum class NameQuotes { kept, grouping };
#ifdef _WIN32
inline constexpr NameQuotes kNameQuotes = NameQuotes::grouping;
#else
inline constexpr NameQuotes kNameQuotes = NameQuotes::kept;
#endif

// Defaults, then "parameters.txt", then `words` in order, up to the first
// "-V" or "-VC": the words after it are never read.
CommandLineOptions readTypedOptions(const std::vector<TypedWord>& words, NameQuotes quotes = kNameQuotes);
// Words whose bytes are read as this system's words are (kWordCoding).
CommandLineOptions readOptions(const std::vector<std::string>& words);
std::vector<TypedWord> typedWords(const std::vector<std::string>& words);

// What a run shows on standard output before anything else happens, and
// then ends with exit code 0: the usage for "--help" or "-h", the version
// line for "--version", whichever comes first and before any "-V" or "-VC".
enum class ConsoleRequest { none, usage, versionLine };
ConsoleRequest consoleRequest(const std::vector<TypedWord>& words);

}  // namespace morvel
