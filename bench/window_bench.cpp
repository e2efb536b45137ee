// Morvel's window with a large "VEL": how long the pick-up of a rewritten
// file and the hand-back of File > Leave take, next to iconv and a plain copy
// of the same file.
//
//   window_bench [megabytes [repeats]]
//
// Generates a code page 932 text of the given size (default 10 MB, lines of
// 20 to 100 characters ending in CR LF: ASCII, half-width katakana and
// double-byte characters of the EUC-JP table) in a temporary folder that
// holds copies of the tables, and prints the best of `repeats` runs
// (default 5) of each operation against the goal of one second. Exits with
// 1 when the window shows more than its visible rows, collects a different
// number of lines or reports an error. Everything generated is removed at
// the end.
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
#include <random>
#include <string>
#include <string_view>
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
  void error(std::string_view line) override { note("error", line); }
  void message(std::string_view subject, std::string_view text) override {
    note("message", std::string(subject) + " " + std::string(text));
  }
  void info(std::string_view) override {}
  int count = 0;

 private:
  void note(const char* kind, std::string_view line) {
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

  fs::current_path(fs::temp_directory_path());
  fs::remove_all(dir);
  return smallMemo && outcome.collected == lines && outcome.sound ? 0 : 1;
}
