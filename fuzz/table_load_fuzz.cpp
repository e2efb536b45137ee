// Placing arbitrary table images: whatever the records hold, nothing is
// written or read outside the slots and every entry stays within its width.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sparse_table.h"

namespace {

template <class Table>
void check(const std::uint8_t* data, std::size_t size) {
  Table table;
  if (table.placeRecords({data, size}) != (size >= Table::imageSize)) std::abort();
  // Repeat the input up to a whole image so that every record is placed.
  std::vector<unsigned char> image(Table::imageSize);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = data[i % size];
  if (!table.placeRecords(image)) std::abort();
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const std::int32_t code = morvel::pairCode(data[i], data[i + 1]);
    if (table.entryText(code).size() > Table::width - 1) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  check<morvel::SparseEUC>(data, size);
  check<morvel::SparseSJIS>(data, size);
  check<morvel::SparseUTF8>(data, size);
  return 0;
}
