// One entry of a flat table (flat_table.h): how it is packed, where it sits
// and how the block paths write it out. Shared by the flattening and the
// paths, which must agree on it.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace morvel::blocks {

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big);

// Where the byte count sits in a packed entry: the fourth byte in memory.
inline constexpr int kCountShift = std::endian::native == std::endian::little ? 24 : 0;

// Up to three target bytes packed with their count.
inline std::uint32_t packedEntry(std::string_view bytes) {
  unsigned char packed[4] = {0, 0, 0, static_cast<unsigned char>(bytes.size())};
  for (std::size_t i = 0; i < bytes.size(); ++i) packed[i] = static_cast<unsigned char>(bytes[i]);
  std::uint32_t entry = 0;
  std::memcpy(&entry, packed, sizeof entry);
  return entry;
}

// Stores all four bytes and keeps the counted ones; the spare bytes are
// overwritten by whatever follows.
inline char* put(char* out, std::uint32_t entry) {
  std::memcpy(out, &entry, sizeof entry);
  return out + ((entry >> kCountShift) & 0xFF);
}

// Where the entry for a byte and the byte after it sits: the two bytes read
// as one number in the machine's own order, so that reading them is one load.
inline unsigned pairIndex(const unsigned char* p) {
  std::uint16_t pair = 0;
  std::memcpy(&pair, p, sizeof pair);
  return pair;
}

inline unsigned pairIndex(unsigned char first, unsigned char next) {
  const unsigned char bytes[2] = {first, next};
  return pairIndex(bytes);
}

}  // namespace morvel::blocks
