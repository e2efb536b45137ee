// Morvel run as a real process in a temporary directory, on the paths that
// end before any window.
#include <gtest/gtest.h>
#include <iconv.h>

#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <future>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/as_other_user.h"
#include "support/fixed_folders.h"
#include "support/process.h"
#include "support/same_bytes.h"
#include "support/table_records.h"
#include "support/temp_dir.h"
#include "support/usage_texts.h"

using testing_support::readBytes;
using testing_support::runOnTerminals;
using testing_support::runProcess;
using testing_support::sameBytes;
using testing_support::TempDir;
using testing_support::writeBytes;
namespace fs = std::filesystem;

namespace {

const char* const kEuc = "MS932~EUC-JP.bin";
const char* const kUtf8 = "MS932~UTF-8.bin";
const char* const kSjis = "MS932~Shift_JIS.bin";
const std::string kTwoTables =
    "MS932~EUC-JP.bin is needed to convert VEL from Shift_JIS to EUC-JP. MS932~UTF-8.bin is needed to convert VEL "
    "from Shift_JIS to UTF-8.\r\n";

std::string shipped(const char* name) { return testing_support::shippedBytes(name); }

void installTables(std::initializer_list<const char*> names) {
  for (const char* name : names) writeBytes(name, shipped(name));
}

// Runs that reach the window need no display; with -p the window closes a
// second after it opened.
testing_support::ProcessResult morvel(const std::vector<std::string>& arguments) {
  return runProcess(MORVEL_EXECUTABLE, arguments, {"PATH=", "QT_QPA_PLATFORM=offscreen"});
}

// The same run with faults injected (support/fault_shim.cpp): `faults` are
// its variables.
testing_support::ProcessResult morvelWith(const std::vector<std::string>& faults,
                                          const std::vector<std::string>& arguments) {
  std::vector<std::string> environment{"PATH=", "LD_PRELOAD=" FAULT_SHIM,
                                       "ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0"};
  environment.insert(environment.end(), faults.begin(), faults.end());
  return runProcess(MORVEL_EXECUTABLE, arguments, environment);
}

// The same run under the locale `lang` names.
testing_support::ProcessResult morvelUnder(const std::string& lang, const std::vector<std::string>& arguments) {
  return runProcess(MORVEL_EXECUTABLE, arguments,
                    {"PATH=", "LC_ALL=", "LC_CTYPE=", "LANG=" + lang, "QT_QPA_PLATFORM=offscreen"});
}

// UTF-8 is told by the bytes, not by the locale.
const char* const kLocales[] = {"C", "C.UTF-8"};

const std::string kGrinningFace = "\xF0\x9F\x98\x80";  // no code page 932 code

std::string iconvDecode(const std::string& bytes) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  std::string input = bytes, out(bytes.size() * 3 + 16, '\0');
  char* in = input.data();
  char* o = out.data();
  std::size_t inLeft = input.size(), outLeft = out.size();
  const std::size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1)) return "<iconv failed>";
  out.resize(out.size() - outLeft);
  return out;
}

std::string nodeDecodeEucJp(const std::string& file) {
  const std::string command =
      std::string("\"") + NODE_EXECUTABLE + "\" \"" + TESTS_DIR + "/decode.js\" euc-jp " + file + " > decoded.txt";
  if (std::system(command.c_str()) != 0) return "<node failed>";
  return readBytes("decoded.txt");
}

// A few hundred kilobytes of code page 932 text in CR LF lines: ASCII,
// half-width katakana and double-byte characters of the whole repertoire.
std::string randomText(std::size_t lines) {
  const std::string table = shipped(kEuc);
  std::vector<std::string> doubles;
  for (std::size_t n = testing_support::kSingleByteRecords; n < testing_support::kRecordCount; ++n)
    doubles.push_back(table.substr(n * 4, 2));
  std::mt19937 engine(932);
  const auto random = [&engine] { return static_cast<unsigned>(engine()); };
  std::string text;
  for (std::size_t l = 0; l < lines; ++l) {
    const int length = static_cast<int>(random() % 121);
    for (int i = 0; i < length; ++i) {
      const unsigned kind = random() % 100;
      if (kind < 30)
        text += static_cast<char>(0x20 + random() % 95);
      else if (kind < 35)
        text += static_cast<char>(0xA1 + random() % 63);
      else if (kind < 36)
        text += '\t';
      else
        text += doubles[random() % doubles.size()];
    }
    text += "\r\n";
  }
  return text;
}

// The target bytes of the double-byte record of `code` (two bytes).
std::string targetOf(const std::string& table, const std::string& code) {
  for (std::size_t at = 0; at + 4 <= table.size(); at += 4) {
    if (table.compare(at, 2, code) == 0) return table.substr(at + 2, 2);
  }
  return "<none>";
}

std::string withoutCr(std::string s) {
  std::erase(s, '\r');
  return s;
}

const std::string kCommentedUsage = testing_support::morvelUsage(true);

class Morvel : public testing::Test {
 protected:
  TempDir dir_;
};

// The tables installed in the fixed folder, searched before the current
// one: an edit made elsewhere is written there and used by nothing.
class MorvelInstalled : public testing::Test {
 protected:
  TempDir dir_;
  testing_support::InstalledTables installed_{MORVEL_FIXED_FOLDER, {kEuc, kUtf8}};
};

const std::string kInstalledEuc = std::string(MORVEL_FIXED_FOLDER) + kEuc;
const std::string kUnusedEditNote = "MS932~EUC-JP.bin was edited, but conversions from this folder load " +
                                    kInstalledEuc +
                                    ", which is searched first, so the edit is not used and the next edit starts "
                                    "again from that table. To use it, copy MS932~EUC-JP.bin over " +
                                    kInstalledEuc + ", or make the edit in " MORVEL_FIXED_FOLDER ".";

}  // namespace

TEST_F(Morvel, NoTablesEndsTheStart) {
  const auto r = morvel({});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(readBytes("error.txt"), kTwoTables);
  EXPECT_FALSE(fs::exists("messages.txt"));
  EXPECT_FALSE(fs::exists("VEL"));
}

TEST_F(Morvel, HelpPrintsTheUsageBeforeAnything) {
  writeBytes("VEL", " ");  // would stop the start-up
  for (const char* word : {"--help", "-h"}) {
    const auto r = morvel({"-e1", word, "-V", "-q"});
    EXPECT_EQ(r.exitCode, 0) << word;
    EXPECT_EQ(r.out, kCommentedUsage) << word;
    EXPECT_EQ(r.err, "") << word;
  }
  fs::remove("VEL");
  EXPECT_TRUE(fs::is_empty("."));  // not even the start-up's error.txt

  installTables({kEuc, kUtf8});
  const auto r = morvel({"-V", "--help"});  // the first of them decides
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(fs::exists("version.txt"));
}

TEST_F(Morvel, HelpOnAUtfEightTerminalIsConverted) {
  const auto r = runOnTerminals(MORVEL_EXECUTABLE, {"--help"}, {"PATH=", "LC_ALL=", "LC_CTYPE=", "LANG=C.UTF-8"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, iconvDecode(kCommentedUsage));
  const auto plain = runOnTerminals(MORVEL_EXECUTABLE, {"--help"}, {"PATH=", "LC_ALL=", "LC_CTYPE=", "LANG=C"});
  EXPECT_EQ(plain.out, kCommentedUsage);
}

TEST_F(Morvel, ReportLinesAlsoReachATerminal) {
  const std::vector<std::string> utf8{"PATH=", "LC_ALL=", "LC_CTYPE=", "LANG=C.UTF-8"};
  auto r = runOnTerminals(MORVEL_EXECUTABLE, {}, utf8);
  EXPECT_EQ(r.exitCode, 1);
  // Every line shows, even one that the next line replaces in the file, then a plain sentence.
  EXPECT_EQ(r.err, "openClose[ 3 ]() error-1:  \n" + withoutCr(kTwoTables) +
                       "The table MS932~EUC-JP.bin is in none of the folders searched: " MORVEL_FIXED_FOLDER
                       ", the current folder and the folders of PATH.\n");
  EXPECT_EQ(readBytes("error.txt"), kTwoTables);  // the file as ever

  // "\xE8\xA1\xA8" is the kanji for table, "\xE4\xB8\x80\xE8\xA6\xA7" the word for list, in UTF-8:
  // names reach the terminal as they are.
  fs::create_directory("\xE8\xA1\xA8");
  for (const char* name : {kEuc, kUtf8}) writeBytes(std::string("\xE8\xA1\xA8/") + name, shipped(name));
  r = runOnTerminals(MORVEL_EXECUTABLE, {"-e1", "-w", "-q", "-t", "\xE4\xB8\x80\xE8\xA6\xA7.txt"},
                     {"PATH=\xE8\xA1\xA8", "LC_ALL=", "LC_CTYPE=", "LANG=C.UTF-8"});
  EXPECT_EQ(r.exitCode, 252);
  EXPECT_EQ(r.err,
            "\xE8\xA1\xA8/MS932~EUC-JP.bin is primarily accessible to Morvel.\n"
            "ifstream sjisFile() error: \xE4\xB8\x80\xE8\xA6\xA7.txt\n");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(readBytes("messages.txt"), "\xE8\xA1\xA8/MS932~EUC-JP.bin is primarily accessible to Morvel.\r\n");
  EXPECT_EQ(readBytes("error.txt"), "ifstream sjisFile() error: \xE4\xB8\x80\xE8\xA6\xA7.txt\r\n");

  EXPECT_EQ(morvel({}).err, "");  // a pipe gets nothing
}

TEST_F(Morvel, MissingUtf8TableIsNamedInMessages) {
  installTables({kEuc});
  const auto r = morvel({"-e1", "-q"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(readBytes("messages.txt"), "openClose[ 6 ]() error-2:  \r\n");
  EXPECT_EQ(readBytes("error.txt"), kTwoTables);
  EXPECT_TRUE(sameBytes(readBytes(kEuc), shipped(kEuc)));  // nothing was edited
}

TEST_F(Morvel, ShiftJisTableIsOptional) {
  installTables({kEuc, kUtf8});
  const auto r = morvel({"-p"});
  EXPECT_EQ(r.exitCode, 0);  // the window opens; only the Record dialog misses the table
  EXPECT_EQ(readBytes("error.txt"), "testKanji() error: sjis->setting(no_searching, finalEffect->whichFile() ) \r\n");
  EXPECT_FALSE(fs::exists("VEL"));
}

TEST_F(Morvel, NonEmptyVelStopsTheStart) {
  installTables({kEuc, kUtf8, kSjis});
  writeBytes("VEL", "");
  EXPECT_EQ(morvel({"-p"}).exitCode, 0);
  writeBytes("VEL", " ");
  EXPECT_EQ(morvel({"-e1", "-q"}).exitCode, 1);
  EXPECT_EQ(readBytes("error.txt"), "VEL should disappear. Please remove VEL from the current directory. \r\n");
  EXPECT_TRUE(sameBytes(readBytes(kEuc), shipped(kEuc)));
  EXPECT_EQ(readBytes("VEL"), " ");
}

TEST_F(Morvel, VersionFileEndsTheRun) {
  installTables({kEuc, kUtf8});
  auto r = morvel({"-e1", "-V", "-q"});
  EXPECT_EQ(r.exitCode, 1);
  const std::string plain = readBytes("version.txt");
  EXPECT_EQ(plain.rfind(testing_support::morvelVersionLine() + "\r\n\r\nmorvel -c4                 \r\n", 0), 0u);
  EXPECT_EQ(std::count(plain.begin(), plain.end(), '\n'), 19);
  EXPECT_TRUE(sameBytes(readBytes(kEuc), shipped(kEuc)));

  r = morvel({"-VC"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(readBytes("version.txt").find("morvel -VC                 # version with comments \r\n"),
            std::string::npos);
}

TEST_F(Morvel, QuietEditsEndWithoutAWindow) {
  installTables({kEuc, kUtf8});
  auto r = morvel({"-e1", "-q"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(readBytes("info.txt"), "8753 \x81\xCB 93F9\r\n");  // rightwards double arrow
  const std::string edited = readBytes(kEuc);
  EXPECT_NE(edited, shipped(kEuc));

  r = morvel({"-e1", "-s\x87\x40", "-g\x82\x50", "-w", "-q"});  // circled one by full-width one
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(readBytes("info.txt"), "8740 \x81\xCB 8250\r\n");
  EXPECT_EQ(readBytes("messages.txt"), "MS932~EUC-JP.bin is primarily accessible to Morvel.\r\n");

  r = morvel({"-e1", "-s\x87\x40", "-g\x82\x50", "-d", "-q"});
  EXPECT_EQ(r.exitCode, 252);
  EXPECT_EQ(readBytes("error.txt"), "openClose[ 0 ]() error-3: MS932~EUC-JP.bin\r\n");
}

TEST_F(Morvel, NoSubstituteMeansNoEdit) {
  installTables({kEuc, kUtf8});
  EXPECT_EQ(morvel({"-e1", "-g\x81\x51", "-q"}).exitCode, 0);  // full-width low line
  EXPECT_TRUE(sameBytes(readBytes(kEuc), shipped(kEuc)));
  EXPECT_FALSE(fs::exists("info.txt"));
}

TEST_F(Morvel, ListEditAndItsFailures) {
  installTables({kEuc, kUtf8});
  writeBytes("bars.txt", "\xC5N\r\n\x87\x40\x82\x50\r\n");  // half-width NA by N, circled one by full-width one
  EXPECT_EQ(morvel({"-e1", "-t", "bars.txt", "-q"}).exitCode, 0);
  const std::string edited = readBytes(kEuc);
  EXPECT_EQ(edited.substr(edited.find("\xC5\x00", 0, 2) + 2, 2), std::string("N\0", 2));
  EXPECT_FALSE(fs::exists("info.txt"));

  EXPECT_EQ(morvel({"-e1", "-t", "absent.txt", "-q"}).exitCode, 252);
  EXPECT_EQ(readBytes("error.txt"), "ifstream sjisFile() error: absent.txt\r\n");
}

TEST_F(Morvel, UtfEightValuesOfAnyLengthGiveTheirFirstCharacter) {
  installTables({kUtf8});
  for (const char* lang : kLocales) {
    installTables({kEuc});
    // circled one and circled two, then full-width one, all in UTF-8
    const auto r = morvelUnder(lang, {"-e1", "-s\xE2\x91\xA0\xE2\x91\xA1", "-g\xEF\xBC\x91", "-q"});
    EXPECT_EQ(r.exitCode, 0) << lang;
    EXPECT_EQ(readBytes("info.txt"), "8740 \x81\xCB 8250\r\n") << lang;  // rightwards double arrow
  }
}

TEST_F(Morvel, CharacterWithoutACodePage932CodeFailsTheEdit) {
  installTables({kEuc, kUtf8});
  EXPECT_EQ(morvel({"-e1", "-g" + kGrinningFace, "-q"}).exitCode, 252);
  EXPECT_EQ(readBytes("error.txt"), "option -g: U+1F600 has a character that code page 932 cannot write\r\n");
  EXPECT_TRUE(sameBytes(readBytes(kEuc), shipped(kEuc)));
  EXPECT_FALSE(fs::exists("info.txt"));
}

TEST_F(Morvel, RefusedCharacterMattersOnlyToAnEdit) {
  installTables({kEuc, kUtf8, kSjis});
  EXPECT_EQ(morvel({"-s" + kGrinningFace, "-p"}).exitCode, 0);  // a UTF-8 run: nothing is edited
  writeBytes("bars.txt", "\xC5N\n");                            // half-width NA by N
  EXPECT_EQ(morvel({"-e1", "-s" + kGrinningFace, "-t", "bars.txt", "-q"}).exitCode, 0);
  EXPECT_FALSE(fs::exists("error.txt"));
}

TEST_F(Morvel, UtfEightListLines) {
  installTables({kUtf8});
  writeBytes("bars.txt", "\xE2\x91\xA0\xEF\xBC\x91\n");  // circled one by full-width one, in UTF-8
  for (const char* lang : kLocales) {
    installTables({kEuc});
    EXPECT_EQ(morvelUnder(lang, {"-e1", "-t", "bars.txt", "-q"}).exitCode, 0) << lang;
    EXPECT_EQ(targetOf(readBytes(kEuc), "\x87\x40"), "\xA3\xB1") << lang;
  }
  installTables({kEuc});
  writeBytes("bars.txt", "\xE2\x91\xA0" + kGrinningFace + "\n");
  EXPECT_EQ(morvel({"-e1", "-t", "bars.txt", "-q"}).exitCode, 252);
  EXPECT_EQ(readBytes("error.txt"), "list bars.txt: line 1 has a character that code page 932 cannot write\r\n");
  EXPECT_TRUE(readBytes(kEuc) == shipped(kEuc));
}

TEST_F(Morvel, BrokenTablesAreNeverRewritten) {
  installTables({kUtf8});
  const std::string cut = shipped(kEuc).substr(0, 20000);
  writeBytes(kEuc, cut);
  EXPECT_EQ(morvel({"-e1", "-q"}).exitCode, 252);
  EXPECT_EQ(readBytes("error.txt"), "editRecord() error: euc->setting(no_searching, whichTable)\r\n");
  EXPECT_TRUE(sameBytes(readBytes(kEuc), cut));

  installTables({kEuc});
  EXPECT_EQ(morvel({"-e1", "-q", "no/such/dir/table.bin"}).exitCode, 252);
  EXPECT_EQ(readBytes("error.txt"), "editRecord() error: write error: no/such/dir/table.bin\r\n");
}

TEST_F(Morvel, CommandLineConversionToEucJp) {
  installTables({kEuc, kUtf8});
  const std::string text = randomText(4000);
  writeBytes("SJIS", text);
  const auto r = morvel({"-e1", "-u", "-a", "SJIS", "EUC", "-q"});
  ASSERT_EQ(r.exitCode, 0) << readBytes("error.txt");
  EXPECT_TRUE(sameBytes(readBytes("SJIS"), text));
  const std::string expected = iconvDecode(withoutCr(text));
  EXPECT_TRUE(sameBytes(nodeDecodeEucJp("EUC"), expected));  // LF line ends: -e1 turns CR LF off
  EXPECT_TRUE(sameBytes(readBytes(kEuc), shipped(kEuc)));
}

TEST_F(Morvel, ConversionInPlaceWithCrLf) {
  installTables({kEuc, kUtf8});
  const std::string text = randomText(2000);
  writeBytes("SJIS", text);
  ASSERT_EQ(morvel({"-e1", "-CRLF", "-u", "-a", "SJIS", "-q"}).exitCode, 0);
  EXPECT_TRUE(sameBytes(withoutCr(nodeDecodeEucJp("SJIS")), iconvDecode(withoutCr(text))));
  EXPECT_EQ(readBytes("SJIS").find("\r\r"), std::string::npos);
  EXPECT_FALSE(fs::exists("Morvel.txt"));
}

TEST_F(Morvel, ConversionOfAMissingFileFails) {
  installTables({kEuc, kUtf8});
  EXPECT_EQ(morvel({"-e1", "-u", "-a", "absent", "out", "-q"}).exitCode, 1);
  EXPECT_EQ(readBytes("error.txt"), "ifstream in() error: absent\r\n");
  EXPECT_FALSE(fs::exists("absent"));
  EXPECT_FALSE(fs::exists("out"));
}

TEST_F(Morvel, FailedQuietConversionIsNotSuccess) {
  installTables({kEuc, kUtf8});
  writeBytes("SJIS", "abc\r\n");
  // The start-up finds the tables here, but -d lets the conversion look only in the fixed folder.
  const auto r = morvel({"-e1", "-u", "-a", "SJIS", "out", "-d", "-q"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(readBytes("error.txt"),
            "readingAnotherFileToProduceEUC() error: euc->setting(no_searching, &whichTable)\r\n");
  EXPECT_FALSE(fs::exists("out"));
}

TEST_F(Morvel, ParameterFileDrivesTheSamePaths) {
  installTables({kEuc, kUtf8});
  // Lines: table, substituted, substitute, list, corner, encoding, then 8 flag lines, 15 quiet.
  writeBytes("parameters.txt", "MS932~EUC-JP.bin\n\x87\x40\n\x82\x50\n\n-c3\n-e1\n0\n0\n0\n0\n0\n0\n0\n0\n-q\n");
  auto r = morvel({});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(readBytes("info.txt"), "8740 \x81\xCB 8250\r\n");

  // Line 7 turns on the file conversion, line 16 turns editing off.
  writeBytes("parameters.txt", "\n\n\n\n\n-e1\n-a\n0\n-LF\n0\n0\n0\n0\n0\n-q\n-u\n");
  writeBytes("SJIS", "A\x82\xA0\r\n");  // A and hiragana a
  r = morvel({"SJIS", "EUC"});
  EXPECT_EQ(r.exitCode, 0) << readBytes("error.txt");
  EXPECT_EQ(readBytes("EUC"), "A\xA4\xA2\n");
}

// --- the command-line conversion keeps what it is given ----------------------

namespace {

struct timespec modified(const char* name) {
  struct stat info {};
  ::stat(name, &info);
  return info.st_mtim;
}

bool sameTime(const struct timespec& a, const struct timespec& b) {
#ifdef MORVEL_ON_WINDOWS
  return a.tv_sec == b.tv_sec && a.tv_nsec / 100 == b.tv_nsec / 100;  // Windows keeps times to 100 ns
#else
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
#endif
}

}  // namespace

// Notepad saves UTF-8 with a byte order mark: the character lines are
// converted, never cut to two bytes (which edited the record E291). A line
// that is not one character refuses the edit.
TEST_F(Morvel, ParameterFilesSavedInUtfEight) {
  installTables({kEuc, kUtf8});
  const std::string flags = "\r\n\r\n-c3\r\n-e1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n-q\r\n";
  writeBytes("parameters.txt",
             "\xEF\xBB\xBF"
             "MS932~EUC-JP.bin\r\n\xE2\x91\xA0\r\n\xEF\xBC\x91 ' full-width one" +
                 flags);
  EXPECT_EQ(morvel({}).exitCode, 0) << readBytes("error.txt");
  EXPECT_EQ(readBytes("info.txt"), "8740 \x81\xCB 8250\r\n");
  EXPECT_EQ(targetOf(readBytes(kEuc), "\x87\x40"), "\xA3\xB1");
  EXPECT_EQ(targetOf(readBytes(kEuc), "\xE2\x91"), targetOf(shipped(kEuc), "\xE2\x91"));

  installTables({kEuc});
  writeBytes("parameters.txt", "MS932~EUC-JP.bin\r\n\x87\x40\x87\x41\r\n\x82\x50" + flags);  // two characters
  EXPECT_EQ(morvel({}).exitCode, 252);
  EXPECT_EQ(readBytes("error.txt"),
            "parameters.txt: line 2 (\x87\x40\x87\x41) is not one character in code page 932 or UTF-8\r\n");
  EXPECT_TRUE(sameBytes(readBytes(kEuc), shipped(kEuc)));
  EXPECT_EQ(morvel({"-s\x87\x40"}).exitCode, 0);  // the command line names the character instead
  EXPECT_EQ(targetOf(readBytes(kEuc), "\x87\x40"), "\xA3\xB1");
}

TEST_F(Morvel, ParallelConversionsInOneFolderWaitForEachOther) {
  installTables({kEuc, kUtf8});
  constexpr int kRuns = 4;
  std::vector<std::string> texts;
  for (int k = 0; k < kRuns; ++k) {
    texts.push_back(randomText(3000 + 500 * static_cast<std::size_t>(k)));
    writeBytes("in" + std::to_string(k), texts.back());
  }
  std::vector<int> codes(kRuns, -1);
  std::vector<std::thread> runs;
  for (int k = 0; k < kRuns; ++k) {
    runs.emplace_back([k, &codes] {
      const std::string n = std::to_string(k);
      codes[static_cast<std::size_t>(k)] = morvel({"-e1", "-u", "-a", "in" + n, "out" + n, "-q"}).exitCode;
    });
  }
  for (std::thread& run : runs) run.join();
  for (int k = 0; k < kRuns; ++k) {
    const std::string n = std::to_string(k);
    EXPECT_EQ(codes[static_cast<std::size_t>(k)], 0) << n;
    EXPECT_TRUE(sameBytes(readBytes("in" + n), texts[static_cast<std::size_t>(k)])) << n;
    EXPECT_TRUE(sameBytes(nodeDecodeEucJp("out" + n), iconvDecode(withoutCr(texts[static_cast<std::size_t>(k)])))) << n;
  }
}

TEST_F(Morvel, TheInputKeepsItsLinksAndModeAndTakesTheOutputsTime) {
  installTables({kEuc, kUtf8});
  writeBytes("sjis.txt", "A\x82\xA0\r\n");  // A and hiragana a
  fs::create_symlink("sjis.txt", "link.txt");
  fs::create_hard_link("sjis.txt", "hard.txt");
  fs::permissions("sjis.txt", fs::perms::owner_read | fs::perms::group_read);
  const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};  // September 2001
  ::utimensat(AT_FDCWD, "sjis.txt", old, 0);
  struct stat before {};
  ::stat("sjis.txt", &before);
  ASSERT_EQ(morvel({"-e1", "-u", "-a", "link.txt", "euc.txt", "-q"}).exitCode, 0) << readBytes("error.txt");
  EXPECT_GT(modified("euc.txt").tv_sec, 1500000000);  // the output is new; the input takes its time
  EXPECT_EQ(readBytes("euc.txt"), "A\xA4\xA2\n");
  EXPECT_TRUE(fs::is_symlink("link.txt"));
  struct stat after {};
  ::stat("sjis.txt", &after);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_nlink, 2u);
  EXPECT_EQ(after.st_mode, before.st_mode);
  EXPECT_EQ(readBytes("hard.txt"), "A\x82\xA0\r\n");
  EXPECT_TRUE(sameTime(modified("sjis.txt"), modified("euc.txt")));
  EXPECT_EQ(readBytes("binary.tmp"), "A\xA4\xA2\n");  // the working file keeps the result
}

TEST_F(Morvel, TheWorkingFileIsNeverAnInputOrOutput) {
  installTables({kEuc, kUtf8});
  writeBytes("binary.tmp", "A\r\n");
  fs::create_hard_link("binary.tmp", "alias");
  EXPECT_EQ(morvel({"-e1", "-u", "-a", "binary.tmp", "out", "-q"}).exitCode, 1);
  EXPECT_EQ(readBytes("error.txt"), "-a error: binary.tmp is the working file binary.tmp\r\n");
  EXPECT_EQ(morvel({"-e1", "-u", "-a", "alias", "-q"}).exitCode, 1);
  EXPECT_EQ(morvel({"-e1", "-u", "-a", "alias", "./binary.tmp"}).exitCode, 1);
  writeBytes("in", "B\r\n");
  for (const char* output : {"binary.tmp", "alias"}) {  // nor the output
    EXPECT_EQ(morvel({"-e1", "-u", "-a", "in", output, "-q"}).exitCode, 1) << output;
    EXPECT_EQ(readBytes("error.txt"), "-a error: " + std::string(output) + " is the working file binary.tmp\r\n");
  }
  EXPECT_EQ(readBytes("binary.tmp"), "A\r\n");
  EXPECT_EQ(readBytes("in"), "B\r\n");
  EXPECT_FALSE(fs::exists("out"));
}

TEST_F(Morvel, InPlaceConversionOnAFullDiskKeepsTheInput) {
  installTables({kEuc, kUtf8});
  const std::string text = randomText(2000);  // far beyond the limit below
  writeBytes("SJIS", text);
  const auto r =
      runProcess("/bin/sh", {"-c", std::string("ulimit -f 16 && exec \"") + MORVEL_EXECUTABLE + "\" -e1 -u -a SJIS -q"},
                 {"PATH=/usr/bin:/bin"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(sameBytes(readBytes("SJIS"), text));
  EXPECT_EQ(readBytes("error.txt"), "readingAnotherFileToProduceEUC() error: write error: binary.tmp\r\n");
}

TEST_F(Morvel, UnwritableOutputGoesToMorvelTxtAndIsSaid) {
  installTables({kEuc, kUtf8});
  writeBytes("SJIS", "A\r\n");
  EXPECT_EQ(morvel({"-e1", "-u", "-a", "SJIS", "no/such/dir/out", "-q"}).exitCode, 0);
  EXPECT_EQ(readBytes("Morvel.txt"), "A\n");
  EXPECT_EQ(readBytes("messages.txt"), "no/such/dir/out cannot be written; the result is in Morvel.txt\r\n");

  // When Morvel.txt cannot be written either, nothing claims it holds the result.
  fs::remove("Morvel.txt");
  fs::remove("messages.txt");
  fs::create_directory("Morvel.txt");
  EXPECT_EQ(morvel({"-e1", "-u", "-a", "SJIS", "no/such/dir/out", "-q"}).exitCode, 1);
  EXPECT_FALSE(fs::exists("messages.txt"));
  EXPECT_EQ(readBytes("error.txt"),
            "CopyBackFromWorkFile() error: no/such/dir/out cannot be written; the result is only in binary.tmp\r\n");
  EXPECT_EQ(readBytes("binary.tmp"), "A\n");
}

// --- the command line as people really run it -------------------------------

namespace {

std::set<std::string> folderEntries() {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(".")) names.insert(entry.path().filename().string());
  return names;
}

// A large code page 932 text made of one random text repeated.
std::string largeText(std::size_t bytes) {
  const std::string piece = randomText(3000);
  std::string text;
  text.reserve(bytes + piece.size());
  while (text.size() < bytes) text += piece;
  return text;
}

}  // namespace

TEST_F(Morvel, VersionLineOnStandardOutput) {
  const auto r = morvel({"--version", "-V", "-e1", "-q"});  // before the checks: no tables here
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, testing_support::morvelVersionLine() + "\n");
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(fs::is_empty("."));
}

TEST_F(Morvel, AnEditedTableNeverReplacesAFileThatIsNotATable) {
  installTables({kEuc, kUtf8});
  const std::string notes = "Shopping: rice, miso, tofu.\r\n" + std::string(600, '-') + "\r\n";
  writeBytes("notes.txt", notes);
  writeBytes("bars.txt", "\xC5N\n");                                  // half-width NA by N
  EXPECT_EQ(morvel({"-e1", "-a", "notes.txt", "-q"}).exitCode, 252);  // the -u forgotten
  EXPECT_EQ(readBytes("error.txt"), "editRecord() error: not a table, left as it was: notes.txt\r\n");
  EXPECT_EQ(morvel({"-e1", "-t", "bars.txt", "notes.txt", "-q"}).exitCode, 252);
  EXPECT_EQ(readBytes("error.txt"), "editManyRecords() error: not a table, left as it was: notes.txt\r\n");
  EXPECT_TRUE(sameBytes(readBytes("notes.txt"), notes));
  EXPECT_TRUE(sameBytes(readBytes(kEuc), shipped(kEuc)));
  EXPECT_EQ(morvel({"-e1", "new.bin", "-q"}).exitCode, 0);  // a new name is written
  EXPECT_EQ(readBytes("new.bin").size(), shipped(kEuc).size());
}

TEST_F(Morvel, PipesAndFifosTakeTheResultInPlace) {
  installTables({kEuc, kUtf8});
  writeBytes("in.txt", "A\x82\xA0\r\n");  // A and hiragana a
  const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  ::utimensat(AT_FDCWD, "in.txt", old, 0);
  auto r = morvel({"-e1", "-u", "-a", "in.txt", "/dev/stdout", "-q"});  // a pipe behind a link
  EXPECT_EQ(r.exitCode, 0) << readBytes("error.txt");
  EXPECT_EQ(r.out, "A\xA4\xA2\n");
  EXPECT_EQ(readBytes("in.txt"), "A\x82\xA0\r\n");
  EXPECT_EQ(modified("in.txt").tv_sec, 1000000000);  // a pipe has no time to give

  ASSERT_EQ(::mkfifo("fifo", 0600), 0);
  auto reader = std::async(std::launch::async, [] { return readBytes("fifo"); });
  r = morvel({"-e1", "-u", "-a", "in.txt", "fifo", "-q"});
  EXPECT_EQ(r.exitCode, 0) << readBytes("error.txt");
  EXPECT_EQ(reader.get(), "A\xA4\xA2\n");
  EXPECT_TRUE(fs::is_fifo("fifo"));

  r = morvel({"-e1", "-k\xC5", "-aN", "/dev/stdout", "-q"});  // an edited table, too
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out.size(), shipped(kEuc).size());
  EXPECT_TRUE(sameBytes(readBytes(kEuc), shipped(kEuc)));
}

TEST_F(Morvel, InterruptedConversionLeavesNothingBehind) {
  installTables({kEuc, kUtf8});
  writeBytes("in.txt", largeText(std::size_t{48} << 20));
  writeBytes("out.txt", "old\r\n");
  const std::set<std::string> before = folderEntries();
  const int devnull = ::open("/dev/null", O_WRONLY);
  struct Run {
    int signal;
    const char* faults;
  };
  // Unnamed temporary files where the file system has them; named ones, removed on the signal, where not.
  for (const Run run : {Run{SIGINT, ""}, Run{SIGTERM, ""}, Run{SIGINT, "MORVEL_FAULT_NO_TMPFILE=1"},
                        Run{SIGTERM, "MORVEL_FAULT_NO_TMPFILE=1"}, Run{SIGHUP, "MORVEL_FAULT_NO_TMPFILE=1"}}) {
    const std::string what = std::string(strsignal(run.signal)) + " " + run.faults;
    fs::remove("binary.tmp");
    const pid_t pid = testing_support::startProcess(
        MORVEL_EXECUTABLE, {"-e1", "-u", "-a", "in.txt", "out.txt", "-q"},
        {"PATH=", "LD_PRELOAD=" FAULT_SHIM, "ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0", run.faults},
        devnull, devnull);
    // Part-way: the working file has grown, the result is not in place.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    const auto grown = [] {
      struct stat work {};
      return ::stat("binary.tmp", &work) == 0 && work.st_size >= (8 << 20);
    };
    while (!grown() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    ASSERT_TRUE(grown()) << what;
    ::kill(pid, run.signal);
    EXPECT_EQ(testing_support::waitForExit(pid), -1) << what;  // the signal ended it
    std::set<std::string> after = folderEntries();
    for (const char* left : {"binary.tmp", "error.txt", "messages.txt"}) after.erase(left);
    EXPECT_EQ(after, before) << what;
    EXPECT_EQ(readBytes("out.txt"), "old\r\n") << what;
  }
  ::close(devnull);
}

TEST_F(Morvel, FailedSyncLeavesTheOutputAsItWas) {
  installTables({kEuc, kUtf8});
  writeBytes("in.txt", "A\r\n");
  writeBytes("out.txt", "old\r\n");
  for (const char* tmpfile : {"MORVEL_FAULT_NONE=1", "MORVEL_FAULT_NO_TMPFILE=1"}) {
    EXPECT_EQ(morvelWith({"MORVEL_FAULT_FSYNC=1", tmpfile}, {"-e1", "-u", "-a", "in.txt", "out.txt", "-q"}).exitCode, 1)
        << tmpfile;
    EXPECT_EQ(readBytes("out.txt"), "old\r\n") << tmpfile;
    EXPECT_EQ(morvelWith({"MORVEL_FAULT_FSYNC=1", tmpfile}, {"-e1", "-q"}).exitCode, 252) << tmpfile;
    EXPECT_EQ(readBytes("error.txt"), "editRecord() error: write error: MS932~EUC-JP.bin\r\n") << tmpfile;
    EXPECT_TRUE(sameBytes(readBytes(kEuc), shipped(kEuc))) << tmpfile;
  }
  for (const auto& entry : fs::directory_iterator(".")) EXPECT_NE(entry.path().filename().string()[0], '.');
}

TEST_F(Morvel, ListThatCannotBeReadToItsEndFailsTheEdit) {
  installTables({kEuc, kUtf8});
  // half-width NA by N, circled one by full-width one, then more lines the read error cuts off
  writeBytes("bars.txt", "\xC5N\n\x87\x40\x82\x50\n" + std::string(4000, 'z') + "\n\xC6O\n");
  EXPECT_EQ(morvelWith({"MORVEL_FAULT_READ=bars.txt:9"}, {"-e1", "-t", "bars.txt", "-q"}).exitCode, 252);
  EXPECT_EQ(readBytes("error.txt"), "ifstream sjisFile() error: bars.txt\r\n");
  EXPECT_TRUE(sameBytes(readBytes(kEuc), shipped(kEuc)));
}

TEST_F(Morvel, ConversionWaitsForTheFolderLockAndSaysSoOnATerminal) {
  installTables({kEuc, kUtf8});
  writeBytes("in.txt", "A\r\n");
  // Another run's lock, taken shared: only an exclusive lock has to wait for it.
  const int folder = ::open(".", O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(::flock(folder, LOCK_SH), 0);
  int master = -1, slave = -1;
  ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  const int devnull = ::open("/dev/null", O_WRONLY);
  const pid_t pid = testing_support::startProcess(MORVEL_EXECUTABLE, {"-e1", "-u", "-a", "in.txt", "out.txt", "-q"},
                                                  {"PATH=", "LC_ALL=", "LC_CTYPE=", "LANG=C"}, devnull, slave);
  ::close(slave);
  ::close(devnull);
  std::string said;
  const std::string waiting = "Waiting for another run in this folder to finish with binary.tmp.\r\n";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (said.size() < waiting.size() && std::chrono::steady_clock::now() < deadline) {
    pollfd ready{master, POLLIN, 0};
    if (::poll(&ready, 1, 100) <= 0) continue;
    char buffer[256];
    const ssize_t got = ::read(master, buffer, sizeof buffer);
    if (got > 0) said.append(buffer, static_cast<std::size_t>(got));
  }
  EXPECT_EQ(said, waiting);  // said once, as the wait begins (the terminal adds CR)
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(fs::exists("out.txt"));
  EXPECT_FALSE(fs::exists("binary.tmp"));
  ::flock(folder, LOCK_UN);
  EXPECT_EQ(testing_support::waitForExit(pid), 0);
  EXPECT_EQ(readBytes("out.txt"), "A\n");
  ::close(folder);
  ::close(master);
}

TEST_F(Morvel, CommonRefusalsAreExplainedOnATerminal) {
  const std::vector<std::string> terminal{"PATH=", "LC_ALL=", "LC_CTYPE=", "LANG=C"};
  auto r = runOnTerminals(MORVEL_EXECUTABLE, {}, terminal);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "openClose[ 3 ]() error-1:  \n" + withoutCr(kTwoTables) +
                       "The table MS932~EUC-JP.bin is in none of the folders searched: " MORVEL_FIXED_FOLDER
                       ", the current folder and the folders of PATH.\n");
  EXPECT_EQ(readBytes("error.txt"), kTwoTables);  // the files as ever

  installTables({kEuc});
  r = runOnTerminals(MORVEL_EXECUTABLE, {}, terminal);
  EXPECT_EQ(r.err, "openClose[ 6 ]() error-2:  \n" + withoutCr(kTwoTables) +
                       "The table MS932~UTF-8.bin is in none of the folders searched: " MORVEL_FIXED_FOLDER
                       ", the current folder and the folders of PATH.\n");

  installTables({kUtf8});
  writeBytes("VEL", " ");
  r = runOnTerminals(MORVEL_EXECUTABLE, {}, terminal);
  EXPECT_EQ(r.err,
            "VEL should disappear. Please remove VEL from the current directory. \n"
            "A VEL that is not empty means another Morvel may be watching this folder: remove VEL only if none is.\n");
  EXPECT_EQ(readBytes("error.txt"), "VEL should disappear. Please remove VEL from the current directory. \r\n");
  fs::remove("VEL");

  writeBytes("in.txt", "A\r\n");
  fs::create_directory("binary.tmp");  // cannot be written, whoever runs it
  r = runOnTerminals(MORVEL_EXECUTABLE, {"-e1", "-u", "-a", "in.txt", "out.txt", "-q"}, terminal);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err,
            "openClose() error-2: Morvel.txt\n"
            "The working file binary.tmp must be writable in the current folder.\n");
  EXPECT_FALSE(fs::exists("out.txt"));
  EXPECT_EQ(morvel({"-e1", "-u", "-a", "in.txt", "out.txt", "-q"}).err, "openClose() error-2: Morvel.txt\n");
}

// --- the window's start and end as a desktop runs it ---------------------------

namespace {

const std::string kVelShouldDisappear = "VEL should disappear. Please remove VEL from the current directory. ";
const std::string kNoDisplay =
    "Morvel needs a display for its window: neither DISPLAY nor WAYLAND_DISPLAY is set. Runs with -q need none, "
    "and xvfb-run Morvel gives it a virtual one.";

// Starts Morvel's window (on the display-less platform) in the background
// and waits until it watches "VEL"; -1 when it did not get there.
pid_t startWindow() {
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int devnull = ::open("/dev/null", O_WRONLY);
    testing_support::detail::execWith(devnull, devnull, MORVEL_EXECUTABLE, {}, {"PATH=", "QT_QPA_PLATFORM=offscreen"});
  }
  for (int tries = 0; tries < 200; ++tries) {
    if (readBytes("VEL") == " ") return pid;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  return -1;
}

// The exit code, or -1 when it did not end within 10 s or ended otherwise.
int exitCodeOf(pid_t pid) {
  for (int tries = 0; tries < 400; ++tries) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  return -1;
}

}  // namespace

// Ctrl+C, SIGTERM and SIGHUP close the window as its close box does.
TEST_F(Morvel, SignalsCloseTheWindowAsItsCloseBox) {
  installTables({kEuc, kUtf8, kSjis});
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    const pid_t pid = startWindow();
    ASSERT_GT(pid, 0) << signal;
    ::kill(pid, signal);
    EXPECT_EQ(exitCodeOf(pid), 0) << signal;
    EXPECT_FALSE(fs::exists("VEL")) << signal;
  }
}

// A second window in the watched folder keeps the usual line in the file
// and tells a terminal why.
TEST_F(Morvel, ASecondWindowInTheFolderIsToldAnotherWatches) {
  installTables({kEuc, kUtf8, kSjis});
  const pid_t first = startWindow();
  ASSERT_GT(first, 0);
  const auto r = runOnTerminals(MORVEL_EXECUTABLE, {}, {"PATH=", "QT_QPA_PLATFORM=offscreen"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(readBytes("error.txt"), kVelShouldDisappear + "\r\n");
  EXPECT_EQ(r.err, kVelShouldDisappear +
                       "\nAnother Morvel is watching this folder: close its window first, or start this one in "
                       "another folder.\n");
  EXPECT_EQ(morvel({}).err, "");  // a pipe gets nothing
  ::kill(first, SIGTERM);
  EXPECT_EQ(exitCodeOf(first), 0);
}

// No display: the toolkit is not even loaded, and nothing is left behind.
TEST_F(Morvel, NoDisplayIsSaidBeforeTheWindowsLoad) {
  installTables({kEuc, kUtf8, kSjis});
  for (const char* platform : {"", "xcb"}) {
    const auto r = runOnTerminals(
        MORVEL_EXECUTABLE, {}, {"PATH=", std::string("QT_QPA_PLATFORM=") + platform, "DISPLAY=", "WAYLAND_DISPLAY="});
    EXPECT_EQ(r.exitCode, 1) << platform;
    EXPECT_EQ(r.err, kNoDisplay + "\n") << platform;
    EXPECT_EQ(readBytes("error.txt"), kNoDisplay + "\r\n") << platform;
    EXPECT_FALSE(fs::exists("VEL")) << platform;
  }
  EXPECT_EQ(morvel({"-e1", "-q"}).exitCode, 0);  // a run without the window needs none
}

// A display the toolkit cannot reach: the run fails as any window that
// cannot be built, with its reason in error.txt, not by an abort.
TEST_F(Morvel, ADisplayThatCannotBeReachedFailsTheRun) {
  installTables({kEuc, kUtf8, kSjis});
  const auto r =
      runProcess(MORVEL_EXECUTABLE, {}, {"PATH=", "QT_QPA_PLATFORM=xcb", "DISPLAY=:4091", "WAYLAND_DISPLAY="});
  EXPECT_EQ(r.exitCode, 1);
#ifdef MORVEL_ON_WINDOWS
  EXPECT_EQ(readBytes("error.txt"), "Morvel error: CreateWindowExW() error: Form1\r\n");
#else
  EXPECT_EQ(readBytes("error.txt"),
            "Morvel error: the windows cannot be built: could not connect to display :4091\r\n");
#endif
  EXPECT_FALSE(fs::exists("VEL"));
}

// A read-only folder, where "VEL" cannot be created: refused at start.
// Permission bits do not bind root: then the run is the user nobody's.
TEST_F(Morvel, AFolderWhereVelCannotBeCreatedStopsTheStart) {
  installTables({kEuc, kUtf8, kSjis});
  writeBytes("error.txt", "");
  ::chmod("error.txt", 0666);
  ::chmod(".", 0555);
  const std::string expected = "VEL cannot be created in " + fs::current_path().string() +
                               " - Permission denied - Morvel needs a folder where it may write VEL.\r\n";
  const bool refused = testing_support::whereModesBind([&expected] {
    const auto r = morvel({"-p"});  // a window would close after a second
    return r.exitCode == 1 && readBytes("error.txt") == expected && !fs::exists("VEL");
  });
  ::chmod(".", 0700);
  EXPECT_TRUE(refused) << readBytes("error.txt");
}

// The program runs only the windows module of its own build.
TEST_F(Morvel, RefusesAMissingOrForeignWindowsModule) {
  installTables({kEuc, kUtf8, kSjis});
  const std::string here = fs::canonical(".").string() + "/";
  fs::copy_file(MORVEL_EXECUTABLE, "Morvel");
  auto r = runProcess(here + "Morvel", {}, {"PATH=", "QT_QPA_PLATFORM=offscreen"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(readBytes("error.txt"), "cannot load the windows: " + here + "libmorvel_windows.so is missing, and so is " +
                                        MORVEL_MODULE_FOLDER + "libmorvel_windows.so\r\n");
  EXPECT_FALSE(fs::exists("VEL"));

  fs::copy_file(FOREIGN_MODULE, "libmorvel_windows.so");
  r = runProcess(here + "Morvel", {}, {"PATH=", "QT_QPA_PLATFORM=offscreen"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(readBytes("error.txt"), "cannot load the windows: " + here +
                                        "libmorvel_windows.so (build 0.0-another) was not built with " + here +
                                        "Morvel (build " MORVEL_BUILD_STAMP ")\r\n");
  EXPECT_FALSE(fs::exists("VEL"));
}

TEST_F(MorvelInstalled, AnEditBesideTheInstalledTableIsNotedAndOnlyOneMadeThereIsUsed) {
  const std::vector<std::string> circledOneByFullWidthOne{"-e1", "-s\x87\x40", "-g\x82\x50", "-q"};
  auto r = morvel(circledOneByFullWidthOne);
  EXPECT_EQ(r.exitCode, 0);  // the table was written
  EXPECT_EQ(r.err, "");      // a pipe gets nothing
  EXPECT_EQ(readBytes("messages.txt"), kUnusedEditNote + "\r\n");
  EXPECT_EQ(targetOf(readBytes(kEuc), "\x87\x40"), "\xA3\xB1");
  EXPECT_TRUE(sameBytes(readBytes(installed_.folder() / kEuc), shipped(kEuc)));
  writeBytes("sjis.txt", "\x87\x40\r\n");
  ASSERT_EQ(morvel({"-e1", "-u", "-a", "sjis.txt", "euc.txt", "-q"}).exitCode, 0);
  EXPECT_EQ(readBytes("euc.txt"), "\xAD\xA1\n");  // the installed table's circled one

  fs::remove("messages.txt");
  writeBytes("bars.txt", "\x87\x40\x82\x50\r\n");
  EXPECT_EQ(morvel({"-e1", "-t", "bars.txt", "-q"}).exitCode, 0);
  EXPECT_EQ(readBytes("messages.txt"), kUnusedEditNote + "\r\n");

  // Made in the fixed folder, the edit is the table every conversion reads.
  fs::remove(kEuc);
  r = testing_support::inFolder(installed_.folder(), [&] { return morvel(circledOneByFullWidthOne); });
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_FALSE(fs::exists(installed_.folder() / "messages.txt"));
  EXPECT_EQ(readBytes(installed_.folder() / "info.txt"), "8740 \x81\xCB 8250\r\n");
  ASSERT_EQ(morvel({"-e1", "-u", "-a", "sjis.txt", "euc.txt", "-q"}).exitCode, 0);
  EXPECT_EQ(readBytes("euc.txt"), "\xA3\xB1\n");  // as full-width one
}

TEST_F(MorvelInstalled, TheNoteAlsoReachesATerminalAsItIs) {
  const auto r = runOnTerminals(MORVEL_EXECUTABLE, {"-e1", "-s\x87\x40", "-g\x82\x50", "-q"},
                                {"PATH=", "LC_ALL=", "LC_CTYPE=", "LANG=C.UTF-8"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, kUnusedEditNote + "\n");
}
