// fenra run as a real process in a temporary directory.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "support/fixed_folders.h"
#include "support/process.h"
#include "support/same_bytes.h"
#include "support/table_records.h"
#include "support/temp_dir.h"
#include "support/usage_texts.h"

using testing_support::readBytes;
using testing_support::recordIndex;
using testing_support::runOnTerminals;
using testing_support::runProcess;
using testing_support::sameBytes;
using testing_support::shippedBytes;
using testing_support::targetOf;
using testing_support::TempDir;
using testing_support::writeBytes;
namespace fs = std::filesystem;

namespace {

const char* const kTable = "MS932~EUC-JP.bin";

std::string shipped() { return shippedBytes(kTable); }

std::string target(const std::string& table, int code) { return targetOf(table, recordIndex(table, code)); }

// `original` with the target bytes of `code` replaced.
std::string withTarget(std::string original, int code, const std::string& bytes) {
  original.replace(recordIndex(original, code) * 4 + 2, 2, bytes);
  return original;
}

// Empty when the tables are equal, else where they first differ.
std::string difference(const std::string& actual, const std::string& expected) {
  if (actual == expected) return "";
  if (actual.size() != expected.size())
    return "size " + std::to_string(actual.size()) + " instead of " + std::to_string(expected.size());
  std::size_t i = 0;
  while (actual[i] == expected[i]) ++i;
  return "record " + std::to_string(i / 4 + 1) + " differs";
}

class Fenra : public testing::Test {
 protected:
  void SetUp() override { writeBytes(kTable, shipped()); }

  testing_support::ProcessResult fenra(const std::vector<std::string>& arguments) {
    return runProcess(FENRA_EXECUTABLE, arguments, {"PATH="});
  }

  // The same run with faults injected (support/fault_shim.cpp): `faults`
  // are its variables.
  testing_support::ProcessResult fenraWith(const std::vector<std::string>& faults,
                                           const std::vector<std::string>& arguments) {
    std::vector<std::string> environment{"PATH=", "LD_PRELOAD=" FAULT_SHIM,
                                         "ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0"};
    environment.insert(environment.end(), faults.begin(), faults.end());
    return runProcess(FENRA_EXECUTABLE, arguments, environment);
  }

  // The same run under the locale `lang` names.
  testing_support::ProcessResult fenraUnder(const std::string& lang, const std::vector<std::string>& arguments) {
    return runProcess(FENRA_EXECUTABLE, arguments, {"PATH=", "LC_ALL=", "LC_CTYPE=", "LANG=" + lang});
  }

  TempDir dir_;
};

const std::string kDefaultUsage = testing_support::fenraUsage(false);

const std::string kCommentedUsage = testing_support::fenraUsage(true);

// Regular files in the current directory.
std::size_t fileCount() {
  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(".")) files += entry.is_regular_file() ? 1 : 0;
  return files;
}

}  // namespace

TEST_F(Fenra, HelpPrintsTheCommentedUsageOnStandardOutput) {
  for (const char* word : {"--help", "-h"}) {
    const auto r = fenra({"-s\x87\x40", word, "-V"});
    EXPECT_EQ(r.exitCode, 0) << word;
    EXPECT_EQ(r.out, kCommentedUsage) << word;
    EXPECT_EQ(r.err, "") << word;
  }
  EXPECT_EQ(difference(readBytes(kTable), shipped()), "");
  EXPECT_EQ(fileCount(), 1u);  // only the table

  const auto r = fenra({"-V", "--help"});  // the first of them decides
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, kDefaultUsage);
  EXPECT_EQ(r.out, "");
}

TEST_F(Fenra, NamesReachAUtfEightTerminalAsTheyAre) {
  // "\xE8\xA1\xA8" is the kanji for table, "\xE4\xB8\x80\xE8\xA6\xA7" the word for list, in UTF-8.
  fs::create_directory("\xE8\xA1\xA8");
  writeBytes("\xE8\xA1\xA8/MS932~EUC-JP.bin", shipped());
  writeBytes("setting.txt", "\n\x87\x53\n\x93\xF9\n\n0\n0\n\n\n\n\n\xE8\xA1\xA8/MS932~EUC-JP.bin\n");
  const std::vector<std::string> utf8{"PATH=", "LC_ALL=", "LC_CTYPE=", "LANG=C.UTF-8"};
  auto r = runOnTerminals(FENRA_EXECUTABLE, {"-q", "-w", "out.bin"}, utf8);
  EXPECT_EQ(r.exitCode, 0);
  // the names as they are, the arrow converted
  EXPECT_EQ(r.out, "\xE8\xA1\xA8/MS932~EUC-JP.bin is primarily accessible to fenra.\n8753 \xE2\x87\x92 93f9\n");

  r = runOnTerminals(FENRA_EXECUTABLE, {"\xE8\xA1\xA8/no/t.bin"}, utf8);
  EXPECT_EQ(r.err, "editRecord() error: write error: \xE8\xA1\xA8/no/t.bin\n");
  r = runOnTerminals(FENRA_EXECUTABLE, {"-f", "\xE4\xB8\x80\xE8\xA6\xA7.txt"}, utf8);
  EXPECT_EQ(r.err, "ifstream sjisFile() error: \xE4\xB8\x80\xE8\xA6\xA7.txt\n");

  // Another terminal gets every byte as it is.
  r = runOnTerminals(FENRA_EXECUTABLE, {"-q", "-w", "out.bin"}, {"PATH=", "LC_ALL=", "LC_CTYPE=", "LANG=C"});
  EXPECT_EQ(r.out, "\xE8\xA1\xA8/MS932~EUC-JP.bin is primarily accessible to fenra.\n8753 \x81\xCB 93f9\n");
}

TEST_F(Fenra, VersionPrintsTheUsageAndEditsNothing) {
  auto r = fenra({"-V"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, kDefaultUsage);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(difference(readBytes(kTable), shipped()), "");

  r = fenra({"-d", "-V", "-s\x87\x40"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, kDefaultUsage);
  EXPECT_EQ(difference(readBytes(kTable), shipped()), "");
}

TEST_F(Fenra, VersionWithComments) {
  const auto r = fenra({"-VC"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(
      r.err.rfind(testing_support::fenraVersionLine() + "\n\nfenra -f bars.txt     # Edit according to bars.txt \n", 0),
      0u);
  EXPECT_NE(r.err.find("fenra -s\x87\x40 -e\x82\x50       # \x87\x40 is subsituted with \x82\x50 and represented "
                       "in EUC-JP. \n"),
            std::string::npos);
  EXPECT_NE(r.err.find("fenra -VC             # version with comments \n"), std::string::npos);
}

TEST_F(Fenra, DefaultEditGivesTwentyTheEntryOfTheKanjiTwenty) {
  const auto r = fenra({});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "8753 \x81\xCB 93f9\n");  // rightwards double arrow
  const std::string original = shipped();
  EXPECT_EQ(difference(readBytes(kTable), withTarget(original, 0x8753, target(original, 0x93F9))), "");
  EXPECT_EQ(target(original, 0x93F9), "\xC6\xFB");
}

TEST_F(Fenra, SingleSubstitutionsOfEachKind) {
  const std::string original = shipped();
  struct Case {
    std::vector<std::string> arguments;
    int code;
    std::string bytes;
  };
  const Case cases[] = {
      {{"-k\xC5", "-aN"}, 0xC5, std::string("N\0", 2)},        // single by single
      {{"-s\x87\x40", "-e\x82\x50"}, 0x8740, "\xA3\xB1"},      // double by double
      {{"-k\xC5", "-e\x82\x50"}, 0xC5, "\xA3\xB1"},            // single by double
      {{"-s\x87\x40", "-aN"}, 0x8740, std::string("N\0", 2)},  // double by single
#ifndef MORVEL_ON_WINDOWS  // a code without a character cannot be typed on a UTF-16 command line
      {{"-s\x87\x40", "-e\x85\x40"}, 0x8740, std::string("\0\0", 2)},  // substitute no record names
#endif
  };
  for (const Case& c : cases) {
    writeBytes(kTable, original);
    const auto r = fenra(c.arguments);
    EXPECT_EQ(r.exitCode, 0) << c.arguments[0];
    EXPECT_EQ(difference(readBytes(kTable), withTarget(original, c.code, c.bytes)), "") << c.arguments[0];
  }
}

TEST_F(Fenra, SubstitutingACharacterWithItselfChangesNothing) {
  EXPECT_EQ(fenra({"-k\xB6", "-a\xB6"}).exitCode, 0);  // half-width KA
  EXPECT_EQ(fenra({"-s\x87\x40", "-e\x87\x40"}).exitCode, 0);
  EXPECT_EQ(difference(readBytes(kTable), shipped()), "");
}

TEST_F(Fenra, TableNameArgumentProducesASeparateFile) {
  const auto r = fenra({"-k\xC5", "-aN", "out.bin"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(difference(readBytes(kTable), shipped()), "");
  EXPECT_EQ(difference(readBytes("out.bin"), withTarget(shipped(), 0xC5, std::string("N\0", 2))), "");
  EXPECT_EQ(fenra({"-x"}).exitCode, 0);  // an unknown option is a table name too
  EXPECT_TRUE(fs::exists("-x"));
}

TEST_F(Fenra, UtfEightCharacterOptions) {
  // circled one and full-width one typed at a UTF-8 terminal
  EXPECT_EQ(fenra({"-s\xE2\x91\xA0", "-e\xEF\xBC\x91"}).exitCode, 0);
  EXPECT_EQ(difference(readBytes(kTable), withTarget(shipped(), 0x8740, "\xA3\xB1")), "");
  writeBytes(kTable, shipped());
  EXPECT_EQ(fenra({"-k\xEF\xBD\xB6", "-aN"}).exitCode, 0);  // half-width KA
  EXPECT_EQ(difference(readBytes(kTable), withTarget(shipped(), 0xB6, std::string("N\0", 2))), "");
}

// UTF-8 is told by the bytes, not by the locale.
const char* const kLocales[] = {"C", "C.UTF-8"};

TEST_F(Fenra, UtfEightValuesOfAnyLengthGiveTheirFirstCharacter) {
  for (const char* lang : kLocales) {
    writeBytes(kTable, shipped());
    // circled one and circled two, then full-width one, all in UTF-8
    const auto r = fenraUnder(lang, {"-s\xE2\x91\xA0\xE2\x91\xA1", "-e\xEF\xBC\x91"});
    EXPECT_EQ(r.exitCode, 0) << lang;
    EXPECT_EQ(r.out, "8740 \x81\xCB 8250\n") << lang;  // rightwards double arrow
    EXPECT_EQ(difference(readBytes(kTable), withTarget(shipped(), 0x8740, "\xA3\xB1")), "") << lang;
  }
}

TEST_F(Fenra, CharacterWithoutACodePage932CodeIsRefused) {
  const auto r = fenra({"-s\xF0\x9F\x98\x80", "-e\x82\x50"});  // grinning face
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "option -s: U+1F600 has a character that code page 932 cannot write\n");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(difference(readBytes(kTable), shipped()), "");
  EXPECT_EQ(fileCount(), 1u);  // only the table
}

TEST_F(Fenra, UtfEightListLines) {
  // circled one by full-width one, then half-width NA by N, both in UTF-8
  writeBytes("bars.txt", "\xE2\x91\xA0\xEF\xBC\x91\n\xEF\xBE\x85N\n");
  std::string expected = withTarget(shipped(), 0x8740, "\xA3\xB1");
  expected = withTarget(expected, 0xC5, std::string("N\0", 2));
  for (const char* lang : kLocales) {
    writeBytes(kTable, shipped());
    const auto r = fenraUnder(lang, {"-f", "bars.txt"});
    EXPECT_EQ(r.exitCode, 0) << lang;
    EXPECT_EQ(difference(readBytes(kTable), expected), "") << lang;
  }
}

TEST_F(Fenra, ListLineWithoutACodePage932CodeFailsTheEdit) {
  writeBytes("bars.txt",
             "\xC5N\n\xE2\x91\xA0\xF0\x9F\x98\x80\n");  // half-width NA by N; circled one by a grinning face
  const auto r = fenra({"-f", "bars.txt"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "list bars.txt: line 2 has a character that code page 932 cannot write\n");
  EXPECT_EQ(difference(readBytes(kTable), shipped()), "");
}

TEST_F(Fenra, ListFiles) {
  std::string list =
      "\x87\x40\x82\x50\r\n"  // circled one by full-width one, CR LF
      "\xC5N comment\n"       // half-width NA by N; the rest ignored
      "\n"                    // empty line: skipped
      "\x87\x40\x82\x51\n"    // same character again: the first line wins
      "\x87\x41"
      "A\n"     // three bytes: split after the lead byte, so nothing
      "\xC6O";  // half-width NI by O, last line without LF
  writeBytes("bars.txt", list);
  auto r = fenra({"-f", "-d-", "bars.txt"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "");
  std::string expected = withTarget(shipped(), 0x8740, "\xA3\xB1");
  expected = withTarget(expected, 0xC5, std::string("N\0", 2));
  expected = withTarget(expected, 0xC6, std::string("O\0", 2));
  EXPECT_EQ(difference(readBytes(kTable), expected), "");
}

TEST_F(Fenra, ListEndsAtAnOverlongLineAndAfter906Lines) {
  writeBytes("long.txt", "\xC5N\n" + std::string(2560, 'x') + "\n\xC6O\n");
  EXPECT_EQ(fenra({"-f", "long.txt"}).exitCode, 0);
  EXPECT_EQ(difference(readBytes(kTable), withTarget(shipped(), 0xC5, std::string("N\0", 2))), "");

  writeBytes(kTable, shipped());
  writeBytes("edge.txt", "\xC5N\n" + std::string(2559, 'x') + "\n\xC6O\n");
  EXPECT_EQ(fenra({"-f", "edge.txt"}).exitCode, 0);
  EXPECT_EQ(target(readBytes(kTable), 0xC6), std::string("O\0", 2));

  writeBytes(kTable, shipped());
  std::string many;
  for (int i = 0; i < 906; ++i) many += "zz\n";
  writeBytes("many.txt", many + "\xC5N\n");
  EXPECT_EQ(fenra({"-f", "many.txt"}).exitCode, 0);
  EXPECT_EQ(difference(readBytes(kTable), shipped()), "");
}

TEST_F(Fenra, SettingFileLines) {
  writeBytes("setting.txt", "edited.bin'written here\r\n\x87\x40\r\n\x82\x50\r\n\r\n0,no search\r\n-w\r\n");
  auto r = fenra({});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "MS932~EUC-JP.bin is primarily accessible to fenra.\n8740 \x81\xCB 8250\n");
  EXPECT_EQ(difference(readBytes("edited.bin"), withTarget(shipped(), 0x8740, "\xA3\xB1")), "");

  // "-w-" and a later table name override the file.
  r = fenra({"-w-", "again.bin"});
  EXPECT_EQ(r.out, "8740 \x81\xCB 8250\n");
  EXPECT_TRUE(fs::exists("again.bin"));
}

TEST_F(Fenra, SettingFilesSavedInUtfEight) {
  for (const std::string bom : {"", "\xEF\xBB\xBF"}) {
    writeBytes(kTable, shipped());
    writeBytes("setting.txt", bom + "MS932~EUC-JP.bin\n\xE2\x91\xA0\n\xEF\xBC\x91\n");  // circled one, full-width one
    const auto r = fenra({});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "8740 \x81\xCB 8250\n");
    EXPECT_EQ(difference(readBytes(kTable), withTarget(shipped(), 0x8740, "\xA3\xB1")), "");
  }
  writeBytes(kTable, shipped());
  writeBytes("setting.txt", "MS932~EUC-JP.bin\n\x87\x40\n\xE2\x91\xA0\xE2\n");  // a UTF-8 character and a stray byte
  const auto r = fenra({});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "setting.txt: line 3 (\xE2\x91\xA0\xE2) is not one character in code page 932 or UTF-8\n");
  EXPECT_TRUE(sameBytes(readBytes(kTable), shipped()));
}

TEST_F(Fenra, AcquireFromTextTakesLineEleven) {
  fs::create_directory("t");
  writeBytes("t/MS932~EUC-JP.bin", shipped());
  fs::remove(kTable);
  auto r = fenra({"-q"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "openClose[3]() error: MS932~EUC-JP.bin\n");

  writeBytes("setting.txt", "out.bin\n\x87\x53\n\x93\xF9\n\n0\n0\n\n\n\n\nt/MS932~EUC-JP.bin\n");
  r = fenra({"-q", "-w"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "t/MS932~EUC-JP.bin is primarily accessible to fenra.\n8753 \x81\xCB 93f9\n");
  EXPECT_TRUE(fs::exists("out.bin"));
}

TEST_F(Fenra, FailuresAndTheirLines) {
  auto r = fenra({"-d"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "openClose[0]() error: MS932~EUC-JP.bin\n");

  r = fenra({"-f", "absent.txt"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "ifstream sjisFile() error: absent.txt\n");

  fs::remove(kTable);
  r = fenra({});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "openClose[3]() error: MS932~EUC-JP.bin\n");
}

TEST_F(Fenra, ShortTableIsNeverRewritten) {
  const std::string cut = shipped().substr(0, 31527);
  writeBytes(kTable, cut);
  const auto r = fenra({});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(readBytes("error.txt"),
            "editRecord() error: euc->setting(acquire_from_text, no_searching, whichTable)\r\n");
  EXPECT_EQ(difference(readBytes(kTable), cut), "");
}

TEST_F(Fenra, LinesOfErrorTxtAlsoReachATerminal) {
  const std::string cut = shipped().substr(0, 31527);
  writeBytes(kTable, cut);
  const std::string line = "editRecord() error: euc->setting(acquire_from_text, no_searching, whichTable)";
  const auto r = runOnTerminals(FENRA_EXECUTABLE, {}, {"PATH=", "LC_ALL=", "LC_CTYPE=", "LANG=C.UTF-8"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, line + "\n");
  EXPECT_TRUE(sameBytes(readBytes("error.txt"), line + "\r\n"));
  EXPECT_EQ(fenra({}).err, "");  // a pipe gets nothing
}

TEST_F(Fenra, UnwritableTargetFailsAndLeavesNoTemporaryFile) {
  const auto r = fenra({"no/such/dir/t.bin"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "editRecord() error: write error: no/such/dir/t.bin\n");
  if (fs::exists("/dev/full")) {
    // A device is written in place, never replaced; a full one fails the edit.
    EXPECT_EQ(fenra({"/dev/full"}).exitCode, 1);
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
  }
  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(".")) files += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 1u);  // only the table
  EXPECT_EQ(difference(readBytes(kTable), shipped()), "");
}

// --- the command line as people really run it -------------------------------

TEST_F(Fenra, VersionLineOnStandardOutput) {
  const auto r = fenra({"--version", "-V"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, testing_support::fenraVersionLine() + "\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(difference(readBytes(kTable), shipped()), "");
  EXPECT_EQ(fileCount(), 1u);  // no table named "--version"
}

TEST_F(Fenra, AnExistingFileThatIsNotATableIsNeverReplaced) {
  const std::string notes = "Shopping: rice, miso, tofu.\n" + std::string(600, '-') + "\n";
  std::string shuffled = shipped();  // a table's size, but its records name other codes
  shuffled[5000 * 4 + 1] = static_cast<char>(shuffled[5000 * 4 + 1] ^ 0x01);
  writeBytes("bars.txt", "\xC5N\n");  // half-width NA by N
  const std::vector<std::vector<std::string>> runs{
      {"notes.txt"}, {"-k\xC5", "-aN", "notes.txt"}, {"-f", "bars.txt", "notes.txt"}};
  for (const auto& arguments : runs) {
    writeBytes("notes.txt", notes);
    const auto r = fenra(arguments);
    EXPECT_EQ(r.exitCode, 1) << arguments[0];
    const std::string editor = arguments[0] == "-f" ? "editManyRecords()" : "editRecord()";
    EXPECT_EQ(r.err, editor + " error: not a table, left as it was: notes.txt\n") << arguments[0];
    EXPECT_TRUE(sameBytes(readBytes("notes.txt"), notes)) << arguments[0];
  }
  writeBytes("other.bin", shuffled);
  EXPECT_EQ(fenra({"other.bin"}).exitCode, 1);
  EXPECT_TRUE(readBytes("other.bin") == shuffled);
  writeBytes("copy.bin", shipped());  // a table: edited
  EXPECT_EQ(fenra({"-k\xC5", "-aN", "copy.bin"}).exitCode, 0);
  EXPECT_EQ(difference(readBytes("copy.bin"), withTarget(shipped(), 0xC5, std::string("N\0", 2))), "");
  EXPECT_EQ(difference(readBytes(kTable), shipped()), "");
  // A table with bytes after its last record is still a table: it loads, and
  // the edit writes the 7882 records back without them.
  writeBytes(kTable, shipped() + "\r\n\x1A junk");
  EXPECT_EQ(fenra({"-k\xC5", "-aN"}).exitCode, 0);
  EXPECT_EQ(difference(readBytes(kTable), withTarget(shipped(), 0xC5, std::string("N\0", 2))), "");
}

TEST_F(Fenra, PipesAndFifosAreWrittenInPlace) {
  const std::string edited = withTarget(shipped(), 0xC5, std::string("N\0", 2));
  auto r = fenra({"-k\xC5", "-aN", "/dev/stdout"});  // a pipe behind a link
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "c5 \x81\xCB 4e\n" + edited);

  ASSERT_EQ(::mkfifo("fifo", 0600), 0);
  fs::create_symlink("fifo", "link");
  auto reader = std::async(std::launch::async, [] { return readBytes("fifo"); });
  r = fenra({"-k\xC5", "-aN", "link"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(difference(reader.get(), edited), "");
  EXPECT_TRUE(fs::is_fifo("fifo"));
  EXPECT_EQ(difference(readBytes(kTable), shipped()), "");
}

TEST_F(Fenra, ListThatCannotBeReadToItsEndFailsTheEdit) {
  // half-width NA by N, circled one by full-width one, then more lines the read error cuts off
  writeBytes("bars.txt", "\xC5N\n\x87\x40\x82\x50\n" + std::string(4000, 'z') + "\n\xC6O\n");
  auto r = fenraWith({"MORVEL_FAULT_READ=bars.txt:9"}, {"-f", "bars.txt"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "ifstream sjisFile() error: bars.txt\n");
  EXPECT_EQ(difference(readBytes(kTable), shipped()), "");

  fs::create_directory("folder.txt");  // opens, but cannot be read
  r = fenra({"-f", "folder.txt"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "ifstream sjisFile() error: folder.txt\n");
  EXPECT_EQ(difference(readBytes(kTable), shipped()), "");

  EXPECT_EQ(fenraWith({"MORVEL_FAULT_READ=other.txt:9"}, {"-f", "bars.txt"}).exitCode, 0);  // the shim's control
}

TEST_F(Fenra, FailedSyncLeavesTheTableAsItWasAndNoTemporaryFile) {
  for (const char* tmpfile : {"MORVEL_FAULT_NONE=1", "MORVEL_FAULT_NO_TMPFILE=1"}) {
    const auto r = fenraWith({"MORVEL_FAULT_FSYNC=1", tmpfile}, {});
    EXPECT_EQ(r.exitCode, 1) << tmpfile;
    EXPECT_EQ(r.err, "editRecord() error: write error: MS932~EUC-JP.bin\n") << tmpfile;
    EXPECT_EQ(difference(readBytes(kTable), shipped()), "") << tmpfile;
    EXPECT_EQ(fileCount(), 1u) << tmpfile;
  }
  EXPECT_EQ(fenraWith({"MORVEL_FAULT_NO_TMPFILE=1"}, {}).exitCode, 0);  // a named temporary file otherwise
  EXPECT_EQ(fileCount(), 1u);
}

TEST_F(Fenra, MissingTableIsExplainedOnATerminal) {
  fs::remove(kTable);
  const std::vector<std::string> terminal{"PATH=", "LC_ALL=", "LC_CTYPE=", "LANG=C.UTF-8"};
  auto r = runOnTerminals(FENRA_EXECUTABLE, {}, terminal);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err,
            "openClose[3]() error: MS932~EUC-JP.bin\n"
            "The table MS932~EUC-JP.bin is in none of the folders searched: " FENRA_FIXED_FOLDER
            ", the current folder and the folders of PATH.\n");
  r = runOnTerminals(FENRA_EXECUTABLE, {"-d"}, terminal);
  EXPECT_EQ(r.err,
            "openClose[0]() error: MS932~EUC-JP.bin\n"
            "The table MS932~EUC-JP.bin is not in " FENRA_FIXED_FOLDER ", the only folder -d searches.\n");
  EXPECT_EQ(fenra({}).err, "openClose[3]() error: MS932~EUC-JP.bin\n");  // a pipe gets the line alone
}

namespace {

// Morvel's and fenra's installed tables, and nothing in the current folder.
class FenraInstalled : public Fenra {
 protected:
  void SetUp() override {}

  testing_support::InstalledTables morvels_{MORVEL_FIXED_FOLDER, {kTable}};
  testing_support::InstalledTables fenras_{FENRA_FIXED_FOLDER, {kTable}};
};

}  // namespace

TEST_F(FenraInstalled, AnEditNotReadNextIsNotedOnStandardError) {
  const std::string morvels = std::string(MORVEL_FIXED_FOLDER) + kTable;
  const std::string fenras = std::string(FENRA_FIXED_FOLDER) + kTable;
  const std::vector<std::string> circledOneByFullWidthOne{"-s\x87\x40", "-e\x82\x50"};
  auto r = fenra(circledOneByFullWidthOne);
  EXPECT_EQ(r.exitCode, 0);  // the table was written
  EXPECT_EQ(r.out, "8740 \x81\xCB 8250\n");
  EXPECT_EQ(r.err, "MS932~EUC-JP.bin was edited, but Morvel's conversions from this folder load " + morvels +
                       " and the next edit starts again from " + fenras +
                       ", which are searched first, so the edit is not used. To use it, copy MS932~EUC-JP.bin over " +
                       morvels + " and over " + fenras + ".\n");
  EXPECT_EQ(target(readBytes(kTable), 0x8740), "\xA3\xB1");

  const auto from = [&](const testing_support::InstalledTables& installed) {
    return testing_support::inFolder(installed.folder(), [&] { return fenra(circledOneByFullWidthOne); });
  };
  r = from(fenras_);
  EXPECT_EQ(r.err, "MS932~EUC-JP.bin was edited, but Morvel's conversions from this folder load " + morvels +
                       ", which is searched first, so they do not use the edit. To use it, copy MS932~EUC-JP.bin "
                       "over " +
                       morvels + ".\n");
  r = from(morvels_);
  EXPECT_EQ(r.err,
            "MS932~EUC-JP.bin was edited and Morvel's conversions from this folder use it, but the next edit "
            "starts again from " +
                fenras + ", which is searched first. To build on the edit, copy MS932~EUC-JP.bin over " + fenras +
                ".\n");
  fs::remove(fenras_.folder() / kTable);
  r = from(morvels_);  // both read the table written
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(target(readBytes(morvels_.folder() / kTable), 0x8740), "\xA3\xB1");
}
