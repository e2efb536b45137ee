#include "options.h"

#include "typed_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "reporter.h"
#include "startup.h"
#include "support/temp_dir.h"
#include "text_file.h"
#include "version_file.h"

using namespace morvel;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

// Every value the option reading produces, so one comparison covers them all.
auto fieldsOf(const CommandLineOptions& o) {
  const FinalEffect& e = o.effect;
  return std::tuple(e.crlf, e.pdfHelp, e.longTitle, e.anotherFile, e.numbering, e.keepBinary, e.no_searching, e.switchB,
                    e.skipControls, e.whichTable, cornerNumber(e.corner), encodingNumber(e.encoding), e.tableName,
                    e.substituted, e.substitute, e.listName, o.editMode, o.quiet, o.inputName, o.outputName);
}

// Each test reads "parameters.txt" of its own empty directory.
class Options : public ::testing::Test {
 protected:
  TempDir dir_;
};

const std::string kCircledTwenty = "\x87\x53";  // circled digit twenty
const std::string kKanjiTwenty = "\x93\xF9";    // the kanji for twenty

}  // namespace

// --- Numbered ---------------------------------------------------------------

TEST(NumberedTest, SplitsTheTrailingDigits) {
  const Numbered corner("-c4");
  EXPECT_EQ(corner.text(), "-c");
  EXPECT_EQ(corner.number(), 4);
  const Numbered encoding("-e12");
  EXPECT_EQ(encoding.text(), "-e");
  EXPECT_EQ(encoding.number(), 12);
  const Numbered inner("ab12cd0034");
  EXPECT_EQ(inner.text(), "ab12cd");
  EXPECT_EQ(inner.number(), 34);
  const Numbered digitsOnly("2147483647");
  EXPECT_EQ(digitsOnly.text(), "");
  EXPECT_EQ(digitsOnly.number(), INT32_MAX);
}

TEST(NumberedTest, NoDigitsOrTooManyGiveMinusOne) {
  const Numbered bare("-c");
  EXPECT_EQ(bare.text(), "-c");
  EXPECT_EQ(bare.number(), -1);
  const Numbered empty("");
  EXPECT_EQ(empty.text(), "");
  EXPECT_EQ(empty.number(), -1);
  const Numbered tooLarge("-c2147483648");
  EXPECT_EQ(tooLarge.text(), "-c");
  EXPECT_EQ(tooLarge.number(), -1);
  const Numbered sign("-c-1");  // a sign is text, not part of the number
  EXPECT_EQ(sign.text(), "-c-");
  EXPECT_EQ(sign.number(), 1);
}

TEST(CharacterOptionTest, TakesAtMostTheCountedBytes) {
  EXPECT_EQ(characterOption("N", 1), "N");
  EXPECT_EQ(characterOption("NO", 1), "N");
  EXPECT_EQ(characterOption("\x82\x50", 2), "\x82\x50");  // full-width digit one
  EXPECT_EQ(characterOption("ABC", 2), "AB");
  EXPECT_EQ(characterOption("A", 2), "A");
  EXPECT_EQ(characterOption("", 2), "");
}

// Words as Linux hands them over, guessed; Windows' words are code page 932
// already (TypedText tests under Wine).
constexpr TypedCoding kGuessed = TypedCoding::guessed;

TEST(CharacterOptionTest, UtfEightValuesAreConvertedWhateverTheirLength) {
  EXPECT_EQ(characterOption("\xE2\x91\xA0", 2, kGuessed), "\x87\x40");  // circled one
  EXPECT_EQ(characterOption("\xEF\xBD\xB6", 1, kGuessed), "\xB6");      // half-width KA
  EXPECT_EQ(characterOption("\xE2\x91\xA0", 1, kGuessed), "\x87");      // the option's byte count still rules
  EXPECT_EQ(characterOption("\xE2\x91\xA0\xE2\x91\xA1", 2, kGuessed), "\x87\x40");  // circled one and two: the first
  EXPECT_EQ(characterOption("\xE2\x91\xA0N", 2, kGuessed), "\x87\x40");             // circled one and N
  EXPECT_EQ(characterOption("\xE2\x91", 2, kGuessed), "\xE2\x91");                  // incomplete: raw bytes
}

TEST(CharacterOptionTest, CharacterWithoutACodePage932CodeIsRefused) {
  EXPECT_EQ(characterOption("\xF0\x9F\x98\x80", 2, kGuessed), std::nullopt);  // grinning face
  EXPECT_EQ(characterOption("\xC2\xA1", 2, kGuessed), std::nullopt);          // inverted exclamation mark
  // The line holds no byte of another encoding than its own: what code page
  // 932 cannot write is quoted; a byte that is no character is '?'; the
  // rest stays as typed (code page 932 on Windows, whose lines are).
  EXPECT_EQ(refusedOptionLine("-s", "\xF0\x9F\x98\x80", kGuessed),
            "option -s: U+1F600 has a character that code page 932 cannot write");
#ifdef _WIN32
  const std::string circledOne = "\x87\x40";
#else
  const std::string circledOne = "\xE2\x91\xA0";
#endif
  EXPECT_EQ(shownTyped("\xE2\x91\xA0\xC2\xA1x\xF0\x9F\x98\x80", TypedCoding::utf8), circledOne + "U+00A1xU+1F600");
  EXPECT_EQ(shownTyped("\xE2\x91\xA0\xFF", TypedCoding::utf8), circledOne + "?");
  EXPECT_EQ(shownTyped("\x87\x40\xE2", kGuessed), "\x87\x40\xE2");  // not UTF-8: code page 932 as typed
}

// --- defaults and exact options ---------------------------------------------

TEST_F(Options, DefaultsWithoutFileOrWords) {
  const CommandLineOptions o = readOptions({});
  const FinalEffect& e = o.effect;
  EXPECT_TRUE(e.crlf);
  EXPECT_FALSE(e.pdfHelp);
  EXPECT_FALSE(e.longTitle);
  EXPECT_FALSE(e.anotherFile);
  EXPECT_FALSE(e.numbering);
  EXPECT_TRUE(e.keepBinary);
  EXPECT_FALSE(e.no_searching);
  EXPECT_TRUE(e.switchB);
  EXPECT_FALSE(e.skipControls);
  EXPECT_FALSE(e.whichTable);
  EXPECT_EQ(cornerNumber(e.corner), 3);
  EXPECT_EQ(encodingNumber(e.encoding), 3);
  EXPECT_EQ(e.tableName, "MS932~EUC-JP.bin");
  EXPECT_EQ(e.substituted, kCircledTwenty);
  EXPECT_EQ(e.substitute, kKanjiTwenty);
  EXPECT_EQ(e.listName, "");
  EXPECT_TRUE(o.editMode);
  EXPECT_FALSE(o.quiet);
  EXPECT_EQ(o.inputName, "");
  EXPECT_EQ(o.outputName, "Morvel.txt");
}

TEST_F(Options, EachSwitchSetsItsValue) {
  struct Case {
    std::vector<std::string> words;
    void (*expect)(CommandLineOptions& o);
  };
  const Case cases[] = {
      {{"-p"}, [](CommandLineOptions& o) { o.effect.pdfHelp = true; }},
      {{"-f"}, [](CommandLineOptions& o) { o.effect.longTitle = true; }},
      {{"-a"}, [](CommandLineOptions& o) { o.effect.anotherFile = true; }},
      {{"-a", "-t-"}, [](CommandLineOptions&) {}},
      {{"-n"}, [](CommandLineOptions& o) { o.effect.numbering = true; }},
      {{"-n", "-n-"}, [](CommandLineOptions&) {}},
      {{"-y"}, [](CommandLineOptions&) {}},  // binary.tmp is kept already
      {{"-d"}, [](CommandLineOptions& o) { o.effect.no_searching = true; }},
      {{"-d", "-d-"}, [](CommandLineOptions&) {}},
      {{"-b"}, [](CommandLineOptions&) {}},
      {{"-i"}, [](CommandLineOptions& o) { o.effect.skipControls = true; }},
      {{"-i", "-i-"}, [](CommandLineOptions&) {}},
      {{"-w"}, [](CommandLineOptions& o) { o.effect.whichTable = true; }},
      {{"-w", "-w-"}, [](CommandLineOptions&) {}},
      {{"-q"}, [](CommandLineOptions& o) { o.quiet = true; }},
      {{"-q", "-r"}, [](CommandLineOptions&) {}},
      {{"-u"}, [](CommandLineOptions& o) { o.editMode = false; }},
      {{"-u", "-e"}, [](CommandLineOptions&) {}},
      {{"-t"}, [](CommandLineOptions&) {}},  // nothing follows it
      {{"-LF"}, [](CommandLineOptions& o) { o.effect.crlf = false; }},
      {{"-L"}, [](CommandLineOptions& o) { o.effect.crlf = false; }},
      {{"-L", "-L-"}, [](CommandLineOptions&) {}},
      {{"-LF", "-CRLF"}, [](CommandLineOptions&) {}},
      {{"-8"}, [](CommandLineOptions& o) { o.effect.crlf = false; }},
      {{"-e2", "-8"},
       [](CommandLineOptions& o) {
         o.effect.crlf = false;
         o.effect.encoding = encodingFromNumber(3);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.words));
    CommandLineOptions expected;
    c.expect(expected);
    EXPECT_EQ(fieldsOf(readOptions(c.words)), fieldsOf(expected));
  }
}

TEST_F(Options, UnixThenCrlfKeepsEucJp) {
  const CommandLineOptions unix = readOptions({"--unix"});
  EXPECT_EQ(encodingNumber(unix.effect.encoding), 1);
  EXPECT_FALSE(unix.effect.crlf);
  const CommandLineOptions both = readOptions({"--unix", "-CRLF"});
  EXPECT_EQ(encodingNumber(both.effect.encoding), 1);
  EXPECT_TRUE(both.effect.crlf);
}

TEST_F(Options, EmptyWordsCarryNothing) { EXPECT_EQ(fieldsOf(readOptions({"", ""})), fieldsOf(CommandLineOptions{})); }

// --- -cN and -eN ------------------------------------------------------------

TEST_F(Options, EncodingNumberSetsLineEnds) {
  struct Case {
    const char* word;
    std::int32_t encoding;
    bool crlf;
  };
  const Case cases[] = {
      {"-e1", 1, false}, {"-e2", 2, true},   {"-e3", 3, false},           {"-e12", 12, true},
      {"-e0", 0, true},  {"-e01", 1, false}, {"-e99999999999", 3, false},  // too large reads as the default 3
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    const CommandLineOptions o = readOptions({c.word});
    EXPECT_EQ(encodingNumber(o.effect.encoding), c.encoding);
    EXPECT_EQ(o.effect.crlf, c.crlf);
    EXPECT_EQ(o.effect.tableName, "MS932~EUC-JP.bin");
    EXPECT_TRUE(o.editMode);
  }
}

TEST_F(Options, CornerNumber) {
  EXPECT_EQ(cornerNumber(readOptions({"-c4"}).effect.corner), 4);
  EXPECT_EQ(cornerNumber(readOptions({"-c0"}).effect.corner), 0);
  EXPECT_EQ(cornerNumber(readOptions({"-c4", "-c"}).effect.corner), 3);
  EXPECT_EQ(cornerNumber(readOptions({"-c4", "-c2147483648"}).effect.corner), 3);
  EXPECT_EQ(readOptions({"-c4"}).effect.tableName, "MS932~EUC-JP.bin");
}

TEST_F(Options, CornerWordWithOtherTextResetsAndNamesTheTable) {
  const CommandLineOptions o = readOptions({"-c4", "-cX"});
  EXPECT_EQ(cornerNumber(o.effect.corner), 3);
  EXPECT_EQ(o.effect.tableName, "-cX");
  const CommandLineOptions misspelt = readOptions({"-c2", "-crlf"});
  EXPECT_EQ(cornerNumber(misspelt.effect.corner), 3);
  EXPECT_EQ(misspelt.effect.tableName, "-crlf");
  EXPECT_TRUE(misspelt.effect.crlf);
  const CommandLineOptions trailingDigits = readOptions({"-c1", "-cX4"});
  EXPECT_EQ(cornerNumber(trailingDigits.effect.corner), 3);
  EXPECT_EQ(trailingDigits.effect.tableName, "-cX4");
}

TEST_F(Options, EncodingWordWithOtherTextResetsAndNamesTheTable) {
  const CommandLineOptions o = readOptions({"-e1", "-eX"});
  EXPECT_EQ(encodingNumber(o.effect.encoding), 3);
  EXPECT_FALSE(o.effect.crlf);  // line ends stay as -e1 left them
  EXPECT_EQ(o.effect.tableName, "-eX");
  const CommandLineOptions crlfKept = readOptions({"-e2", "-eX"});
  EXPECT_EQ(encodingNumber(crlfKept.effect.encoding), 3);
  EXPECT_TRUE(crlfKept.effect.crlf);
}

TEST_F(Options, ResetWordOutsideEditModeIsIgnored) {
  const CommandLineOptions o = readOptions({"-u", "-c4", "-e2", "-cX", "-eX"});
  EXPECT_EQ(cornerNumber(o.effect.corner), 3);
  EXPECT_EQ(encodingNumber(o.effect.encoding), 3);
  EXPECT_TRUE(o.effect.crlf);
  EXPECT_EQ(o.effect.tableName, "MS932~EUC-JP.bin");
  EXPECT_EQ(o.inputName, "");
}

// --- character options ------------------------------------------------------

TEST_F(Options, CharacterOptionsTakeTheirBytes) {
  // "\xC5" half-width katakana NA, "\x87\x40" circled digit one,
  // "\x82\x50" full-width digit one.
  const CommandLineOptions o = readOptions({"-k\xC5", "-aN"});
  EXPECT_EQ(o.effect.substituted, "\xC5");
  EXPECT_EQ(o.effect.substitute, "N");
  EXPECT_FALSE(o.effect.anotherFile);
  const CommandLineOptions two = readOptions({"-s\x87\x40", "-g\x82\x50"});
  EXPECT_EQ(two.effect.substituted, "\x87\x40");
  EXPECT_EQ(two.effect.substitute, "\x82\x50");
}

TEST_F(Options, CharacterOptionsCutLongerValues) {
  const CommandLineOptions o = readOptions({"-kAB", "-aCD"});
  EXPECT_EQ(o.effect.substituted, "A");
  EXPECT_EQ(o.effect.substitute, "C");
  const CommandLineOptions two = readOptions({"-sABC", "-gDEF"});
  EXPECT_EQ(two.effect.substituted, "AB");
  EXPECT_EQ(two.effect.substitute, "DE");
}

TEST_F(Options, RefusedCharacterValueIsNotAppliedButKept) {
  const CommandLineOptions o =
      readTypedOptions({{"-s\x87\x40"}, {"-s\xF0\x9F\x98\x80", TypedCoding::utf8}, {"-aN"}});  // grinning face
  EXPECT_EQ(o.effect.substituted, "\x87\x40");
  EXPECT_EQ(o.effect.substitute, "N");
  EXPECT_EQ(o.refusals(),
            std::vector<std::string>{"option -s: U+1F600 has a character that code page 932 cannot write"});
  EXPECT_TRUE(readOptions({"-s\x87\x40"}).refusals().empty());
}

TEST_F(Options, CharacterOptionsWithoutEnoughBytes) {
  const CommandLineOptions bare = readOptions({"-s", "-k"});
  EXPECT_EQ(bare.effect.substituted, "");
  EXPECT_EQ(bare.effect.substitute, kKanjiTwenty);
  EXPECT_EQ(bare.effect.tableName, "MS932~EUC-JP.bin");
  EXPECT_EQ(readOptions({"-s"}).effect.substituted, "");
  EXPECT_EQ(readOptions({"-g"}).effect.substitute, "");
  EXPECT_EQ(readOptions({"-gX"}).effect.substitute, "X");
  EXPECT_EQ(readOptions({"-sX"}).effect.substituted, "X");
}

TEST_F(Options, SwitchAIsExactBeforeThePrefix) {
  const CommandLineOptions o = readOptions({"-a"});
  EXPECT_TRUE(o.effect.anotherFile);
  EXPECT_EQ(o.effect.substitute, kKanjiTwenty);
}

// --- plain words ------------------------------------------------------------

TEST_F(Options, PlainWordInEditModeNamesTheTable) {
  const CommandLineOptions o = readOptions({"first.bin", "-unknown"});
  EXPECT_EQ(o.effect.tableName, "-unknown");
  EXPECT_EQ(o.inputName, "");
  EXPECT_EQ(o.outputName, "Morvel.txt");
}

TEST_F(Options, ConversionTakesInputAndOutput) {
  const CommandLineOptions o = readOptions({"-u", "-a", "SJIS", "EUC"});
  EXPECT_FALSE(o.editMode);
  EXPECT_TRUE(o.effect.anotherFile);
  EXPECT_EQ(o.inputName, "SJIS");
  EXPECT_EQ(o.outputName, "EUC");
  EXPECT_EQ(o.effect.tableName, "MS932~EUC-JP.bin");
}

TEST_F(Options, SingleFileIsConvertedInPlace) {
  const CommandLineOptions o = readOptions({"-u", "-a", "SJIS"});
  EXPECT_EQ(o.inputName, "SJIS");
  EXPECT_EQ(o.outputName, "SJIS");
}

// Where quotes only group (Windows), a name loses them before its 255-byte
// cut; option values keep them.
TEST_F(Options, GroupingQuotesLeaveTheNamesOnly) {
  const std::string longName = "\"" + std::string(300, 'x') + "\"";
  const CommandLineOptions o = readTypedOptions(
      {{"\"my table.bin\""}, {"-t"}, {"\"\""}, {"-k\""}, {"-u"}, {"-a"}, {"\"in put.txt\""}, {longName}},
      NameQuotes::grouping);
  EXPECT_EQ(o.effect.tableName, "my table.bin");
  EXPECT_EQ(o.effect.listName, "");
  EXPECT_EQ(o.effect.substituted, "\"");
  EXPECT_EQ(o.inputName, "in put.txt");
  EXPECT_EQ(o.outputName, std::string(255, 'x'));
  EXPECT_EQ(readTypedOptions({{"\"my table.bin\""}}, NameQuotes::kept).effect.tableName, "\"my table.bin\"");
}

TEST_F(Options, LastFileIsTheOutput) {
  const CommandLineOptions o = readOptions({"-u", "-a", "A", "B", "C"});
  EXPECT_EQ(o.inputName, "A");
  EXPECT_EQ(o.outputName, "C");
}

TEST_F(Options, FilesBeforeUAreTableNames) {
  const CommandLineOptions o = readOptions({"-a", "SJIS", "EUC", "-u"});
  EXPECT_EQ(o.effect.tableName, "EUC");
  EXPECT_FALSE(o.editMode);
  EXPECT_TRUE(o.effect.anotherFile);
  EXPECT_EQ(o.inputName, "");
  EXPECT_EQ(o.outputName, "Morvel.txt");
}

TEST_F(Options, WithoutAnotherFileWordsOutsideEditModeAreIgnored) {
  const CommandLineOptions o = readOptions({"-u", "SJIS", "EUC"});
  EXPECT_EQ(fieldsOf(o), fieldsOf(readOptions({"-u"})));
}

TEST_F(Options, ListNameFollowsT) {
  const CommandLineOptions o = readOptions({"-e1", "-t", "bars.txt", "other.bin"});
  EXPECT_EQ(o.effect.listName, "bars.txt");
  EXPECT_EQ(o.effect.tableName, "other.bin");
}

TEST_F(Options, TAsLastWordChangesNothing) {
  EXPECT_EQ(fieldsOf(readOptions({"-e1", "-t"})), fieldsOf(readOptions({"-e1"})));
}

TEST_F(Options, TAfterUIsIgnoredWithoutA) {
  const CommandLineOptions o = readOptions({"-u", "-t", "bars.txt"});
  EXPECT_EQ(o.effect.listName, "");
  EXPECT_EQ(o.effect.tableName, "MS932~EUC-JP.bin");
  EXPECT_EQ(o.inputName, "");
  EXPECT_EQ(o.outputName, "Morvel.txt");
}

TEST_F(Options, TAfterUWithANamesAFile) {
  const CommandLineOptions o = readOptions({"-u", "-a", "-t", "bars.txt"});
  EXPECT_EQ(o.effect.listName, "");
  EXPECT_EQ(o.inputName, "bars.txt");
  EXPECT_EQ(o.outputName, "bars.txt");
}

TEST_F(Options, TWaitsForTheNextWordInEditMode) {
  // Outside edit mode the pending list name is not consumed.
  const CommandLineOptions o = readOptions({"-t", "-u", "ignored.txt", "-e", "bars.txt"});
  EXPECT_EQ(o.effect.listName, "bars.txt");
  EXPECT_EQ(o.effect.tableName, "MS932~EUC-JP.bin");
}

TEST_F(Options, NamesAreCutTo255Bytes) {
  const std::string longName(300, 'n');
  const std::string cut(255, 'n');
  const CommandLineOptions edit = readOptions({longName, "-t", longName});
  EXPECT_EQ(edit.effect.tableName, cut);
  EXPECT_EQ(edit.effect.listName, cut);
  const CommandLineOptions files = readOptions({"-u", "-a", longName});
  EXPECT_EQ(files.inputName, cut);
  EXPECT_EQ(files.outputName, cut);
}

// --- parameters.txt ---------------------------------------------------------

TEST_F(Options, ParameterFileSetsEveryLine) {
  writeBytes(kParameterFile, "table.bin\nAB\nCD\nlist.txt\n-c2\n-e1\n-a\n0\n-LF\n-d\n-f\n-i\n-n\n-p\n-q\n-u\n-w\n0\n");
  CommandLineOptions expected;
  FinalEffect& e = expected.effect;
  e.tableName = "table.bin";
  e.substituted = "AB";
  e.substitute = "CD";
  e.listName = "list.txt";
  e.corner = cornerFromNumber(2);
  e.encoding = encodingFromNumber(1);
  e.anotherFile = true;
  e.switchB = false;
  e.crlf = false;
  e.no_searching = true;
  e.longTitle = true;
  e.skipControls = true;
  e.numbering = true;
  e.pdfHelp = true;
  expected.quiet = true;
  expected.editMode = false;
  e.whichTable = true;
  e.keepBinary = false;
  EXPECT_EQ(fieldsOf(readOptions({})), fieldsOf(expected));
}

TEST_F(Options, ParameterFlagLinesOnlyZeroIsFalse) {
  // Empty lines count as text: every flag on, edit mode off.
  writeBytes(kParameterFile, std::string(18, '\n'));
  const CommandLineOptions on = readOptions({});
  EXPECT_TRUE(on.effect.anotherFile);
  EXPECT_TRUE(on.effect.switchB);
  EXPECT_TRUE(on.effect.crlf);
  EXPECT_TRUE(on.effect.no_searching);
  EXPECT_TRUE(on.effect.longTitle);
  EXPECT_TRUE(on.effect.skipControls);
  EXPECT_TRUE(on.effect.numbering);
  EXPECT_TRUE(on.effect.pdfHelp);
  EXPECT_TRUE(on.quiet);
  EXPECT_FALSE(on.editMode);
  EXPECT_TRUE(on.effect.whichTable);
  EXPECT_TRUE(on.effect.keepBinary);
  EXPECT_EQ(on.effect.tableName, "");
  EXPECT_EQ(on.effect.substituted, "");
  EXPECT_EQ(on.effect.substitute, "");
  EXPECT_EQ(cornerNumber(on.effect.corner), 0);
  EXPECT_EQ(encodingNumber(on.effect.encoding), 0);

  std::string zeros;
  for (int line = 0; line < 18; ++line) zeros += "0\n";
  writeBytes(kParameterFile, zeros);
  const CommandLineOptions off = readOptions({});
  EXPECT_FALSE(off.effect.anotherFile);
  EXPECT_FALSE(off.effect.switchB);
  EXPECT_FALSE(off.effect.crlf);
  EXPECT_FALSE(off.effect.no_searching);
  EXPECT_FALSE(off.effect.longTitle);
  EXPECT_FALSE(off.effect.skipControls);
  EXPECT_FALSE(off.effect.numbering);
  EXPECT_FALSE(off.effect.pdfHelp);
  EXPECT_FALSE(off.quiet);
  EXPECT_TRUE(off.editMode);
  EXPECT_FALSE(off.effect.whichTable);
  EXPECT_FALSE(off.effect.keepBinary);
  EXPECT_EQ(off.effect.tableName, "0");
  EXPECT_EQ(off.effect.listName, "0");
}

TEST_F(Options, ParameterLineEndsLine) {
  const std::string before(8, '\n');
  const std::pair<const char*, bool> cases[] = {
      {"0", false}, {"-LF", false}, {"-L", false}, {"-CRLF", true}, {"-L-", true}, {"", true}, {"-lf", true},
  };
  for (const auto& [line, crlf] : cases) {
    SCOPED_TRACE(line);
    writeBytes(kParameterFile, before + line + "\n");
    EXPECT_EQ(readOptions({}).effect.crlf, crlf);
  }
}

TEST_F(Options, ParameterLine16EOrUTurnsEditingOff) {
  const std::string before(15, '\n');
  writeBytes(kParameterFile, before + "-e\n");
  EXPECT_FALSE(readOptions({}).editMode);
  writeBytes(kParameterFile, before + "-u\n");
  EXPECT_FALSE(readOptions({}).editMode);
  writeBytes(kParameterFile, before + "0\n");
  EXPECT_TRUE(readOptions({}).editMode);
}

TEST_F(Options, ParameterLine18ZeroRemovesBinary) {
  writeBytes(kParameterFile, std::string(17, '\n') + "0\n");
  EXPECT_FALSE(readOptions({}).effect.keepBinary);
  EXPECT_TRUE(readOptions({"-y"}).effect.keepBinary);
}

TEST_F(Options, ParameterFileWithOneLineSetsOnlyTheTableName) {
  writeBytes(kParameterFile, "my table.bin\n");
  CommandLineOptions expected;
  expected.effect.tableName = "my table.bin";
  EXPECT_EQ(fieldsOf(readOptions({})), fieldsOf(expected));
  writeBytes(kParameterFile, "no line end.bin");
  expected.effect.tableName = "no line end.bin";
  EXPECT_EQ(fieldsOf(readOptions({})), fieldsOf(expected));
}

TEST_F(Options, ParameterFileEmptyFirstLine) {
  writeBytes(kParameterFile, "\n");
  CommandLineOptions expected;
  expected.effect.tableName = "";
  EXPECT_EQ(fieldsOf(readOptions({})), fieldsOf(expected));
}

TEST_F(Options, EmptyParameterFileChangesNothing) {
  writeBytes(kParameterFile, "");
  EXPECT_EQ(fieldsOf(readOptions({})), fieldsOf(CommandLineOptions{}));
}

TEST_F(Options, ParameterCommentsAreCut) {
  writeBytes(kParameterFile, "table.bin' the table\nA,B\nC|D\nlist.txt\tcomment\n-c4 ' corner\n");
  const CommandLineOptions o = readOptions({});
  EXPECT_EQ(o.effect.tableName, "table.bin");
  EXPECT_EQ(o.effect.substituted, "A");
  EXPECT_EQ(o.effect.substitute, "C");
  EXPECT_EQ(o.effect.listName, "list.txt");
  EXPECT_EQ(cornerNumber(o.effect.corner), 4);
}

TEST_F(Options, ParameterFlagWithCommentIsStillText) {
  const std::string before(6, '\n');
  writeBytes(kParameterFile, before + "0' off\n0 ' on: the blank stays\n");
  const CommandLineOptions o = readOptions({});
  EXPECT_FALSE(o.effect.anotherFile);
  EXPECT_TRUE(o.effect.switchB);
}

TEST_F(Options, ParameterCrLfLinesReadAsText) {
  writeBytes(kParameterFile, "table.bin\r\n\x87\x40\r\n");  // circled digit one
  const CommandLineOptions o = readOptions({});
  EXPECT_EQ(o.effect.tableName, "table.bin");
  EXPECT_EQ(o.effect.substituted, "\x87\x40");
}

TEST_F(Options, LongParameterLinesCountAsSeveral) {
  // 255 bytes fill the line buffer; the rest of the line is line 2.
  writeBytes(kParameterFile, std::string(255, 'A') + "BB\nCC\n");
  CommandLineOptions expected;
  expected.effect.tableName = std::string(255, 'A');
  expected.effect.substituted = "BB";
  expected.effect.substitute = "CC";
  EXPECT_EQ(fieldsOf(readOptions({})), fieldsOf(expected));

  // A line of exactly 255 bytes leaves its line feed as an empty next line.
  writeBytes(kParameterFile, std::string(255, 'A') + "\nCC\n");
  expected.effect.substituted = "";
  EXPECT_EQ(fieldsOf(readOptions({})), fieldsOf(expected));
}

TEST_F(Options, SubstitutionLinesHoldOneCharacter) {
  writeBytes(kParameterFile, "t\nAB\n\x87\x40 ' circled one\n");
  CommandLineOptions o = readOptions({});
  EXPECT_EQ(o.effect.substituted, "AB");  // two bytes, as the design's field takes them
  EXPECT_EQ(o.effect.substitute, "\x87\x40");
  EXPECT_TRUE(o.refusals().empty());
  // Longer lines must be one character: they keep the field and refuse the edit.
  writeBytes(kParameterFile, "t\nABC\n\x87\x40\x87\x41\n");  // circled digits one and two
  o = readOptions({});
  EXPECT_EQ(o.effect.substituted, "\x87\x53");
  EXPECT_EQ(o.effect.substitute, "\x93\xF9");
  EXPECT_EQ(o.refusals(),
            (std::vector<std::string>{
                "parameters.txt: line 2 (ABC) is not one character in code page 932 or UTF-8",
                "parameters.txt: line 3 (\x87\x40\x87\x41) is not one character in code page 932 or UTF-8"}));
  // A character option read later replaces the line, and its refusal.
  o = readOptions({"-sA"});
  EXPECT_EQ(o.effect.substituted, "A");
  EXPECT_EQ(o.refusals().size(), 1u);
}

TEST_F(Options, UtfEightParameterFilesAreConverted) {
  for (const std::string bom : {"", "\xEF\xBB\xBF"}) {
    writeBytes(kParameterFile, bom + "t.bin\r\n\xE2\x91\xA0\r\n\xEF\xBC\x91\r\n");  // circled one, full-width one
    const CommandLineOptions o = readOptions({});
    EXPECT_EQ(o.effect.tableName, "t.bin");
    EXPECT_EQ(o.effect.substituted, "\x87\x40");
    EXPECT_EQ(o.effect.substitute, "\x82\x50");
    EXPECT_TRUE(o.refusals().empty());
  }
}

TEST_F(Options, ParameterNumbersStartAtTheThirdByte) {
  struct Case {
    const char* line;
    std::int32_t number;
  };
  const Case cases[] = {
      {"-c4", 4},
      {" -c4", 0},
      {"-e1", 1},
      {"abc", 0},
      {"-c", 0},
      {"", 0},
      {"-c 12", 12},
      {"-c  -5", -5},
      {"-c+7", 7},
      {"-c4x9", 4},
      {"-c007", 7},
      {"xx99999999999", INT32_MAX},
      {"xx-99999999999", INT32_MIN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    writeBytes(kParameterFile, std::string("\n\n\n\n") + c.line + "\n" + c.line + "\n");
    const CommandLineOptions o = readOptions({});
    EXPECT_EQ(cornerNumber(o.effect.corner), c.number);
    EXPECT_EQ(encodingNumber(o.effect.encoding), c.number);
  }
}

TEST_F(Options, LinesAfter18AreIgnored) {
  std::string lines;
  for (int line = 0; line < 18; ++line) lines += "0\n";
  writeBytes(kParameterFile, lines + "-u\n-n\nextra\n");
  const CommandLineOptions o = readOptions({});
  EXPECT_TRUE(o.editMode);
  EXPECT_FALSE(o.effect.numbering);
}

TEST_F(Options, WordsOverrideTheParameterFile) {
  writeBytes(kParameterFile, "file.bin\n\n\n\n-c2\n-e1\n\n\n-LF\n");
  const CommandLineOptions o = readOptions({"-e2", "-c4", "word.bin"});
  EXPECT_EQ(encodingNumber(o.effect.encoding), 2);
  EXPECT_TRUE(o.effect.crlf);
  EXPECT_EQ(cornerNumber(o.effect.corner), 4);
  EXPECT_EQ(o.effect.tableName, "word.bin");
}

TEST_F(Options, ParameterEditModeShapesPlainWords) {
  std::string lines(6, '\n');
  lines += "-a\n";                // line 7: anotherFile
  lines += std::string(8, '\n');  // lines 8 to 15
  lines += "-u\n";                // line 16: no editing
  writeBytes(kParameterFile, lines);
  const CommandLineOptions o = readOptions({"in.txt", "out.txt"});
  EXPECT_EQ(o.inputName, "in.txt");
  EXPECT_EQ(o.outputName, "out.txt");
  EXPECT_EQ(o.effect.tableName, "");
}

TEST_F(Options, DirectoryAsParameterFileChangesNothing) {
  std::filesystem::create_directory(kParameterFile);
  EXPECT_EQ(fieldsOf(readOptions({})), fieldsOf(CommandLineOptions{}));
}

// --- the command line ---------------------------------------------------------

namespace {

std::vector<std::string> wordsOf(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  return commandWords(static_cast<int>(argv.size()), argv.data());
}

}  // namespace

TEST(CommandWordsTest, SkipsTheProgramAndEmptyWords) {
  EXPECT_EQ(wordsOf({"morvel", "-e1", "", "a b", "x"}), (std::vector<std::string>{"-e1", "a b", "x"}));
  EXPECT_EQ(wordsOf({"morvel"}), std::vector<std::string>{});
  EXPECT_EQ(commandWords(0, nullptr), std::vector<std::string>{});
}

TEST(CommandWordsTest, AtMost3072WordsWithTheProgram) {
  std::vector<std::string> arguments{"morvel"};
  for (int i = 1; i < 4000; ++i) arguments.push_back("w" + std::to_string(i));
  const std::vector<std::string> words = wordsOf(arguments);
  ASSERT_EQ(words.size(), 3071u);
  EXPECT_EQ(words.front(), "w1");
  EXPECT_EQ(words.back(), "w3071");
}

TEST(CommandWordsTest, EmptyWordsCountTowardsTheLimit) {
  std::vector<std::string> arguments{"morvel"};
  arguments.insert(arguments.end(), 3070, "");
  arguments.push_back("seen");
  arguments.push_back("unseen");
  EXPECT_EQ(wordsOf(arguments), std::vector<std::string>{"seen"});
}

TEST(CommandWordsTest, CommandLineIsCutAt524287Bytes) {
  // "morvel" and its blank take 7 bytes, the long word and its blank the
  // next 524,273, so the third word starts at byte 524,280 and keeps 7.
  const std::string longWord(524287 - 7 - 7 - 1, 'a');
  const std::vector<std::string> words = wordsOf({"morvel", longWord, "bcdefghij", "z"});
  ASSERT_EQ(words.size(), 2u);
  EXPECT_EQ(words[0], longWord);
  EXPECT_EQ(words[1], "bcdefgh");
}

TEST(CommandWordsTest, WordsPastTheCutAreDropped) {
  // The word ends exactly at the cut: the next one starts beyond it.
  const std::string fill(524287 - 7 - 7 - 1, 'a');
  EXPECT_EQ(wordsOf({"morvel", fill, "1234567", "z"}), (std::vector<std::string>{fill, "1234567"}));
  // The blank before a word is the last byte kept.
  EXPECT_EQ(wordsOf({"morvel", fill, "123456", "z"}), (std::vector<std::string>{fill, "123456"}));
  // One byte of the word is left.
  EXPECT_EQ(wordsOf({"morvel", fill, "12345", "yz"}), (std::vector<std::string>{fill, "12345", "y"}));
  // The program path alone fills the line.
  EXPECT_EQ(wordsOf({std::string(524287, 'p'), "x"}), std::vector<std::string>{});
}

// --- -V and -VC -----------------------------------------------------------------

TEST_F(Options, VersionStopsTheReading) {
  EXPECT_EQ(readOptions({"-e1", "-V"}).version, VersionRequest::plain);
  const CommandLineOptions o = readOptions({"-VC", "-V", "-e1"});
  EXPECT_EQ(o.version, VersionRequest::commented);
  EXPECT_EQ(encodingNumber(o.effect.encoding), 3);  // words after it are never read
  EXPECT_FALSE(std::filesystem::exists(kVersionFile));
}

TEST_F(Options, VersionRunWritesTheUsageAndStops) {
  ReportFiles files;
  const char* plain[] = {"Morvel", "-e1", "-V", "-VC"};
  EXPECT_EQ(ProcessCommandLine(4, plain, files).verdict, Verdict::stop);
  EXPECT_EQ(readBytes(kVersionFile), toCrlf(versionText(false)));
  const char* commented[] = {"Morvel", "-VC", "-V"};
  EXPECT_EQ(ProcessCommandLine(3, commented, files).verdict, Verdict::stop);
  EXPECT_EQ(readBytes(kVersionFile), toCrlf(versionText(true)));
  EXPECT_EQ(exitCodeOf(Verdict::stop), 1);
}

TEST_F(Options, VersionIsAnExactOption) {
  // Only the exact words act: "-V1" and "-v" are plain words.
  const CommandLineOptions o = readOptions({"-V1", "-v"});
  EXPECT_EQ(o.effect.tableName, "-v");
  EXPECT_FALSE(std::filesystem::exists(kVersionFile));
}

bool asksForUsage(const std::vector<std::string>& words) {
  return consoleRequest(typedWords(words)) == ConsoleRequest::usage;
}

TEST(ConsoleRequestTest, HelpWordsBeforeAnyVersionWord) {
  EXPECT_TRUE(asksForUsage({"--help"}));
  EXPECT_TRUE(asksForUsage({"-e1", "-h", "-q"}));
  EXPECT_TRUE(asksForUsage({"-h", "-V"}));
  EXPECT_FALSE(asksForUsage({"-VC", "--help"}));  // the first of them decides
  EXPECT_FALSE(asksForUsage({"-help", "-hx", "--helpx"}));
  EXPECT_FALSE(asksForUsage({}));
}
