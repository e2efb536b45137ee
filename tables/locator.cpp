#include "locator.h"

#include <cstdio>
#include <vector>

#include "console.h"
#include "diagnostics.h"
#include "dividing.h"
#include "profile.h"

namespace morvel {

namespace {

int lastWayOf(TableKind kind) { return kind == TableKind::euc ? tryGivenName : tryPathDirectories; }

}  // namespace

std::string findByWay(int way, TableKind kind) {
  const char* fileName = tableFileName(kind);
  const ProgramProfile& profile = programProfile();
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

namespace {

void reportSearchFailure(int way, std::string_view word, const char* fileName) {
  if (reportsToFiles()) {
    ReportErrorNumber("openClose[", way, word, fileName);
  } else {
    consoleWrite(stderr, "openClose[" + std::to_string(way) + std::string(word) + fileName + "\n");
  }
}

void reportFoundTable(const std::string& path, TableKind kind, bool* whichTable) {
  if (whichTable == nullptr || !*whichTable) return;
  const ProgramProfile& profile = programProfile();
  if (profile.reportEncoding && *profile.reportEncoding != static_cast<int>(kind)) return;
  if (reportsToFiles()) {
    ReportMessage(path, "is primarily accessible to Morvel.");
  } else {
    consoleWrite(stdout, path + " is primarily accessible to fenra.\n");
  }
  *whichTable = false;
}

}  // namespace

ErrorWords settingWords(TableKind kind) {
  if (!reportsToFiles()) return {"]() error: ", "]() error: "};
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

std::string searchTable(const SearchRequest& request) {
  const char* fileName = tableFileName(request.kind);
  const int last = lastWayOf(request.kind);
  for (int way = request.acquire_from_text ? tryGivenName : tryFixedFolder; way <= last; ++way) {
    std::string found = findByWay(way, request.kind);
    if (!found.empty()) {
      reportFoundTable(found, request.kind, request.whichTable);
      return found;
    }
    if (way == tryFixedFolder && request.no_searching) {
      reportSearchFailure(way, request.words.wayZero, fileName);
      return {};
    }
  }
  reportSearchFailure(last, request.words.lastWay, fileName);
  return {};
}

template <TableKind K>
bool loadTableFile(SparseTable<K>& table, const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::vector<unsigned char> image(SparseTable<K>::imageSize);
  const std::size_t got = std::fread(image.data(), 1, image.size(), file);
  std::fclose(file);
  return got == image.size() && table.placeRecords(image);
}

template <TableKind K>
int setting(SparseTable<K>& table, bool no_searching, bool* whichTable, bool acquire_from_text) {
  SearchRequest request;
  request.kind = K;
  request.no_searching = no_searching;
  request.acquire_from_text = acquire_from_text;
  request.whichTable = whichTable;
  request.words = settingWords(K);
  const std::string path = searchTable(request);
  if (path.empty()) return 0;
  return loadTableFile(table, path) ? 1 : 0;
}

template bool loadTableFile(SparseEUC&, const std::string&);
template bool loadTableFile(SparseSJIS&, const std::string&);
template bool loadTableFile(SparseUTF8&, const std::string&);
template int setting(SparseEUC&, bool, bool*, bool);
template int setting(SparseSJIS&, bool, bool*, bool);
template int setting(SparseUTF8&, bool, bool*, bool);

}  // namespace morvel
