// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
#include "editors.h"

#include <algorithm>
#include <cstdio>

#include "binary_file.h"
#include "codes.h"
#include "file_replace.h"
#include "locator.h"
#include "native_file.h"
#include "report_files.h"
#include "text_file.h"
#include "typed_text.h"
#include "unused_edit.h"

namespace morvel {

namespace {

constexpr std::size_t kRecordSize = SparseEUC::recordSize;
using Image = std::vector<unsigned char>;

struct Editor {
  const char* name;        // "editRecord()" or "editManyRecords()"
  ErrorWords morvelWords;  // Morvel's search error words
};

constexpr Editor kEditRecord{"editRecord()", {"]() error-3:", "]() error-4:"}};
constexpr Editor kEditManyRecords{"editManyRecords()", {"]() error-5:", "]() error-6:"}};

// A list entry serves one record; a single substitution serves every record
// that carries its code (a table may repeat one).
enum class EntryUse { once, everyRecord };

void reportEditError(const TableContext& context, const Editor& editor, const std::string& detail) {
  context.reporter.error(joinedParts({std::string(editor.name) + " error:", detail}));
}

// The search for the table to rewrite, then the table loaded for lookups.
std::string findAndLoad(const TableContext& context, const Editor& editor, SparseEUC& table, SearchSwitches& switches) {
  const ErrorWords words = context.isMorvel() ? editor.morvelWords : settingWords(context.profile, TableKind::euc);
  // Searched twice, by design: the search names the table to rewrite with
  // the editor's own error words, and setting() searches once more, with the
  // loader's words, for the table it loads. The first search's whichTable
  // report clears the flag, so the found path is reported once.
  std::string path = searchTable(context, {TableKind::euc, switches, words});
  if (path.empty()) return path;
  if (!setting(context, table, switches)) {
    context.reporter.errorFileLine(
        joinedParts({std::string(editor.name) + " error:",
                     context.isMorvel() ? "euc->setting(no_searching, whichTable)"
                                        : "euc->setting(acquire_from_text, no_searching, whichTable)"}));
    return {};
  }
  return path;
}

// A missing character shows as code 0, which no record names. Morvel writes
// the codes in upper-case hexadecimal, fenra in lower case.
void reportCodes(const TableContext& context, std::int32_t from, std::int32_t to) {
  from = std::max(from, 0);
  to = std::max(to, 0);
  if (context.isMorvel()) {
    context.reporter.info(codePairLine(from, kArrow, to));
  } else {
    char line[64];
    std::snprintf(line, sizeof line, "%x %s %x", static_cast<unsigned>(from), kArrow, static_cast<unsigned>(to));
    context.reporter.info(line);
  }
}

// The table file as read for rewriting: all 7882 records, or nothing.
bool readRecords(const std::string& path, Image& records) {
  records.assign(SparseEUC::imageSize, 0);
  std::FILE* file = openStream(path, "rb");
  if (file == nullptr) return false;
  const std::size_t got = std::fread(records.data(), 1, records.size(), file);
  std::fclose(file);
  return got == records.size();
}

// The edited image: each record whose code an entry names, first pending
// entry first, takes the target bytes of the entry's substitute; a
// substitute without an entry gives 00 00.
Image editedImage(const Image& records, const SparseEUC& table, std::vector<NORMAL_SUBSTITUTE>& entries,
                  EntryUse rule) {
  std::vector<std::int32_t> fromCodes, toCodes;
  for (const NORMAL_SUBSTITUTE& e : entries) {
    fromCodes.push_back(firstCharCode(e.from));
    toCodes.push_back(firstCharCode(e.to));
  }
  Image image(records);
  for (std::size_t n = 1; n <= kRecordCount; ++n) {
    unsigned char* record = &image[(n - 1) * kRecordSize];
    const std::int32_t code = recordCode(n, record);
    for (std::size_t k = 0; k < entries.size(); ++k) {
      // An entry without a complete character on either side selects nothing.
      if (!entries[k].pending || fromCodes[k] != code || toCodes[k] == kNoCode) continue;
      if (rule == EntryUse::once) entries[k].pending = false;
      record[2] = table.entryByte(toCodes[k], 0);
      record[3] = table.entryByte(toCodes[k], 1);
      break;
    }
  }
  return image;
}

// An existing regular file under the table name must be a table of the
// kind rewritten: at least its size, and its records naming the codes of
// `records` in their order. A word meant as something else (a text file
// named where the table name goes) is never overwritten by a table. Bytes
// after the last record are no reason to refuse: the loader ignores them,
// and the rewrite leaves the 7882 records alone. Pipes, devices and new
// names take the table.
bool mayBeReplacedByTable(const std::string& tableName, const Image& records) {
  const std::optional<FileStatus> existing = statusOf(tableName);
  if (!existing || existing->type != FileType::regular) return true;
  if (existing->size < records.size()) return false;
  Image present;
  if (!readRecords(tableName, present)) return false;
  for (std::size_t n = 1; n <= kRecordCount; ++n) {
    const std::size_t at = (n - 1) * kRecordSize;
    if (recordCode(n, &present[at]) != recordCode(n, &records[at])) return false;
  }
  return true;
}

bool rewriteTable(const TableContext& context, const Editor& editor, const std::string& path,
                  const std::string& tableName, const SparseEUC& table, std::vector<NORMAL_SUBSTITUTE>& entries,
                  EntryUse rule) {
  Image records;
  if (!readRecords(path, records)) {
    reportEditError(context, editor, "incomplete table: " + path);
    return false;
  }
  if (!mayBeReplacedByTable(tableName, records)) {
    reportEditError(context, editor, "not a table, left as it was: " + tableName);
    return false;
  }
  const Image image = editedImage(records, table, entries, rule);
  const auto writeImage = [&image](int fd) { return writeFully(fd, image.data(), image.size()); };
  if (replaceFile(tableName, writeImage) != Outcome::done) {
    reportEditError(context, editor, "write error: " + tableName);
    return false;
  }
  return true;
}

// The table is written; tell the user when the next search finds another
// one first, so that the edit would pass unnoticed.
void noteWhereUnused(const TableContext& context, const std::string& tableName, bool no_searching,
                     bool acquire_from_text) {
  const std::string note = unusedEditNote(context.profile, tableName, no_searching, acquire_from_text);
  if (!note.empty()) context.reporter.note(note);
}

}  // namespace

SubstitutionList readSubstitutionList(const std::string& listName) {
  SubstitutionList list;
  const auto refused = [&list](std::string line) {
    list.refusal = std::move(line);
    return list;
  };
  TextReader reader(listName);
  if (!reader.isOpen()) return refused(joinedParts({"ifstream sjisFile() error:", listName}));
  // The lines used, then how they are read: the file decides as a whole.
  std::vector<std::string> lines;
  std::string typed;
  for (std::size_t taken = 0; taken < kListLines && reader.readLine(typed); ++taken) {
    if (typed.size() >= kListLineBufferSize) break;
    lines.push_back(typed);
  }
  // A list cut short by a read error would pass for a shorter list.
  if (reader.failed()) return refused(joinedParts({"ifstream sjisFile() error:", listName}));
  const TypedCoding coding = listCoding(lines);
  if (!lines.empty()) lines.front() = std::string(withoutBom(lines.front()));
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (lines[k].empty()) continue;
    const std::optional<std::string> converted = shiftJisOfTyped(lines[k], coding);
    if (!converted) {
      return refused("list " + listName + ": line " + std::to_string(k + 1) +
                     " has a character that code page 932 cannot write");
    }
    const std::string& line = *converted;
    NORMAL_SUBSTITUTE entry;
    if (line.size() == 4) {
      entry.from = line.substr(0, 2);
      entry.to = line.substr(2, 2);
    } else {
      entry.from = line.substr(0, 1);
      entry.to = line.substr(1, 1);
    }
    list.entries.push_back(entry);
  }
  return list;
}

bool editRecord(const TableContext& context, std::string_view substituted, std::string_view substitute,
                const std::string& tableName, SearchSwitches& switches) {
  SparseEUC table;
  const std::string path = findAndLoad(context, kEditRecord, table, switches);
  if (path.empty()) return false;
  std::vector<NORMAL_SUBSTITUTE> entries{{true, std::string(substituted), std::string(substitute)}};
  reportCodes(context, firstCharCode(substituted), firstCharCode(substitute));
  if (!rewriteTable(context, kEditRecord, path, tableName, table, entries, EntryUse::everyRecord)) return false;
  noteWhereUnused(context, tableName, switches.no_searching, switches.acquire_from_text);
  return true;
}

bool editManyRecords(const TableContext& context, const std::string& listName, const std::string& tableName,
                     SearchSwitches& switches) {
  SparseEUC table;
  const std::string path = findAndLoad(context, kEditManyRecords, table, switches);
  if (path.empty()) return false;
  SubstitutionList list = readSubstitutionList(listName);
  if (!list.usable()) {
    context.reporter.error(list.refusal);
    return false;
  }
  if (!rewriteTable(context, kEditManyRecords, path, tableName, table, list.entries, EntryUse::once)) return false;
  noteWhereUnused(context, tableName, switches.no_searching, switches.acquire_from_text);
  return true;
}

}  // namespace morvel
