// Every record of the shipped tables against decoders not written here:
// the C library's iconv for code page 932 and the WHATWG decoders of Node.js.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdio>
#include <string>
#include <vector>

#include "codes.h"
#include "support/temp_dir.h"
#include "table_kind.h"

using namespace morvel;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

struct Entry {
  std::string source;  // the code page 932 bytes
  std::string target;  // the target bytes, without padding
};

std::vector<Entry> loadEntries(const char* name, std::size_t recordSize) {
  const std::string file = readBytes(std::string(MORVEL_DATA_DIR) + "/" + name);
  std::vector<Entry> entries;
  if (file.size() != kRecordCount * recordSize) return entries;
  for (std::size_t n = 0; n < kRecordCount; ++n) {
    const std::string record = file.substr(n * recordSize, recordSize);
    Entry e;
    e.source = n < kSingleByteRecords ? record.substr(0, 1) : record.substr(0, 2);
    e.target = record.substr(2);
    e.target.resize(e.target.find('\0') == std::string::npos ? e.target.size() : e.target.find('\0'));
    entries.push_back(e);
  }
  return entries;
}

std::string convert(const char* from, const char* to, const std::string& in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return "<no converter>";
  std::string input = in;
  std::string out(in.size() * 4 + 8, '\0');
  char* inPtr = input.data();
  char* outPtr = out.data();
  std::size_t inLeft = input.size(), outLeft = out.size();
  const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1) || inLeft != 0) return "<invalid>";
  out.resize(out.size() - outLeft);
  return out;
}

std::string hexOf(const std::string& bytes) {
  std::string s;
  char b[4];
  for (unsigned char c : bytes) {
    std::snprintf(b, sizeof b, "%02X", c);
    s += b;
  }
  return s;
}

// All `texts` joined by LF, decoded in one run of Node's WHATWG decoder,
// split again at LF.
std::vector<std::string> decodeWithNode(const char* encoding, const std::vector<std::string>& texts) {
  TempDir dir;
  std::string joined;
  for (const std::string& t : texts) joined += t + "\n";
  writeBytes("in.bin", joined);
  const std::string command =
      std::string("\"") + NODE_EXECUTABLE + "\" \"" + TESTS_DIR + "/decode.js\" " + encoding + " in.bin > out.txt";
  if (std::system(command.c_str()) != 0) return {};
  const std::string decoded = readBytes("out.txt");
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < decoded.size();) {
    const std::size_t end = decoded.find('\n', start);
    if (end == std::string::npos) break;
    lines.push_back(decoded.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

class TableFiles : public testing::Test {
 protected:
  void SetUp() override {
    euc = loadEntries("MS932~EUC-JP.bin", 4);
    utf = loadEntries("MS932~UTF-8.bin", 5);
    sjis = loadEntries("MS932~Shift_JIS.bin", 4);
    ASSERT_EQ(euc.size(), kRecordCount);
    ASSERT_EQ(utf.size(), kRecordCount);
    ASSERT_EQ(sjis.size(), kRecordCount);
  }

  std::string target(const std::vector<Entry>& table, const std::string& source) {
    for (const Entry& e : table)
      if (e.source == source) return e.target;
    return "<absent>";
  }

  std::vector<Entry> euc, utf, sjis;
};

}  // namespace

TEST_F(TableFiles, RepertoireAndOrder) {
  for (const auto* table : {&euc, &utf, &sjis}) {
    std::int32_t previous = -1;
    for (std::size_t n = 0; n < kRecordCount; ++n) {
      const std::string& s = (*table)[n].source;
      const std::int32_t code = n < kSingleByteRecords ? static_cast<unsigned char>(s[0]) : firstCharCode(s);
      if (n == 0 || n == kSingleByteRecords) previous = -1;
      ASSERT_GT(code, previous) << n;
      previous = code;
      if (n < 95)
        ASSERT_EQ(code, static_cast<std::int32_t>(0x20 + n));
      else if (n < kSingleByteRecords)
        ASSERT_EQ(code, static_cast<std::int32_t>(0xA1 + n - 95));
      else {
        ASSERT_TRUE(isLeadByte(static_cast<unsigned char>(s[0]))) << n;
        ASSERT_FALSE(code >= 0xF040 && code <= 0xF9FC) << n;
        ASSERT_LE(code, kHighestCode);
      }
      ASSERT_EQ(s, euc[n].source);  // the three tables list the same characters
    }
  }
  EXPECT_EQ(euc.back().source, "\xFC\x4B");
}

TEST_F(TableFiles, Utf8TargetsAreTheIconvDecoding) {
  for (const Entry& e : utf) {
    const std::string expected = convert("CP932", "UTF-8", e.source);
    ASSERT_EQ(hexOf(e.target), hexOf(expected)) << hexOf(e.source);
  }
}

TEST_F(TableFiles, Utf8TargetsMatchTheWhatwgShiftJisDecoder) {
  std::vector<std::string> sources;
  for (const Entry& e : utf) sources.push_back(e.source);
  const auto decoded = decodeWithNode("shift_jis", sources);
  ASSERT_EQ(decoded.size(), kRecordCount) << "node at " << NODE_EXECUTABLE;
  for (std::size_t n = 0; n < kRecordCount; ++n) ASSERT_EQ(hexOf(decoded[n]), hexOf(utf[n].target)) << n;
}

TEST_F(TableFiles, ShiftJisTargetsAreTheIconvRoundTrip) {
  for (const Entry& e : sjis) {
    const std::string expected = convert("UTF-8", "CP932", convert("CP932", "UTF-8", e.source));
    ASSERT_EQ(hexOf(e.target), hexOf(expected)) << hexOf(e.source);
  }
}

TEST_F(TableFiles, EucTargetsDecodeToTheSourceCharacter) {
  std::vector<std::string> targets;
  for (const Entry& e : euc) {
    ASSERT_EQ(e.target.size(), e.source.size() == 2 || static_cast<unsigned char>(e.source[0]) >= 0xA1 ? 2u : 1u)
        << hexOf(e.source);
    targets.push_back(e.target);
  }
  const auto decoded = decodeWithNode("euc-jp", targets);
  ASSERT_EQ(decoded.size(), kRecordCount) << "node at " << NODE_EXECUTABLE;
  for (std::size_t n = 0; n < kRecordCount; ++n)
    ASSERT_EQ(hexOf(decoded[n]), hexOf(convert("CP932", "UTF-8", euc[n].source))) << hexOf(euc[n].source);
}

TEST_F(TableFiles, DuplicatesFollowMicrosoft) {
  EXPECT_EQ(hexOf(target(euc, "\xB6")), "8EB6");  // half-width KA
  EXPECT_EQ(hexOf(target(euc, "A")), "41");
  EXPECT_EQ(hexOf(target(euc, "\x87\x90")), "A2E2");  // approximately equal, NEC row 13
  EXPECT_EQ(hexOf(target(euc, "\x87\x54")), "ADB5");  // Roman numeral one
  EXPECT_EQ(hexOf(target(euc, "\xFA\x4A")), "ADB5");  // its IBM twin
  EXPECT_EQ(hexOf(target(euc, "\xED\x40")), "F9A1");  // first NEC-selected IBM kanji
  EXPECT_EQ(hexOf(target(euc, "\xFA\x5C")), "F9A1");  // its IBM twin
  EXPECT_EQ(hexOf(target(euc, "\xEE\xF9")), "A2CC");  // full-width NOT SIGN
  EXPECT_EQ(hexOf(target(sjis, "\xED\x40")), "FA5C");
  EXPECT_EQ(hexOf(target(sjis, "\x87\x90")), "81E0");
  EXPECT_EQ(hexOf(target(sjis, "\xEE\xF9")), "81CA");
  EXPECT_EQ(hexOf(target(sjis, "\xFA\x4A")), "8754");
  EXPECT_EQ(hexOf(target(sjis, "\xB6")), "B6");
  EXPECT_EQ(hexOf(target(utf, "\x81\x60")), "EFBD9E");  // full-width tilde
}
