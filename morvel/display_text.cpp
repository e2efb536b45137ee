#include "display_text.h"

#include <utility>

#include "codes.h"
#include "line_conversion.h"
#include "locator.h"

namespace morvel {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

DisplayText::DisplayText(std::unique_ptr<SparseUTF8> table) : table_(std::move(table)) {}

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

}  // namespace morvel
