// Splitting arbitrary text at an arbitrary separator, and building paths.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "dividing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char separator = static_cast<char>(data[0]);
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  morvel::Dividing splitter(separator);
  const std::int32_t count = splitter.splitFields(text);
  if (count < 0 || static_cast<std::size_t>(count) > morvel::kMaxFields) std::abort();
  std::size_t stored = 0;
  for (const auto& field : splitter.fields()) stored += field.size();
  if (stored > text.size()) std::abort();
  if (splitter.buildPaths(text, "t.bin", '/') != count) std::abort();
  for (const auto& path : splitter.fieldTable())
    if (path.size() < 6 || path.compare(path.size() - 6, 6, "/t.bin") != 0) std::abort();
  return 0;
}
