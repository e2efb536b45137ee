// The hand-off without a window: the lines collected from the texts "VEL"
// held, in reading order, and their conversion back into "VEL". Text added
// to the text taken last is taken alone; a line without its line end, or
// whose lead byte waits for its trail byte, waits for the rest. The lines
// go to a conversion's job and come back moved, never copied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "options.h"
#include "passes.h"
#include "reporter.h"
#include "watched_file.h"
#include "working_files.h"

namespace morvel {

// What a text read adds to the collected lines, before they take it.
struct Intake {
  std::string_view text;           // the text read, up to its end: the caller keeps it alive
  std::vector<std::string> lines;  // the lines it adds, numbered where the settings say
  std::size_t takenTo = 0;         // where the last of them ends in `text`
  std::uint64_t identity = 0;      // the file it was read from
  std::uint32_t firstNumber = 0;   // the number of the text's first line
  bool continues = false;          // it adds to the text taken last
  bool ended = false;              // a 0x1A ended it
  bool waits = false;              // the rest of it waits for its writer

  // A text that adds nothing and waits is not shown yet.
  bool shows() const { return !lines.empty() || !waits; }
};

class HandOff {
 public:
  HandOff(const FinalEffect& settings, Reporter& reporter);

  // What `text` adds; unless `final`, a line still open, or whose lead byte
  // waits for its trail byte, waits. Taken as final, such a lead byte is
  // dropped, so that it never pairs with the next text's first byte.
  Intake intakeOf(const WatchedText& text, bool final) const;
  // The first `most` lines of the intake's text, numbered as collected.
  std::vector<std::string> shownLines(const Intake& intake, std::size_t most) const;
  void take(Intake intake);
  // "VEL" holds no writer's text now: the next text read is a new one.
  void forgetText();

  // Whether the lines stay collected once handed back: while the window
  // stays they do; the last hand-off leaves none behind.
  enum class Afterwards { keep, release };
  // The collected lines converted into "VEL", by way of "binary.tmp" where
  // a pass converts them. Lines handed back with Afterwards::release are
  // gone; a failed or throwing hand-back keeps them.
  Outcome ConvertToEucJp(Afterwards afterwards);
  Outcome ConvertToUtf8(Afterwards afterwards);
  Outcome ConvertToShiftJis(Afterwards afterwards);
  Outcome Convert(TargetEncoding encoding, Afterwards afterwards);
  // The lines go, unconverted, to "Morvel.txt", and the messages say why.
  void keepLines(const char* why) noexcept;

  const std::vector<std::string>& lines() const { return Lines; }

 private:
  using Pass = PassResult (*)(const TableContext&, Regulate&, std::string&);
  Outcome handBack(Pass pass, Afterwards afterwards);

  // What of "VEL" is in Lines: the file, and its bytes up to the end of the
  // last line taken, so that text added to the same file is taken alone.
  struct Collected {
    bool valid = false;
    std::uint64_t identity = 0;
    std::string bytes;
    bool ended = false;  // a 0x1A ended its text
    std::uint32_t firstNumber = 0;
  };

  const FinalEffect settings_;
  const ProgramProfile profile_;
  Reporter& reporter_;
  std::vector<std::string> Lines;
  std::uint32_t LineNumber = 0;
  Collected collected_;
};

}  // namespace morvel
