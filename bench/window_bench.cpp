// Morvel's window with a large "VEL": how long the pick-up of a rewritten
// file and the hand-back of File > Leave take, next to iconv and a plain copy
// of the same file; then File > Leave on a small text in the real program.
//
//   window_bench [megabytes [repeats]]
//
// Generates a code page 932 text of the given size (default 10 MB, lines of
// 20 to 100 characters ending in CR LF: ASCII, half-width katakana and
// double-byte characters of the EUC-JP table) in a temporary folder that
// holds copies of the tables, and prints the best of `repeats` runs
// (default 5) of each operation against the goal of one second.
//
// The small text is the first 11 lines of that text, handed over through
// "VEL" to Morvel itself, started in a fresh folder under an Xvfb of the
// bench's own (no window manager), and File > Leave is typed with xdotool
// (Alt+F, then L): the row gives the time from the start of the xdotool
// that types L (its own start included, about 15 ms) to "VEL" holding the
// converted text and to the end of the process, which takes its window with
// it, against 0.3 s. With a Windows build (MORVEL_WINDOWS_BUILD) the same
// runs Morvel.exe under Wine, in a Wine prefix of the bench's own, against
// 0.5 s. Without Xvfb or xdotool these rows are skipped.
//
// Exits with 1 when the window shows more than its visible rows, collects a
// different number of lines, reports an error, or when the real program
// hands back other bytes than the window's logic does here, or does not end
// with 0 within 15 s. Everything generated is removed at the end.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "locator.h"
#include "morvelform.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using morvel::TForm1;

constexpr double kGoalSeconds = 1.0;
constexpr std::size_t kSmallMemo = 10 * 1024;

using bench::bytesOf;
using bench::copyFile;
using bench::Options;
using bench::secondsOf;

// A window system that keeps only what the bench looks at.
class BenchWindow final : public morvel::WindowServices {
 public:
  void setCaption(std::string_view) override {}
  void setMemoText(std::string_view text) override {
    memo = text;
    ++memoSets;
  }
  void setStatusText(std::string_view) override {}
  void setStatusPath(std::string_view) override {}
  void setKeyPreview(bool) override {}
  void closeWindow() override {}
  void setTimer(morvel::TimerId, int, bool) override {}
  morvel::Bounds windowBounds() const override { return bounds_; }
  morvel::Size clientSize() const override { return {bounds_.width, bounds_.height - 20}; }
  void setWindowBounds(const morvel::Bounds& b) override { bounds_ = b; }
  morvel::Size screenSize() const override { return {1920, 1080}; }
  void restoreWindow() override {}
  int statusBarHeight() const override { return 19; }
  void setButtonBounds(const morvel::Bounds&) override {}
  void setClipboardText(std::string_view) override {}
  void openDocument(const std::string&) override {}
  void showRecordDialog() override {}
  void showVersionDialog(std::string_view) override {}
  void showFailure(std::string_view text) override {
    std::fprintf(stderr, "failure: %.*s\n", static_cast<int>(text.size()), text.data());
  }
  void postFileChange() override {}

  std::string memo;
  int memoSets = 0;

 private:
  morvel::Bounds bounds_;
};

// Any report is a failure of the run: it goes to standard error.
class Reports final : public morvel::Reporter {
 public:
  void error(std::string_view line) override { countLine("error", line); }
  void message(std::string_view subject, std::string_view text) override {
    countLine("message", std::string(subject) + " " + std::string(text));
  }
  void info(std::string_view) override {}
  void note(std::string_view sentence) override { countLine("note", sentence); }
  int count = 0;

 private:
  void countLine(const char* kind, std::string_view line) {
    std::fprintf(stderr, "%s: %.*s\n", kind, static_cast<int>(line.size()), line.data());
    ++count;
  }
};

// A text of `bytes` bytes or a little more: runs of ASCII, half-width
// katakana and double-byte characters (30/5/65 by character count), each run
// going on with probability 0.8.
std::string mixedText(std::size_t bytes, const std::vector<std::int32_t>& doubleBytes, std::size_t& lines) {
  static constexpr std::string_view kAscii =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789     .,;:-()/'\"!?";
  std::mt19937_64 random(932);
  auto uniform = [&](auto low, auto high) { return std::uniform_int_distribution<decltype(low)>(low, high)(random); };
  std::string text;
  text.reserve(bytes + 512);
  int kind = 2;
  lines = 0;
  while (text.size() < bytes) {
    for (int n = uniform(20, 100); n > 0; --n) {
      if (uniform(0, 9) < 2) {
        const int x = uniform(0, 99);
        kind = x < 30 ? 0 : x < 35 ? 1 : 2;
      }
      if (kind == 0) {
        text += kAscii[uniform(std::size_t{0}, kAscii.size() - 1)];
      } else if (kind == 1) {
        text += static_cast<char>(uniform(0xA1, 0xDF));
      } else {
        const std::int32_t code = doubleBytes[uniform(std::size_t{0}, doubleBytes.size() - 1)];
        text += static_cast<char>(code >> 8);
        text += static_cast<char>(code & 0xFF);
      }
    }
    text += "\r\n";
    ++lines;
  }
  return text;
}

// The double-byte codes that the EUC-JP table has records for.
std::vector<std::int32_t> doubleByteCodes(const morvel::SparseEUC& table) {
  std::vector<std::int32_t> codes;
  for (std::int32_t code = 0x8140; code <= morvel::kHighestCode; ++code) {
    if (!table.entryText(code).empty()) codes.push_back(code);
  }
  return codes;
}

void writeBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The best of `repeats` runs of `work`; `prepare` runs before each, outside
// the time.
double bestOf(int repeats, const std::function<void()>& prepare, const std::function<void()>& work) {
  double best = 1e300;
  for (int n = 0; n < repeats; ++n) {
    prepare();
    ::sync();
    best = std::min(best, secondsOf(work));
  }
  return best;
}

void runIconv(const fs::path& input, const fs::path& output) {
  const std::string in = input.string();
  const std::string out = output.string();
  std::vector<std::string> args = {"iconv", "-f", "CP932", "-t", "UTF-8", in, "-o", out};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawnp(&pid, "iconv", nullptr, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "cannot start iconv\n");
    std::exit(1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "iconv failed on %s\n", in.c_str());
    std::exit(1);
  }
}

// A window as the program has it: created, its "VEL" then rewritten with
// `text` by another program.
struct Session {
  Session(int encoding, const std::string& text) : settings(withEncoding(encoding)) {
    form.FormCreate();
    writeBytes(morvel::kWatchedFile, text);
  }
  void pickUp() {
    form.Timer1Timer();
    form.Timer2Timer();
  }
  void leave() {
    form.Leave1Click();
    form.FormClose();
  }
  static morvel::FinalEffect withEncoding(int encoding) {
    morvel::FinalEffect effect;
    effect.encoding = morvel::encodingFromNumber(encoding);
    return effect;
  }

  const morvel::FinalEffect settings;
  BenchWindow window;
  Reports reports;
  TForm1 form{window, settings, reports};
};

struct Outcome {
  std::size_t memoBytes = 0;
  std::size_t collected = 0;
  bool sound = true;  // one memo set, "VEL" handed back, no report
};

void printRow(const char* what, double seconds) {
  std::printf("  %-44s %8.3f   %s\n", what, seconds, seconds <= kGoalSeconds ? "yes" : "NO");
}

// --- File > Leave on a small text, in the real program ---------------------

using Clock = std::chrono::steady_clock;

constexpr int kSmallLines = 11;
constexpr double kLeaveGoal = 0.3;                             // seconds, Morvel
constexpr double kWineLeaveGoal = 0.5;                         // seconds, Morvel.exe under Wine
constexpr auto kPickUpWait = std::chrono::milliseconds(1000);  // a poll (300 ms) and a reload (200 ms), with room
constexpr auto kMenuWait = std::chrono::milliseconds(400);
constexpr auto kEndLimit = std::chrono::seconds(15);

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

bool onPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string_view rest = path != nullptr ? path : "";
  while (!rest.empty()) {
    const std::size_t colon = rest.find(':');
    const std::string folder(rest.substr(0, colon));
    if (!folder.empty() && ::access((folder + "/" + name).c_str(), X_OK) == 0) return true;
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
  }
  return false;
}

// Starts `args` in `folder` with its output discarded; `displayFd` is the
// child's descriptor 3 when given. -1 when it cannot start.
pid_t start(const std::vector<std::string>& args, const std::string& folder = {}, int displayFd = -1) {
  std::vector<std::string> words = args;
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  if (displayFd >= 0) posix_spawn_file_actions_adddup2(&actions, displayFd, 3);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t pid = -1;
  if (::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int finish(pid_t pid) {
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int run(const std::vector<std::string>& args) { return finish(start(args)); }

// The first line a shell command prints.
std::string firstLineOf(const std::string& command) {
  std::string line;
  if (std::FILE* out = ::popen(command.c_str(), "r")) {
    char buffer[256];
    if (std::fgets(buffer, sizeof buffer, out) != nullptr) line = buffer;
    ::pclose(out);
  }
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

// An Xvfb of the bench's own, which says its display once it listens.
struct OwnDisplay {
  pid_t pid = -1;
  std::string name;

  OwnDisplay() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    pid =
        start({"Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"}, {}, fds[1]);
    ::close(fds[1]);
    std::string number;
    char c = 0;
    while (::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (!number.empty()) name = ":" + number;
  }
  ~OwnDisplay() {
    if (pid < 0) return;
    ::kill(pid, SIGTERM);
    finish(pid);
  }
  OwnDisplay(const OwnDisplay&) = delete;
  OwnDisplay& operator=(const OwnDisplay&) = delete;
};

struct LeaveTimes {
  double converted = 0;  // "VEL" holds the converted text
  double ended = 0;      // the process ended, and its window with it
};

// One run: `program` started in a fresh folder with the tables, the text
// handed over through "VEL", picked up, then File > Leave typed.
std::optional<LeaveTimes> leaveOnce(const std::vector<std::string>& program, const fs::path& folder,
                                    const std::string& text, const std::string& expected) {
  fs::create_directory(folder);
  for (const char* name : {"MS932~EUC-JP.bin", "MS932~UTF-8.bin"}) {
    fs::copy_file(fs::path(MORVEL_DATA_DIR) / name, folder / name);
  }
  const pid_t pid = start(program, folder.string());
  if (pid < 0) return std::nullopt;
  const std::string window = firstLineOf("timeout 60 xdotool search --sync --onlyvisible --name '^Morvel$'");
  std::optional<LeaveTimes> times;
  if (!window.empty()) {
    run({"xdotool", "windowfocus", "--sync", window});
    writeBytes(folder / "VEL.new", text);
    fs::rename(folder / "VEL.new", folder / morvel::kWatchedFile);
    std::this_thread::sleep_for(kPickUpWait);
    run({"xdotool", "key", "--clearmodifiers", "alt+f"});
    std::this_thread::sleep_for(kMenuWait);
    const Clock::time_point typed = Clock::now();
    const pid_t key = start({"xdotool", "key", "--clearmodifiers", "l"});
    LeaveTimes seen;
    bool converted = false;
    int status = 0;
    while (Clock::now() - typed < kEndLimit) {
      if (!converted && bytesOf(folder / morvel::kWatchedFile) == expected) {
        seen.converted = secondsSince(typed);
        converted = true;
      }
      if (::waitpid(pid, &status, WNOHANG) == pid) {
        seen.ended = secondsSince(typed);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    finish(key);
    const bool ended = seen.ended > 0;
    if (!ended) {
      ::kill(pid, SIGKILL);
      finish(pid);
    }
    // A conversion seen only after the end still counts as done.
    if (!converted && bytesOf(folder / morvel::kWatchedFile) == expected) seen.converted = seen.ended;
    if (ended && WIFEXITED(status) && WEXITSTATUS(status) == 0 && seen.converted > 0) times = seen;
  } else {
    ::kill(pid, SIGKILL);
    finish(pid);
  }
  fs::remove_all(folder);
  return times;
}

struct LeaveRow {
  LeaveTimes best{1e300, 1e300};
  double worstEnd = 0;
  bool sound = true;
};

LeaveRow leaveRuns(const std::vector<std::string>& program, const fs::path& dir, int repeats, const std::string& text,
                   const std::string& expected) {
  LeaveRow row;
  for (int n = 0; n < repeats; ++n) {
    const auto times = leaveOnce(program, dir / ("leave-" + std::to_string(n)), text, expected);
    if (!times) {
      row.sound = false;
      continue;
    }
    row.best.converted = std::min(row.best.converted, times->converted);
    row.best.ended = std::min(row.best.ended, times->ended);
    row.worstEnd = std::max(row.worstEnd, times->ended);
  }
  return row;
}

void printLeaveRow(const char* what, const LeaveRow& row, double goal) {
  if (!row.sound) {
    std::printf("  %-30s FAILED: another result in \"VEL\", no window, or no end with 0 within 15 s\n", what);
    return;
  }
  std::printf("  %-30s %9.3f %9.3f %9.3f   %.1f s: %s\n", what, row.best.converted, row.best.ended, row.worstEnd, goal,
              row.worstEnd <= goal ? "yes" : "NO");
}

// The first `lines` lines of `text`.
std::string firstLines(const std::string& text, int lines) {
  std::size_t end = 0;
  for (int n = 0; n < lines && end != std::string::npos; ++n) {
    end = text.find('\n', end);
    if (end != std::string::npos) ++end;
  }
  return text.substr(0, end);
}

// Leave on a small text in Morvel (and Morvel.exe under Wine); false when
// a run failed.
bool leaveOnASmallText(const fs::path& dir, int repeats, const std::string& small, const std::string& expected) {
  std::printf(
      "File > Leave on a %d-line text (%zu bytes) in the real program, under its own Xvfb with no window "
      "manager;\nseconds from typing L, best of %d runs, and the worst end\n",
      kSmallLines, small.size(), repeats);
  if (!onPath("Xvfb") || !onPath("xdotool")) {
    std::printf("  skipped: Xvfb or xdotool is not installed\n");
    return true;
  }
  const OwnDisplay display;
  if (display.name.empty()) {
    std::printf("  skipped: Xvfb did not start\n");
    return true;
  }
  ::setenv("DISPLAY", display.name.c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "xcb", 1);
  ::unsetenv("WAYLAND_DISPLAY");
  std::printf("  %-30s %9s %9s %9s   %s\n", "program", "converted", "ended", "worst end", "goal: within");
  const LeaveRow native = leaveRuns({MORVEL_EXECUTABLE}, dir, repeats, small, expected);
  printLeaveRow("Morvel", native, kLeaveGoal);
  bool sound = native.sound;
#ifdef MORVEL_WINDOWS_EXECUTABLE
  // A prefix of the bench's own, with Wine's defaults (its windows left to a
  // window manager, here absent); made once, outside the time.
  ::setenv("WINEPREFIX", MORVEL_BENCH_WINE_PREFIX, 1);
  ::setenv("WINEDEBUG", "-all", 1);
  run({"wineserver", "-k"});
  run({"bash", MORVEL_WINE_RUN, "cmd", "/c", "exit"});
  const LeaveRow wine = leaveRuns({"bash", MORVEL_WINE_RUN, MORVEL_WINDOWS_EXECUTABLE}, dir, repeats, small, expected);
  printLeaveRow("Morvel.exe under Wine", wine, kWineLeaveGoal);
  run({"wineserver", "-k"});
  sound = sound && wine.sound;
#else
  std::printf("  %-30s skipped: no Windows build (MORVEL_WINDOWS_BUILD)\n", "Morvel.exe under Wine");
#endif
  return sound;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = bench::optionsFrom(argc, argv, Options{10, 5});
  std::string pattern = (fs::temp_directory_path() / "window-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const fs::path dir = pattern;
  fs::current_path(dir);  // the window works in its current folder
  for (const char* name : {"MS932~EUC-JP.bin", "MS932~UTF-8.bin"}) {
    fs::copy_file(fs::path(MORVEL_DATA_DIR) / name, dir / name);
  }

  morvel::SparseEUC table;
  if (!morvel::loadTableFile(table, "MS932~EUC-JP.bin")) {
    std::fprintf(stderr, "cannot load the EUC-JP table from %s\n", MORVEL_DATA_DIR);
    return 1;
  }
  std::size_t lines = 0;
  const std::string text = mixedText(static_cast<std::size_t>(options.megabytes * 1e6), doubleByteCodes(table), lines);
  const fs::path source = dir / "text.sjis";
  writeBytes(source, text);
  const double megabytes = static_cast<double>(text.size()) / 1e6;

  Outcome outcome;
  std::unique_ptr<Session> session;
  const double pickUp = bestOf(
      options.repeats, [&] { session = std::make_unique<Session>(3, text); }, [&] { session->pickUp(); });
  outcome.memoBytes = session->window.memo.size();
  outcome.collected = session->form.collectedLines().size();
  outcome.sound = session->window.memoSets == 1 && session->reports.count == 0;

  auto leave = [&](int encoding) {
    const double seconds = bestOf(
        options.repeats,
        [&] {
          fs::remove(dir / "binary.tmp");
          session = std::make_unique<Session>(encoding, text);
          session->pickUp();
        },
        [&] { session->leave(); });
    const bool handedBack = fs::file_size(dir / morvel::kWatchedFile) > 0 && !fs::exists(dir / "Morvel.txt");
    if (session->reports.count != 0 || !handedBack) outcome.sound = false;
    return seconds;
  };
  const double leaveUtf8 = leave(3);
  const std::string handedBack = bytesOf(dir / morvel::kWatchedFile);
  const double leaveEuc = leave(1);
  session.reset();

  const fs::path output = dir / "other.out";
  const double iconv = bestOf(
      options.repeats, [&] { fs::remove(output); }, [&] { runIconv(source, output); });
  const bool sameAsIconv = bytesOf(output) == handedBack;
  const double copy = bestOf(
      options.repeats, [&] { fs::remove(output); }, [&] { copyFile(source, output); });

  std::printf("Morvel's window with a %.1f MB \"VEL\" of %zu lines, best of %d runs\n", megabytes, lines,
              options.repeats);
  std::printf("  %-44s %8s   %s\n", "operation", "seconds", "within one second");
  printRow("pick-up (Timer1Timer + Timer2Timer)", pickUp);
  printRow("leave to UTF-8 (Leave1Click + FormClose)", leaveUtf8);
  printRow("leave to EUC-JP (Leave1Click + FormClose)", leaveEuc);
  printRow("iconv -f CP932 -t UTF-8", iconv);
  printRow("copying the file unchanged", copy);
  const bool smallMemo = outcome.memoBytes < kSmallMemo;
  std::printf("  memo text set: %zu bytes (%s 10 KB)\n", outcome.memoBytes, smallMemo ? "under" : "NOT under");
  std::printf("  collected lines: %zu of %zu\n", outcome.collected, lines);
  std::printf("  UTF-8 hand-back identical to iconv's output: %s\n", sameAsIconv ? "yes" : "no");

  // What the window's logic hands back for the small text is what the
  // program must leave in "VEL".
  const std::string small = firstLines(text, kSmallLines);
  fs::remove(dir / "binary.tmp");
  session = std::make_unique<Session>(3, small);
  session->pickUp();
  session->leave();
  const std::string expected = bytesOf(dir / morvel::kWatchedFile);
  if (session->reports.count != 0) outcome.sound = false;
  session.reset();
  std::printf("\n");
  const bool leaveSound = leaveOnASmallText(dir, options.repeats, small, expected);

  fs::current_path(fs::temp_directory_path());
  fs::remove_all(dir);
  return smallMemo && outcome.collected == lines && outcome.sound && leaveSound ? 0 : 1;
}
