// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
#include "command_line.h"

#include <cstdio>
#include <new>

#include "buffer_sizes.h"
#include "console.h"
#include "editors.h"
#include "out_of_memory.h"
#include "profile.h"
#include "typed_text.h"
#include "usage_text.h"
#include "version.h"

namespace morvel {

namespace {

constexpr std::size_t kNameLimit = kNameBufferSize - 1;
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;

// "\xC5" is the half-width katakana NA, "\x87\x40" the circled digit one,
// "\x82\x50" the full-width digit one.
constexpr UsageLine kUsage[] = {
    {"fenra -f bars.txt     ", "# Edit according to bars.txt "},
    {"fenra -k\xC5 -aN         ", "# \xC5 is subsituted with N. "},
    {"fenra -k\xC5 -aN file    ", "# \xC5 is subsituted with N to produce a binary file. "},
    {"fenra -s\x87\x40 -e\x82\x50       ", "# \x87\x40 is subsituted with \x82\x50 and represented in EUC-JP. "},
    {"fenra -s\x87\x40 -e\x82\x50 file  ", "# \x87\x40 is subsituted with \x82\x50 to produce a binary file. "},
    {"fenra -s\x87\x40 -e\x82\x50 -d    ", "# Do not search a table. "},
    {"fenra -s\x87\x40 -e\x82\x50 -q    ", "# Acquire a table name from setting.txt "},
    {"fenra -s\x87\x40 -e\x82\x50 -w    ", "# -w shows which table fenra uses. "},
    {"fenra -V              ", "# version "},
    {"fenra -VC             ", "# version with comments "},
};

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// "-a", "-e", "-k" or "-s" with its value: `field` takes the value's first
// character; a refused value leaves it as it was and is noted instead.
void applyCharacterOption(const TypedWord& argument, std::size_t byteCount, std::string EditSettings::*field,
                          std::string EditSettings::*refusal, EditSettings& settings) {
  const std::string_view value = std::string_view(argument.text).substr(2);
  if (const auto bytes = characterOption(value, byteCount, argument.coding)) {
    settings.*field = *bytes;
    (settings.*refusal).clear();
  } else {
    settings.*refusal = refusedOptionLine(argument.text.substr(0, 2), value, argument.coding);
  }
}

}  // namespace

FenraAction applyArguments(const std::vector<TypedWord>& arguments, EditSettings& settings) {
  bool listNameFollows = false;
  for (const TypedWord& typed : arguments) {
    const std::string& a = typed.text;
    if (a == "-q")
      settings.acquire_from_text = true;
    else if (a == "-d")
      settings.no_searching = true;
    else if (a == "-w-")
      settings.whichTable = false;
    else if (a == "-f")
      listNameFollows = true;
    else if (a == "-d-")
      settings.no_searching = false;
    else if (a == "-VC")
      return FenraAction::printVersionWithComments;
    else if (a == "-V")
      return FenraAction::printVersion;
    else if (a == "--help" || a == "-h")
      return FenraAction::printUsage;
    else if (a == "--version")
      return FenraAction::printVersionLine;
    else if (a == "-w")
      settings.whichTable = true;
    else if (startsWith(a, "-a"))
      applyCharacterOption(typed, 1, &EditSettings::substitute, &EditSettings::substituteRefusal, settings);
    else if (startsWith(a, "-e"))
      applyCharacterOption(typed, 2, &EditSettings::substitute, &EditSettings::substituteRefusal, settings);
    else if (startsWith(a, "-k"))
      applyCharacterOption(typed, 1, &EditSettings::substituted, &EditSettings::substitutedRefusal, settings);
    else if (startsWith(a, "-s"))
      applyCharacterOption(typed, 2, &EditSettings::substituted, &EditSettings::substitutedRefusal, settings);
    else if (listNameFollows) {
      settings.listName = a.substr(0, kNameLimit);
      listNameFollows = false;
    } else {
      settings.tableName = a.substr(0, kNameLimit);
    }
  }
  return FenraAction::edit;
}

std::string fenraVersionText(bool commented) {
  return usageText("fenra C++ Version ", kFenraVersion, kUsage, commented);
}

namespace {

bool runEdit(const EditSettings& settings, Reporter& reporter) {
  ProgramProfile profile = fenraProfile();
  profile.givenTableName = settings.givenTableName;
  const TableContext context{profile, reporter};
  SearchSwitches search{settings.no_searching, settings.acquire_from_text, settings.whichTable};
  if (settings.listName.empty()) {
    // A character option that could not be read would make this edit change
    // the wrong record, or none: refuse it before the table is touched.
    const std::vector<std::string> refusals = settings.refusals();
    for (const std::string& refusal : refusals) reporter.error(refusal);
    if (!refusals.empty()) return false;
    return editRecord(context, settings.substituted, settings.substitute, settings.tableName, search);
  }
  return editManyRecords(context, settings.listName, settings.tableName, search);
}

}  // namespace

int runFenra(const std::vector<TypedWord>& arguments, Reporter& reporter) {
  try {
    EditSettings settings;
    readSettingFile(kSettingFile, settings);
    const FenraAction action = applyArguments(arguments, settings);
    if (action == FenraAction::printUsage) {
      consoleWrite(stdout, fenraVersionText(true));
      return kExitSuccess;
    }
    if (action == FenraAction::printVersionLine) {
      const std::string text = fenraVersionText(false);
      consoleWrite(stdout, text.substr(0, text.find('\n') + 1));
      return kExitSuccess;
    }
    if (action != FenraAction::edit) {
      // The usage and version are what the run was asked for, not reports:
      // they go to the console directly, "-V" and "-VC" to standard error.
      consoleWrite(stderr, fenraVersionText(action == FenraAction::printVersionWithComments));
      return kExitFailure;
    }
    return runEdit(settings, reporter) ? kExitSuccess : kExitFailure;
  } catch (const OutOfMemory& failure) {
    reporter.error(failure.line());
    return kExitFailure;
  } catch (const std::bad_alloc&) {
    return kExitFailure;
  }
}

}  // namespace morvel
