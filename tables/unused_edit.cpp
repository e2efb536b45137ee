#include "unused_edit.h"

#include <cstring>
#include <optional>

#include "locator.h"
#include "native_file.h"

namespace morvel {

namespace {

bool sameFile(const FileStatus& written, const std::string& path) {
  const std::optional<FileStatus> other = statusOf(path);
  return other && other->volume == written.volume && other->identity == written.identity;
}

// The table Morvel's conversions from the current folder would load.
FoundTable conversionTable(const ProgramProfile& profile, const std::string& tableName, bool no_searching) {
  ProgramProfile morvel = profile;
  if (profile.program != Program::morvel) {
    morvel = morvelProfile();
    morvel.fixedFolder = profile.morvelFixedFolder;
    no_searching = false;  // Morvel's own settings: it searches every way
  }
  morvel.givenTableName = tableName;
  return locateTable(morvel, TableKind::euc, no_searching, false);
}

// Where the same edit, made again, would write the table it read: the
// folder of a table found in the fixed folder or on PATH, when the edit
// writes the plain table name. Empty when there is no such folder.
std::string editFolderOf(const FoundTable& found, const std::string& tableName) {
  const char* fileName = tableFileName(TableKind::euc);
  if (tableName != fileName || (found.way != tryFixedFolder && found.way != tryPathDirectories)) return {};
  return found.path.substr(0, found.path.size() - std::strlen(fileName));
}

// One table stands before the edit for the conversions and the next edit.
std::string notUsedNote(const std::string& written, const char* conversions, const std::string& loaded,
                        const std::string& folder) {
  return written + " was edited, but " + conversions + " from this folder load " + loaded +
         ", which is searched first, so the edit is not used and the next edit starts again from that table. "
         "To use it, copy " +
         written + " over " + loaded + (folder.empty() ? "" : ", or make the edit in " + folder) + ".";
}

// After fenra's edit: `converted` is what Morvel's conversions load and
// `started` what fenra's next edit starts from, each empty when it is the
// table written (or, for `started`, none); not both empty.
std::string fenraNote(const std::string& written, const std::string& converted, const std::string& started,
                      bool sameTable) {
  const char* conversions = "Morvel's conversions";
  if (sameTable) return notUsedNote(written, conversions, converted, "");
  if (started.empty()) {
    return written + " was edited, but " + conversions + " from this folder load " + converted +
           ", which is searched first, so they do not use the edit. To use it, copy " + written + " over " + converted +
           ".";
  }
  if (converted.empty()) {
    return written + " was edited and " + conversions +
           " from this folder use it, but the next edit starts again from " + started +
           ", which is searched first. To build on the edit, copy " + written + " over " + started + ".";
  }
  return written + " was edited, but " + conversions + " from this folder load " + converted +
         " and the next edit starts again from " + started +
         ", which are searched first, so the edit is not used. To use it, copy " + written + " over " + converted +
         " and over " + started + ".";
}

}  // namespace

std::string unusedEditNote(const ProgramProfile& profile, const std::string& tableName, bool no_searching,
                           bool acquire_from_text) {
  const std::optional<FileStatus> written = statusOf(tableName);
  if (!written || written->type != FileType::regular) return {};
  const FoundTable converted = conversionTable(profile, tableName, no_searching);
  const bool convertedElsewhere = !converted.path.empty() && !sameFile(*written, converted.path);
  if (profile.program == Program::morvel) {
    return convertedElsewhere
               ? notUsedNote(tableName, "conversions", converted.path, editFolderOf(converted, tableName))
               : std::string();
  }
  const FoundTable started = locateTable(profile, TableKind::euc, no_searching, acquire_from_text);
  const bool startedElsewhere = !started.path.empty() && !sameFile(*written, started.path);
  if (!convertedElsewhere && !startedElsewhere) return {};
  const std::optional<FileStatus> convertedStatus = convertedElsewhere ? statusOf(converted.path) : std::nullopt;
  const bool sameTable = convertedStatus && startedElsewhere && sameFile(*convertedStatus, started.path);
  return fenraNote(tableName, convertedElsewhere ? converted.path : std::string(),
                   startedElsewhere ? started.path : std::string(), sameTable);
}

}  // namespace morvel
