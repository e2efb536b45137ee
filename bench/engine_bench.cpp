// Throughput of the conversion passes and of the whole Morvel program
// against the iconv program and a plain copy of the same files, and the
// peak memory of the file-driven pass and of the program.
//
//   engine_bench [megabytes [repeats]]
//
// Generates a code page 932 text of the given size (default 100 MB: about
// 30% ASCII, 5% half-width katakana and 65% double-byte characters by
// character count, lines of 20 to 120 characters ending in CR LF) and a pure
// ASCII text of the same size in a temporary directory, and prints the best
// of `repeats` runs (default 3) of:
//  - a plain copy of the file in this process, the file-driven pass to
//    EUC-JP along each block path and the list-driven pass to UTF-8, beside
//    iconv doing the same conversions;
//  - the whole program, `Morvel -e1 -u -a in.txt out.txt -q`, in a folder
//    that holds the tables, beside `iconv -f CP932 -t EUC-JP-MS` and `cp`,
//    each a process of its own, with Morvel's peak memory.
// Each run starts from the same folder: what the run before wrote (the
// output, and Morvel's working file "binary.tmp") is removed first, outside
// the time, and the disk is synced. Everything generated is removed at the
// end.
#include <spawn.h>
#include <sys/resource.h>
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
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.h"
#include "line_conversion.h"
#include "locator.h"
#include "passes.h"
#include "profile.h"
#include "reporter.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using morvel::Regulate;

using bench::bytesOf;
using bench::copyFile;
using bench::Options;
using bench::secondsOf;

// Double-byte characters the way Japanese prose uses them: mostly hiragana,
// some katakana and punctuation, the rest any character of the table.
struct Repertoire {
  std::vector<std::int32_t> hiragana;
  std::vector<std::int32_t> katakana;
  std::vector<std::int32_t> punctuation;
  std::vector<std::int32_t> all;
};

Repertoire repertoireOf(const morvel::SparseUTF8& table) {
  Repertoire r;
  for (std::int32_t code = 0x8140; code <= morvel::kHighestCode; ++code) {
    if (table.entryText(code).empty()) continue;
    r.all.push_back(code);
    if (code >= 0x829F && code <= 0x82F1) r.hiragana.push_back(code);
    if (code >= 0x8340 && code <= 0x8396) r.katakana.push_back(code);
    if (code >= 0x8140 && code <= 0x81AC) r.punctuation.push_back(code);
  }
  return r;
}

class TextMaker {
 public:
  explicit TextMaker(const Repertoire& repertoire) : repertoire_(repertoire) {}

  // One line of 20 to 120 characters. Characters come in runs: a run goes on
  // with probability 0.8 and otherwise draws its kind afresh by the shares
  // 30/5/65, so the shares hold over the text.
  void appendLine(std::string& out) {
    const int length = std::uniform_int_distribution<int>(20, 120)(random_);
    for (int n = 0; n < length; ++n) {
      if (chance(0.2)) kind_ = nextKind();
      appendCharacter(out);
    }
    out += "\r\n";
  }

 private:
  enum class Kind { ascii, halfWidth, doubleByte };

  bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random_) < p; }

  Kind nextKind() {
    const double x = std::uniform_real_distribution<double>(0, 1)(random_);
    return x < 0.30 ? Kind::ascii : x < 0.35 ? Kind::halfWidth : Kind::doubleByte;
  }

  template <class List>
  auto pick(const List& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random_)];
  }

  void appendCharacter(std::string& out) {
    static constexpr std::string_view kAscii =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789     .,;:-()/'\"!?";
    switch (kind_) {
      case Kind::ascii:
        out += pick(kAscii);
        break;
      case Kind::halfWidth:
        out += static_cast<char>(std::uniform_int_distribution<int>(0xA1, 0xDF)(random_));
        break;
      case Kind::doubleByte: {
        const double x = std::uniform_real_distribution<double>(0, 1)(random_);
        const std::int32_t code = x < 0.45   ? pick(repertoire_.hiragana)
                                  : x < 0.55 ? pick(repertoire_.katakana)
                                  : x < 0.60 ? pick(repertoire_.punctuation)
                                             : pick(repertoire_.all);
        out += static_cast<char>(code >> 8);
        out += static_cast<char>(code & 0xFF);
        break;
      }
    }
  }

  const Repertoire& repertoire_;
  std::mt19937_64 random_{932};
  Kind kind_ = Kind::doubleByte;
};

void writeMixedText(const fs::path& path, std::size_t bytes, const Repertoire& repertoire) {
  std::ofstream out(path, std::ios::binary);
  TextMaker maker(repertoire);
  std::string block;
  std::size_t written = 0;
  while (written < bytes) {
    block.clear();
    while (block.size() < (1u << 20)) maker.appendLine(block);
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
    written += block.size();
  }
}

void writeAsciiText(const fs::path& path, std::size_t bytes) {
  std::ofstream out(path, std::ios::binary);
  std::mt19937_64 random(7);
  std::string block;
  std::size_t written = 0;
  while (written < bytes) {
    block.clear();
    while (block.size() < (1u << 20)) {
      const int length = std::uniform_int_distribution<int>(20, 120)(random);
      for (int n = 0; n < length; ++n) {
        block += static_cast<char>(n % 7 == 6 ? ' ' : std::uniform_int_distribution<int>('a', 'z')(random));
      }
      block += "\r\n";
    }
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
    written += block.size();
  }
}

std::vector<std::string> linesOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The best time of `repeats` runs of `work`, each writing `output` afresh:
// the previous output is removed first, outside the time, so that no run
// pays for dropping the one before.
double bestOf(int repeats, const fs::path& output, const std::function<void()>& work) {
  double best = 1e300;
  for (int n = 0; n < repeats; ++n) {
    fs::remove(output);
    ::sync();
    best = std::min(best, secondsOf(work));
  }
  return best;
}

// A program run to its end in `folder`: its time and peak memory.
struct ProcessRun {
  double seconds = 0;
  long peakKiB = 0;
};

// Runs `argv` and waits for it: the time from the fork to the end, and the
// program's peak memory.
ProcessRun forkAndWait(char** argv) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execvp(argv[0], argv);
    std::_Exit(127);
  }
  int status = 0;
  struct rusage usage {};
  ::wait4(pid, &status, 0, &usage);
  const ProcessRun run{std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                       usage.ru_maxrss};
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed\n", argv[0]);
    std::exit(1);
  }
  return run;
}

// The peak memory the system reports for a program counts the pages of the
// process it was started from, and this one grows large. So a fresh copy of
// this program, still small, starts it and reports: engine_bench --measure
// program arguments...
int measureMain(char** argv) {
  const ProcessRun run = forkAndWait(argv);
  std::printf("%.9f %ld\n", run.seconds, run.peakKiB);
  return 0;
}

ProcessRun runProcess(std::vector<std::string> args, const fs::path& folder) {
  static const std::string self = fs::read_symlink("/proc/self/exe").string();
  args.insert(args.begin(), {self, "--measure"});
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int report[2];
  if (::pipe(report) != 0) std::exit(1);
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  ::posix_spawn_file_actions_adddup2(&actions, report[1], STDOUT_FILENO);
  ::posix_spawn_file_actions_addclose(&actions, report[0]);
  pid_t pid = 0;
  if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", argv[0]);
    std::exit(1);
  }
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(report[1]);
  std::string text;
  char chunk[256];
  ssize_t got = 0;
  while ((got = ::read(report[0], chunk, sizeof chunk)) > 0) text.append(chunk, static_cast<std::size_t>(got));
  ::close(report[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ProcessRun run;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      std::sscanf(text.c_str(), "%lf %ld", &run.seconds, &run.peakKiB) != 2) {
    std::fprintf(stderr, "%s failed\n", args[2].c_str());
    std::exit(1);
  }
  return run;
}

// The best of `repeats` runs of a program, each from the same folder: the
// files the run before wrote are removed first, outside the time.
ProcessRun bestProcessRun(int repeats, const std::vector<std::string>& args, const fs::path& folder,
                          const std::vector<fs::path>& written) {
  ProcessRun best{1e300, 0};
  for (int n = 0; n < repeats; ++n) {
    for (const fs::path& file : written) fs::remove(file);
    ::sync();
    const ProcessRun run = runProcess(args, folder);
    best.seconds = std::min(best.seconds, run.seconds);
    best.peakKiB = std::max(best.peakKiB, run.peakKiB);
  }
  return best;
}

// iconv converting `input` into `output`, best of `repeats` runs.
double iconvSeconds(int repeats, const char* target, const fs::path& input, const fs::path& output) {
  return bestProcessRun(repeats, {"iconv", "-f", "CP932", "-t", target, input.string(), "-o", output.string()},
                        input.parent_path(), {output})
      .seconds;
}

// Morvel's profile with the shipped tables as its fixed folder, and its
// report files.
morvel::TableContext context() {
  static const morvel::ProgramProfile profile = [] {
    morvel::ProgramProfile p = morvel::morvelProfile();
    p.fixedFolder = std::string(MORVEL_DATA_DIR) + "/";
    return p;
  }();
  static morvel::ReportFiles files;
  return {profile, files};
}

void runFilePass(const fs::path& input, const fs::path& output) {
  Regulate job;
  job.inputName = input.string();
  std::string name = output.string();
  if (morvel::readingAnotherFileToProduceEUC(context(), job, name) != morvel::PassResult::done) {
    std::fprintf(stderr, "the file-driven pass failed\n");
    std::exit(1);
  }
}

void runListPass(Regulate& job, const fs::path& output) {
  std::string name = output.string();
  if (morvel::readingToProduceUTF8(context(), job, name) != morvel::PassResult::done) {
    std::fprintf(stderr, "the list-driven pass failed\n");
    std::exit(1);
  }
}

// Peak resident memory of a child that runs the file-driven pass, in KiB.
long filePassPeakKiB(const fs::path& input, const fs::path& output) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    runFilePass(input, output);
    std::_Exit(0);
  }
  int status = 0;
  struct rusage usage {};
  ::wait4(pid, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::exit(1);
  return usage.ru_maxrss;
}

void printPass(const char* what, double megabytes, double seconds, double copySeconds, double iconvSeconds) {
  std::printf("  %-32s %7.0f MB/s  %4.0f%% of the copy   iconv %5.0f MB/s  %5.1fx iconv\n", what, megabytes / seconds,
              100 * copySeconds / seconds, megabytes / iconvSeconds, iconvSeconds / seconds);
}

void comparePasses(const fs::path& text, const Options& options, const fs::path& dir) {
  const double megabytes = static_cast<double>(fs::file_size(text)) / 1e6;
  const fs::path ours = dir / "ours.out";
  const fs::path theirs = dir / "iconv.out";
  const double copy = bestOf(options.repeats, ours, [&] { copyFile(text, ours); });
  std::printf("  %-32s %7.0f MB/s\n", "copying the file in-process", megabytes / copy);

  const double iconvEuc = iconvSeconds(options.repeats, "EUC-JP-MS", text, theirs);
  const morvel::BlockPath widest = morvel::activeBlockPath();
  for (const morvel::BlockPath path : morvel::availableBlockPaths()) {
    static_cast<void>(morvel::useBlockPath(path));  // one of those available
    const double pass = bestOf(options.repeats, ours, [&] { runFilePass(text, ours); });
    const std::string what = std::string("file-driven pass, EUC-JP, ") + morvel::blockPathName(path);
    printPass(what.c_str(), megabytes, pass, copy, iconvEuc);
  }
  static_cast<void>(morvel::useBlockPath(widest));

  Regulate job;
  job.lines = linesOf(text);
  const double list = bestOf(options.repeats, ours, [&] { runListPass(job, ours); });
  const double iconvUtf8 = iconvSeconds(options.repeats, "UTF-8", text, theirs);
  printPass("list-driven pass, UTF-8", megabytes, list, copy, iconvUtf8);
  std::printf("  UTF-8 output identical to iconv's: %s\n", bytesOf(ours) == bytesOf(theirs) ? "yes" : "NO");
  fs::remove(ours);
  fs::remove(theirs);
}

// The whole program against iconv and cp, each a process of its own, in a
// folder that holds the tables.
void compareProcesses(const fs::path& text, const Options& options, const fs::path& dir) {
  const fs::path folder = dir / "run";
  const fs::path out = folder / "out.txt";
  const fs::path work = folder / "binary.tmp";
  const std::string in = text.string();
  const ProcessRun morvel =
      bestProcessRun(options.repeats, {MORVEL_EXECUTABLE, "-e1", "-u", "-a", in, "out.txt", "-q"}, folder, {out, work});
  const ProcessRun iconv =
      bestProcessRun(options.repeats, {"iconv", "-f", "CP932", "-t", "EUC-JP-MS", in, "-o", "out.txt"}, folder, {out});
  const ProcessRun cp = bestProcessRun(options.repeats, {"cp", in, "out.txt"}, folder, {out});
  std::printf("  %-32s %7.3f s   iconv %6.3f s  %5.1fx iconv   cp %6.3f s  %4.0f%% of cp's speed   peak %.1f MiB\n",
              "Morvel -e1 -u -a in out -q", morvel.seconds, iconv.seconds, iconv.seconds / morvel.seconds, cp.seconds,
              100 * cp.seconds / morvel.seconds, static_cast<double>(morvel.peakKiB) / 1024);
  for (const fs::path& file : {out, work}) fs::remove(file);
}

void compareText(const char* title, const fs::path& text, const Options& options, const fs::path& dir) {
  std::printf("%s (%.1f MB)\n", title, static_cast<double>(fs::file_size(text)) / 1e6);
  compareProcesses(text, options, dir);
  comparePasses(text, options, dir);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::string_view(argv[1]) == "--measure") return measureMain(argv + 2);
  const Options options = bench::optionsFrom(argc, argv, Options{100, 3});
  std::string pattern = (fs::temp_directory_path() / "engine-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const fs::path dir = pattern;
  fs::current_path(dir);  // the passes write their report files here

  morvel::SparseUTF8 table;
  if (!morvel::loadTableFile(table, context().profile.fixedFolder + "MS932~UTF-8.bin")) {
    std::fprintf(stderr, "cannot load the UTF-8 table from %s\n", MORVEL_DATA_DIR);
    return 1;
  }
  const auto bytes = static_cast<std::size_t>(options.megabytes * 1e6);
  const fs::path mixed = dir / "mixed.txt";
  const fs::path ascii = dir / "ascii.txt";
  writeMixedText(mixed, bytes, repertoireOf(table));
  writeAsciiText(ascii, bytes);
  fs::create_directory(dir / "run");
  for (const char* name : {"MS932~EUC-JP.bin", "MS932~UTF-8.bin", "MS932~Shift_JIS.bin"}) {
    fs::copy_file(fs::path(MORVEL_DATA_DIR) / name, dir / "run" / name);
  }
  std::printf("Block path of the passes: %s (of", morvel::blockPathName(morvel::activeBlockPath()));
  for (const morvel::BlockPath path : morvel::availableBlockPaths()) std::printf(" %s", morvel::blockPathName(path));
  std::printf(")\n");

  // Measured first, while this process is still small: the child starts
  // with the parent's pages.
  std::printf("Peak memory of the file-driven pass: %.1f MiB (mixed text), %.1f MiB (ASCII text)\n",
              static_cast<double>(filePassPeakKiB(mixed, dir / "peak.out")) / 1024,
              static_cast<double>(filePassPeakKiB(ascii, dir / "peak.out")) / 1024);
  fs::remove(dir / "peak.out");

  compareText("Mixed text", mixed, options, dir);
  compareText("Pure ASCII text", ascii, options, dir);

  fs::current_path(fs::temp_directory_path());
  fs::remove_all(dir);
  return 0;
}
