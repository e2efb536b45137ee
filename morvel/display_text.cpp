#include "display_text.h"

#include <utility>

#include "codes.h"
#include "line_conversion.h"
#include "locator.h"
#include "typed_text.h"

namespace morvel {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

DisplayText::DisplayText(std::unique_ptr<SparseUTF8> table) : table_(std::move(table)) {
  if (!table_) return;
  // The records run in code order: the first code of a character that has
  // several (the NEC and IBM duplicates) is the one it keeps.
  for (std::int32_t code = 0; code < kSlotCount; ++code) {
    const std::string_view entry = table_->entryText(code);
    if (entry.empty() || static_cast<unsigned char>(entry[0]) < 0x80) continue;
    codeOf_.try_emplace(std::string(entry), code);
  }
}

DisplayText DisplayText::load(const TableContext& context, bool no_searching) {
  auto table = std::make_unique<SparseUTF8>();
  if (!setting(context, *table, no_searching, nullptr)) table.reset();
  return DisplayText(std::move(table));
}

std::string DisplayText::utf8(std::string_view sjis) const {
  std::string shown;
  shown.reserve(sjis.size() + sjis.size() / 2);
  const auto entry = [this](std::int32_t code) {
    const std::string_view found = table_ ? table_->entryText(code) : std::string_view();
    return found.empty() ? kReplacement : found;
  };
  for (std::size_t k = 0; k < sjis.size(); ++k) {
    const auto b = static_cast<unsigned char>(sjis[k]);
    if (b < 0x80) {
      if (b == '\r' && k + 1 < sjis.size() && sjis[k + 1] == '\n') continue;
      shown += static_cast<char>(b);
    } else if (isLeadByte(b) && k + 1 < sjis.size() && isTrailByte(static_cast<unsigned char>(sjis[k + 1]))) {
      shown += entry(pairCode(b, static_cast<unsigned char>(sjis[k + 1])));
      ++k;
    } else if (isKatakanaByte(b)) {
      shown += entry(b);
    } else {
      shown += kReplacement;
    }
  }
  return shown;
}

std::optional<std::string> DisplayText::shiftJis(std::string_view utf8) const {
  if (!table_) return shiftJisOfTyped(utf8);
  std::string sjis;
  for (std::size_t k = 0; k < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[k]);
    if (b < 0x80) {
      sjis += static_cast<char>(b);
      ++k;
      continue;
    }
    const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
    const auto found = codeOf_.find(std::string(utf8.substr(k, length)));
    if (found == codeOf_.end()) return std::nullopt;
    if (found->second > 0xFF) sjis += static_cast<char>(found->second >> 8);
    sjis += static_cast<char>(found->second & 0xFF);
    k += length;
  }
  return sjis;
}

}  // namespace morvel
