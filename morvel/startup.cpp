#include "startup.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "diagnostics.h"
#include "editors.h"
#include "locator.h"
#include "passes.h"
#include "profile.h"
#include "working_files.h"

namespace morvel {

namespace {

constexpr const char* kWatchedFile = "VEL";
constexpr const char* kNoSubstitution = "\x81\x51";  // full-width low line

struct TableAttempt {
  TableKind kind;
  int way;
};

// Ten attempts in three groups: EUC-JP (ways 0-3), UTF-8 (0-2), Shift_JIS (0-2).
constexpr TableAttempt kAttempts[] = {
    {TableKind::euc, tryFixedFolder},       {TableKind::euc, tryCurrentDirectory},
    {TableKind::euc, tryPathDirectories},   {TableKind::euc, tryGivenName},
    {TableKind::utf8, tryFixedFolder},      {TableKind::utf8, tryCurrentDirectory},
    {TableKind::utf8, tryPathDirectories},  {TableKind::sjis, tryFixedFolder},
    {TableKind::sjis, tryCurrentDirectory}, {TableKind::sjis, tryPathDirectories},
};
constexpr int kLastEucAttempt = 3;
constexpr int kLastUtf8Attempt = 6;

int editTable(const CommandLineOptions& options) {
  const FinalEffect& effect = options.effect;
  bool whichTable = effect.whichTable;  // a working copy: the edit may clear it
  if (!effect.listName.empty())
    return editManyRecords(effect.listName, effect.tableName, effect.no_searching, &whichTable);
  if (effect.substitute != kNoSubstitution)
    return editRecord(effect.substituted, effect.substitute, effect.tableName, effect.no_searching, &whichTable);
  return 1;
}

// Converts the named Shift_JIS file to EUC-JP. The input is first rewritten
// under its own name so that input and output carry the same time. A missing
// input is not created empty: the conversion then reports it.
int convertNamedFile(const CommandLineOptions& options) {
  const FinalEffect& effect = options.effect;
  if (MoveToWorkFile(options.inputName, false) == 0) CopyBackFromWorkFile(options.inputName, effect.keepBinary);
  Regulate job;
  job.crlf = effect.crlf;
  job.no_searching = effect.no_searching;
  job.whichTable = effect.whichTable;
  job.inputName = options.inputName;
  std::string output = kWorkFile;
  int r = readingAnotherFileToProduceEUC(job, output);
  const bool converted = r != 1;
  if (converted) r = CopyBackFromWorkFile(options.outputName, effect.keepBinary);
  if (options.quiet) return converted && r == 0 ? kDoneQuietly : kConversionFailedQuietly;
  return r;
}

}  // namespace

void CheckTablesPresent() {
  bool ok = true;
  for (int index = 0; index < static_cast<int>(std::size(kAttempts)); ++index) {
    const TableAttempt& attempt = kAttempts[index];
    const std::string found = findByWay(attempt.way, attempt.kind);
    if (!found.empty()) {
      if (attempt.kind == TableKind::sjis) break;
      index = attempt.kind == TableKind::euc ? kLastEucAttempt : kLastUtf8Attempt;
      continue;
    }
    if (index == kLastEucAttempt) {
      ok = false;
      ReportErrorNumber("openClose[", index, "]() error-1: ", found);
      break;
    }
    if (index == kLastUtf8Attempt) {
      ok = false;
      ReportMessageNumber("openClose[", index, "]() error-2: ", found);
      break;
    }
  }
  if (ok) return;
  ReportError("MS932~EUC-JP.bin", "is needed to convert VEL from Shift_JIS to EUC-JP.", "MS932~UTF-8.bin",
              "is needed to convert VEL from Shift_JIS to UTF-8.");
  std::exit(1);
}

void CheckWatchedFileAbsent() {
  std::FILE* file = std::fopen(kWatchedFile, "rb");
  if (file == nullptr) return;
  const bool empty = std::fseek(file, 0, SEEK_END) == 0 && std::ftell(file) <= 0;
  std::fclose(file);
  if (empty) return;
  ReportError("VEL should disappear. Please remove VEL from the current directory. ");
  std::exit(1);
}

int startupDispatch(const CommandLineOptions& options) {
  constexpr int kEucJp = 1;
  if (options.effect.encoding != kEucJp) return 0;
  if (options.editMode) {
    if (editTable(options) != 1) return kEditFailed;
    return options.quiet ? kDoneQuietly : 0;
  }
  if (!options.effect.anotherFile) return 0;
  return convertNamedFile(options);
}

int ProcessCommandLine(int argc, const char* const* argv) {
  const CommandLineOptions options = readOptions(commandWords(argc, argv));
  finalEffect = std::make_unique<FinalEffect>(options.effect);
  ProgramProfile& profile = programProfile();
  profile.givenTableName = finalEffect->tableName;
  profile.reportEncoding = finalEffect->encoding;
  return startupDispatch(options);
}

int runMorvel(int argc, const char* const* argv, const std::function<int()>& runWindows) {
  CheckTablesPresent();
  CheckWatchedFileAbsent();
  const int verdict = ProcessCommandLine(argc, argv);
  if (verdict == kEditFailed) return kEditFailed;
  if (verdict == kDoneQuietly) return 0;
  if (verdict == kConversionFailedQuietly) return 1;
  const int code = runWindows();
  finalEffect.reset();
  return code;
}

}  // namespace morvel
