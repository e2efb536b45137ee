// The main window's logic with a window in memory; timers tick when a test
// says so.
#include "morvelform.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <filesystem>
#include <string>
#include <vector>

#include "display_text.h"
#include "hand_off.h"
#include "support/as_other_user.h"
#include "support/fake_window.h"
#include "support/temp_dir.h"
#include "version.h"

using namespace morvel;
using testing_support::FakeWindow;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::whereModesBind;
using testing_support::writeBytes;
namespace fs = std::filesystem;

namespace {

// Records the reports instead of writing them.
class Reports final : public Reporter {
 public:
  void error(std::string_view line) override { errors.emplace_back(line); }
  void message(std::string_view subject, std::string_view note) override {
    messages.push_back(std::string(subject) + " " + std::string(note));
  }
  void info(std::string_view) override {}
  void note(std::string_view sentence) override { messages.emplace_back(sentence); }
  std::vector<std::string> errors;
  std::vector<std::string> messages;
};

const std::string kHiraganaA = "\x82\xA0";  // hiragana a

class MainWindow : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"MS932~EUC-JP.bin", "MS932~UTF-8.bin", "MS932~Shift_JIS.bin"}) {
      writeBytes(name, readBytes(std::string(MORVEL_DATA_DIR) + "/" + name));
    }
  }

  TForm1& open(const FinalEffect& settings = {}) {
    form_ = std::make_unique<TForm1>(window_, settings, reports_);
    form_->FormCreate();
    return *form_;
  }

  // The other program writes "VEL"; the window polls and reloads.
  void handOver(const std::string& text) {
    writeBytes("VEL", text);
    form_->Timer1Timer();
    form_->Timer2Timer();
  }

  TempDir dir_;
  FakeWindow window_;
  Reports reports_;
  std::unique_ptr<TForm1> form_;
};

}  // namespace

TEST(Geometry, ColumnsRowsAndFitting) {
  EXPECT_EQ(ColumnsForWidth(677), 80);
  EXPECT_EQ(RowsForHeight(491), 26);
  EXPECT_EQ(ColumnsForWidth(30), -2);  // rounded down, below zero for tiny windows
  EXPECT_EQ(FitLine(std::string(100, 'a'), 79), std::string(79, 'a') + "+");
  EXPECT_EQ(FitLine(std::string(79, 'a'), 79), std::string(79, 'a') + "+");
  EXPECT_EQ(FitLine(std::string(78, 'a'), 79), std::string(78, 'a'));
  std::string kana;
  for (int k = 0; k < 50; ++k) kana += kHiraganaA;
  EXPECT_EQ(FitLine(kana, 79), kana.substr(0, 80) + "+");                          // 40 characters, 80 columns
  EXPECT_EQ(FitLine(std::string(90, '\xB6'), 79), std::string(79, '\xB6') + "+");  // half-width KA
  EXPECT_EQ(FitLine("ab\x82", 79), "ab");                                          // a lone lead byte at the end
  EXPECT_EQ(FitLine(std::string(3000, 'a'), 5000), std::string(2559, 'a'));
}

TEST_F(MainWindow, StartsAtTheBottomRightWithOneSpaceInVel) {
  open();
  EXPECT_EQ(window_.bounds.left, 1920 - 677);
  EXPECT_EQ(window_.bounds.top, 1080 - 534);
  EXPECT_EQ(window_.bounds.width, 677);
  EXPECT_EQ(window_.bounds.height, 491);
  EXPECT_EQ(window_.button.left, 677 - 68);
  EXPECT_EQ(window_.button.top, 491 - FakeWindow::kMenuHeight - 34 - FakeWindow::kStatusHeight);
  EXPECT_EQ(window_.caption, "Morvel");
  EXPECT_EQ(window_.status, fs::current_path().string());
  EXPECT_TRUE(window_.keyPreview);
  EXPECT_EQ(readBytes("VEL"), " ");
  EXPECT_TRUE(window_.timerOn(TimerId::poll));
  EXPECT_EQ(window_.timers[TimerId::poll].intervalMs, 300);
  EXPECT_FALSE(window_.timerOn(TimerId::reload));
  EXPECT_FALSE(window_.timerOn(TimerId::close));
  EXPECT_EQ(form_->visibleColumns(), 80);
  EXPECT_EQ(form_->visibleRows(), 26);
}

TEST_F(MainWindow, CornersLargeAndStandard) {
  const std::vector<std::pair<int, Bounds>> corners = {
      {0, {621, 294, 677, 491}}, {1, {0, 0, 677, 491}},      {2, {1243, 0, 677, 491}},   {3, {1243, 546, 677, 491}},
      {4, {0, 546, 677, 491}},   {5, {1243, 546, 677, 491}}, {-1, {1243, 546, 677, 491}}};
  for (const auto& [corner, expected] : corners) {
    FinalEffect settings;
    settings.corner = cornerFromNumber(corner);
    settings.longTitle = true;
    open(settings);
    EXPECT_EQ(window_.bounds.left, expected.left) << corner;
    EXPECT_EQ(window_.bounds.top, expected.top) << corner;
    EXPECT_EQ(window_.caption, "Morvel VCL");
  }
  form_->Large1Click();
  form_->FormResize();
  EXPECT_EQ(window_.bounds.width, 1920);
  EXPECT_EQ(window_.bounds.height, 1080 - 43);
  EXPECT_EQ(window_.bounds.left, 0);
  EXPECT_EQ(form_->visibleColumns(), ColumnsForWidth(1920));
  EXPECT_EQ(window_.button.left, 1920 - 68);
  form_->Standard1Click();
  form_->FormResize();
  EXPECT_EQ(window_.bounds.left, 1243);
  EXPECT_EQ(window_.bounds.height, 491);
  EXPECT_EQ(form_->visibleColumns(), 80);
  EXPECT_EQ(form_->visibleRows(), 26);
}

TEST_F(MainWindow, ReloadShowsTheFirstRowsAndCollectsEveryLine) {
  open();
  std::string text;
  for (int k = 1; k <= 40; ++k) text += "line " + std::to_string(k) + std::string(100, 'x') + "\r\n";
  form_->Timer1Timer();
  EXPECT_FALSE(window_.timerOn(TimerId::reload));  // its own space is no change
  writeBytes("VEL", text);
  form_->Timer1Timer();
  EXPECT_FALSE(window_.timerOn(TimerId::poll));
  EXPECT_TRUE(window_.timerOn(TimerId::reload));
  EXPECT_EQ(window_.timers[TimerId::reload].intervalMs, 200);
  form_->Timer2Timer();
  EXPECT_TRUE(window_.timerOn(TimerId::poll));
  EXPECT_EQ(window_.timers[TimerId::poll].intervalMs, 300);
  EXPECT_FALSE(window_.timerOn(TimerId::reload));
  ASSERT_EQ(form_->collectedLines().size(), 40u);
  EXPECT_EQ(form_->collectedLines()[39], "line 40" + std::string(100, 'x'));
  std::string shown;
  for (int k = 1; k <= 26; ++k) shown += FitLine("line " + std::to_string(k) + std::string(100, 'x'), 79) + "\r\n";
  EXPECT_EQ(window_.memo, shown);
  form_->Timer2Timer();  // a late tick finds the count parked
  EXPECT_EQ(form_->collectedLines().size(), 40u);
}

TEST_F(MainWindow, TwoWritesWithinASecondAreBothCollected) {
  open();
  handOver("first\n");
  handOver("second\n");
  EXPECT_EQ(form_->collectedLines(), (std::vector<std::string>{"first", "second"}));
}

// The text replaced within the 200 ms before the reload is lost, and the
// window says so; the one that replaced it is read once it settled.
TEST_F(MainWindow, ARewriteBeforeTheReloadIsReadOnceSettledAndTheLostTextNamed) {
  open();
  writeBytes("VEL", "first\n");
  form_->Timer1Timer();
  writeBytes("VEL", "second\n");
  form_->Timer2Timer();  // still changing
  EXPECT_TRUE(form_->collectedLines().empty());
  form_->Timer2Timer();
  form_->Timer1Timer();
  EXPECT_FALSE(window_.timerOn(TimerId::reload));
  EXPECT_EQ(form_->collectedLines(), std::vector<std::string>{"second"});
  EXPECT_EQ(reports_.messages, std::vector<std::string>{"VEL " + std::string(kMissedRewriteNote)});
  EXPECT_EQ(window_.status, kMissedRewriteStatus);
}

// A writer that keeps "VEL" open and writes it in pieces, a pause between
// them, one piece ending on a lead byte: each line is taken once, whole,
// its double-byte characters intact.
TEST_F(MainWindow, TextWrittenInPiecesIsCollectedOnceWithNoPartialLine) {
  open();
  const std::string letter =
      "\x8A\x94\x8E\xAE\x89\xEF\x8E\xD0\r\n"          // kabushiki kaisha
      "\x8F\x5A\x8F\x8A\x81\x46\x93\x8C\x8B\x9E\r\n"  // address: Tokyo
      "end\r\n";
  const std::size_t cuts[] = {5, 17, letter.size()};  // the second piece ends on the lead byte 0x93
  ASSERT_EQ(static_cast<unsigned char>(letter[16]), 0x93);
  const int fd = ::open("VEL", O_WRONLY | O_TRUNC);
  ASSERT_GE(fd, 0);
  std::size_t written = 0;
  for (const std::size_t cut : cuts) {
    ASSERT_EQ(::write(fd, letter.data() + written, cut - written), static_cast<ssize_t>(cut - written));
    written = cut;
    form_->Timer1Timer();
    form_->Timer2Timer();
    form_->Timer2Timer();
    ASSERT_TRUE(form_->collectedLines().size() <= 1u ||
                form_->collectedLines()[1] == "\x8F\x5A\x8F\x8A\x81\x46\x93\x8C\x8B\x9E");
  }
  ::close(fd);
  form_->WatchedFileChanged();  // its writer is done
  for (int tick = 0; tick < kQuietTicksForAnOpenLine; ++tick) form_->Timer2Timer();
  form_->Timer1Timer();
  form_->Timer2Timer();
  EXPECT_EQ(form_->collectedLines(), (std::vector<std::string>{"\x8A\x94\x8E\xAE\x89\xEF\x8E\xD0",
                                                               "\x8F\x5A\x8F\x8A\x81\x46\x93\x8C\x8B\x9E", "end"}));
  EXPECT_TRUE(reports_.messages.empty());
}

// Lines added to the same file are taken alone, numbered on; a text whose
// last line still waits for its line end leaves it to the next read, and
// the hand-off takes it as it is, without a lead byte left alone at its end.
TEST_F(MainWindow, AppendedLinesAreTakenAloneAndTheLastOpenLineAtLeave) {
  FinalEffect settings;
  settings.numbering = true;
  settings.encoding = encodingFromNumber(2);
  open(settings);
  handOver("a\n");
  const auto append = [](const std::string& text) {
    const int fd = ::open("VEL", O_WRONLY | O_APPEND);
    ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(fd);
  };
  append("b\r\n");
  form_->Timer1Timer();
  form_->Timer2Timer();
  EXPECT_EQ(window_.memo, "         1|a\r\n         2|b\r\n");
  append("c\x82");
  form_->Leave1Click();
  EXPECT_TRUE(form_->FormClose());
  EXPECT_EQ(readBytes("VEL"), "         1|a\r\n         2|b\r\n         3|c\r\n");
}

// Where the system tells of each finished rewrite, each is read at once,
// with no timer; two finished before one read leave one text unread,
// which the window says once.
TEST_F(MainWindow, EachFinishedRewriteIsReadOnTheSystemsNews) {
  open();
  int version = 0;
  const auto replace = [&version](const std::string& text) {
    const std::string temporary = "VEL." + std::to_string(++version);
    writeBytes(temporary, text);
    fs::rename(temporary, "VEL");
  };
  replace("one\n");
  for (int waited = 0; window_.fileChanges == 0 && waited < 500; ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (window_.fileChanges == 0) GTEST_SKIP() << "no change notification in " << fs::current_path();
  form_->WatchedFileChanged();
  replace("two\n");
  form_->WatchedFileChanged();
  EXPECT_EQ(form_->collectedLines(), (std::vector<std::string>{"one", "two"}));
  EXPECT_TRUE(reports_.messages.empty());
  replace("three\n");
  replace("four\n");
  form_->WatchedFileChanged();
  form_->WatchedFileChanged();
  EXPECT_EQ(form_->collectedLines(), (std::vector<std::string>{"one", "two", "four"}));
  EXPECT_EQ(reports_.messages, std::vector<std::string>{"VEL " + std::string(kMissedRewriteNote)});
  replace("five\n");
  replace("six\n");
  form_->WatchedFileChanged();
  EXPECT_EQ(reports_.messages.size(), 1u);  // said once
  EXPECT_FALSE(window_.timerOn(TimerId::reload));
}

// Lines longer than the work buffer become pieces of 524,287 bytes, as a
// text file read with it gives them; CR bytes do not count.
TEST_F(MainWindow, LongLinesArePiecesOfTheWorkBuffer) {
  open();
  const std::string full(524287, 'a');
  handOver(full + "\r\n" + full + "bc\r\nd");  // its writer is done: the last line, too
  ASSERT_EQ(form_->collectedLines().size(), 5u);
  EXPECT_EQ(form_->collectedLines()[0], full);
  EXPECT_EQ(form_->collectedLines()[1], "");
  EXPECT_EQ(form_->collectedLines()[2], full);
  EXPECT_EQ(form_->collectedLines()[3], "bc");
  EXPECT_EQ(form_->collectedLines()[4], "d");
}

TEST_F(MainWindow, NumberingGoesOnAcrossReloads) {
  FinalEffect settings;
  settings.numbering = true;
  open(settings);
  handOver("a\nb\nc\n");
  handOver("a\nb\nc\n");
  const auto& lines = form_->collectedLines();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "         1|a");
  EXPECT_EQ(lines[5], "         6|c");
  EXPECT_EQ(window_.memo, "         4|a\r\n         5|b\r\n         6|c\r\n");
}

TEST_F(MainWindow, AChmodOrAHardLinkIsNoNewText) {
  open();
  handOver("A\n");
  fs::permissions("VEL", fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
  form_->Timer1Timer();
  fs::create_hard_link("VEL", "VEL.link");
  form_->Timer1Timer();
  EXPECT_FALSE(window_.timerOn(TimerId::reload));
  EXPECT_EQ(form_->collectedLines(), std::vector<std::string>{"A"});
}

TEST_F(MainWindow, AnUnreadableVelIsRetried29TimesThenLeftInPlaceWithTheLinesInMorvelTxt) {
  open();
  handOver("A" + kHiraganaA + "\n");
  fs::remove("VEL");
  fs::create_symlink("nowhere", "VEL");  // there, but it cannot be read
  form_->Timer1Timer();
  for (int tick = 1; tick < MANY_TIMES_1; ++tick) form_->Timer2Timer();
  EXPECT_EQ(window_.closeRequests, 0);
  EXPECT_EQ(reports_.errors.back(), "fopen() error-2: VEL");
  form_->Timer2Timer();
  EXPECT_EQ(window_.closeRequests, 1);
  EXPECT_EQ(reports_.errors.size(), 30u);
  EXPECT_EQ(reports_.errors.back(), "Timer2Timer() error: count == MANY_TIMES_1");
  EXPECT_FALSE(window_.timerOn(TimerId::reload));
  form_->FormClose();
  EXPECT_TRUE(fs::is_symlink("VEL"));
  EXPECT_EQ(readBytes("Morvel.txt"), "A" + kHiraganaA + "\r\n");
  EXPECT_EQ(reports_.messages.back(), "Morvel.txt holds the collected lines unconverted: VEL could not be read.");
}

TEST_F(MainWindow, KeysAndMenusChooseAndShow) {
  open();
  form_->FormKeyUp(Key::f8);
  EXPECT_EQ(window_.memo, "");
  form_->FormKeyUp(Key::end);
  EXPECT_EQ(encodingNumber(form_->encoding()), 1);
  EXPECT_EQ(window_.status, "EUC-JP");
  form_->FormKeyUp(Key::pageUp);
  EXPECT_EQ(encodingNumber(form_->encoding()), 3);
  form_->ShiftJIS1Click();
  EXPECT_EQ(encodingNumber(form_->encoding()), 2);
  form_->FormKeyUp(Key::f8);
  EXPECT_EQ(window_.memo, "Shift_JIS");
  form_->StatusBar1Click();
  EXPECT_EQ(window_.memo, " ");
  form_->EUCJP1Click();
  EXPECT_EQ(window_.status, "EUC-JP");
  form_->Record1Click();
  EXPECT_EQ(window_.recordDialogs, 1);
  form_->Version1Click();
  EXPECT_EQ(window_.versions, std::vector<std::string>{kMorvelVersion});
  form_->Button1Click();
  EXPECT_EQ(window_.bounds.width, 1920);
  form_->FormKeyUp(Key::f3);
  EXPECT_EQ(window_.closeRequests, 1);
  form_->FormClose();
  EXPECT_FALSE(fs::exists("VEL"));  // closing without Leave deletes it
}

// Home writes UTF-8 whatever the target, after reading a rewrite the poll
// has not seen; its own write is not collected back.
TEST_F(MainWindow, HomeTakesInAnUnreadRewriteAndHandsBackUtf8) {
  FinalEffect settings;
  settings.encoding = encodingFromNumber(1);
  open(settings);
  handOver("A" + kHiraganaA + "\r\n");
  writeBytes("VEL", "B\r\n");
  form_->FormKeyUp(Key::home);
  EXPECT_EQ(readBytes("VEL"), "A\xE3\x81\x82\r\nB\r\n");  // CR LF: the default line end
  EXPECT_EQ(encodingNumber(form_->encoding()), 1);
  form_->Timer1Timer();
  EXPECT_FALSE(window_.timerOn(TimerId::reload));
  EXPECT_TRUE(window_.timerOn(TimerId::poll));
  EXPECT_EQ(window_.timers[TimerId::poll].intervalMs, 300);
  EXPECT_EQ(form_->collectedLines(), (std::vector<std::string>{"A" + kHiraganaA, "B"}));
}

TEST_F(MainWindow, LeaveTakesInARewriteSeenButNotYetRead) {
  open();
  handOver("first\n");
  writeBytes("VEL", "second\n");
  form_->Timer1Timer();  // seen; the reload would come 200 ms later
  form_->Leave1Click();
  EXPECT_TRUE(form_->FormClose());
  EXPECT_EQ(readBytes("VEL"), "first\r\nsecond\r\n");
}

TEST_F(MainWindow, LeaveHandsBackEveryCollectedLineByEncoding) {
  struct Case {
    int encoding;
    bool skip;
    std::string expected;
  };
  const std::string text = "A\t" + kHiraganaA + "\r\nB\r\n";
  const std::vector<Case> cases = {
      {1, false, "A\t\xA4\xA2\nB\n"},
      {3, false, "A\t\xE3\x81\x82\nB\n"},
      {2, false, "A\t" + kHiraganaA + "\r\nB\r\n"},
      {2, true, "A" + kHiraganaA + "\r\nB\r\n"},
      {3, true, "A\xE3\x81\x82\nB\n"},
      {1, true, "A\xA4\xA2\nB\n"},
  };
  for (const Case& c : cases) {
    FinalEffect settings;
    settings.encoding = encodingFromNumber(c.encoding);
    settings.crlf = c.encoding == 2;
    settings.skipControls = c.skip;
    open(settings);
    handOver(text);
    form_->Leave1Click();
    form_->FormClose();
    EXPECT_EQ(readBytes("VEL"), c.expected) << c.encoding << c.skip;
    fs::remove("VEL");
  }
}

TEST_F(MainWindow, AFailedHandBackKeepsTheLinesInMorvelTxt) {
  open();
  handOver("A" + kHiraganaA + "\n");
  fs::remove("MS932~UTF-8.bin");
  form_->Leave1Click();
  form_->FormClose();
  EXPECT_EQ(readBytes("VEL"), "A" + kHiraganaA + "\n");
  EXPECT_EQ(readBytes("Morvel.txt"), "A" + kHiraganaA + "\r\n");
  EXPECT_EQ(reports_.messages.back(), "Morvel.txt holds the collected lines unconverted: their conversion failed.");
}

// The lines go to the conversion and come back, a failed one included; the
// last hand-off leaves none collected behind.
TEST_F(MainWindow, TheLastHandOffLeavesNoLinesAndEveryOtherKeepsThem) {
  for (const TargetEncoding encoding : {TargetEncoding::eucJp, TargetEncoding::shiftJis}) {
    HandOff handOff({}, reports_);
    handOff.take(handOff.intakeOf({ReadOutcome::done, "A" + kHiraganaA + "\r\nB", {}}, true));
    const std::vector<std::string> lines{"A" + kHiraganaA, "B"};
    ASSERT_EQ(handOff.lines(), lines);
    EXPECT_EQ(handOff.ConvertToUtf8(HandOff::Afterwards::keep), Outcome::done);
    EXPECT_EQ(readBytes("VEL"), "A\xE3\x81\x82\r\nB\r\n");
    EXPECT_EQ(handOff.lines(), lines);
    fs::rename("MS932~UTF-8.bin", "away.bin");
    EXPECT_EQ(handOff.Convert(TargetEncoding::utf8, HandOff::Afterwards::release), Outcome::failed);
    EXPECT_EQ(handOff.lines(), lines);
    fs::rename("away.bin", "MS932~UTF-8.bin");
    EXPECT_EQ(handOff.Convert(encoding, HandOff::Afterwards::release), Outcome::done);
    EXPECT_EQ(readBytes("VEL"),
              encoding == TargetEncoding::eucJp ? "A\xA4\xA2\r\nB\r\n" : "A" + kHiraganaA + "\r\nB\r\n");
    EXPECT_TRUE(handOff.lines().empty());
  }
}

// "binary.tmp" of an earlier run or another user, which this user cannot
// write: every hand-off fails on it, none hands its old text on.
TEST_F(MainWindow, AnOldWorkFileIsNeverHandedOn) {
  open();
  handOver("A" + kHiraganaA + "\r\n");
  writeBytes("binary.tmp", "OLD");
  fs::permissions("binary.tmp", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::permissions(".", fs::perms::all);  // where the check runs as another user
  EXPECT_TRUE(whereModesBind([this] {
    form_->FormKeyUp(Key::home);
    form_->FormKeyUp(Key::home);
    const bool velKept = readBytes("VEL") == "A" + kHiraganaA + "\r\n";
    const bool nothingElsewhere = !fs::exists("Morvel.txt");
    form_->Leave1Click();
    form_->FormClose();
    return velKept && nothingElsewhere && readBytes("VEL") == "A" + kHiraganaA + "\r\n" &&
           readBytes("Morvel.txt") == "A" + kHiraganaA + "\r\n" &&
           reports_.messages ==
               std::vector<std::string>{"Morvel.txt holds the collected lines unconverted: their conversion failed."};
  }));
}

TEST_F(MainWindow, AThrowingHandlerIsReportedAndTheWindowRunsOn) {
  open();
  window_.failMemo = true;  // showing the text fails, as an allocation would
  writeBytes("VEL", "A\n");
  form_->Timer1Timer();
  form_->Timer2Timer();
  EXPECT_EQ(reports_.errors.back(), "ReloadWatchedFile() error: std::bad_alloc");
  EXPECT_EQ(window_.failures, std::vector<std::string>{"ReloadWatchedFile() error: std::bad_alloc"});
  EXPECT_TRUE(form_->collectedLines().empty());
  EXPECT_TRUE(window_.timerOn(TimerId::reload));
  window_.failMemo = false;
  form_->Timer2Timer();  // the retry collects the text once
  EXPECT_EQ(form_->collectedLines(), std::vector<std::string>{"A"});

  window_.failMemo = true;
  form_->FormKeyUp(Key::f8);
  EXPECT_EQ(reports_.errors.back(), "FormKeyUp() error: std::bad_alloc");
  EXPECT_EQ(window_.closeRequests, 0);

  // The final hand-off reads the unread rewrite first, and that fails:
  // "VEL" stays, the lines collected go to "Morvel.txt".
  writeBytes("VEL", "B\n");
  form_->Leave1Click();
  EXPECT_TRUE(form_->FormClose());
  EXPECT_EQ(reports_.errors.back(), "FormClose() error: std::bad_alloc");
  EXPECT_EQ(readBytes("VEL"), "B\n");
  EXPECT_EQ(readBytes("Morvel.txt"), "A\r\n");
  EXPECT_EQ(reports_.messages.back(), "Morvel.txt holds the collected lines unconverted: their conversion failed.");
}

// Another run converts in this folder: Home and Leave wait for it, the
// window running on, and go on once its lock is free.
TEST_F(MainWindow, HomeAndLeaveWaitForTheFolderLockWithoutBlocking) {
  open();
  handOver("A\n");
  int held[2];
  int release[2];
  ASSERT_EQ(::pipe(held), 0);
  ASSERT_EQ(::pipe(release), 0);
  const pid_t other = ::fork();
  if (other == 0) {  // holds the lock until told, or 10 s: a window that blocks fails, not hangs
    const WorkFolderLock lock;
    char byte = 'x';
    pollfd told{release[0], POLLIN, 0};
    ::_exit(::write(held[1], &byte, 1) == 1 && ::poll(&told, 1, 10000) == 1 ? 0 : 1);
  }
  char byte = 0;
  ASSERT_EQ(::read(held[0], &byte, 1), 1);

  form_->FormKeyUp(Key::home);
  EXPECT_EQ(readBytes("VEL"), "A\n");
  EXPECT_EQ(window_.status, kWaitingForLockText);
  EXPECT_TRUE(window_.timerOn(TimerId::wait));
  form_->Leave1Click();
  EXPECT_FALSE(form_->FormClose());
  form_->Timer4Timer();
  EXPECT_EQ(window_.closeRequests, 2);  // Leave's, then the retry's
  EXPECT_FALSE(form_->FormClose());
  EXPECT_EQ(window_.status, kWaitingForLockText);

  ASSERT_EQ(::write(release[1], &byte, 1), 1);
  int status = 0;
  ::waitpid(other, &status, 0);
  for (const int fd : {held[0], held[1], release[0], release[1]}) ::close(fd);
  form_->Timer4Timer();
  EXPECT_EQ(window_.closeRequests, 3);
  EXPECT_FALSE(window_.timerOn(TimerId::wait));
  EXPECT_EQ(window_.status, fs::current_path().string());
  EXPECT_TRUE(form_->FormClose());
  EXPECT_EQ(readBytes("VEL"), "A\r\n");
}

TEST_F(MainWindow, PdfHelpOpensAndTheWindowClosesASecondLater) {
  FinalEffect settings;
  settings.pdfHelp = true;
  open(settings);
  EXPECT_EQ(window_.opened, std::vector<std::string>{"MorvelVCL.pdf"});
  EXPECT_TRUE(window_.timerOn(TimerId::close));
  EXPECT_EQ(window_.timers[TimerId::close].intervalMs, 1000);
  form_->Timer3Timer();
  EXPECT_EQ(window_.closeRequests, 1);
  form_->FormClose();
  EXPECT_FALSE(fs::exists("VEL"));
}

TEST_F(MainWindow, ShiftJisIsShownThroughTheUtf8Table) {
  const DisplayText display{};
  // hiragana a, half-width KA, a pair without an entry, a lead byte before a
  // non-trail byte, 0x80, a lone lead byte
  EXPECT_EQ(display.utf8("A\x82\xA0\xB6\x85\x40\x81\t\x80\r\n\x82"),
            "A\xE3\x81\x82\xEF\xBD\xB6\xEF\xBF\xBD\xEF\xBF\xBD\t\xEF\xBF\xBD\n\xEF\xBF\xBD");
}
