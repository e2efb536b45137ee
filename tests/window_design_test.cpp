// The windows' design that both window layers build from.
#include "window_design.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace morvel;

namespace {

// The menu's leaves in the order both layers make them (Win32 numbers its
// commands so), each with its handler; a submenu's own handler as it opens.
void flatten(std::span<const MenuItem> items, std::vector<std::string>& names,
             std::vector<void (TForm1::*)()>& clicks) {
  for (const MenuItem& item : items) {
    if (!item.items.empty()) {
      flatten(item.items, names, clicks);
      continue;
    }
    names.emplace_back(item.name);
    clicks.push_back(item.click);
  }
}

TEST(WindowDesign, MenuItemsComeInTheCommandOrderWithTheirHandlers) {
  std::vector<std::string> names;
  std::vector<void (TForm1::*)()> clicks;
  flatten(kMainWindow.menus, names, clicks);
  EXPECT_EQ(names, (std::vector<std::string>{"Leave1", "Exit1", "ShiftJIS1", "UTF81", "Record1", "Large1", "Standard1",
                                             "Version1"}));
  const std::vector<void (TForm1::*)()> expected{
      &TForm1::Leave1Click,  &TForm1::Exit1Click,  &TForm1::ShiftJIS1Click, &TForm1::UTF81Click,
      &TForm1::Record1Click, &TForm1::Large1Click, &TForm1::Standard1Click, &TForm1::Version1Click};
  EXPECT_TRUE(clicks == expected);
  const MenuItem& eucJp = kMainWindow.menus[1].items[2];
  EXPECT_EQ(eucJp.caption, "EU&C-JP");
  EXPECT_TRUE(eucJp.click == &TForm1::EUCJP1Click);  // runs as the submenu opens
  EXPECT_EQ(kMainWindow.menus[2].items[1].shortcut, Shortcut::f5);
}

TEST(WindowDesign, EachTimerTicksItsOwnHandlerAtTheLogicsInterval) {
  ASSERT_EQ(kMainWindow.timers.size(), 4u);
  const TimerDesign& poll = kMainWindow.timers[0];
  EXPECT_EQ(poll.id, TimerId::poll);
  EXPECT_EQ(poll.intervalMs, 300);
  EXPECT_TRUE(poll.tick == &TForm1::Timer1Timer);
  const TimerDesign& wait = kMainWindow.timers[3];
  EXPECT_EQ(wait.id, TimerId::wait);
  EXPECT_TRUE(wait.tick == &TForm1::Timer4Timer);
}

TEST(WindowDesign, DialogTextsAreShiftJisBytes) {
  EXPECT_EQ(kRecordDialog.controls[0].text, "\x87\x53");  // circled twenty
  EXPECT_EQ(kRecordDialog.controls[1].text, "\x81\x51");  // full-width low line
  EXPECT_EQ(kRecordDialog.controls[0].font.pixels, 35);
  EXPECT_EQ(kVersionDialog.controls[1].text, "Morvel VCL");
  EXPECT_EQ(kVersionDialog.controls[2].font.pixels, 13);
  EXPECT_EQ(kMainWindow.longCaption, "Morvel VCL");
}

// The shown rows end in a line end, so the display holds one empty line more.
TEST(WindowDesign, LinesShareTheDisplayWithTheEmptyLineAfterTheRows) {
  EXPECT_EQ(LinesInDisplay(26), 27);
  EXPECT_EQ(LinesInDisplay(-3), 2);              // a tiny window still shows a row
  EXPECT_EQ(FittedLineHeight(416, 26, 19), 15);  // 416 / 27
  EXPECT_EQ(FittedLineHeight(432, 26, 19), 16);
  EXPECT_EQ(FittedLineHeight(2000, 26, 19), 19);  // never taller than the font's own lines
  EXPECT_EQ(FittedLineHeight(10, 26, 19), 1);
}

}  // namespace
