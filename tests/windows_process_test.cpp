// The Windows programs as real processes under Wine, in what only Windows
// has: a command line of UTF-16 words, names that reach the system as
// UTF-16, Path read as UTF-16, and a GUI program without a console. Words
// are handed to Wine in UTF-8 (support/process.h), as a user types them on
// any Windows.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/table_records.h"
#include "support/temp_dir.h"
#include "support/usage_texts.h"

using testing_support::readBytes;
using testing_support::recordIndex;
using testing_support::runProcess;
using testing_support::runProcessExactly;
using testing_support::shippedBytes;
using testing_support::targetOf;
using testing_support::TempDir;
using testing_support::writeBytes;
namespace fs = std::filesystem;

namespace {

const char* const kEuc = "MS932~EUC-JP.bin";
const char* const kUtf8 = "MS932~UTF-8.bin";
const std::string kCircledOne = "\xE2\x91\xA0";                            // ①, 0x8740 in code page 932
const std::string kFullWidthOne = "\xEF\xBC\x91";                          // １, 0x8250
const std::string kGrinningFace = "\xF0\x9F\x98\x80";                      // no code page 932 code
const std::string kTestName = "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88.txt";  // テスト.txt
const std::string kOutputName = "\xE5\x87\xBA\xE5\x8A\x9B.txt";            // 出力.txt

// A Linux path as Wine's programs name it.
std::string windowsPath(const fs::path& path) {
  std::string name = "Z:" + path.string();
  for (char& c : name) c = c == '/' ? '\\' : c;
  return name;
}

const std::string kMorvel = windowsPath(MORVEL_EXECUTABLE);
const std::string kFenra = windowsPath(FENRA_EXECUTABLE);

// Text as a Windows program writes it to a pipe or a file: CR LF line ends.
std::string crLf(const std::string& text) {
  std::string lines;
  for (char c : text) lines += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return lines;
}

// Whether iconv reads all of `bytes` as code page 932.
bool codePage932Only(const std::string& bytes) {
  writeBytes("iconv.in", bytes);
  return std::system("iconv -f CP932 -t UTF-8 iconv.in >/dev/null 2>&1") == 0;
}

class WindowsPrograms : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {kEuc, kUtf8}) writeBytes(name, shippedBytes(name));
  }

  static testing_support::ProcessResult fenra(const std::vector<std::string>& words, const std::string& path = "") {
    return runProcess(FENRA_EXECUTABLE, words, {"PATH=" + path});
  }
  static testing_support::ProcessResult morvel(const std::vector<std::string>& words) {
    return runProcess(MORVEL_EXECUTABLE, words, {"PATH="});
  }
  static std::string target(int code, const std::string& table = kEuc) {
    const std::string bytes = readBytes(table);
    return targetOf(bytes, recordIndex(bytes, code));
  }
  // The program run by CreateProcessW with exactly `line` (UTF-8), its
  // standard handles the pipes of this test (support/launch_exact.cpp).
  static testing_support::ProcessResult launched(const std::string& line) {
    writeBytes("line.txt", line);
    return runProcessExactly(LAUNCH_EXACT_EXECUTABLE, {"line.txt"}, {"PATH="});
  }

  TempDir dir_;
};

}  // namespace

// Wine hands a narrow command line over in the ANSI code page, where each
// Japanese character is a '?': the programs read the UTF-16 words, so the
// edit changes the record that was typed, not the one of '?'.
TEST_F(WindowsPrograms, TypedCharactersEditTheRecordThatWasTyped) {
  const std::string question = target('?');
  auto r = fenra({"-s" + kCircledOne, "-e" + kFullWidthOne});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(target(0x8740), "\xA3\xB1");
  EXPECT_EQ(target('?'), question);
  writeBytes(kEuc, shippedBytes(kEuc));
  r = morvel({"-e1", "-s" + kCircledOne, "-g" + kFullWidthOne, "-q"});
  EXPECT_EQ(r.exitCode, 0) << readBytes("error.txt");
  EXPECT_EQ(target(0x8740), "\xA3\xB1");
  EXPECT_EQ(target('?'), question);
}

// Windows' words are Unicode and become code page 932 once: the pair of
// half-width katakana TSU and small A (0xC2 0xA7), whose bytes would read as
// the UTF-8 of the section sign (0x8198), stays the pair, in both programs
// and in a list file.
TEST_F(WindowsPrograms, CodePage932WordsAreNeverReadAgainAsUtf8) {
  const std::string typed = "\xEF\xBE\x82\xEF\xBD\xA7";  // ﾂｧ, as Wine hands it over
  const std::string section = target(0x8198);
  auto r = morvel({"-e1", "-s" + typed, "-g" + kFullWidthOne, "-q"});
  EXPECT_EQ(r.exitCode, 0) << readBytes("error.txt");
  EXPECT_EQ(readBytes("info.txt"), "C2 \x81\xCB 8250\r\n");
  EXPECT_EQ(target(0xC2), "\xA3\xB1");
  EXPECT_EQ(target(0x8198), section);
  writeBytes(kEuc, shippedBytes(kEuc));
  r = fenra({"-k" + typed, "-aN"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(target(0xC2), std::string("N\0", 2));
  writeBytes(kEuc, shippedBytes(kEuc));
  writeBytes("bars.txt", "\xC2\xA7\r\n");  // the pair, as a code page 932 editor saves it
  r = fenra({"-f", "bars.txt"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(target(0xC2), std::string("\x8E\xA7", 2));  // the EUC-JP of small A
  EXPECT_EQ(target(0x8198), section);
}

// Notepad saves UTF-8: the settings lines are converted on Windows too.
TEST_F(WindowsPrograms, SettingsFilesSavedInUtfEightAreConverted) {
  writeBytes("setting.txt", "MS932~EUC-JP.bin\r\n" + kCircledOne + "\r\n" + kFullWidthOne + "\r\n");
  const auto r = fenra({});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(target(0x8740), "\xA3\xB1");
  EXPECT_EQ(target(0xE291), targetOf(shippedBytes(kEuc), recordIndex(shippedBytes(kEuc), 0xE291)));
}

// A character code page 932 cannot write is refused as on Linux, with the
// table untouched; in a name it would name no file here, and the run says
// so instead of opening another.
// A character code page 932 cannot write is refused as on Linux, with the
// table untouched; in a name it would name no file here, and the run says
// so instead of opening another. The lines are code page 932 throughout:
// what it cannot write is quoted, the rest converted.
TEST_F(WindowsPrograms, CharactersCodePage932CannotWriteAreRefused) {
  auto r = runProcessExactly(FENRA_EXECUTABLE, {"-k" + kGrinningFace, "-aN"}, {"PATH="});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "option -k: U+1F600 has a character that code page 932 cannot write\r\n");
  EXPECT_TRUE(codePage932Only(r.out + r.err));
  EXPECT_EQ(readBytes(kEuc), shippedBytes(kEuc));
  r = morvel({"-e1", "-s" + kCircledOne + kGrinningFace, "-g" + kFullWidthOne, "-q"});
  EXPECT_EQ(r.exitCode, 252);  // -4
  EXPECT_EQ(readBytes("error.txt"), "option -s: \x87\x40U+1F600 has a character that code page 932 cannot write\r\n");
  EXPECT_EQ(readBytes(kEuc), shippedBytes(kEuc));
  writeBytes("in.txt", "A\r\n");
  r = morvel({"-e1", "-u", "-a", "in.txt", kGrinningFace + ".txt", "-q"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(readBytes("error.txt"),
            "U+1F600.txt has a character that code page 932 cannot write: no file can be named by it\r\n");
  EXPECT_TRUE(codePage932Only(readBytes("error.txt")));
  EXPECT_FALSE(fs::exists("binary.tmp"));
}

// Pipes and files get CR LF line ends from both programs, as Windows
// programs' text has them.
TEST_F(WindowsPrograms, TextToPipesEndsItsLinesWithCrLf) {
  auto r = runProcessExactly(FENRA_EXECUTABLE, {"-h"});
  EXPECT_EQ(r.out, crLf(testing_support::fenraUsage(true)));
  r = runProcessExactly(FENRA_EXECUTABLE, {"-V"});
  EXPECT_EQ(r.err, crLf(testing_support::fenraUsage(false)));
  r = runProcessExactly(FENRA_EXECUTABLE, {"--version"});
  EXPECT_EQ(r.out, testing_support::fenraVersionLine() + "\r\n");
  r = runProcessExactly(FENRA_EXECUTABLE, {"-s" + kCircledOne, "-e" + kFullWidthOne, "-w"}, {"PATH="});
  EXPECT_EQ(r.out, "MS932~EUC-JP.bin is primarily accessible to fenra.\r\n8740 \x81\xCB 8250\r\n");
  // Morvel.exe, a GUI program, writes its usage to the handles a console
  // program gave it.
  r = launched(kMorvel + " -h");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, testing_support::morvelUsage(true, "\r\n"));
  EXPECT_EQ(r.err, "");
}

// Exact command lines, as CreateProcessW passes them: the program's path
// ends where Windows ends it (quoted, or unquoted with blanks, then a tab);
// quotes group the names and are gone from them, "" names nothing; runs of
// blanks make empty words, which count for nothing.
TEST_F(WindowsPrograms, MorvelTakesQuotedNamesAndItsPathAsWindowsEndsIt) {
  fs::create_directory("My Apps");
  fs::copy_file(MORVEL_EXECUTABLE, "My Apps/Morvel.exe");
  fs::create_directory("My");  // no program, for CreateProcessW nor for Morvel
  const std::string apps = windowsPath(dir_.path() / "My Apps" / "Morvel.exe");
  writeBytes("in put.txt", "A\x82\xA0\r\n");  // A and hiragana a
  auto r = launched(apps + "\t-e1  -u -a \"in put.txt\"   \"out put.txt\" -q");
  EXPECT_EQ(r.exitCode, 0) << readBytes("error.txt");
  EXPECT_EQ(readBytes("out put.txt"), "A\xA4\xA2\n");
  // "" after -t is the list's name, empty: a single edit then, written to
  // the quoted table name.
  r = launched("\"" + apps + "\" -e1 -t \"\" -s" + kCircledOne + " -g" + kFullWidthOne + " \"my table.bin\" -q");
  EXPECT_EQ(r.exitCode, 0) << readBytes("error.txt");
  EXPECT_EQ(target(0x8740, "my table.bin"), "\xA3\xB1");
  EXPECT_EQ(readBytes(kEuc), shippedBytes(kEuc));
}

// The path counts as one of the 3072 words, whatever its blanks; a name
// of 300 bytes is cut to 255.
TEST_F(WindowsPrograms, MorvelSeesOnlyTheFirst3072WordsAndCutsLongNames) {
  fs::create_directory("My Apps");
  fs::copy_file(MORVEL_EXECUTABLE, "My Apps/Morvel.exe");
  writeBytes("in.txt", "A\r\n");
  std::string line = windowsPath(dir_.path() / "My Apps" / "Morvel.exe") + " -e1 -u -a in.txt -q";
  for (int word = 7; word < 3072; ++word) line += " -n-";
  line += " " + std::string(300, 'x') + " late.txt";
  const auto r = launched(line);
  EXPECT_EQ(r.exitCode, 0) << readBytes("error.txt");
  EXPECT_EQ(readBytes(std::string(255, 'x')), "A\n");
  EXPECT_FALSE(fs::exists("late.txt"));
}

// fenra.exe takes the words as Windows splits them: quotes are gone.
TEST_F(WindowsPrograms, FenraTakesQuotedNamesAsWindowsSplitsThem) {
  writeBytes("my bars.txt", kCircledOne + kFullWidthOne + "\r\n");
  const auto r = launched("\"" + kFenra + "\" -f \"my bars.txt\" \"my table.bin\"");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(target(0x8740, "my table.bin"), "\xA3\xB1");
  EXPECT_EQ(readBytes(kEuc), shippedBytes(kEuc));
}

// Names pass from code page 932 to UTF-16 for every file function: Wine
// shows the UTF-16 names to Linux in UTF-8.
TEST_F(WindowsPrograms, JapaneseNamesOnTheCommandLineNameTheFiles) {
  writeBytes(kTestName, "A\x82\xA0\r\n");  // A and hiragana a
  const auto r = morvel({"-e1", "-u", "-a", kTestName, kOutputName, "-q"});
  ASSERT_EQ(r.exitCode, 0) << readBytes("error.txt");
  EXPECT_EQ(readBytes(kOutputName), "A\xA4\xA2\n");
  EXPECT_EQ(readBytes(kTestName), "A\x82\xA0\r\n");
  // The input takes the output's time, as far as Windows keeps it (100 ns).
  const auto hundredNanoseconds = [](const std::string& name) {
    using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>;
    return std::chrono::floor<Ticks>(fs::last_write_time(name).time_since_epoch()).count();
  };
  EXPECT_EQ(hundredNanoseconds(kTestName), hundredNanoseconds(kOutputName));
}

// Path is read as UTF-16: a folder with a Japanese name (表, whose second
// byte is '\') is searched, with ';' between folders and '\' joining. The
// edited table goes to the current folder, as everywhere.
TEST_F(WindowsPrograms, PathFoldersWithJapaneseNamesAreSearched) {
  fs::remove(kEuc);
  const std::string folder = (dir_.path() / "\xE8\xA1\xA8").string();  // 表
  fs::create_directory(folder);
  writeBytes(folder + "/" + kEuc, shippedBytes(kEuc));
  const auto r = fenra({"-s" + kCircledOne, "-e" + kFullWidthOne}, "/nowhere:" + folder);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(target(0x8740), "\xA3\xB1");
  EXPECT_EQ(readBytes(folder + "/" + kEuc), shippedBytes(kEuc));
}

// A run that would open the window ends at once when "VEL" already holds
// text: one line in "error.txt", exit code 1, "VEL" untouched, nothing on
// the standard streams (Morvel.exe has no console).
TEST_F(WindowsPrograms, MorvelLeavesAFilledVelAloneAndEndsBeforeItsWindow) {
  writeBytes("VEL", "\x82\xA0");  // hiragana a
  const auto r = morvel({});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(readBytes("error.txt"), "VEL should disappear. Please remove VEL from the current directory. \r\n");
  EXPECT_EQ(readBytes("VEL"), "\x82\xA0");
  EXPECT_EQ(r.out, "");
}
