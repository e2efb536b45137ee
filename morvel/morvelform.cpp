// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
#include "morvelform.h"

#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <utility>

#include "codes.h"
#include "dividing.h"
#include "native_file.h"
#include "regulate.h"
#include "report_files.h"
#include "text_file.h"
#include "version.h"
#include "working_files.h"

namespace morvel {

namespace {

constexpr std::int32_t kParkedCount = 2147483646;  // after a successful reload: later ticks do nothing
constexpr std::size_t kDirectoryLimit = 260;       // status panel 0 shows this much of the folder
constexpr const char* kCutMarker = "+";
constexpr const char* kDisplayLineEnd = "\r\n";

std::string currentDirectory() {
  const std::string path = currentFolder();
  return path == "." ? std::string() : path.substr(0, kDirectoryLimit);  // "." when the system does not say
}

// "%10d|" before the line.
std::string numbered(std::uint32_t number, std::string_view line) {
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%10d|", static_cast<std::int32_t>(number));
  std::string text(prefix);
  text.append(line);
  return text;
}

}  // namespace

int ColumnsForWidth(int width) { return static_cast<int>(std::floor((width - 38) * 80.0 / 639.0)); }

int RowsForHeight(int height) { return static_cast<int>(std::floor((height - 130) * 26.0 / 361.0)); }

std::string FitLine(std::string_view line, int limit) {
  line = line.substr(0, kFitBufferSize - 1);
  std::string shown;
  int columns = 0;
  bool pending = false;
  char lead = 0;
  for (const char c : line) {
    const auto b = static_cast<unsigned char>(c);
    if (pending) {
      shown += lead;
      shown += c;
      columns += 2;
      pending = false;
    } else if (isLeadByte(b)) {
      lead = c;
      pending = true;
      continue;
    } else {
      shown += c;
      columns += 1;
    }
    if (columns >= limit) {
      shown += kCutMarker;
      break;
    }
  }
  return shown;
}

TForm1::TForm1(WindowServices& services, const FinalEffect& settings, Reporter& reporter)
    : services_(services), settings_(settings), profile_(profileFor(settings)), reporter_(reporter) {}

void TForm1::FormCreate() {
  services_.setKeyPreview(true);
  LeaveRequested = false;
  services_.setStatusPath(currentDirectory());
  const Size screen = services_.screenSize();
  services_.setWindowBounds(
      {screen.width - kCornerRight, screen.height - kCornerBottom, kStandardSize.width, kStandardSize.height});
  VisibleRows = RowsForHeight(kStandardSize.height);
  VisibleColumns = ColumnsForWidth(kStandardSize.width);
  AnchorButton();
  Corner = settings_.corner;
  LongTitle = settings_.longTitle;
  Encoding = settings_.encoding;
  OpenPdfAtStart = settings_.pdfHelp;
  PlaceWindow();
  services_.setCaption(LongTitle ? "Morvel VCL" : "Morvel");
  writeWatchedFile(kWatchedFile, " ");
  if (OpenPdfAtStart) {
    OpenHelpPdf();
    services_.setTimer(TimerId::close, kCloseInterval, true);
  } else {
    services_.setTimer(TimerId::close, kCloseInterval, false);
  }
  WatchedAge = fileAge(kWatchedFile);
  ReadAge = WatchedAge;
  services_.setTimer(TimerId::poll, kPollInterval, true);
  services_.setTimer(TimerId::reload, kReloadInterval, false);
  services_.setTimer(TimerId::wait, kLockRetryInterval, false);
}

void TForm1::AnchorButton() {
  const Size client = services_.clientSize();
  services_.setButtonBounds({client.width - kButtonSize.width,
                             client.height - kButtonSize.height - services_.statusBarHeight(), kButtonSize.width,
                             kButtonSize.height});
}

void TForm1::PlaceWindow() {
  const Size screen = services_.screenSize();
  Bounds bounds = services_.windowBounds();
  switch (Corner) {
    case Corner::centre:
      bounds.left = (screen.width - bounds.width) / 2;
      bounds.top = (screen.height - bounds.height) / 2;
      break;
    case Corner::topLeft:
      bounds.left = 0;
      bounds.top = 0;
      break;
    case Corner::topRight:
      bounds.left = screen.width - kCornerRight;
      bounds.top = 0;
      break;
    case Corner::bottomLeft:
      bounds.left = 0;
      bounds.top = screen.height - kCornerBottom;
      break;
    case Corner::bottomRight:
    default:  // and any other number
      bounds.left = screen.width - kCornerRight;
      bounds.top = screen.height - kCornerBottom;
      break;
  }
  services_.setWindowBounds(bounds);
}

void TForm1::EnlargeWindow() {
  services_.restoreWindow();
  const Size screen = services_.screenSize();
  services_.setWindowBounds({0, 0, screen.width, screen.height - kLargeHeightReduction});
}

void TForm1::FormResize() {
  Guarded("FormResize()", [this] {
    AnchorButton();
    const Bounds bounds = services_.windowBounds();
    VisibleColumns = ColumnsForWidth(bounds.width);
    VisibleRows = RowsForHeight(bounds.height);
  });
}

void TForm1::OpenHelpPdf() { services_.openDocument(helpDocumentPath(profile_)); }

template <typename Body>
bool TForm1::Guarded(const char* handler, Body&& body) noexcept {
  try {
    body();
    return true;
  } catch (const std::exception& failure) {
    ReportFailure(handler, failure.what());
  } catch (...) {
    ReportFailure(handler, "unknown exception");
  }
  return false;
}

void TForm1::ReportFailure(const char* handler, const char* what) noexcept {
  try {
    const std::string line = joinedParts({std::string(handler) + " error:", what});
    reporter_.error(line);
    services_.showFailure(line);
  } catch (...) {  // nothing more can be said
  }
}

void TForm1::SelectEncoding(TargetEncoding encoding, std::string_view name) {
  Encoding = encoding;
  StatusText = name;
  services_.setStatusText(name);
}

void TForm1::FormKeyUp(Key key) {
  Guarded("FormKeyUp()", [this, key] {
    switch (key) {
      case Key::end:
        SelectEncoding(TargetEncoding::eucJp, "EUC-JP");
        break;
      case Key::pageUp:
        SelectEncoding(TargetEncoding::utf8, "UTF-8");
        break;
      case Key::home:
        HomeKey();
        break;
      case Key::f3:
        services_.closeWindow();
        break;
      case Key::f8:
        services_.setMemoText(StatusText);
        break;
      case Key::escape:
      case Key::other:
        break;
    }
  });
}

// Home: the collected lines, the latest text of "VEL" included, into "VEL"
// as UTF-8 now. The window's own write is no new text of the writer's.
void TForm1::HomeKey() {
  std::optional<WorkFolderLock> lock;
  if (!LockFree(lock, LockWait::no, Waiting::home)) return;
  TakeInUnreadChange();
  ConvertToUtf8();
}

void TForm1::Button1Click() {
  Guarded("Button1Click()", [this] { EnlargeWindow(); });
}

void TForm1::StatusBar1Click() {
  Guarded("StatusBar1Click()", [this] { services_.setMemoText(" "); });
}

void TForm1::Timer1Timer() {
  Guarded("Timer1Timer()", [this] {
    const FileAge age = fileAge(kWatchedFile);
    if (age == WatchedAge) return;
    WatchedAge = age;
    services_.setTimer(TimerId::poll, kPollInterval, false);
    count = 0;
    services_.setTimer(TimerId::reload, kReloadInterval, true);
  });
}

void TForm1::Timer2Timer() {
  Guarded("Timer2Timer()", [this] { ReloadTick(); });
}

void TForm1::ReloadTick() {
  if (count >= MANY_TIMES_1 + 1) return;
  ++count;
  if (count >= MANY_TIMES_1 + 1) return;
  bool loaded = false;
  // A reload that throws (a huge "VEL" and no memory) failed like any other.
  Guarded("ReloadWatchedFile()", [this, &loaded] { loaded = ReloadWatchedFile(); });
  if (loaded) {
    ResumeWatching();
  } else if (count == MANY_TIMES_1) {
    GiveUp();
  }
}

void TForm1::ResumeWatching() {
  services_.setTimer(TimerId::reload, kReloadInterval, false);
  services_.setTimer(TimerId::poll, kPollInterval, true);
  count = kParkedCount;
}

void TForm1::GiveUp() {
  services_.setTimer(TimerId::reload, kReloadInterval, false);
  reporter_.error(joinedParts({"Timer2Timer() error:", "count == MANY_TIMES_1"}));
  // Its writer's text could not be read: deleting "VEL" would destroy it.
  KeepWatchedFile = true;
  services_.closeWindow();
}

void TForm1::Timer3Timer() {
  Guarded("Timer3Timer()", [this] { services_.closeWindow(); });
}

// The folder's lock may have come free: the waiting work tries again.
void TForm1::Timer4Timer() {
  Guarded("Timer4Timer()", [this] {
    const Waiting waited = std::exchange(waiting_, Waiting::none);
    services_.setTimer(TimerId::wait, kLockRetryInterval, false);
    RestoreStatus();
    if (waited == Waiting::home) HomeKey();
    if (waited == Waiting::close) services_.closeWindow();
  });
}

// True with `lock` held when "binary.tmp" is free for this window; else the
// work waits without blocking the window, and the status bar says so.
bool TForm1::LockFree(std::optional<WorkFolderLock>& lock, LockWait wait, Waiting waiting) {
  lock.emplace(wait);
  if (lock->held()) return true;
  lock.reset();
  if (waiting_ != Waiting::close) waiting_ = waiting;  // a Leave hands back everything anyway
  services_.setStatusText(kWaitingForLockText);
  services_.setTimer(TimerId::wait, kLockRetryInterval, true);
  return false;
}

void TForm1::RestoreStatus() {
  if (StatusText.empty()) {
    services_.setStatusPath(currentDirectory());
  } else {
    services_.setStatusText(StatusText);
  }
}

// Home and Leave convert what "VEL" holds now: a rewrite that the poll or
// the reload has not read yet is read first.
void TForm1::TakeInUnreadChange() {
  if (fileAge(kWatchedFile) == ReadAge) return;
  if (ReloadWatchedFile()) ResumeWatching();
}

bool TForm1::ReloadWatchedFile() {
  const int limit = VisibleColumns - 1;
  // The age of the text about to be read: a rewrite between the poll and
  // this reload is read now, and the next poll must not read it again.
  const FileAge age = fileAge(kWatchedFile);
  WatchedAge = age;
  TextReader reader(kWatchedFile);
  if (!reader.isOpen()) {
    reporter_.error(joinedParts({"fopen() error-2:", kWatchedFile}));
    return false;
  }
  // Collected only once all is read and shown: a reload that fails half
  // way adds nothing, and its retry nothing twice.
  std::vector<std::string> read;
  std::uint32_t number = LineNumber;
  std::string display;
  int i = 1;
  for (;;) {
    std::string_view piece = reader.nextPiece(kWorkBufferSize - 1);
    if (piece.empty()) break;
    if (piece.back() == '\n') piece.remove_suffix(1);
    std::string line = settings_.numbering ? numbered(++number, piece) : std::string(piece);
    if (i <= VisibleRows) {
      display += FitLine(line, limit);
      display += kDisplayLineEnd;
    }
    read.push_back(std::move(line));
    ++i;
  }
  services_.setMemoText(display);
  Lines.reserve(Lines.size() + read.size());
  std::move(read.begin(), read.end(), std::back_inserter(Lines));
  LineNumber = number;
  ReadAge = age;
  return true;
}

void TForm1::Leave1Click() {
  Guarded("Leave1Click()", [this] {
    LeaveRequested = true;
    services_.closeWindow();
  });
}

void TForm1::Exit1Click() {
  Guarded("Exit1Click()", [this] { services_.closeWindow(); });
}

void TForm1::ShiftJIS1Click() {
  Guarded("ShiftJIS1Click()", [this] { SelectEncoding(TargetEncoding::shiftJis, "Shift_JIS"); });
}

void TForm1::UTF81Click() {
  Guarded("UTF81Click()", [this] { SelectEncoding(TargetEncoding::utf8, "UTF-8"); });
}

void TForm1::EUCJP1Click() {
  Guarded("EUCJP1Click()", [this] { SelectEncoding(TargetEncoding::eucJp, "EUC-JP"); });
}

void TForm1::Record1Click() {
  Guarded("Record1Click()", [this] { services_.showRecordDialog(); });
}

void TForm1::Large1Click() {
  Guarded("Large1Click()", [this] { EnlargeWindow(); });
}

void TForm1::Standard1Click() {
  Guarded("Standard1Click()", [this] {
    services_.restoreWindow();
    Bounds bounds = services_.windowBounds();
    bounds.width = kStandardSize.width;
    bounds.height = kStandardSize.height;
    services_.setWindowBounds(bounds);
    PlaceWindow();
  });
}

void TForm1::Version1Click() {
  Guarded("Version1Click()", [this] { services_.showVersionDialog(kMorvelVersion); });
}

// Each hand-off writes "binary.tmp" afresh and delivers only what its own
// pass wrote: never a working file of an earlier run or another user.
bool TForm1::HandBack(PassResult (*pass)(const TableContext&, Regulate&, std::string&)) {
  Regulate job;
  job.crlf = settings_.crlf;
  job.no_searching = settings_.no_searching;
  job.whichTable = settings_.whichTable;
  job.lines = Lines;
  std::string outputName = kWorkFile;
  if (pass({profile_, reporter_}, job, outputName) != PassResult::done) return false;
  const Delivery delivery = outputName == kWorkFile
                                ? CopyBackFromWorkFile(reporter_, kWatchedFile, settings_.keepBinary)
                                : CopyBackFromFile(reporter_, outputName, kWatchedFile);
  if (delivery == Delivery::done) {
    // The window's own text, not the writer's: the poll must not collect it.
    WatchedAge = fileAge(kWatchedFile);
    ReadAge = WatchedAge;
  }
  return delivery != Delivery::failed;
}

bool TForm1::ConvertToEucJp() {
  return HandBack(settings_.skipControls ? skippingControlCharactersToProduceEUC : readingToProduceEUC);
}

bool TForm1::ConvertToUtf8() {
  return HandBack(settings_.skipControls ? skippingControlCharactersToProduceUTF8 : readingToProduceUTF8);
}

bool TForm1::ConvertToShiftJis() {
  if (!settings_.skipControls) return writeLinesBack(kWatchedFile, Lines);
  return HandBack(skippingControlCharactersToProduceSJIS);
}

bool TForm1::Convert() {
  switch (Encoding) {
    case TargetEncoding::eucJp:
      return ConvertToEucJp();
    case TargetEncoding::shiftJis:
      return ConvertToShiftJis();
    case TargetEncoding::utf8:
    default:  // and any other number
      return ConvertToUtf8();
  }
}

// The collected lines would die with the window: they go, unconverted, to
// "Morvel.txt", and the messages say so.
void TForm1::KeepLines(const char* why) noexcept {
  if (Lines.empty()) return;
  try {
    if (writeLinesBack(kFallbackOutput, Lines)) {
      reporter_.message(kFallbackOutput, std::string("holds the collected lines unconverted: ") + why);
    }
  } catch (...) {  // as much as could be kept
  }
}

bool TForm1::FormClose(LockWait wait) {
  if (closed_) return true;
  bool finished = false;
  if (!Guarded("FormClose()", [this, wait, &finished] { finished = CloseNow(wait); })) {
    // The hand-off did not complete: "VEL" stays as it is.
    if (LeaveRequested) KeepLines("their conversion failed.");
    finished = true;
  }
  closed_ = finished;
  return finished;
}

bool TForm1::CloseNow(LockWait wait) {
  if (!LeaveRequested) {
    if (KeepWatchedFile) {
      KeepLines("VEL could not be read.");
    } else {
      std::remove(kWatchedFile);
    }
    return true;
  }
  std::optional<WorkFolderLock> lock;
  // Only the Shift_JIS text as it came needs no "binary.tmp".
  const bool needsWorkFile = Encoding != TargetEncoding::shiftJis || settings_.skipControls;
  if (needsWorkFile && !LockFree(lock, wait, Waiting::close)) return false;
  TakeInUnreadChange();
  if (!Convert()) KeepLines("their conversion failed.");
  return true;
}

}  // namespace morvel
