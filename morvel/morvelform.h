// Morvel's main window without its toolkit: the state of TForm1 and its
// handlers. It watches "VEL", shows its first lines, has every line read
// collected (hand_off.h) and, when the window goes, has them handed back
// converted (File > Leave) or deletes "VEL" (every other way of closing).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "change_notice.h"
#include "hand_off.h"
#include "help_document.h"
#include "options.h"
#include "passes.h"
#include "profile.h"
#include "reporter.h"
#include "watched_file.h"
#include "window_services.h"
#include "working_files.h"

#include "morvel_texts.h"

namespace morvel {

// Failed reloads of "VEL" before the window gives up.
inline constexpr int MANY_TIMES_1 = 29;

inline constexpr Size kStandardSize{677, 491};
inline constexpr int kCornerRight = 677;   // a corner window's left edge, from the screen's right
inline constexpr int kCornerBottom = 534;  // its top edge, from the screen's bottom
inline constexpr int kLargeHeightReduction = 43;
inline constexpr Size kButtonSize{68, 34};
inline constexpr int kPollInterval = 300;            // ms
inline constexpr int kReloadInterval = 200;          // ms
inline constexpr int kCloseInterval = 1000;          // ms
inline constexpr int kLockRetryInterval = 200;       // ms, while another run holds the folder's lock
inline constexpr std::size_t kFitBufferSize = 2560;  // FitLine looks at 2559 bytes of a line
// A "VEL" still changing is read after this many reload ticks all the same;
// a line without its line end is taken as it is after this many quiet ones.
inline constexpr int kMostUnsettledTicks = 25;
inline constexpr int kQuietTicksForAnOpenLine = 5;

// Columns and rows of "VEL" shown for an outer window size.
int ColumnsForWidth(int width);
int RowsForHeight(int height);

// The line as shown: at most `limit` columns of its first 2559 bytes, a
// double-byte character counting two; a cut line ends in "+".
std::string FitLine(std::string_view line, int limit);

class TForm1 {
 public:
  TForm1(WindowServices& services, const FinalEffect& settings, Reporter& reporter);

  void FormCreate();
  // The hand-off (Leave) or the deletion of "VEL", as the window closes and
  // before it is destroyed. False while it waits for the folder's lock: the
  // window stays, and closes itself again once the lock came free. A
  // failure is reported and the window may close; "VEL" then stays and the
  // collected lines are kept in "Morvel.txt".
  bool FormClose(LockWait wait = LockWait::no);
  // Every handler reports an exception (error.txt and the window) and lets
  // the window run on.
  void FormKeyUp(Key key);
  void FormResize();
  void Button1Click();
  void StatusBar1Click();
  void Timer1Timer();
  void Timer2Timer();
  void Timer3Timer();
  void Timer4Timer();
  // The system said that "VEL" changed (on the window's thread, posted).
  void WatchedFileChanged();

  void Leave1Click();
  void Exit1Click();
  void ShiftJIS1Click();
  void UTF81Click();
  void EUCJP1Click();
  void Record1Click();
  void Large1Click();
  void Standard1Click();
  void Version1Click();

  // What the window has collected and chosen.
  const std::vector<std::string>& collectedLines() const { return handOff_.lines(); }
  TargetEncoding encoding() const { return Encoding; }
  int visibleColumns() const { return VisibleColumns; }
  int visibleRows() const { return VisibleRows; }
  const std::string& statusText() const { return StatusText; }

 private:
  enum class Waiting { none, home, close };

  template <typename Body>
  bool Guarded(const char* handler, Body&& body) noexcept;
  void ReportFailure(const char* handler, const char* what) noexcept;

  void HomeKey();
  bool CloseNow(LockWait wait);
  void ReloadTick();
  void ResumeWatching();
  void GiveUp();
  void TakeInUnreadChange();
  bool LockFree(std::optional<WorkFolderLock>& lock, LockWait wait, Waiting waiting);
  void RestoreStatus();
  enum class Reload { collected, partly, busy, raced, failed };

  void StartReload();
  bool Settled();
  bool OpenLineIsFinal() const;
  void TakeNews();
  void ReadOnNotice();
  void SayMissed(unsigned versions);
  void ForgetOwnWrite();
  Reload GuardedReload(bool final);
  Reload ReloadWatchedFile(bool final);
  Reload CollectText(const WatchedText& text, bool final);
  std::string DisplayOf(const Intake& intake) const;
  void SelectEncoding(TargetEncoding encoding, std::string_view name);
  void PlaceWindow();
  void EnlargeWindow();
  void AnchorButton();
  void OpenHelpPdf();

  // Whether the lines were handed back; where "VEL" took them, it holds
  // the window's own text now.
  bool Delivered(Outcome delivery);

  WindowServices& services_;
  const FinalEffect settings_;
  const ProgramProfile profile_;
  Reporter& reporter_;
  HandOff handOff_;

  std::string StatusText;
  bool OpenPdfAtStart = false;
  bool LongTitle = false;
  bool LeaveRequested = false;
  bool KeepWatchedFile = false;  // "VEL" could not be read: it stays for its writer
  morvel::Corner Corner = morvel::Corner::bottomRight;
  std::int32_t count = 0;
  std::int32_t VisibleRows = 0;
  TargetEncoding Encoding = TargetEncoding::utf8;
  FileAge WatchedAge;
  std::int32_t VisibleColumns = 0;
  FileAge ReadAge;  // of the text last read, or last written by the window itself
  Waiting waiting_ = Waiting::none;
  bool closed_ = false;

  // Settling: "VEL" is read once it stopped changing.
  FileAge LookAge;  // at the last look while settling
  int quietTicks_ = 0;
  int unsettledTicks_ = 0;
  bool reloading_ = false;
  bool lineOpen_ = false;  // the last read left a line without its line end
  // The system's news of "VEL", where it gives them.
  std::unique_ptr<ChangeNotice> notice_;
  bool writerAtWork_ = false;
  bool writerDone_ = false;
  unsigned unreadVersions_ = 0;
  bool missedSaid_ = false;
};

}  // namespace morvel
