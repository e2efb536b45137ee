// Fixed texts: the quoted lines here are the design's own; see
// docs/design-names.md before changing one.
#include "hand_off.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

#include "codes.h"
#include "regulate.h"

#include "morvel_texts.h"

namespace morvel {

namespace {

// "%10d|" before the line.
std::string numbered(std::uint32_t number, std::string_view line) {
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%10d|", static_cast<std::int32_t>(number));
  std::string text(prefix);
  text.append(line);
  return text;
}

// A line of the text as read: its bytes, CR dropped, without the line end,
// and where it ends in the file.
struct Piece {
  std::string line;
  std::size_t end = 0;
};

// The pieces of bytes[from, to) as a text file is read: each ends after a
// line end or after kWorkBufferSize - 1 bytes, the CR bytes dropped and not
// counted. At most `most` of them.
std::vector<Piece> piecesOf(std::string_view bytes, std::size_t from, std::size_t to, std::size_t most) {
  constexpr std::size_t kLimit = kWorkBufferSize - 1;
  const char* const base = bytes.data();
  std::vector<Piece> pieces;
  std::size_t at = from;
  while (at < to && pieces.size() < most) {
    Piece piece;
    while (at < to && piece.line.size() < kLimit) {
      const auto* lf = static_cast<const char*>(std::memchr(base + at, '\n', to - at));
      const std::size_t lineEnd = lf != nullptr ? static_cast<std::size_t>(lf - base) : to;
      const auto* cr = static_cast<const char*>(std::memchr(base + at, '\r', lineEnd - at));
      const std::size_t runEnd = cr != nullptr ? static_cast<std::size_t>(cr - base) : lineEnd;
      const std::size_t taken = std::min(runEnd - at, kLimit - piece.line.size());
      piece.line.append(base + at, taken);
      at += taken;
      if (at != runEnd) break;  // the piece is full
      if (cr != nullptr) {
        ++at;  // dropped
        continue;
      }
      // The line end closes the piece, unless the piece is full without it.
      if (lf != nullptr && piece.line.size() < kLimit) ++at;
      break;
    }
    piece.end = at;
    pieces.push_back(std::move(piece));
  }
  return pieces;
}

// Whether a lead byte waits for its trail byte after the lines, as the
// conversion pairs them (across line ends too).
std::vector<bool> leadPendingAfter(const std::vector<Piece>& pieces) {
  std::vector<bool> pending(pieces.size());
  bool waiting = false;
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    for (const char c : pieces[k].line) {
      if (waiting) {
        waiting = false;
      } else if (isLeadByte(static_cast<unsigned char>(c))) {
        waiting = true;
      }
    }
    pending[k] = waiting;
  }
  return pending;
}

// The collected lines lent to a job: they come back when the job is done,
// a throw included, unless given away with it.
class Loan {
 public:
  Loan(std::vector<std::string>& lines, Regulate& job) : lines_(lines), job_(job) { job_.lines.swap(lines_); }
  ~Loan() {
    if (!givenAway_) lines_.swap(job_.lines);
  }
  Loan(const Loan&) = delete;
  Loan& operator=(const Loan&) = delete;

  void giveAway() { givenAway_ = true; }

 private:
  std::vector<std::string>& lines_;
  Regulate& job_;
  bool givenAway_ = false;
};

}  // namespace

HandOff::HandOff(const FinalEffect& settings, Reporter& reporter)
    : settings_(settings), profile_(profileFor(settings)), reporter_(reporter) {}

Intake HandOff::intakeOf(const WatchedText& text, bool final) const {
  const std::string& bytes = text.bytes;
  const std::string& before = collected_.bytes;
  Intake intake;
  intake.identity = text.age.inode;
  intake.continues = collected_.valid && collected_.identity == text.age.inode && bytes.size() > before.size() &&
                     bytes.compare(0, before.size(), before) == 0;
  const std::size_t from = intake.continues ? before.size() : 0;
  // A 0x1A ends the text.
  std::size_t end = bytes.find('\x1A', from);
  intake.ended = (intake.continues && collected_.ended) || end != std::string::npos;
  if (intake.continues && collected_.ended) end = from;
  if (end == std::string::npos) end = bytes.size();
  intake.text = std::string_view(bytes).substr(0, end);

  std::vector<Piece> pieces = piecesOf(intake.text, from, end, std::numeric_limits<std::size_t>::max());
  intake.firstNumber = intake.continues ? collected_.firstNumber : LineNumber + 1;
  std::uint32_t number = LineNumber;
  for (Piece& piece : pieces) {
    if (settings_.numbering) piece.line = numbered(++number, piece.line);
  }
  const std::vector<bool> pending = leadPendingAfter(pieces);
  const bool lastLineOpen = !pieces.empty() && !intake.ended && end > from && bytes[end - 1] != '\n';
  std::size_t kept = pieces.size();
  if (!final && !intake.ended) {
    if (lastLineOpen) --kept;
    while (kept > 0 && pending[kept - 1]) --kept;
  } else if (!pieces.empty() && pending.back()) {
    for (std::size_t k = pieces.size(); k-- > 0;) {
      if (pieces[k].line.empty()) continue;
      pieces[k].line.pop_back();
      break;
    }
  }
  intake.takenTo = kept == 0 ? from : pieces[kept - 1].end;
  intake.waits = intake.takenTo < end;
  intake.lines.reserve(kept);
  for (std::size_t k = 0; k < kept; ++k) intake.lines.push_back(std::move(pieces[k].line));
  return intake;
}

std::vector<std::string> HandOff::shownLines(const Intake& intake, std::size_t most) const {
  std::vector<std::string> shown;
  std::uint32_t number = intake.firstNumber;
  for (Piece& piece : piecesOf(intake.text, 0, intake.text.size(), most)) {
    shown.push_back(settings_.numbering ? numbered(number++, piece.line) : std::move(piece.line));
  }
  return shown;
}

void HandOff::take(Intake intake) {
  if (!intake.continues) {
    // A new text, or the file written again from its start.
    collected_ = {};
    collected_.valid = true;
    collected_.identity = intake.identity;
    collected_.firstNumber = intake.firstNumber;
  }
  if (intake.lines.empty() && intake.waits) return;
  Lines.reserve(Lines.size() + intake.lines.size());
  for (std::string& line : intake.lines) Lines.push_back(std::move(line));
  if (settings_.numbering) LineNumber += static_cast<std::uint32_t>(intake.lines.size());
  collected_.bytes.assign(intake.text.substr(0, intake.takenTo));
  collected_.ended = intake.ended && !intake.waits;
}

void HandOff::forgetText() { collected_ = {}; }

// Each hand-off writes "binary.tmp" afresh and delivers only what its own
// pass wrote: never a working file of an earlier run or another user.
Outcome HandOff::handBack(Pass pass, Afterwards afterwards) {
  Regulate job;
  job.crlf = settings_.crlf;
  job.search = {.no_searching = settings_.no_searching, .whichTable = settings_.whichTable};
  Loan loan(Lines, job);
  std::string outputName = kWorkFile;
  if (pass({profile_, reporter_}, job, outputName) != PassResult::done) return Outcome::failed;
  const Outcome delivery = outputName == kWorkFile ? CopyBackFromWorkFile(reporter_, kWatchedFile, settings_.keepBinary)
                                                   : copyBackFromFile(reporter_, outputName, kWatchedFile);
  if (delivery != Outcome::failed && afterwards == Afterwards::release) loan.giveAway();
  return delivery;
}

Outcome HandOff::ConvertToEucJp(Afterwards afterwards) {
  return handBack(settings_.skipControls ? skippingControlCharactersToProduceEUC : readingToProduceEUC, afterwards);
}

Outcome HandOff::ConvertToUtf8(Afterwards afterwards) {
  return handBack(settings_.skipControls ? skippingControlCharactersToProduceUTF8 : readingToProduceUTF8, afterwards);
}

// Only the Shift_JIS text as it came needs no pass.
Outcome HandOff::ConvertToShiftJis(Afterwards afterwards) {
  if (settings_.skipControls) return handBack(skippingControlCharactersToProduceSJIS, afterwards);
  if (!writeLinesBack(kWatchedFile, Lines)) return Outcome::failed;
  if (afterwards == Afterwards::release) std::vector<std::string>().swap(Lines);
  return Outcome::done;
}

Outcome HandOff::Convert(TargetEncoding encoding, Afterwards afterwards) {
  switch (encoding) {
    case TargetEncoding::eucJp:
      return ConvertToEucJp(afterwards);
    case TargetEncoding::shiftJis:
      return ConvertToShiftJis(afterwards);
    case TargetEncoding::utf8:
    default:  // and any other number
      return ConvertToUtf8(afterwards);
  }
}

void HandOff::keepLines(const char* why) noexcept {
  if (Lines.empty()) return;
  try {
    if (writeLinesBack(kFallbackOutput, Lines)) {
      reporter_.message(kFallbackOutput, std::string("holds the collected lines unconverted: ") + why);
    }
  } catch (...) {  // as much as could be kept
  }
}

}  // namespace morvel
