// The fast line and text conversions, along every block path this machine
// offers, against the plain ones, on arbitrary bytes cut into lines or
// pieces at arbitrary places, for both control-character rules and all
// three table kinds. Any difference aborts.
//
// Input: byte 0 picks the table, the rule, and lines or text; byte 1 is the
// line separator, or for text the line end (its high bit) and the size of
// the pieces the text is handed over in (its other bits); the rest is the
// text, with long ASCII runs spelt short (long_runs.h).
// Tables: random but fixed images, which give odd entries (full slots, zero
// bytes inside, codes above 0xFC4B), and, when MORVEL_DATA_DIR names the
// data folder, the shipped tables too.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "line_conversion.h"
#include "locator.h"
#include "long_runs.h"

using namespace morvel;

namespace {

template <class Table>
std::unique_ptr<Table> randomTable(std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<unsigned char> image(Table::imageSize);
  for (std::size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<unsigned char>(random());
    const std::size_t offset = i % Table::recordSize;
    // Most double-byte records name a lead byte, so that pairs find entries.
    if (offset == 0 && i >= kSingleByteRecords * Table::recordSize && random() % 8 != 0) {
      image[i] = static_cast<unsigned char>(0x81 + random() % 0x7C);
    }
    if (offset >= 2 && random() % 6 == 0) image[i] = 0;
  }
  auto table = std::make_unique<Table>();
  if (!table->placeRecords(image)) std::abort();  // a whole image always places
  return table;
}

template <class Table>
std::unique_ptr<Table> shippedTable() {
  const char* folder = std::getenv("MORVEL_DATA_DIR");
  if (folder == nullptr) return nullptr;
  auto table = std::make_unique<Table>();
  if (!loadTableFile(*table, std::string(folder) + "/" + Table::Traits::fileName)) return nullptr;
  return table;
}

// One table with its flattened forms for both rules.
struct Subject {
  virtual ~Subject() = default;
  virtual void reference(ControlRule rule, std::string_view line, LineState& state, std::string& out) const = 0;
  virtual void referenceText(ControlRule rule, bool crlf, std::string_view text, LineState& state,
                             std::string& out) const = 0;
  FlatTable flat[2];
  FlatTextTable text[2][2];  // by rule, then LF or CR LF
};

template <class Table>
struct TableSubject : Subject {
  explicit TableSubject(std::unique_ptr<Table> t) : table(std::move(t)) {
    flat[0] = flattenTable(*table, ControlRule::copy);
    flat[1] = flattenTable(*table, ControlRule::skip);
    for (const bool crlf : {false, true}) {
      text[0][crlf] = flattenTextTable(*table, ControlRule::copy, crlf);
      text[1][crlf] = flattenTextTable(*table, ControlRule::skip, crlf);
    }
  }
  void reference(ControlRule rule, std::string_view line, LineState& state, std::string& out) const override {
    convertLineByteByByte(*table, rule, line, state, out);
  }
  void referenceText(ControlRule rule, bool crlf, std::string_view text, LineState& state,
                     std::string& out) const override {
    convertTextByteByByte(*table, rule, crlf, text, state, out);
  }
  std::unique_ptr<Table> table;
};

template <class Table>
void addSubjects(std::vector<std::unique_ptr<Subject>>& subjects, std::uint32_t seed) {
  subjects.push_back(std::make_unique<TableSubject<Table>>(randomTable<Table>(seed)));
  if (auto shipped = shippedTable<Table>())
    subjects.push_back(std::make_unique<TableSubject<Table>>(std::move(shipped)));
}

const std::vector<std::unique_ptr<Subject>>& subjects() {
  static const std::vector<std::unique_ptr<Subject>> all = [] {
    std::vector<std::unique_ptr<Subject>> made;
    addSubjects<SparseEUC>(made, 1);
    addSubjects<SparseSJIS>(made, 2);
    addSubjects<SparseUTF8>(made, 3);
    return made;
  }();
  return all;
}

std::vector<std::string_view> linesOf(std::string_view text, char separator) {
  std::vector<std::string_view> lines;
  for (;;) {
    const std::size_t at = text.find(separator);
    lines.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return lines;
    text.remove_prefix(at + 1);
  }
}

[[noreturn]] void mismatch(BlockPath path, const std::string& expected, const std::string& got) {
  std::fprintf(stderr, "fast conversion (%s) differs: expected %zu bytes, got %zu\n", blockPathName(path),
               expected.size(), got.size());
  std::abort();
}

void expectSameState(BlockPath path, const LineState& slow, const LineState& quick) {
  if (quick.pending != slow.pending || (slow.pending && quick.lead != slow.lead)) {
    std::fprintf(stderr, "states differ (%s)\n", blockPathName(path));
    std::abort();
  }
}

// Converts `piece` along `path` into exactly the room promised, on the heap,
// so that a stray store shows.
template <class Table, class Convert>
void appendConverted(const Table& table, std::string_view piece, LineState& state, std::string& out, Convert convert) {
  auto room = std::make_unique<char[]>(convertedRoom(piece.size()));
  const char* end = convert(table, piece, state, room.get());
  out.append(room.get(), static_cast<std::size_t>(end - room.get()));
}

void checkLines(const Subject& subject, ControlRule rule, std::string_view text, char separator) {
  const std::vector<std::string_view> lines = linesOf(text, separator);
  LineState slow;
  std::string expected;
  for (const std::string_view line : lines) subject.reference(rule, line, slow, expected);
  const FlatTable& flat = subject.flat[rule == ControlRule::skip ? 1 : 0];
  for (const BlockPath path : availableBlockPaths()) {
    LineState quick;
    std::string got;
    for (const std::string_view line : lines) {
      appendConverted(flat, line, quick, got,
                      [path](const FlatTable& table, std::string_view piece, LineState& state, char* out) {
                        return convertLine(path, table, piece, state, out);
                      });
    }
    if (got != expected) mismatch(path, expected, got);
    expectSameState(path, slow, quick);
  }
}

void checkText(const Subject& subject, ControlRule rule, std::string_view text, unsigned char shape) {
  const bool crlf = (shape & 0x80) != 0;
  const std::size_t pieceSize = 1 + (shape & 0x7F) * 3;
  LineState slow;
  std::string expected;
  subject.referenceText(rule, crlf, text, slow, expected);
  const FlatTextTable& flat = subject.text[rule == ControlRule::skip ? 1 : 0][crlf];
  for (const BlockPath path : availableBlockPaths()) {
    LineState quick;
    std::string got;
    for (std::size_t at = 0; at < text.size(); at += pieceSize) {
      appendConverted(flat, text.substr(at, pieceSize), quick, got,
                      [path](const FlatTextTable& table, std::string_view piece, LineState& state, char* out) {
                        return convertText(path, table, piece, state, out);
                      });
    }
    if (got != expected) mismatch(path, expected, got);
    expectSameState(path, slow, quick);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const auto& all = subjects();
  const Subject& subject = *all[data[0] % all.size()];
  const ControlRule rule = (data[0] & 0x40) != 0 ? ControlRule::skip : ControlRule::copy;
  const std::string bytes = withLongAsciiRuns(std::string_view(reinterpret_cast<const char*>(data + 2), size - 2));
  const std::string_view text(bytes);
  if ((data[0] & 0x80) == 0) {
    checkLines(subject, rule, text, static_cast<char>(data[1]));
  } else {
    checkText(subject, rule, text, data[1]);
  }
  return 0;
}
