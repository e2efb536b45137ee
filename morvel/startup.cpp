// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
#include "startup.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "console.h"
#include "editors.h"
#include "locator.h"
#include "named_conversion.h"
#include "native_file.h"
#include "out_of_memory.h"
#include "passes.h"
#include "report_files.h"
#include "version_file.h"
#include "watchers.h"
#include "working_files.h"

namespace morvel {

namespace {

constexpr const char* kNoSubstitution = "\x81\x51";  // full-width low line
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitEditFailed = -4;

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

bool editTable(const TableContext& context, const CommandLineOptions& options) {
  const FinalEffect& effect = options.effect;
  // A working copy: the edit may clear whichTable.
  SearchSwitches search{.no_searching = effect.no_searching, .whichTable = effect.whichTable};
  if (!effect.listName.empty()) return editManyRecords(context, effect.listName, effect.tableName, search);
  if (effect.substitute == kNoSubstitution) return true;
  // A character option that could not be read would make this edit change
  // the wrong record, or none: refuse the edit before the table is touched.
  const std::vector<std::string> refusals = options.refusals();
  for (const std::string& refusal : refusals) context.reporter.error(refusal);
  if (!refusals.empty()) return false;
  return editRecord(context, effect.substituted, effect.substitute, effect.tableName, search);
}

}  // namespace

int exitCodeOf(Verdict verdict) {
  switch (verdict) {
    case Verdict::goOn:
    case Verdict::doneQuietly:
      return 0;
    case Verdict::stop:
      return kExitFailure;
    case Verdict::editFailed:
      return kExitEditFailed;
  }
  return kExitFailure;
}

bool CheckTablesPresent(const TableContext& context) {
  bool ok = true;
  TableKind missing = TableKind::euc;
  for (int index = 0; index < static_cast<int>(std::size(kAttempts)); ++index) {
    const TableAttempt& attempt = kAttempts[index];
    // `found` is empty in the two report lines below, by design: they end
    // with what the last way found, which is nothing there.
    const std::string found = findByWay(context.profile, attempt.way, attempt.kind);
    if (!found.empty()) {
      if (attempt.kind == TableKind::sjis) break;
      index = attempt.kind == TableKind::euc ? kLastEucAttempt : kLastUtf8Attempt;
      continue;
    }
    if (index == kLastEucAttempt) {
      ok = false;
      missing = TableKind::euc;
      context.reporter.error(joinedParts({"openClose[", std::to_string(index), "]() error-1: ", found}));
      break;
    }
    if (index == kLastUtf8Attempt) {
      ok = false;
      missing = TableKind::utf8;
      context.reporter.message(joinedParts({"openClose[", std::to_string(index), "]() error-2: "}), found);
      break;
    }
  }
  if (!ok) {
    context.reporter.error(joinedParts({"MS932~EUC-JP.bin", "is needed to convert VEL from Shift_JIS to EUC-JP.",
                                        "MS932~UTF-8.bin", "is needed to convert VEL from Shift_JIS to UTF-8."}));
    hintOnTerminal(missingTableSentence(context.profile, missing, false, false));
  }
  return ok;
}

bool CheckWatchedFileAbsent(Reporter& reporter) {
  std::FILE* file = openStream(kWatchedFile, "rb");
  if (file == nullptr) return true;
  const bool empty = std::fseek(file, 0, SEEK_END) == 0 && std::ftell(file) <= 0;
  std::fclose(file);
  if (empty) return true;
  reporter.error("VEL should disappear. Please remove VEL from the current directory. ");
  // Removing it would make the other window give up: say what holds it.
  if (isTerminal(stderr) && anotherMorvelWatchesHere()) {
    hintOnTerminal(
        "Another Morvel is watching this folder: close its window first, or start this one in another folder.");
  } else {
    hintOnTerminal(
        "A VEL that is not empty means another Morvel may be watching this folder: remove VEL only if none is.");
  }
  return false;
}

bool CheckWatchedFileCreatable(Reporter& reporter) {
  int fd = openNew(kWatchedFile);
  const bool created = fd >= 0;
  if (!created && errno == EEXIST) fd = openForWriting(kWatchedFile);
  const int why = errno;
  if (fd >= 0) {
    releaseFile(fd);
    if (created) removeFile(kWatchedFile);
    return true;
  }
  reporter.error(joinedParts({"VEL cannot be created in", currentFolder(), "-", std::strerror(why),
                              "- Morvel needs a folder where it may write VEL."}));
  return false;
}

DisplayChoice chooseDisplay(const char* chosenPlatform, const char* x11Display, const char* waylandDisplay) {
  const auto set = [](const char* value) { return value != nullptr && *value != '\0'; };
  if (set(chosenPlatform)) {
    const std::string_view chosen(chosenPlatform);
    const std::string_view name = chosen.substr(0, chosen.find(':'));
    if (name == "xcb") return {set(x11Display), nullptr};
    if (name.starts_with("wayland")) return {set(waylandDisplay), nullptr};
    return {true, nullptr};  // offscreen, minimal, vnc, eglfs...: a display of their own or none needed
  }
  if (set(x11Display)) return {true, "xcb"};
  return {set(waylandDisplay), nullptr};
}

Verdict startupDispatch(const TableContext& context, const CommandLineOptions& options) {
  if (options.effect.encoding != TargetEncoding::eucJp) return Verdict::goOn;
  if (options.editMode) {
    if (!editTable(context, options)) return Verdict::editFailed;
    return options.quiet ? Verdict::doneQuietly : Verdict::goOn;
  }
  if (!options.effect.anotherFile) return Verdict::goOn;
  switch (convertNamedFile(context, options)) {
    case NamedConversion::refused:
      return Verdict::stop;
    case NamedConversion::failed:
      return options.quiet ? Verdict::stop : Verdict::goOn;
    case NamedConversion::done:
      return options.quiet ? Verdict::doneQuietly : Verdict::goOn;
  }
  return Verdict::stop;
}

StartupOutcome ProcessCommandLine(int argc, const char* const* argv, Reporter& reporter) {
  return ProcessCommandLine(typedWords(commandWords(argc, argv)), reporter);
}

StartupOutcome ProcessCommandLine(const std::vector<TypedWord>& words, Reporter& reporter) {
  const CommandLineOptions options = readTypedOptions(words);
  if (options.version != VersionRequest::none) {
    WriteVersionFile(options.version == VersionRequest::commented);
    return {Verdict::stop, options.effect};
  }
  const ProgramProfile profile = profileFor(options.effect);
  return {startupDispatch({profile, reporter}, options), options.effect};
}

int runMorvel(int argc, const char* const* argv, Reporter& reporter, const WindowRunner& runWindows) {
  return runMorvel(typedWords(commandWords(argc, argv)), reporter, runWindows);
}

int runMorvel(const std::vector<TypedWord>& words, Reporter& reporter, const WindowRunner& runWindows) {
  try {
    switch (consoleRequest(words)) {
      case ConsoleRequest::usage:
        consoleWrite(stdout, versionText(true));
        return kExitSuccess;
      case ConsoleRequest::versionLine:
        consoleWrite(stdout, versionLine());
        return kExitSuccess;
      case ConsoleRequest::none:
        break;
    }
    const ProgramProfile profile = morvelProfile();  // no table name yet: the last EUC-JP way fails
    if (!CheckTablesPresent({profile, reporter}) || !CheckWatchedFileAbsent(reporter)) return kExitFailure;
    const StartupOutcome startup = ProcessCommandLine(words, reporter);
    if (startup.verdict != Verdict::goOn) return exitCodeOf(startup.verdict);
    if (!CheckWatchedFileCreatable(reporter)) return kExitFailure;
    return runWindows(startup.settings);
  } catch (const OutOfMemory& failure) {
    reporter.error(failure.line());
    return kExitFailure;
  } catch (const std::bad_alloc&) {
    return kExitFailure;
  }
}

}  // namespace morvel
