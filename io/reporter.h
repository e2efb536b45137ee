// Where a program's reports go. The shared code says what happened in whole
// lines; each program's entry decides where they end up: Morvel has no
// console and leaves them in its report files, fenra writes its console.
#pragma once

#include <string_view>

namespace morvel {

class Reporter {
 public:
  virtual ~Reporter() = default;

  // Something failed: ASCII words naming the failing operation and call,
  // with the names it concerns (files, paths, typed values) in the user's
  // own bytes. A terminal gets the line as it is.
  virtual void error(std::string_view line) = 0;
  // A notice: `subject` (a path, say) and `note` joined by a blank. Where
  // the line has a size limit, the subject gives way. The subject is a name;
  // the note is the program's own text.
  virtual void message(std::string_view subject, std::string_view note) = 0;
  // The codes an edit worked on: the program's own text.
  virtual void info(std::string_view line) = 0;
  // A plain sentence after a success that may not do what the user meant
  // (an edit written where the next search does not look first): ASCII
  // words around names, all passed as they are.
  virtual void note(std::string_view sentence) = 0;

  // Two lines whose place the design fixes whichever program runs: a line
  // for standard error, as it is (the file-driven pass's unwritable output),
  // and a line for "error.txt" (the editors' failed table load, fenra's
  // too). Test reporters may record them instead.
  virtual void standardError(std::string_view line);
  virtual void errorFileLine(std::string_view line);
};

// Morvel: "error.txt", "messages.txt" and "info.txt", one line each; a
// note goes to "messages.txt".
class ReportFiles final : public Reporter {
 public:
  void error(std::string_view line) override;
  void message(std::string_view subject, std::string_view note) override;
  void info(std::string_view line) override;
  void note(std::string_view sentence) override;
};

// fenra: errors and notes on standard error, the rest on standard output;
// on a UTF-8 terminal only the program's own text is converted, names stay
// as they are.
class ConsoleReports final : public Reporter {
 public:
  void error(std::string_view line) override;
  void message(std::string_view subject, std::string_view note) override;
  void info(std::string_view line) override;
  void note(std::string_view sentence) override;
};

}  // namespace morvel
