// Morvel's start-up in process: what reaches the window runner, and which
// runs never reach it.
#include "startup.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "locator.h"
#include "support/same_bytes.h"
#include "support/temp_dir.h"
#include "support/text_pieces.h"
#include "text_stream.h"

using namespace morvel;
using testing_support::readBytes;
using testing_support::sameBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

// Records every report instead of writing it.
class RecordedReports final : public Reporter {
 public:
  void error(std::string_view line) override { lines.push_back("error: " + std::string(line)); }
  void message(std::string_view subject, std::string_view note) override {
    lines.push_back("message: " + std::string(subject) + " " + std::string(note));
  }
  void info(std::string_view line) override { lines.push_back("info: " + std::string(line)); }
  void note(std::string_view sentence) override { lines.push_back("note: " + std::string(sentence)); }
  std::vector<std::string> lines;
};

// A directory holding the shipped tables, and a runner that keeps what it got.
class Startup : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"MS932~EUC-JP.bin", "MS932~UTF-8.bin", "MS932~Shift_JIS.bin"}) {
      writeBytes(name, readBytes(std::string(MORVEL_DATA_DIR) + "/" + name));
    }
  }

  int run(std::vector<const char*> argv) {
    argv.insert(argv.begin(), "Morvel");
    return runMorvel(static_cast<int>(argv.size()), argv.data(), reports_, [this](const FinalEffect& settings) {
      received_.push_back(settings);
      return 7;
    });
  }

  TempDir dir_;
  RecordedReports reports_;
  std::vector<FinalEffect> received_;
};

}  // namespace

TEST_F(Startup, TheRunnerGetsTheSettingsAndGivesTheExitCode) {
  writeBytes("parameters.txt", "given.bin\n");
  EXPECT_EQ(run({"-e2", "-n", "-c4"}), 7);
  ASSERT_EQ(received_.size(), 1u);
  EXPECT_EQ(encodingNumber(received_[0].encoding), 2);
  EXPECT_TRUE(received_[0].numbering);
  EXPECT_EQ(cornerNumber(received_[0].corner), 4);
  EXPECT_EQ(received_[0].tableName, "given.bin");
  EXPECT_TRUE(reports_.lines.empty());
}

TEST_F(Startup, RunsThatEndBeforeTheWindowNeverReachIt) {
  EXPECT_EQ(run({"-V"}), 1);
  EXPECT_EQ(run({"-e1", "-s\x87\x40", "-g\x82\x50", "-q"}), 0);  // circled one takes full-width one
  EXPECT_EQ(reports_.lines, std::vector<std::string>{"info: 8740 \x81\xCB 8250"});
  EXPECT_EQ(run({"-e1", "-t", "absent.txt", "-q"}), -4);
  EXPECT_EQ(reports_.lines.back(), "error: ifstream sjisFile() error: absent.txt");
  EXPECT_EQ(run({"-e1", "-u", "-a", "absent.txt"}), 1);
  EXPECT_EQ(reports_.lines.back(), "error: ifstream in() error: absent.txt");
  writeBytes("VEL", " ");
  EXPECT_EQ(run({}), 1);
  EXPECT_EQ(reports_.lines.back(), "error: VEL should disappear. Please remove VEL from the current directory. ");
  EXPECT_TRUE(received_.empty());
}

TEST_F(Startup, ALargeNamedFileIsConvertedAsThePlainFormConvertsIt) {
  // Several parts for the threads, a line longer than a piece, lead bytes
  // at the ends of lines, CR bytes anywhere; the result is copied to its
  // place as the pass writes it.
  std::mt19937 random(5);
  std::string text;
  while (text.size() < (std::size_t{6} << 20)) {
    std::size_t size = random() % 120;
    if (random() % 20000 == 0) size = 600000;
    for (std::size_t i = 0; i < size; ++i) {
      const auto kind = random() % 12;
      text += kind == 0  ? '\r'
              : kind < 6 ? static_cast<char>(0x20 + random() % 0x5F)
              : kind < 8 ? static_cast<char>(0x81 + random() % 0x1F)
                         : static_cast<char>(0x80 + random() % 0x7D);
    }
    text += random() % 3 == 0 ? "\n" : "\r\n";
  }
  writeBytes("sjis.txt", text);
  writeBytes("euc.txt", "old");
  ASSERT_EQ(run({"-e1", "-u", "-a", "sjis.txt", "euc.txt", "-q"}), 0);
  SparseEUC euc;
  ASSERT_TRUE(loadTableFile(euc, "MS932~EUC-JP.bin"));
  EXPECT_TRUE(
      sameBytes(readBytes("euc.txt"), testing_support::convertTextPieces("sjis.txt", euc, ControlRule::copy, false)));
  EXPECT_TRUE(sameBytes(readBytes("binary.tmp"), readBytes("euc.txt")));
  EXPECT_TRUE(reports_.lines.empty());
}

TEST_F(Startup, ANamedFileConvertsIntoATargetWrittenInPlace) {
  writeBytes("sjis.txt", "A\x82\xA0\r\n");
#ifdef _WIN32
  constexpr const char* kNullDevice = "NUL";
#else
  constexpr const char* kNullDevice = "/dev/null";
#endif
  EXPECT_EQ(run({"-e1", "-u", "-a", "sjis.txt", kNullDevice, "-q"}), 0);
  EXPECT_EQ(readBytes("binary.tmp"), "A\xA4\xA2\n");
}

// The window shows on X (XWayland under a Wayland session, where a client
// cannot place its windows) unless the user chose a platform; without a
// display of its own a run has no window.
TEST(Display, XIsPreferredAndAChosenPlatformIsKept) {
  const auto choice = [](const char* platform, const char* x11, const char* wayland) {
    const DisplayChoice c = chooseDisplay(platform, x11, wayland);
    return std::string(c.available ? "yes " : "no ") + (c.platform != nullptr ? c.platform : "-");
  };
  EXPECT_EQ(choice(nullptr, ":0", "wayland-0"), "yes xcb");
  EXPECT_EQ(choice("", ":0", nullptr), "yes xcb");
  EXPECT_EQ(choice(nullptr, nullptr, "wayland-0"), "yes -");
  EXPECT_EQ(choice("wayland", ":0", "wayland-0"), "yes -");
  EXPECT_EQ(choice("wayland-egl", ":0", ""), "no -");
  EXPECT_EQ(choice("xcb", "", "wayland-0"), "no -");
  EXPECT_EQ(choice("offscreen", nullptr, nullptr), "yes -");
  EXPECT_EQ(choice("vnc:size=800x600", "", ""), "yes -");
  EXPECT_EQ(choice(nullptr, "", ""), "no -");
}
