// Dumps the code page 932 mapping that the C library's iconv implements, in
// the two-column form of the published mapping files ("0x8140\t0x3000"), one
// line per byte sequence that decodes to a single Unicode character.
//
// The output is committed as tools/cp932.txt and is the only input of
// gentables; rerun this only to refresh that file:
//   build/bin/cp932map > tools/cp932.txt
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <optional>

namespace {

class Decoder {
 public:
  Decoder() : cd_(iconv_open("UTF-32BE", "CP932")) {}
  ~Decoder() {
    if (ok()) iconv_close(cd_);
  }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // The one character that `len` bytes decode to, if they form exactly one.
  std::optional<std::uint32_t> decode(const unsigned char* bytes, std::size_t len) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char in[2] = {static_cast<char>(bytes[0]), len > 1 ? static_cast<char>(bytes[1]) : '\0'};
    unsigned char out[8] = {};
    char* inPtr = in;
    char* outPtr = reinterpret_cast<char*>(out);
    std::size_t inLeft = len;
    std::size_t outLeft = sizeof out;
    if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) return std::nullopt;
    if (inLeft != 0 || sizeof out - outLeft != 4) return std::nullopt;
    return (std::uint32_t{out[0]} << 24) | (std::uint32_t{out[1]} << 16) | (std::uint32_t{out[2]} << 8) | out[3];
  }

 private:
  iconv_t cd_;
};

bool isLeadByte(unsigned b) { return (b >= 0x81 && b <= 0xA0) || (b >= 0xE0 && b <= 0xFC); }

}  // namespace

int main() {
  Decoder decoder;
  if (!decoder.ok()) {
    std::fprintf(stderr, "cp932map: this C library has no CP932 converter\n");
    return 1;
  }
  std::printf("# Code page 932 to Unicode, as the C library's iconv \"CP932\" decodes it.\n");
  std::printf("# Column 1: the code page 932 bytes as one number; column 2: the Unicode scalar value.\n");
  for (unsigned b = 0; b <= 0xFF; ++b) {
    if (isLeadByte(b)) continue;
    const unsigned char bytes[1] = {static_cast<unsigned char>(b)};
    if (auto u = decoder.decode(bytes, 1)) std::printf("0x%02X\t0x%04X\n", b, static_cast<unsigned>(*u));
  }
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!isLeadByte(lead)) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      const unsigned char bytes[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
      if (auto u = decoder.decode(bytes, 2))
        std::printf("0x%02X%02X\t0x%04X\n", lead, trail, static_cast<unsigned>(*u));
    }
  }
  return 0;
}
