// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
#include "morvelform.h"

#include <chrono>
#include <cmath>
#include <iterator>
#include <thread>
#include <utility>

#include "codes.h"
#include "dividing.h"
#include "native_file.h"
#include "report_files.h"
#include "text_file.h"
#include "version.h"
#include "window_design.h"
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

constexpr int kLastReadTries = 5;  // Home and Leave read a "VEL" under way this often
constexpr auto kLastReadPause = std::chrono::milliseconds(20);

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
    : services_(services),
      settings_(settings),
      profile_(profileFor(settings)),
      reporter_(reporter),
      handOff_(settings, reporter) {}

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
  services_.setCaption(LongTitle ? kMainWindow.longCaption : kMainWindow.caption);
  // Start-up made sure it can be written.
  static_cast<void>(writeWatchedFile(kWatchedFile, " "));
  if (OpenPdfAtStart) {
    OpenHelpPdf();
    services_.setTimer(TimerId::close, kCloseInterval, true);
  } else {
    services_.setTimer(TimerId::close, kCloseInterval, false);
  }
  WatchedAge = fileAge(kWatchedFile);
  ReadAge = WatchedAge;
  // Every rewrite is read as soon as it is complete where the system tells
  // of them; the poll stays as the clock and where it does not.
  notice_ = std::make_unique<ChangeNotice>(kWatchedFile, [this] { services_.postFileChange(); });
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
  Delivered(handOff_.ConvertToUtf8(HandOff::Afterwards::keep));
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
    StartReload();
  });
}

void TForm1::Timer2Timer() {
  Guarded("Timer2Timer()", [this] { ReloadTick(); });
}

// The reload waits, 200 ms at a time, until "VEL" has stopped changing.
void TForm1::StartReload() {
  if (reloading_) return;
  reloading_ = true;
  services_.setTimer(TimerId::poll, kPollInterval, false);
  count = 0;
  LookAge = WatchedAge;
  quietTicks_ = 0;
  unsettledTicks_ = 0;
  services_.setTimer(TimerId::reload, kReloadInterval, true);
}

// Settled when "VEL" looks as it did a tick ago and, where the system tells
// of a writer still at work, once it is done or has long been quiet. One
// that never stops is read all the same after a while.
bool TForm1::Settled() {
  const FileAge age = fileAge(kWatchedFile);
  if (age != LookAge) {
    LookAge = age;
    quietTicks_ = 0;
    return ++unsettledTicks_ > kMostUnsettledTicks;
  }
  ++quietTicks_;
  const bool writerTold = notice_ && notice_->tellsCompletion() && writerAtWork_;
  return !writerTold || quietTicks_ >= kQuietTicksForAnOpenLine || unsettledTicks_ > kMostUnsettledTicks;
}

// A line without its line end is its writer's last only once the writer is
// done with the file, or has long left it alone.
bool TForm1::OpenLineIsFinal() const {
  return writerDone_ || quietTicks_ >= kQuietTicksForAnOpenLine || unsettledTicks_ > kMostUnsettledTicks;
}

void TForm1::ReloadTick() {
  if (count >= MANY_TIMES_1) return;  // parked, or given up
  TakeNews();
  if (!Settled()) return;
  if (fileAge(kWatchedFile) == ReadAge && !lineOpen_) {
    ResumeWatching();  // read meanwhile, on the system's news
    return;
  }
  const bool late = unsettledTicks_ > kMostUnsettledTicks;
  switch (GuardedReload(OpenLineIsFinal())) {
    case Reload::collected:
      ResumeWatching();
      return;
    case Reload::partly:
      return;  // the rest once its writer is done
    case Reload::busy:
    case Reload::raced:
      if (!late) return;  // a writer at work: not a failure yet
      break;
    case Reload::failed:
      break;
  }
  if (++count == MANY_TIMES_1) GiveUp();
}

void TForm1::ResumeWatching() {
  reloading_ = false;
  services_.setTimer(TimerId::reload, kReloadInterval, false);
  services_.setTimer(TimerId::poll, kPollInterval, true);
  count = kParkedCount;
}

// What the system told since the last look.
void TForm1::TakeNews() {
  if (!notice_) return;
  const ChangeNews news = notice_->take();
  unreadVersions_ += news.completed;
  if (news.writing) {
    writerAtWork_ = true;
    writerDone_ = false;
  } else if (news.completed > 0) {
    writerAtWork_ = false;
    writerDone_ = true;
  }
}

void TForm1::WatchedFileChanged() {
  Guarded("WatchedFileChanged()", [this] { ReadOnNotice(); });
}

// A finished rewrite is read at once, before its writer can replace it; a
// write under way settles on the reload timer first.
void TForm1::ReadOnNotice() {
  if (closed_ || !notice_) return;
  // Each read may find the next rewrite already done.
  for (int round = 0; round < MANY_TIMES_1; ++round) {
    TakeNews();
    if (fileAge(kWatchedFile) == ReadAge && !lineOpen_) {
      unreadVersions_ = 0;  // the window's own write, or read already
      return;
    }
    if (writerAtWork_) {
      StartReload();
      return;
    }
    if (GuardedReload(writerDone_) != Reload::collected) {
      StartReload();  // the rest, or the retries, on the reload timer
      return;
    }
    if (reloading_) ResumeWatching();
  }
}

// Said once: a text "VEL" held was replaced before it could be read.
void TForm1::SayMissed(unsigned versions) {
  if (versions == 0 || missedSaid_) return;
  missedSaid_ = true;
  reporter_.message(kWatchedFile, kMissedRewriteNote);
  services_.setStatusText(kMissedRewriteStatus);
}

// "VEL" holds the window's own text now: no writer's, nothing to collect.
void TForm1::ForgetOwnWrite() {
  WatchedAge = fileAge(kWatchedFile);
  ReadAge = WatchedAge;
  handOff_.forgetText();
  lineOpen_ = false;
  TakeNews();
  unreadVersions_ = 0;
  writerAtWork_ = false;
  writerDone_ = false;
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
// the reload has not read yet is read first, a line without its line end
// included.
void TForm1::TakeInUnreadChange() {
  TakeNews();
  if (fileAge(kWatchedFile) == ReadAge && !lineOpen_) return;
  for (int attempt = 1;; ++attempt) {
    const Reload result = ReloadWatchedFile(true);
    if (result == Reload::collected) {
      ResumeWatching();
      return;
    }
    if ((result != Reload::busy && result != Reload::raced) || attempt == kLastReadTries) return;
    std::this_thread::sleep_for(kLastReadPause);  // its writer is at it: a moment more
  }
}

// A reload that throws (a huge "VEL" and no memory) failed like any other.
TForm1::Reload TForm1::GuardedReload(bool final) {
  Reload result = Reload::failed;
  Guarded("ReloadWatchedFile()", [this, final, &result] { result = ReloadWatchedFile(final); });
  return result;
}

TForm1::Reload TForm1::ReloadWatchedFile(bool final) {
  const WatchedText text = readWatchedText(kWatchedFile);
  switch (text.outcome) {
    case ReadOutcome::done:
      break;
    case ReadOutcome::failed:
      reporter_.error(joinedParts({"fopen() error-2:", kWatchedFile}));
      return Reload::failed;
    case ReadOutcome::busy:
      return Reload::busy;
    case ReadOutcome::raced:
      return Reload::raced;
  }
  // Without the system's news, a file replaced between the poll and this
  // read held a text nobody read.
  const bool replacedUnread = !(notice_ && notice_->active()) && WatchedAge.exists && WatchedAge != ReadAge &&
                              WatchedAge.inode != text.age.inode;
  // The next poll must not read this text again.
  WatchedAge = text.age;
  const Reload result = CollectText(text, final);
  if (result != Reload::collected) return result;
  // Rewrites finished since the last read, but for the one read now.
  SayMissed(replacedUnread ? 1 : unreadVersions_ > 1 ? unreadVersions_ - 1 : 0);
  // The news of the rewrite just read may come only now.
  unreadVersions_ = 0;
  TakeNews();
  if (fileAge(kWatchedFile) == ReadAge || unreadVersions_ == 0) {
    unreadVersions_ = 0;
  } else {
    --unreadVersions_;
  }
  writerDone_ = false;
  return result;
}

// Shown first: a text that cannot be shown (no memory) is not taken, and its
// retry takes nothing twice.
TForm1::Reload TForm1::CollectText(const WatchedText& text, bool final) {
  Intake intake = handOff_.intakeOf(text, final);
  if (intake.shows()) services_.setMemoText(DisplayOf(intake));
  const bool waits = intake.waits;
  lineOpen_ = waits;
  ReadAge = text.age;
  handOff_.take(std::move(intake));
  return waits ? Reload::partly : Reload::collected;
}

// The first rows of the text, as wide as the window shows them.
std::string TForm1::DisplayOf(const Intake& intake) const {
  const int limit = VisibleColumns - 1;
  const std::size_t rows = VisibleRows > 0 ? static_cast<std::size_t>(VisibleRows) : 0;
  std::string display;
  for (const std::string& line : handOff_.shownLines(intake, rows)) {
    display += FitLine(line, limit);
    display += kDisplayLineEnd;
  }
  return display;
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

// "VEL" holds the window's own text once a hand-back put it there: the poll
// must not collect it.
bool TForm1::Delivered(Outcome delivery) {
  if (delivery == Outcome::done) ForgetOwnWrite();
  return delivery != Outcome::failed;
}

bool TForm1::FormClose(LockWait wait) {
  if (closed_) return true;
  bool finished = false;
  if (!Guarded("FormClose()", [this, wait, &finished] { finished = CloseNow(wait); })) {
    // The hand-off did not complete: "VEL" stays as it is.
    if (LeaveRequested) handOff_.keepLines("their conversion failed.");
    finished = true;
  }
  closed_ = finished;
  if (finished) notice_.reset();  // "VEL" is no longer watched
  return finished;
}

bool TForm1::CloseNow(LockWait wait) {
  if (!LeaveRequested) {
    if (KeepWatchedFile) {
      handOff_.keepLines("VEL could not be read.");
    } else {
      removeFile(kWatchedFile);
    }
    return true;
  }
  std::optional<WorkFolderLock> lock;
  // Only the Shift_JIS text as it came needs no "binary.tmp".
  const bool needsWorkFile = Encoding != TargetEncoding::shiftJis || settings_.skipControls;
  if (needsWorkFile && !LockFree(lock, wait, Waiting::close)) return false;
  TakeInUnreadChange();
  if (!Delivered(handOff_.Convert(Encoding, HandOff::Afterwards::release))) {
    handOff_.keepLines("their conversion failed.");
  }
  return true;
}

}  // namespace morvel
