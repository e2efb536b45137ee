// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
#include "locator.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "console.h"
#include "native_file.h"
#include "path_search.h"
#include "report_files.h"

namespace morvel {

namespace {

int lastWayOf(TableKind kind) { return kind == TableKind::euc ? tryGivenName : tryPathDirectories; }

}  // namespace

std::string findByWay(const ProgramProfile& profile, int way, TableKind kind) {
  const char* fileName = tableFileName(kind);
  std::string candidate;
  switch (way) {
    case tryFixedFolder:
      candidate = profile.fixedFolder + fileName;
      break;
    case tryCurrentDirectory:
      candidate = fileName;
      break;
    case tryPathDirectories:
      candidate = findInPath(CommandPath(profile.pathBufferSize).text(), fileName);
      break;
    case tryGivenName:
      if (!profile.givenTableName) return {};
      candidate = *profile.givenTableName;
      break;
    default:
      return {};
  }
  if (candidate.size() >= kPathBufferSize || !canOpenForReading(candidate)) return {};
  return candidate;
}

FoundTable locateTable(const ProgramProfile& profile, TableKind kind, bool no_searching, bool acquire_from_text) {
  for (int way = acquire_from_text ? tryGivenName : tryFixedFolder; way <= lastWayOf(kind); ++way) {
    std::string found = findByWay(profile, way, kind);
    if (!found.empty()) return {std::move(found), way};
    if (way == tryFixedFolder && no_searching) break;
  }
  return {};
}

namespace {

// Morvel joins the parts with blanks; fenra writes them as they are.
void reportSearchFailure(const TableContext& context, int way, std::string_view word, const char* fileName) {
  const std::string number = std::to_string(way);
  context.reporter.error(context.isMorvel() ? joinedParts({"openClose[", number, word, fileName})
                                            : "openClose[" + number + std::string(word) + fileName);
}

void reportFoundTable(const TableContext& context, const std::string& path, TableKind kind, bool& whichTable) {
  if (!whichTable) return;
  const ProgramProfile& profile = context.profile;
  if (profile.reportEncoding && !convertsTo(kind, *profile.reportEncoding)) return;
  context.reporter.message(
      path, context.isMorvel() ? "is primarily accessible to Morvel." : "is primarily accessible to fenra.");
  whichTable = false;
}

}  // namespace

std::string missingTableSentence(const ProgramProfile& profile, TableKind kind, bool no_searching,
                                 bool acquire_from_text) {
  const std::string table = tableFileName(kind);
  const std::string given =
      profile.givenTableName && !profile.givenTableName->empty() ? *profile.givenTableName : std::string();
  if (acquire_from_text) {
    return "The table " + table + " was looked for only under the name on line 11 of setting.txt (-q)" +
           (given.empty() ? ", which gives none." : ": " + given + " cannot be read.");
  }
  if (no_searching)
    return "The table " + table + " is not in " + profile.fixedFolder + ", the only folder -d searches.";
  std::string sentence = "The table " + table + " is in none of the folders searched: " + profile.fixedFolder +
                         ", the current folder and the folders of PATH";
  if (kind == TableKind::euc && !given.empty()) sentence += ", nor under the name " + given;
  return sentence + ".";
}

ErrorWords settingWords(const ProgramProfile& profile, TableKind kind) {
  if (profile.program == Program::fenra) return {"]() error: ", "]() error: "};
  switch (kind) {
    case TableKind::euc:
      return {"]() error-7:", "]() error-8:"};
    case TableKind::sjis:
      return {"]() error-9:", "]() error-10:"};
    case TableKind::utf8:
      return {"]() error-11:", "]() error-12:"};
  }
  return {};
}

std::string searchTable(const TableContext& context, const SearchRequest& request) {
  const SearchSwitches& switches = request.switches;
  FoundTable found = locateTable(context.profile, request.kind, switches.no_searching, switches.acquire_from_text);
  if (!found.path.empty()) {
    reportFoundTable(context, found.path, request.kind, request.switches.whichTable);
    return std::move(found.path);
  }
  // Under no_searching only way 0 was tried (unless -q named way 3 alone).
  const bool wayZeroOnly = switches.no_searching && !switches.acquire_from_text;
  const char* fileName = tableFileName(request.kind);
  if (wayZeroOnly) {
    reportSearchFailure(context, tryFixedFolder, request.words.wayZero, fileName);
  } else {
    reportSearchFailure(context, lastWayOf(request.kind), request.words.lastWay, fileName);
  }
  hintOnTerminal(
      missingTableSentence(context.profile, request.kind, wayZeroOnly, switches.acquire_from_text && !wayZeroOnly));
  return {};
}

template <TableKind K>
bool loadTableFile(SparseTable<K>& table, const std::string& path) {
  std::FILE* file = openStream(path, "rb");
  if (file == nullptr) return false;
  std::vector<unsigned char> image(SparseTable<K>::imageSize);
  const std::size_t got = std::fread(image.data(), 1, image.size(), file);
  std::fclose(file);
  return got == image.size() && table.placeRecords(image);
}

template <TableKind K>
bool setting(const TableContext& context, SparseTable<K>& table, SearchSwitches& switches) {
  const std::string path = searchTable(context, {K, switches, settingWords(context.profile, K)});
  return !path.empty() && loadTableFile(table, path);
}

template bool loadTableFile(SparseEUC&, const std::string&);
template bool loadTableFile(SparseSJIS&, const std::string&);
template bool loadTableFile(SparseUTF8&, const std::string&);
template bool setting(const TableContext&, SparseEUC&, SearchSwitches&);
template bool setting(const TableContext&, SparseSJIS&, SearchSwitches&);
template bool setting(const TableContext&, SparseUTF8&, SearchSwitches&);

}  // namespace morvel
