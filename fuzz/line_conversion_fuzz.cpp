// The fast line conversion against the plain one, on arbitrary bytes cut
// into lines at arbitrary places, for both control-character rules and all
// three table kinds. Any difference aborts.
//
// Input: byte 0 picks the rule, the table and the line separator's use;
// byte 1 is the separator; the rest is the text, cut at each separator.
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
  table->placeRecords(image);
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
  FlatTable flat[2];
};

template <class Table>
struct TableSubject : Subject {
  explicit TableSubject(std::unique_ptr<Table> t) : table(std::move(t)) {
    flat[0] = flattenTable(*table, ControlRule::copy);
    flat[1] = flattenTable(*table, ControlRule::skip);
  }
  void reference(ControlRule rule, std::string_view line, LineState& state, std::string& out) const override {
    convertLineByteByByte(*table, rule, line, state, out);
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

std::vector<std::string_view> linesOf(std::string_view text, bool split, char separator) {
  std::vector<std::string_view> lines;
  if (!split) {
    lines.push_back(text);
    return lines;
  }
  for (;;) {
    const std::size_t at = text.find(separator);
    lines.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return lines;
    text.remove_prefix(at + 1);
  }
}

[[noreturn]] void mismatch(const std::string& expected, const std::string& got) {
  std::fprintf(stderr, "fast conversion differs: expected %zu bytes, got %zu\n", expected.size(), got.size());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const auto& all = subjects();
  const Subject& subject = *all[data[0] % all.size()];
  const bool skip = (data[0] & 0x40) != 0;
  const bool split = (data[0] & 0x80) == 0;
  const ControlRule rule = skip ? ControlRule::skip : ControlRule::copy;
  const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

  LineState slow;
  LineState quick;
  std::string expected;
  std::string got;
  for (const std::string_view line : linesOf(text, split, static_cast<char>(data[1]))) {
    subject.reference(rule, line, slow, expected);
    // Exactly the room promised, on the heap, so that a stray store shows.
    auto room = std::make_unique<char[]>(convertedRoom(line.size()));
    const char* end = convertLine(subject.flat[skip ? 1 : 0], line, quick, room.get());
    got.append(room.get(), static_cast<std::size_t>(end - room.get()));
    if (got != expected) mismatch(expected, got);
    if (quick.pending != slow.pending || (slow.pending && quick.lead != slow.lead)) {
      std::fprintf(stderr, "states differ\n");
      std::abort();
    }
  }
  return 0;
}
