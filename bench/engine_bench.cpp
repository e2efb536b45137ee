// Throughput of the conversion passes against the iconv program on the same
// files, and the peak memory of the file-driven pass.
//
//   engine_bench [megabytes [repeats]]
//
// Generates a code page 932 text of the given size (default 100 MB: about
// 30% ASCII, 5% half-width katakana and 65% double-byte characters by
// character count, lines of 20 to 120 characters ending in CR LF) and a pure
// ASCII text of the same size in a temporary directory, converts each with
// the passes and with iconv, and prints the best of `repeats` runs
// (default 3). Everything generated is removed at the end.
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

#include "locator.h"
#include "passes.h"
#include "profile.h"
#include "reporter.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using morvel::Regulate;

struct Options {
  double megabytes = 100;
  int repeats = 3;
};

Options optionsFrom(int argc, char** argv) {
  Options options;
  if (argc > 1) options.megabytes = std::atof(argv[1]);
  if (argc > 2) options.repeats = std::max(1, std::atoi(argv[2]));
  if (options.megabytes <= 0) options.megabytes = 100;
  return options;
}

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

double secondsOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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

void runIconv(const char* target, const fs::path& input, const fs::path& output) {
  const std::string in = input.string();
  const std::string out = output.string();
  std::vector<std::string> args = {"iconv", "-f", "CP932", "-t", target, in, "-o", out};
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
    std::fprintf(stderr, "iconv -t %s failed on %s\n", target, in.c_str());
    std::exit(1);
  }
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
  if (morvel::readingAnotherFileToProduceEUC(context(), job, name) != morvel::PassResult::converted) {
    std::fprintf(stderr, "the file-driven pass failed\n");
    std::exit(1);
  }
}

void runListPass(Regulate& job, const fs::path& output) {
  std::string name = output.string();
  if (morvel::readingToProduceUTF8(context(), job, name) != morvel::PassResult::converted) {
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

// Reading a file and writing its bytes unchanged, in blocks of 1 MiB: what
// any converter pays for its input and output alone.
void copyFile(const fs::path& input, const fs::path& output) {
  std::FILE* in = std::fopen(input.c_str(), "rb");
  std::FILE* out = std::fopen(output.c_str(), "wb");
  if (in == nullptr || out == nullptr) std::exit(1);
  std::vector<char> block(1 << 20);
  while (const std::size_t got = std::fread(block.data(), 1, block.size(), in)) std::fwrite(block.data(), 1, got, out);
  std::fclose(in);
  if (std::fclose(out) != 0) std::exit(1);
}

std::string bytesOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Row {
  const char* what;
  double ours;
  double iconv;
};

void printRow(const Row& row, double megabytes) {
  std::printf("  %-34s %9.1f MB/s   iconv %7.1f MB/s   %5.1fx\n", row.what, megabytes / row.ours, megabytes / row.iconv,
              row.iconv / row.ours);
}

void compareText(const char* title, const fs::path& text, const Options& options, const fs::path& dir) {
  const double megabytes = static_cast<double>(fs::file_size(text)) / 1e6;
  const fs::path ours = dir / "ours.out";
  const fs::path theirs = dir / "iconv.out";
  std::printf("%s (%.1f MB)\n", title, megabytes);
  const double copy = bestOf(options.repeats, ours, [&] { copyFile(text, ours); });
  std::printf("  %-34s %9.1f MB/s\n", "copying the file unchanged", megabytes / copy);

  const Row file{"file-driven pass to EUC-JP", bestOf(options.repeats, ours, [&] { runFilePass(text, ours); }),
                 bestOf(options.repeats, theirs, [&] { runIconv("EUC-JP-MS", text, theirs); })};
  printRow(file, megabytes);

  Regulate job;
  job.lines = linesOf(text);
  const Row list{"list-driven pass to UTF-8", bestOf(options.repeats, ours, [&] { runListPass(job, ours); }),
                 bestOf(options.repeats, theirs, [&] { runIconv("UTF-8", text, theirs); })};
  printRow(list, megabytes);
  std::printf("  UTF-8 output identical to iconv's: %s\n", bytesOf(ours) == bytesOf(theirs) ? "yes" : "NO");
  fs::remove(ours);
  fs::remove(theirs);
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = optionsFrom(argc, argv);
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
